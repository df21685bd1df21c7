// A screen-space string of the HUD written with a bitmap font: placed in view pixels from the
// top-left corner, aligned and laid out about its origin.
#pragma once

#include <string>

#include "engine/bitmap_font.h"
#include "engine/scene_object.h"

class TGLHUDText : public TGLImmaterialSceneObject {
 public:
  explicit TGLHUDText(TComponent* owner = nullptr);
  ~TGLHUDText() override;

  TGLCustomBitmapFont* BitmapFont() const { return font_; }
  // Cleared when the font is freed.
  void SetBitmapFont(TGLCustomBitmapFont* font);
  const std::string& Text() const { return text_; }
  // A carriage return (13) starts a new line.
  void SetText(const std::string& text);
  float Rotation() const { return rotation_; }
  void SetRotation(float v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  TGLColor& ModulateColor() { return modulate_color_; }

  // Nothing without a font or text (engine/render_hud.cpp).
  void EmitGeometry(TGLRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& source) override;

 protected:
  void Notification(TComponent* component) override;

 private:
  TGLCustomBitmapFont* font_ = nullptr;
  std::string text_;
  float rotation_ = 0;
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  TGLColor modulate_color_;
};
