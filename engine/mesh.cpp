// Mesh holders: loading by extension, auto-centering, extents; the free form's sweep.
#include "engine/mesh.h"

#include <cmath>
#include <string_view>

#include "engine/file_3ds.h"
#include "engine/file_smd.h"
#include "engine/material_library.h"
#include "platform/error.h"
#include "platform/platform.h"

namespace {

enum class Reader { k3DS, kSMD };

std::string extension_of(const std::string& file_name) {
  size_t dot = file_name.find_last_of('.');
  size_t slash = file_name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return file_name.substr(dot + 1);
}

Reader reader_for(const std::string& file_name) {
  std::string ext = extension_of(file_name);
  std::string lower = ext;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "3ds" || lower == "prj") return Reader::k3DS;
  if (lower == "smd") return Reader::kSMD;
  throw Exception("Unknown file extension (" + ext + ")");
}

// A 3DS material becomes a library material of the same name unless the library has one.
std::string library_material_for(TGLMaterialLibrary& library, const std::string& name,
                                 const File3DSMaterial* source) {
  if (library.LibMaterialByName(name)) return name;
  TGLLibMaterial& item =
      source ? library.AddTextureMaterial(name, source->TextureFile) : library.Materials().Add();
  item.SetName(name);
  if (source) {
    TGLFaceProperties& front = item.Material().FrontProperties();
    const float a = front.Ambient().Alpha(), d = front.Diffuse().Alpha();
    const float s = front.Specular().Alpha();
    front.Ambient().SetColor(source->Ambient.X, source->Ambient.Y, source->Ambient.Z, a);
    front.Diffuse().SetColor(source->Diffuse.X, source->Diffuse.Y, source->Diffuse.Z, d);
    TAffineVector spec = source->Specular * (1 - source->ShininessStrength);
    front.Specular().SetColor(spec.X, spec.Y, spec.Z, s);
    float shininess = (1 - source->Shininess) * 128;
    // Out-of-range (or NaN) values of a broken file end up within the property's range.
    shininess = std::isfinite(shininess) ? std::fmin(std::fmax(shininess, 0.0f), 128.0f) : 0;
    front.SetShininess(static_cast<int32_t>(std::lround(shininess)));
  }
  return item.Name();
}

}  // namespace

TGLBaseMesh::TGLBaseMesh(TComponent* owner) : TGLSceneObject(owner) {}

TGLBaseMesh::~TGLBaseMesh() = default;

void TGLBaseMesh::SetMaterialLibrary(TGLMaterialLibrary* v) {
  if (v == material_library_) return;
  if (material_library_ && material_library_ != lightmap_library_)
    RemoveFreeNotification(material_library_);
  material_library_ = v;
  if (v) FreeNotification(v);
  StructureChanged();
}

void TGLBaseMesh::SetLightmapLibrary(TGLMaterialLibrary* v) {
  if (v == lightmap_library_) return;
  if (lightmap_library_ && lightmap_library_ != material_library_)
    RemoveFreeNotification(lightmap_library_);
  lightmap_library_ = v;
  if (v) FreeNotification(v);
  StructureChanged();
}

void TGLBaseMesh::Notification(TComponent* component) {
  if (component == material_library_) material_library_ = nullptr;
  if (component == lightmap_library_) lightmap_library_ = nullptr;
  TGLSceneObject::Notification(component);
}

void TGLBaseMesh::SetUseMeshMaterials(bool v) {
  if (v == use_mesh_materials_) return;
  use_mesh_materials_ = v;
  StructureChanged();
}

void TGLBaseMesh::SetNormalsOrientation(TMeshNormalsOrientation v) {
  if (v == normals_orientation_) return;
  normals_orientation_ = v;
  StructureChanged();
}

void TGLBaseMesh::clear_geometry() {
  mesh_objects_.clear();
  skeleton_.Clear();
}

void TGLBaseMesh::LoadFromFile(const std::string& file_name) {
  std::vector<uint8_t> data = platform::read_file(file_name);
  LoadFromBytes(file_name, data);
}

void TGLBaseMesh::AppendFromFile(const std::string& file_name) {
  std::vector<uint8_t> data = platform::read_file(file_name);
  AppendFromBytes(file_name, data);
}

void TGLBaseMesh::LoadFromBytes(const std::string& file_name, const std::vector<uint8_t>& data) {
  read(file_name, data, false);
}

void TGLBaseMesh::AppendFromBytes(const std::string& file_name, const std::vector<uint8_t>& data) {
  read(file_name, data, true);
}

