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
  global_.clear();
}

int32_t TSkeleton::BoneIndexByID(int32_t id) const {
  for (size_t i = 0; i < Bones.size(); ++i)
    if (Bones[i].BoneID == id) return static_cast<int32_t>(i);
  return -1;
}

void TSkeleton::PrepareGlobalMatrices() {
  global_.assign(Frames.size(), {});
  for (size_t f = 0; f < Frames.size(); ++f) {
    const TSkeletonFrame& frame = Frames[f];
    std::vector<TMatrix>& out = global_[f];
    out.resize(Bones.size());
    for (size_t b = 0; b < Bones.size(); ++b) {
      TMatrix local = identity_matrix();
      // A frame line is stored at the bone id's place; a bone the frame does not list stays put.
      int32_t id = Bones[b].BoneID;
      if (id >= 0 && static_cast<size_t>(id) < frame.Position.size()) {
        TAffineVector r = frame.Rotation[id];
        local = matrix_multiply(
            matrix_multiply(matrix_multiply(rotation_x_matrix(r.X), rotation_y_matrix(r.Y)),
                            rotation_z_matrix(r.Z)),
            translation_matrix(frame.Position[id]));
      }
      int32_t parent = Bones[b].Parent;
      out[b] = (parent >= 0 && static_cast<size_t>(parent) < b)
                   ? matrix_multiply(local, out[parent])
                   : local;
    }
  }
}

const std::vector<TMatrix>& TSkeleton::GlobalMatrices(size_t frame) const {
  static const std::vector<TMatrix> none;
  return frame < global_.size() ? global_[frame] : none;
}

TMatrix TSkeleton::BoneMatrix(size_t frame, int32_t bone_id) const {
  const auto& m = GlobalMatrices(frame);
  int32_t i = BoneIndexByID(bone_id);
  if (i < 0 || static_cast<size_t>(i) >= m.size()) return identity_matrix();
  return m[i];
}

namespace {

// Bone id → bone index, for the ids a mesh object uses (ids are small in practice).
std::vector<int32_t> bone_lookup(const TSkeleton& skeleton) {
  int32_t max_id = -1;
  for (const auto& b : skeleton.Bones) max_id = b.BoneID > max_id ? b.BoneID : max_id;
  std::vector<int32_t> lookup(static_cast<size_t>(max_id + 1), -1);
  for (size_t i = skeleton.Bones.size(); i-- > 0;) {
    int32_t id = skeleton.Bones[i].BoneID;
    if (id >= 0) lookup[id] = static_cast<int32_t>(i);
  }
  return lookup;
}

}  // namespace

void prepare_bind_pose(TMeshObjectList& objects, const TSkeleton& skeleton) {
  const std::vector<TMatrix>& reference = skeleton.GlobalMatrices(0);
  std::vector<int32_t> lookup = bone_lookup(skeleton);
  for (auto& object : objects) {
    if (!object->Skeletal) continue;
    TMeshObject& o = *object;
    o.BindVertices.resize(o.Vertices.size());
    o.BindNormals.resize(o.Vertices.size());
    for (size_t i = 0; i < o.Vertices.size(); ++i) {
      int32_t id = i < o.BoneIds.size() ? o.BoneIds[i] : -1;
      int32_t b = (id >= 0 && static_cast<size_t>(id) < lookup.size()) ? lookup[id] : -1;
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
  const std::vector<TMatrix>& pose = skeleton.GlobalMatrices(frame);
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
  std::vector<int32_t> lookup = bone_lookup(skeleton);
  for (size_t i = 0; i < object.Vertices.size(); ++i) {
    int32_t id = i < object.BoneIds.size() ? object.BoneIds[i] : -1;
    int32_t b = (id >= 0 && static_cast<size_t>(id) < lookup.size()) ? lookup[id] : -1;
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
