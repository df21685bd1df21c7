// The scene renderer on offscreen frames: visibility, proxies, fog, blending, transparency,
// the sky dome, sprites, dummy cubes, actors and the drawing order.
#include <gtest/gtest.h>

#include "engine/dummy_cube.h"
#include "engine/light_source.h"
#include "engine/mesh.h"
#include "engine/proxy_object.h"
#include "engine/renderer.h"
#include "engine/sky_dome.h"
#include "tests/render_fixture.h"

namespace {

// A square of side 2·half facing +Z (towards a camera on the +Z axis looking down −Z).
TGLFreeForm* make_square(RenderFixture& f, TGLBaseSceneObject& parent, float half) {
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
  // Unlit white unless a test says otherwise.
  mesh->Material().SetMaterialOptions(moNoLighting);
  mesh->Material().FrontProperties().Diffuse().SetColor(1, 1, 1, 1);
  return mesh;
}

void look_down_z(RenderFixture& f, float z = 10) {
  f.camera->Position().SetPoint(0, 0, z);
  f.camera->Direction().SetVector(0, 0, -1);
  f.camera->SetDepthOfView(1000);
}

}  // namespace

TEST(RenderScene, SquareShowsWhiteInTheMiddle) {
  RenderFixture f;
  look_down_z(f);
  make_square(f, f.scene->Objects(), 1);
  f.Draw("square");
  Pixel centre = f.At(80, 60);
  EXPECT_EQ(centre.r, 255);
  EXPECT_EQ(f.At(2, 2).sum(), 0);
}
