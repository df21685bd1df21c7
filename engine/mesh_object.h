// The geometry a mesh holds, as plain data: mesh objects with their face groups, and the skeleton
// (bones, frames) of the SMD models with the bone poses per frame for rigid skinning.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/mesh_math.h"

// Triangles (three corners each) drawn with one material.
struct TFaceGroup {
  std::string MaterialName;
  // Corner vertex indices, three per triangle; a corner's normal has the vertex's index.
  std::vector<int32_t> VertexIndices;
  // Texture-coordinate index per corner; empty when it is the vertex index (3DS meshes).
  std::vector<int32_t> TexCoordIndices;

  size_t TriangleCount() const { return VertexIndices.size() / 3; }
  int32_t texcoord_index(size_t corner) const {
    return TexCoordIndices.empty() ? VertexIndices[corner] : TexCoordIndices[corner];
  }
};

class TMeshObject {
 public:
  std::string Name;
  std::vector<TAffineVector> Vertices;
  std::vector<TAffineVector> Normals;    // one per vertex
  std::vector<TAffineVector> TexCoords;  // (u, v, 0)
  std::vector<TFaceGroup> FaceGroups;

  // Skeleton mesh objects (SMD) say which bone each vertex follows, and keep the vertices and
  // normals in that bone's space of the reference pose, ready to be carried by any frame.
  bool Skeletal = false;
  std::vector<int32_t> BoneIds;
  std::vector<TAffineVector> BindVertices;
  std::vector<TAffineVector> BindNormals;
  // Centering moves the drawn mesh, not the bones: the posed vertices are moved by as much.
  TAffineVector PoseOffset{0, 0, 0};

  size_t TriangleCount() const;
  void Translate(TAffineVector offset);
};

using TMeshObjectList = std::vector<std::unique_ptr<TMeshObject>>;

struct TSkeletonBone {
  int32_t BoneID = 0;
  std::string Name;
  int32_t Parent = -1;  // index in TSkeleton::Bones, -1 for a root bone
};

// One pose: per bone id a position and a rotation (Euler angles X, Y, Z in radians).
struct TSkeletonFrame {
  std::string Name;
  std::vector<TAffineVector> Position;
  std::vector<TAffineVector> Rotation;
};

class TSkeleton {
 public:
  std::vector<TSkeletonBone> Bones;  // a parent always comes before its children
  std::vector<TSkeletonFrame> Frames;

  void Clear();
  int32_t BoneIndexByID(int32_t id) const;  // -1 when there is none

  // Indexes the bones by id for posing; run after the bones changed (the SMD reader does).
  void PrepareGlobalMatrices();
  // A frame's bone matrices, composed through the hierarchy (local · parent's global), indexed
  // like Bones; empty for a frame that does not exist. Worked out on each call: a frame costs
  // a matrix product per bone, and files with many bones and frames need no table of all.
  std::vector<TMatrix> GlobalMatrices(size_t frame) const;
  // The bone index of an id after PrepareGlobalMatrices; -1 when there is none.
  int32_t prepared_index(int32_t id) const;

 private:
  std::unordered_map<int32_t, int32_t> index_of_id_;
};

// Expresses the skeleton mesh objects' vertices in the space of their bones in frame 0.
void prepare_bind_pose(TMeshObjectList& objects, const TSkeleton& skeleton);
// Positions (and normals, when asked) of a skeleton mesh object carried by the bones of a frame.
void pose_vertices(const TMeshObject& object, const TSkeleton& skeleton, size_t frame,
                   std::vector<TAffineVector>& positions,
                   std::vector<TAffineVector>* normals = nullptr);

// Axis-aligned bounds of all vertices of all mesh objects; false when there is no vertex.
bool mesh_bounds(const TMeshObjectList& objects, TAffineVector& min, TAffineVector& max);
