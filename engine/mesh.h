// Mesh scene objects: the mesh holder with its mesh objects and skeleton, loading by file
// extension with auto-centering, and the static free-form mesh with its collision sweep.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/material.h"
#include "engine/mesh_object.h"
#include "engine/octree.h"
#include "engine/scene_object.h"

class TGLMaterialLibrary;

enum TMeshNormalsOrientation { mnoDefault, mnoInvert };
// A set of auto-centering options: the flags or-ed together.
enum TMeshAutoCentering : uint32_t {
  macCenterX = 1,
  macCenterY = 2,
  macCenterZ = 4,
  macUseBarycenter = 8,
};
using TMeshAutoCenterings = uint32_t;

class TGLBaseMesh : public TGLSceneObject {
 public:
  explicit TGLBaseMesh(TComponent* owner = nullptr);
  ~TGLBaseMesh() override;

  TMeshObjectList& MeshObjects() { return mesh_objects_; }
  const TMeshObjectList& MeshObjects() const { return mesh_objects_; }
  TSkeleton& Skeleton() { return skeleton_; }
  const TSkeleton& Skeleton() const { return skeleton_; }

  TGLMaterialLibrary* MaterialLibrary() const { return material_library_; }
  void SetMaterialLibrary(TGLMaterialLibrary* v);
  TGLMaterialLibrary* LightmapLibrary() const { return lightmap_library_; }
  void SetLightmapLibrary(TGLMaterialLibrary* v);
  bool UseMeshMaterials() const { return use_mesh_materials_; }
  void SetUseMeshMaterials(bool v);
  TMeshNormalsOrientation NormalsOrientation() const { return normals_orientation_; }
  void SetNormalsOrientation(TMeshNormalsOrientation v);
  TMeshAutoCenterings AutoCentering() const { return auto_centering_; }
  void SetAutoCentering(TMeshAutoCenterings v) { auto_centering_ = v; }

  // Clears the geometry (and an actor's animations), reads the file by its extension,
  // centres it as AutoCentering says. Fails with the file-open error, "Unknown file extension
  // (ext)" or the reader's message; the mesh then keeps what was read.
  void LoadFromFile(const std::string& file_name);
  // The same without clearing and without centering (an SMD animation added to an actor).
  void AppendFromFile(const std::string& file_name);
  // The same from bytes already in memory; `file_name` picks the reader and names animations.
  void LoadFromBytes(const std::string& file_name, const std::vector<uint8_t>& data);
  void AppendFromBytes(const std::string& file_name, const std::vector<uint8_t>& data);

  // Centres the vertices now, whatever AutoCentering says.
  void PerformAutoCentering(TMeshAutoCenterings how);

  // Per axis the larger of |min| and |max| of all vertices, cached until the geometry changes.
  TVector HalfExtents() override;
  // The geometry changed: extents recomputed on demand, the mesh rebuilt before it is drawn.
  void GeometryChanged();
  // Counts geometry changes, for renderers that cache the mesh's arrays.
  uint64_t geometry_revision() const { return geometry_revision_; }
  // Vertex arrays per face group; actors in their current pose (engine/render_mesh.cpp).
  void EmitGeometry(TGLRenderContextInfo& rci) override;

 protected:
  void Notification(TComponent* component) override;
  // A reader registered an animation (actors keep it).
  virtual void animation_read(const std::string& /*name*/, int32_t /*start*/, int32_t /*end*/) {}
  // LoadFromFile clears these; actors also clear their animations.
  virtual void clear_geometry();

 private:
  void read(const std::string& file_name, const std::vector<uint8_t>& data, bool append);

  TMeshObjectList mesh_objects_;
  TSkeleton skeleton_;
  TGLMaterialLibrary* material_library_ = nullptr;
  TGLMaterialLibrary* lightmap_library_ = nullptr;
  bool use_mesh_materials_ = true;
  TMeshNormalsOrientation normals_orientation_ = mnoDefault;
  TMeshAutoCenterings auto_centering_ = 0;
  bool extents_valid_ = false;
  TVector half_extents_ = {0, 0, 0, 0};
  uint64_t geometry_revision_ = 0;
};

// A static mesh that can be swept against.
class TGLFreeForm : public TGLBaseMesh {
 public:
  using TGLBaseMesh::TGLBaseMesh;

  // (Re)builds the collision index over the current triangles; not rebuilt by later loads.
  void BuildCollisionOctree();
  // Null until BuildCollisionOctree.
  const CollisionTree* Octree() const { return octree_.get(); }

  // Sweeps a sphere of `radius` from rayStart along rayVector over `velocity` (scene space).
  // True on contact, with the nearest contact's point and normal in scene space; the outputs
  // are left untouched otherwise. Fails with "Octree must have been prepared and setup before
  // use." when there is no octree.
  bool SphereSweepIntersect(const TVector& rayStart, const TVector& rayVector, float velocity,
                            float radius, TVector* hitPoint = nullptr,
                            TVector* hitNormal = nullptr);

  // Every triangle of every face group of every mesh object, in the mesh's own space.
  std::vector<CollisionTriangle> CollisionTriangles() const;

 private:
  std::unique_ptr<CollisionTree> octree_;
};
