// The HUD sprite's and HUD text's properties; their drawing is in engine/render_hud.cpp.
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"

TGLHUDSprite::TGLHUDSprite(TComponent* owner) : TGLSprite(owner) { SetSize(16, 16); }

void TGLHUDSprite::SetXTiles(int32_t v) {
  if (v == x_tiles_) return;
  x_tiles_ = v;
  StructureChanged();
}

void TGLHUDSprite::SetYTiles(int32_t v) {
  if (v == y_tiles_) return;
  y_tiles_ = v;
  StructureChanged();
}

void TGLHUDSprite::Assign(const TGLBaseSceneObject& source) {
  TGLSprite::Assign(source);
  if (auto* other = dynamic_cast<const TGLHUDSprite*>(&source)) {
    SetXTiles(other->x_tiles_);
    SetYTiles(other->y_tiles_);
  }
}

TGLHUDText::TGLHUDText(TComponent* owner)
    : TGLImmaterialSceneObject(owner), modulate_color_(this, clrWhite) {}

TGLHUDText::~TGLHUDText() { SetBitmapFont(nullptr); }

void TGLHUDText::SetBitmapFont(TGLCustomBitmapFont* font) {
  if (font == font_) return;
  if (font_) RemoveFreeNotification(font_);
  font_ = font;
  if (font_) FreeNotification(font_);
  StructureChanged();
}

void TGLHUDText::Notification(TComponent* component) {
  if (component && component == static_cast<TComponent*>(font_)) {
    font_ = nullptr;
    StructureChanged();
  }
  TGLImmaterialSceneObject::Notification(component);
}

void TGLHUDText::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  StructureChanged();
}

void TGLHUDText::SetRotation(float v) {
  if (v == rotation_) return;
  rotation_ = v;
  StructureChanged();
}

void TGLHUDText::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  StructureChanged();
}

void TGLHUDText::SetLayout(TTextLayout v) {
  if (v == layout_) return;
  layout_ = v;
  StructureChanged();
}

void TGLHUDText::Assign(const TGLBaseSceneObject& source) {
  TGLImmaterialSceneObject::Assign(source);
  if (auto* other = dynamic_cast<const TGLHUDText*>(&source)) {
    SetBitmapFont(other->font_);
    SetText(other->text_);
    SetRotation(other->rotation_);
    SetAlignment(other->alignment_);
    SetLayout(other->layout_);
    modulate_color_.Assign(other->modulate_color_);
  }
}