void TGLBaseMesh::read(const std::string& file_name, const std::vector<uint8_t>& data,
                       bool append) {
  Reader reader = reader_for(file_name);
  if (!append) clear_geometry();
  try {
    if (reader == Reader::k3DS) {
      Build3DSOptions options;
      options.invert_normals = normals_orientation_ == mnoInvert;
      if (material_library_) {
        options.material_name = [this](const std::string& name, const File3DSMaterial* m) {
          return library_material_for(*material_library_, name, m);
        };
      }
      read_3ds(data.data(), data.size(), options, mesh_objects_);
    } else {
      SMDTarget target{mesh_objects_, skeleton_, {}, {}};
      target.add_animation = [this](const std::string& name, int32_t start, int32_t end) {
        animation_read(name, start, end);
      };
      if (material_library_) {
        target.material_needed = [this](const std::string& name) {
          if (material_library_->LibMaterialByName(name)) return;
          if (name == "null.bmp")
            material_library_->Materials().Add().SetName(name);
          else
            material_library_->AddTextureMaterial(name, name);
        };
      }
      std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
      read_smd(text, file_name, target);
    }
  } catch (...) {
    GeometryChanged();
    throw;
  }
  if (!append && auto_centering_) PerformAutoCentering(auto_centering_);
  GeometryChanged();
}

void TGLBaseMesh::PerformAutoCentering(TMeshAutoCenterings how) {
  TAffineVector offset{0, 0, 0};
  if (how & macUseBarycenter) {
    double sum[3] = {0, 0, 0};
    size_t n = 0;
    for (const auto& o : mesh_objects_)
      for (const TAffineVector& v : o->Vertices) {
        sum[0] += v.X;
        sum[1] += v.Y;
        sum[2] += v.Z;
        ++n;
      }
    if (n == 0) return;
    offset = {static_cast<float>(-sum[0] / n), static_cast<float>(-sum[1] / n),
              static_cast<float>(-sum[2] / n)};
  } else {
    TAffineVector lo, hi;
    if (!mesh_bounds(mesh_objects_, lo, hi)) return;
    if (how & macCenterX) offset.X = -(lo.X + hi.X) / 2;
    if (how & macCenterY) offset.Y = -(lo.Y + hi.Y) / 2;
    if (how & macCenterZ) offset.Z = -(lo.Z + hi.Z) / 2;
  }
  for (auto& o : mesh_objects_) o->Translate(offset);
  GeometryChanged();
}

TVector TGLBaseMesh::HalfExtents() {
  if (!extents_valid_) {
    TAffineVector lo, hi;
    half_extents_ = {0, 0, 0, 0};
    if (mesh_bounds(mesh_objects_, lo, hi)) {
      for (int a = 0; a < 3; ++a) half_extents_[a] = std::fmax(std::fabs(lo[a]), std::fabs(hi[a]));
    }
    extents_valid_ = true;
  }
  return half_extents_;
}

void TGLBaseMesh::GeometryChanged() {
  extents_valid_ = false;
  ++geometry_revision_;
  StructureChanged();
}

// --- free form

std::vector<CollisionTriangle> TGLFreeForm::CollisionTriangles() const {
  std::vector<CollisionTriangle> out;
  for (const auto& o : MeshObjects()) {
    const auto& v = o->Vertices;
    for (const TFaceGroup& g : o->FaceGroups) {
      for (size_t i = 0; i + 2 < g.VertexIndices.size(); i += 3) {
        int32_t a = g.VertexIndices[i], b = g.VertexIndices[i + 1], c = g.VertexIndices[i + 2];
        // Readers never produce a bad index; a hand-made mesh might.
        if (a < 0 || b < 0 || c < 0 || static_cast<size_t>(a) >= v.size() ||
            static_cast<size_t>(b) >= v.size() || static_cast<size_t>(c) >= v.size())
          continue;
        out.push_back(make_collision_triangle(v[a], v[b], v[c]));
      }
    }
  }
  return out;
}

void TGLFreeForm::BuildCollisionOctree() {
  TAffineVector lo{0, 0, 0}, hi{0, 0, 0};
  mesh_bounds(MeshObjects(), lo, hi);
  auto tree = std::make_unique<CollisionTree>();
  tree->Build(CollisionTriangles(), lo, hi);
  octree_ = std::move(tree);
}

bool TGLFreeForm::SphereSweepIntersect(const TVector& rayStart, const TVector& rayVector,
                                       float velocity, float radius, TVector* hitPoint,
                                       TVector* hitNormal) {
  // 1. No octree, no sweep.
  if (!octree_) throw Exception("Octree must have been prepared and setup before use.");
  // 2. Into the mesh's own space.
  TVector start = AbsoluteToLocal({rayStart.X, rayStart.Y, rayStart.Z, 1});
  TVector vector = AbsoluteToLocal({rayVector.X, rayVector.Y, rayVector.Z, 0});
  SweepQuery q{to_affine(start), to_affine(vector), velocity, radius};
  // 3.–4. The triangles within reach.
  SweepContact contact;
  if (!octree_->Sweep(q, contact)) return false;
  // 5. Back into scene space.
  if (hitPoint) {
    *hitPoint = LocalToAbsolute(to_vector(contact.point, 1));
  }
  if (hitNormal) {
    TVector n = LocalToAbsolute(to_vector(contact.normal, 0));
    if (NormalsOrientation() == mnoInvert) n = {-n.X, -n.Y, -n.Z, 0};
    *hitNormal = n;
  }
  return true;
}
