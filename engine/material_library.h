// The material library: named shared materials found by name hash, the unique-name rule, the
// users of each material, and the library file ("data\data.mat") reader and writer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/material.h"
#include "engine/scene_object.h"

class TGLMaterialLibrary;
class TGLLibMaterials;

// h = length; then h = h·2 + byte for each character, wrapping at 32 bits.
uint32_t material_name_hash(const std::string& name);

class TGLLibMaterial : public IGLNotifyAble {
 public:
  explicit TGLLibMaterial(TGLLibMaterials* collection);
  ~TGLLibMaterial() override;
  TGLLibMaterial(const TGLLibMaterial&) = delete;
  TGLLibMaterial& operator=(const TGLLibMaterial&) = delete;

  const std::string& Name() const { return name_; }
  // Made unique within the library (a suffix 1, 2, ... appended) unless the form is loading.
  void SetName(const std::string& name);
  uint32_t NameHashKey() const { return hash_; }
  TGLMaterial& Material() { return material_; }
  const TGLMaterial& Material() const { return material_; }
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t v) { tag_ = v; }
  TGLCoordinates& TextureOffset() { return texture_offset_; }
  TGLCoordinates& TextureScale() { return texture_scale_; }
  const std::string& Texture2Name() const { return texture2_name_; }
  void SetTexture2Name(const std::string& v) { texture2_name_ = v; }
  TComponent* Shader() const { return shader_; }
  void SetShader(TComponent* v) { shader_ = v; }
  int32_t Index() const;
  TGLMaterialLibrary* Library() const;

  // Materials that currently resolve to this one.
  const std::vector<TGLMaterial*>& Users() const { return users_; }
  void add_user(TGLMaterial* m);
  void remove_user(TGLMaterial* m);

  // A change of our material shows on every user.
  void NotifyChange(IGLNotifyAble* sender) override;

 private:
  TGLLibMaterials* collection_;
  std::string name_;
  uint32_t hash_ = 0;
  TGLMaterial material_;
  int32_t tag_ = 0;
  TGLCoordinates texture_offset_;
  TGLCoordinates texture_scale_;
  std::string texture2_name_;
  TComponent* shader_ = nullptr;
  std::vector<TGLMaterial*> users_;
  bool notifying_ = false;
};

// The library's items in collection order, indexed from 0.
class TGLLibMaterials {
 public:
  explicit TGLLibMaterials(TGLMaterialLibrary* library) : library_(library) {}
  TGLLibMaterials(const TGLLibMaterials&) = delete;
  TGLLibMaterials& operator=(const TGLLibMaterials&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TGLLibMaterial& Items(int32_t index) const { return *items_.at(static_cast<size_t>(index)); }
  TGLLibMaterial& operator[](int32_t index) const { return Items(index); }
  // A new item named "LibMaterial" (made unique).
  TGLLibMaterial& Add();
  void Delete(int32_t index);
  void Clear();
  // First item, in order, whose hash and name equal the name's (case-sensitive); or null.
  TGLLibMaterial* GetLibMaterialByName(const std::string& name) const;
  int32_t IndexOf(const TGLLibMaterial* item) const;
  TGLMaterialLibrary* Library() const { return library_; }

 private:
  TGLMaterialLibrary* library_;
  std::vector<std::unique_ptr<TGLLibMaterial>> items_;
};

using TTextureNeededEvent = std::function<void(TComponent* sender, std::string& textureFileName)>;

class TGLMaterialLibrary : public TGLCadenceAbleComponent {
 public:
  explicit TGLMaterialLibrary(TComponent* owner = nullptr);
  ~TGLMaterialLibrary() override;

  TGLLibMaterials& Materials() { return materials_; }
  const TGLLibMaterials& Materials() const { return materials_; }
  TGLLibMaterial* LibMaterialByName(const std::string& name) const {
    return materials_.GetLibMaterialByName(name);
  }
  // Folders searched for texture files, separated by ";".
  const std::string& TexturePaths() const { return texture_paths_; }
  void SetTexturePaths(const std::string& v) { texture_paths_ = v; }
  TTextureNeededEvent OnTextureNeeded;

  // Replaces the materials by the file's; see read_library for the failures.
  void LoadFromFile(const std::string& file_name);
  // Writes the layout LoadFromFile reads, atomically.
  void SaveToFile(const std::string& file_name) const;
  void LoadFromBytes(const std::vector<uint8_t>& data);
  std::vector<uint8_t> SaveToBytes() const;

  // A new material of that name whose texture, when the file can be found (as given or in
  // TexturePaths, after OnTextureNeeded had its say), is loaded and enabled.
  TGLLibMaterial& AddTextureMaterial(const std::string& name, const std::string& file_name);

  // Materials that name this library register here, so they can forget it when it goes.
  void attach(TGLMaterial* m);
  void detach(TGLMaterial* m);

 private:
  TGLLibMaterials materials_;
  std::string texture_paths_;
  std::vector<TGLMaterial*> attached_;
};
