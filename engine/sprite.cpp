// The sprite's size, rotation and alpha setters.
#include "engine/sprite.h"

TGLSprite::TGLSprite(TComponent* owner) : TGLSceneObject(owner) {}

void TGLSprite::SetWidth(float v) {
  if (v == width_) return;
  width_ = v;
  StructureChanged();
}

void TGLSprite::SetHeight(float v) {
  if (v == height_) return;
  height_ = v;
  StructureChanged();
}

void TGLSprite::SetSize(float width, float height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  StructureChanged();
}

void TGLSprite::SetRotation(float v) {
  if (v == rotation_) return;
  rotation_ = v;
  StructureChanged();
}

void TGLSprite::SetAlphaChannel(float v) {
  if (v == alpha_channel_) return;
  alpha_channel_ = v;
  StructureChanged();
}

void TGLSprite::SetNoZWrite(bool v) {
  if (v == no_z_write_) return;
  no_z_write_ = v;
  StructureChanged();
}

void TGLSprite::Assign(const TGLBaseSceneObject& source) {
  TGLSceneObject::Assign(source);
  if (auto* other = dynamic_cast<const TGLSprite*>(&source)) {
    SetSize(other->width_, other->height_);
    SetRotation(other->rotation_);
    SetAlphaChannel(other->alpha_channel_);
    SetNoZWrite(other->no_z_write_);
  }
}
