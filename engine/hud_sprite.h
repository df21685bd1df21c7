// The screen-space rectangle of the HUD and the menus: placed in view pixels from the top-left
// corner, whatever its parents and the camera do.
#pragma once

#include <cstdint>

#include "engine/sprite.h"

class TGLHUDSprite : public TGLSprite {
 public:
  // 16 x 16 pixels.
  explicit TGLHUDSprite(TComponent* owner = nullptr);

  // Texture repetitions across and down.
  int32_t XTiles() const { return x_tiles_; }
  void SetXTiles(int32_t v);
  int32_t YTiles() const { return y_tiles_; }
  void SetYTiles(int32_t v);

  // The rectangle centred on (Position.X, Position.Y) · dpi/96 (engine/render_hud.cpp).
  void EmitGeometry(TGLRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& source) override;

 private:
  int32_t x_tiles_ = 1;
  int32_t y_tiles_ = 1;
};
