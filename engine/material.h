// The material of a drawable object: face colours, blending, options, culling and texture, or a
// reference by name to a shared material of a material library.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/coordinates.h"
#include "engine/texture.h"

class TGLMaterialLibrary;
class TGLLibMaterial;

enum TGLPolygonMode { pmFill, pmLines, pmPoints };
enum TBlendingMode { bmOpaque, bmTransparency, bmAdditive };
enum TFaceCulling { fcBufferDefault, fcCull, fcNoCull };
// A set of options: the flags or-ed together.
enum TMaterialOption : uint32_t { moIgnoreFog = 1, moNoLighting = 2 };
using TMaterialOptions = uint32_t;

class TGLFaceProperties : public TGLUpdateAbleObject {
 public:
  explicit TGLFaceProperties(IGLNotifyAble* owner);

  TGLColor& Ambient() { return ambient_; }
  const TGLColor& Ambient() const { return ambient_; }
  TGLColor& Diffuse() { return diffuse_; }
  const TGLColor& Diffuse() const { return diffuse_; }
  TGLColor& Emission() { return emission_; }
  const TGLColor& Emission() const { return emission_; }
  TGLColor& Specular() { return specular_; }
  const TGLColor& Specular() const { return specular_; }
  int32_t Shininess() const { return shininess_; }
  void SetShininess(int32_t v);  // kept within 0..128
  TGLPolygonMode PolygonMode() const { return polygon_mode_; }
  void SetPolygonMode(TGLPolygonMode v);
  void Assign(const TGLFaceProperties& source);

 private:
  TGLColor ambient_;
  TGLColor diffuse_;
  TGLColor emission_;
  TGLColor specular_;
  int32_t shininess_ = 0;
  TGLPolygonMode polygon_mode_ = pmFill;
};

class TGLMaterial : public TGLUpdateAbleObject {
 public:
  explicit TGLMaterial(IGLNotifyAble* owner);
  ~TGLMaterial() override;

  TGLFaceProperties& FrontProperties() { return front_; }
  const TGLFaceProperties& FrontProperties() const { return front_; }
  // Created on first use.
  TGLFaceProperties& BackProperties();
  const TGLFaceProperties* BackPropertiesIfCreated() const { return back_.get(); }
  TBlendingMode BlendingMode() const { return blending_mode_; }
  void SetBlendingMode(TBlendingMode v);
  TMaterialOptions MaterialOptions() const { return material_options_; }
  void SetMaterialOptions(TMaterialOptions v);
  // Created on first access; the renderer asks TextureIfCreated so as not to create one.
  TGLTexture& Texture();
  const TGLTexture* TextureIfCreated() const { return texture_.get(); }
  bool HasTexture() const { return texture_ != nullptr; }
  TFaceCulling FaceCulling() const { return face_culling_; }
  void SetFaceCulling(TFaceCulling v);

  // The game sets the library first and the name second.
  TGLMaterialLibrary* MaterialLibrary() const { return library_; }
  void SetMaterialLibrary(TGLMaterialLibrary* library);
  const std::string& LibMaterialName() const { return lib_material_name_; }
  // Fails with "Error: Cyclic material reference detected!" on a chain of 16 references.
  void SetLibMaterialName(const std::string& name);
  // The library material the name currently resolves to, or null.
  TGLLibMaterial* LibMaterial() const { return lib_material_; }

  // The material that is drawn: the resolved library material's (followed down its own
  // references), or this one.
  const TGLMaterial& Effective() const;
  // Blended drawing (transparency or additive) of the effective material.
  bool Blended() const { return Effective().blending_mode_ != bmOpaque; }

  // Copies the own properties (not the library reference).
  void Assign(const TGLMaterial& source);

  // The library and its materials tell us when they go away.
  void library_gone();
  void lib_material_gone();

 private:
  TGLFaceProperties front_;
  std::unique_ptr<TGLFaceProperties> back_;
  TBlendingMode blending_mode_ = bmOpaque;
  TMaterialOptions material_options_ = 0;
  std::unique_ptr<TGLTexture> texture_;
  TFaceCulling face_culling_ = fcBufferDefault;
  TGLMaterialLibrary* library_ = nullptr;
  std::string lib_material_name_;
  TGLLibMaterial* lib_material_ = nullptr;
};
