// A small offscreen view for the pixel tests: a form with a scene, a camera and the full-screen
// viewer on the headless backend, and the drawn frame read back pixel by pixel.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/full_screen_viewer.h"
#include "engine/mesh.h"
#include "engine/scene_object.h"
#include "platform/headless/headless.h"
#include "platform/headless/png_writer.h"
#include "platform/platform.h"

struct Pixel {
  int r = 0, g = 0, b = 0, a = 0;
  int sum() const { return r + g + b; }
};

class RenderFixture {
 public:
  explicit RenderFixture(int width = 160, int height = 120) {
    platform::headless::Config config;
    config.render = true;
    platform::headless::configure(config);
    scene = make_owned<TGLScene>(&form);
    camera = make_owned<TGLCamera>(&form);
    scene->Cameras().AddChild(camera);
    viewer = make_owned<TGLFullScreenViewer>(&form);
    viewer->SetWidth(width);
    viewer->SetHeight(height);
    viewer->Buffer().SetBackgroundColor(clBlack);
    viewer->SetCamera(camera);
    viewer->SetFullScreen(true);
  }

  // Draws a frame and reads it back; KARMUND_RENDER_SHOTS=DIR keeps it as DIR/<name>.png.
  void Draw(const std::string& name = "") {
    viewer->Render();
    platform::read_frame(frame, width, height);
    const char* dir = std::getenv("KARMUND_RENDER_SHOTS");
    if (dir && !name.empty())
      platform::headless::write_png(std::string(dir) + "/" + name + ".png", frame, width, height);
  }

  Pixel At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const uint8_t* p = &frame[(static_cast<size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
  // Pixels whose colour sum exceeds `threshold`, inside and outside a rectangle [x0, x1) x [y0,
  // y1).
  int Lit(int x0, int y0, int x1, int y1, int threshold = 30) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (At(x, y).sum() > threshold) ++n;
    return n;
  }
  int LitTotal(int threshold = 30) const { return Lit(0, 0, width, height, threshold); }

  TComponent form;
  TGLScene* scene = nullptr;
  TGLCamera* camera = nullptr;
  TGLFullScreenViewer* viewer = nullptr;
  std::vector<uint8_t> frame;
  int width = 0, height = 0;
};

// A square of side 2·half in the XY plane facing +Z, unlit in the given colour.
inline TGLFreeForm* make_square(RenderFixture& f, TGLBaseSceneObject& parent, float half,
                                TVector color = {1, 1, 1, 1}) {
  auto* mesh = make_owned<TGLFreeForm>(&f.form);
  parent.AddChild(mesh);
  auto o = std::make_unique<TMeshObject>();
  o->Vertices = {{-half, -half, 0}, {half, -half, 0}, {half, half, 0}, {-half, half, 0}};
  o->Normals.assign(4, {0, 0, 1});
  o->TexCoords = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  TFaceGroup g;
  g.VertexIndices = {0, 1, 2, 0, 2, 3};
  o->FaceGroups.push_back(g);
  mesh->MeshObjects().push_back(std::move(o));
  mesh->GeometryChanged();
  mesh->Material().SetMaterialOptions(moNoLighting);
  mesh->Material().FrontProperties().Diffuse().SetColor(color);
  return mesh;
}
