// The 3D Studio reader: the chunk tree parsed into plain records, and the builder that turns
// its triangle meshes into mesh objects (flat copies, smoothing groups, material groups).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/mesh_object.h"

// The text of every structural fault of a .3ds file.
extern const char* const kInvalidChunkStructure;

struct File3DSMaterial {
  std::string Name;
  TAffineVector Ambient{0, 0, 0}, Diffuse{0, 0, 0}, Specular{0, 0, 0};
  float Shininess = 0;          // 0..1 (the file's percentage / 100)
  float ShininessStrength = 0;  // 0..1
  float Transparency = 0;       // 0..1
  std::string TextureFile;
};

struct File3DSFace {
  uint16_t A = 0, B = 0, C = 0, Flags = 0;
};

struct File3DSMaterialGroup {
  std::string Material;
  std::vector<uint16_t> Faces;
};

struct File3DSObject {
  std::string Name;
  bool Hidden = false;
  bool HasMesh = false;  // a triangle mesh chunk was present (not a light or a camera)
  std::vector<TAffineVector> Vertices;
  std::vector<TAffineVector> TexCoords;  // (u, v, 0), as many as the file holds
  // The groups and masks count the faces they came with: a later face chunk replaces all three.
  std::vector<File3DSFace> Faces;
  std::vector<File3DSMaterialGroup> MaterialGroups;
  bool HasSmoothing = false;
  std::vector<uint32_t> Smoothing;  // one mask per face when HasSmoothing
  float LocalAxes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // read, never applied
};

struct File3DS {
  std::vector<File3DSMaterial> Materials;
  std::vector<File3DSObject> Objects;  // only those read completely
  const File3DSMaterial* FindMaterial(const std::string& name) const;
};

// Parses the whole chunk tree, containers it does not use included. A corrupt tree throws
// kInvalidChunkStructure; `out` then holds the materials and objects that were read completely
// before the fault.
void parse_3ds(const uint8_t* data, size_t size, File3DS& out);

struct Build3DSOptions {
  bool invert_normals = false;  // NormalsOrientation mnoInvert: face normals p × q
  // The name a material group's faces are drawn with; without it the name stays empty.
  std::function<std::string(const std::string& name, const File3DSMaterial* material)>
      material_name;
};

// Appends one mesh object per visible triangle mesh of at least 3 vertices. Records that point
// past their lists (group faces, masks, face corners) are left out rather than read.
void build_3ds_meshes(const File3DS& file, const Build3DSOptions& options, TMeshObjectList& out);

// Parse and build; on a corrupt file the objects read before the fault are built, then it throws.
void read_3ds(const uint8_t* data, size_t size, const Build3DSOptions& options,
              TMeshObjectList& out);
