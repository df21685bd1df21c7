// Face properties and materials, with the by-name reference to a library material.
#include "engine/material.h"

#include <algorithm>

#include "engine/material_library.h"
#include "platform/error.h"

namespace {

const TVector kDefaultAmbient = {0.2f, 0.2f, 0.2f, 1};
const TVector kDefaultDiffuse = {0.8f, 0.8f, 0.8f, 1};
const TVector kDefaultBlack = {0, 0, 0, 1};
constexpr int kMaxReferenceChain = 16;

// The item a material's name resolves to in its own library, or null.
TGLLibMaterial* lookup(const TGLMaterial& m) {
  return m.MaterialLibrary() ? m.MaterialLibrary()->LibMaterialByName(m.LibMaterialName())
                             : nullptr;
}

}  // namespace

TGLFaceProperties::TGLFaceProperties(IGLNotifyAble* owner)
    : TGLUpdateAbleObject(owner),
      ambient_(this, kDefaultAmbient),
      diffuse_(this, kDefaultDiffuse),
      emission_(this, kDefaultBlack),
      specular_(this, kDefaultBlack) {}

void TGLFaceProperties::SetShininess(int32_t v) {
  v = std::clamp(v, 0, 128);
  if (v == shininess_) return;
  shininess_ = v;
  NotifyChange(this);
}

void TGLFaceProperties::SetPolygonMode(TGLPolygonMode v) {
  if (v == polygon_mode_) return;
  polygon_mode_ = v;
  NotifyChange(this);
}

void TGLFaceProperties::Assign(const TGLFaceProperties& source) {
  BeginUpdate();
  ambient_.Assign(source.ambient_);
  diffuse_.Assign(source.diffuse_);
  emission_.Assign(source.emission_);
  specular_.Assign(source.specular_);
  SetShininess(source.shininess_);
  SetPolygonMode(source.polygon_mode_);
  EndUpdate();
}

TGLMaterial::TGLMaterial(IGLNotifyAble* owner) : TGLUpdateAbleObject(owner), front_(this) {}

TGLMaterial::~TGLMaterial() {
  if (lib_material_) lib_material_->remove_user(this);
  if (library_) library_->detach(this);
}

TGLFaceProperties& TGLMaterial::BackProperties() {
  if (!back_) back_ = std::make_unique<TGLFaceProperties>(this);
  return *back_;
}

void TGLMaterial::SetBlendingMode(TBlendingMode v) {
  if (v == blending_mode_) return;
  blending_mode_ = v;
  NotifyChange(this);
}

void TGLMaterial::SetMaterialOptions(TMaterialOptions v) {
  if (v == material_options_) return;
  material_options_ = v;
  NotifyChange(this);
}

TGLTexture& TGLMaterial::Texture() {
  if (!texture_) texture_ = std::make_unique<TGLTexture>(this);
  return *texture_;
}

void TGLMaterial::SetFaceCulling(TFaceCulling v) {
  if (v == face_culling_) return;
  face_culling_ = v;
  NotifyChange(this);
}

void TGLMaterial::SetMaterialLibrary(TGLMaterialLibrary* library) {
  if (library != library_) {
    if (library_) library_->detach(this);
    library_ = library;
    if (library_) library_->attach(this);
  }
  SetLibMaterialName(lib_material_name_);
}

void TGLMaterial::SetLibMaterialName(const std::string& name) {
  // 1. Look the name up.
  TGLLibMaterial* found = library_ ? library_->LibMaterialByName(name) : nullptr;
  // 2. A chain of references that runs on for 16 links is taken for a cycle.
  int links = 0;
  for (TGLLibMaterial* item = found; item;) {
    TGLLibMaterial* next = lookup(item->Material());
    if (!next) break;
    if (++links >= kMaxReferenceChain)
      throw Exception("Error: Cyclic material reference detected!");
    item = next;
  }
  // 3. Store the name; 4. move to the new item's users.
  lib_material_name_ = name;
  if (found != lib_material_) {
    if (lib_material_) lib_material_->remove_user(this);
    lib_material_ = found;
    if (lib_material_) lib_material_->add_user(this);
  }
  // 5. The owner's appearance changed.
  NotifyChange(this);
}

const TGLMaterial& TGLMaterial::Effective() const {
  const TGLMaterial* m = this;
  for (int i = 0; i < kMaxReferenceChain && m->lib_material_; ++i)
    m = &m->lib_material_->Material();
  return *m;
}

void TGLMaterial::Assign(const TGLMaterial& source) {
  BeginUpdate();
  front_.Assign(source.front_);
  if (source.back_) BackProperties().Assign(*source.back_);
  SetBlendingMode(source.blending_mode_);
  SetMaterialOptions(source.material_options_);
  SetFaceCulling(source.face_culling_);
  if (source.texture_) {
    TGLTexture& t = Texture();
    const TGLTexture& s = *source.texture_;
    t.Image().Assign(s.Image().Picture());
    t.SetImageClassName(s.ImageClassName());
    t.SetImageAlpha(s.ImageAlpha());
    t.SetImageBrightness(s.ImageBrightness());
    t.SetImageGamma(s.ImageGamma());
    t.SetMagFilter(s.MagFilter());
    t.SetMinFilter(s.MinFilter());
    t.SetTextureMode(s.TextureMode());
    t.SetTextureWrap(s.TextureWrap());
    t.SetDisabled(s.Disabled());
  }
  EndUpdate();
}

void TGLMaterial::library_gone() {
  if (lib_material_) lib_material_->remove_user(this);
  library_ = nullptr;
  lib_material_ = nullptr;
  lib_material_name_.clear();
  NotifyChange(this);
}

void TGLMaterial::lib_material_gone() {
  if (library_) library_->detach(this);
  library_ = nullptr;
  lib_material_ = nullptr;
  lib_material_name_.clear();
  NotifyChange(this);
}
