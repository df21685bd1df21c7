// A small software rasteriser for looking at the generated scenery without the game: a camera
// like the play camera, a depth buffer, textured faces lit by one point light, and linear fog.
// It paints the level pictures of the menu and lets the tests look at what was made.
#pragma once

#include "content/image.h"
#include "content/mesh.h"

namespace content {

struct View {
  Vec3 eye{0, 100, -237};
  // Screen right is -X and up is +Y when looking along +Z, as in the play camera.
  float tan_half_w = 0.4233f, tan_half_h = 0.3175f;
  float fog_start = 50, fog_end = 1200;
  Rgba fog{0, 0, 0, 1};
  Vec3 light{0, 230, 120};
  Rgba ambient{0.6471f * 0.2f + 0.2f, 0.1647f * 0.2f + 0.2f, 0.1647f * 0.2f + 0.2f, 1};
};

class Raster {
 public:
  Raster(int width, int height, const View& view);
  // Draws the mesh moved by `place`, sampling `texture` (nearest, wrapped; none = white) and
  // multiplying by `tint`; `additive` adds the result instead of covering.
  void draw(const Mesh& mesh, const Xform& place, const Image* texture, Rgba tint,
            bool additive = false);
  const Image& image() const { return image_; }
  // Pixels covered by any face.
  int covered() const;

 private:
  struct Screen {
    float x, y, w;  // w = 1 / depth
    float depth;
  };
  bool project(Vec3 p, Screen& s) const;
  View v_;
  Image image_;
  std::vector<float> depth_;
};

}  // namespace content
