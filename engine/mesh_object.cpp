// Mesh objects, the skeleton and the bone poses of its frames.
#include "engine/mesh_object.h"

size_t TMeshObject::TriangleCount() const {
  size_t n = 0;
  for (const auto& g : FaceGroups) n += g.TriangleCount();
  return n;
}

void TMeshObject::Translate(TAffineVector offset) {
  for (auto& v : Vertices) v += offset;
  if (Skeletal) PoseOffset += offset;
}

void TSkeleton::Clear() {
  Bones.clear();
  Frames.clear();
  index_of_id_.clear();
}

int32_t TSkeleton::BoneIndexByID(int32_t id) const {
  for (size_t i = 0; i < Bones.size(); ++i)
    if (Bones[i].BoneID == id) return static_cast<int32_t>(i);
  return -1;
}

void TSkeleton::PrepareGlobalMatrices() {
  index_of_id_.clear();
  // The first bone of an id wins, as BoneIndexByID finds it.
  for (size_t i = 0; i < Bones.size(); ++i)
    index_of_id_.emplace(Bones[i].BoneID, static_cast<int32_t>(i));
}

int32_t TSkeleton::prepared_index(int32_t id) const {
  auto it = index_of_id_.find(id);
  return it == index_of_id_.end() ? -1 : it->second;
}

std::vector<TMatrix> TSkeleton::GlobalMatrices(size_t frame_index) const {
  std::vector<TMatrix> out;
  if (frame_index >= Frames.size()) return out;
  const TSkeletonFrame& frame = Frames[frame_index];
  out.resize(Bones.size());
  for (size_t b = 0; b < Bones.size(); ++b) {
    TMatrix local = identity_matrix();
    // A frame line is stored at the bone id's place; a bone the frame does not list stays put.
    int32_t id = Bones[b].BoneID;
    if (id >= 0 && static_cast<size_t>(id) < frame.Position.size() &&
        static_cast<size_t>(id) < frame.Rotation.size()) {
      TAffineVector r = frame.Rotation[id];
      local = matrix_multiply(
          matrix_multiply(matrix_multiply(rotation_x_matrix(r.X), rotation_y_matrix(r.Y)),
                          rotation_z_matrix(r.Z)),
          translation_matrix(frame.Position[id]));
    }
    int32_t parent = Bones[b].Parent;
    out[b] = (parent >= 0 && static_cast<size_t>(parent) < b) ? matrix_multiply(local, out[parent])
                                                              : local;
  }
  return out;
}

void prepare_bind_pose(TMeshObjectList& objects, const TSkeleton& skeleton) {
  const std::vector<TMatrix> reference = skeleton.GlobalMatrices(0);
  for (auto& object : objects) {
    if (!object->Skeletal) continue;
    TMeshObject& o = *object;
    o.BindVertices.resize(o.Vertices.size());
    o.BindNormals.resize(o.Vertices.size());
    for (size_t i = 0; i < o.Vertices.size(); ++i) {
      int32_t id = i < o.BoneIds.size() ? o.BoneIds[i] : -1;
      int32_t b = skeleton.prepared_index(id);
      TAffineVector n = i < o.Normals.size() ? o.Normals[i] : TAffineVector{};
      if (b >= 0 && static_cast<size_t>(b) < reference.size()) {
        TMatrix inv = rigid_inverse(reference[b]);
        o.BindVertices[i] = transform_point(o.Vertices[i] - o.PoseOffset, inv);
        o.BindNormals[i] = transform_vector(n, inv);
      } else {
        o.BindVertices[i] = o.Vertices[i] - o.PoseOffset;
        o.BindNormals[i] = n;
      }
    }
  }
}

void pose_vertices(const TMeshObject& object, const TSkeleton& skeleton, size_t frame,
                   std::vector<TAffineVector>& positions, std::vector<TAffineVector>* normals) {
  const std::vector<TMatrix> pose = skeleton.GlobalMatrices(frame);
  positions.resize(object.Vertices.size());
  if (normals) normals->resize(object.Vertices.size());
  bool bound =
      object.Skeletal && object.BindVertices.size() == object.Vertices.size() && !pose.empty();
  if (!bound) {
    positions = object.Vertices;
    if (normals) *normals = object.Normals;
    if (normals) normals->resize(object.Vertices.size());
    return;
  }
  for (size_t i = 0; i < object.Vertices.size(); ++i) {
    int32_t id = i < object.BoneIds.size() ? object.BoneIds[i] : -1;
    int32_t b = skeleton.prepared_index(id);
    if (b >= 0 && static_cast<size_t>(b) < pose.size()) {
      positions[i] = transform_point(object.BindVertices[i], pose[b]) + object.PoseOffset;
      if (normals) (*normals)[i] = transform_vector(object.BindNormals[i], pose[b]);
    } else {
      positions[i] = object.Vertices[i];
      if (normals) (*normals)[i] = i < object.Normals.size() ? object.Normals[i] : TAffineVector{};
    }
  }
}

bool mesh_bounds(const TMeshObjectList& objects, TAffineVector& min, TAffineVector& max) {
  bool any = false;
  for (const auto& o : objects)
    for (const TAffineVector& v : o->Vertices) {
      if (!any) {
        min = max = v;
        any = true;
      } else {
        min = min_each(min, v);
        max = max_each(max, v);
      }
    }
  return any;
}
