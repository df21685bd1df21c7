// Meshes through vertex arrays: each mesh object's arrays are prepared once per geometry change
// (indexed where texture coordinates follow the vertices, one corner per array entry where they
// do not), and actors are drawn in the pose of their current frame.
#include <GL/gl.h>

#include "engine/actor.h"
#include "engine/material_library.h"
#include "engine/mesh.h"
#include "engine/renderer.h"

namespace {

struct MeshGroup {
  std::string material;
  std::vector<GLuint> indices;  // indexed objects
  GLint first = 0;              // expanded objects: a run of corners
  GLsizei count = 0;
};

struct MeshArrays {
  bool indexed = true;
  bool textured = false;
  bool skeletal = false;
  std::vector<float> positions;        // 3 per entry
  std::vector<float> normals;          // 3 per entry
  std::vector<float> texcoords;        // 2 per entry
  std::vector<int32_t> corner_vertex;  // expanded: the vertex each entry came from
  std::vector<MeshGroup> groups;
};

struct MeshCache : TGLRenderCache {
  uint64_t revision = 0;
  std::vector<MeshArrays> objects;
  std::vector<TAffineVector> posed, posed_normals;  // scratch for actors
};

void push3(std::vector<float>& v, const TAffineVector& a) {
  v.push_back(a.X);
  v.push_back(a.Y);
  v.push_back(a.Z);
}

// Arrays of one mesh object; triangles that point past the vertex lists are left out.
MeshArrays prepare(const TMeshObject& o) {
  MeshArrays a;
  size_t nv = o.Vertices.size();
  bool normals = o.Normals.size() >= nv;
  a.skeletal = o.Skeletal;
  for (const TFaceGroup& g : o.FaceGroups)
    if (!g.TexCoordIndices.empty()) a.indexed = false;
  if (a.indexed) {
    a.textured = nv > 0 && o.TexCoords.size() >= nv;
    for (size_t i = 0; i < nv; ++i) {
      push3(a.positions, o.Vertices[i]);
      push3(a.normals, normals ? o.Normals[i] : TAffineVector{0, 0, 1});
      if (a.textured) {
        a.texcoords.push_back(o.TexCoords[i].X);
        a.texcoords.push_back(o.TexCoords[i].Y);
      }
    }
    for (const TFaceGroup& g : o.FaceGroups) {
      MeshGroup mg;
      mg.material = g.MaterialName;
      for (size_t t = 0; t + 2 < g.VertexIndices.size(); t += 3) {
        int32_t i0 = g.VertexIndices[t], i1 = g.VertexIndices[t + 1], i2 = g.VertexIndices[t + 2];
        auto ok = [nv](int32_t i) { return i >= 0 && static_cast<size_t>(i) < nv; };
        if (!ok(i0) || !ok(i1) || !ok(i2)) continue;
        mg.indices.insert(mg.indices.end(), {static_cast<GLuint>(i0), static_cast<GLuint>(i1),
                                             static_cast<GLuint>(i2)});
      }
      if (!mg.indices.empty()) a.groups.push_back(std::move(mg));
    }
    return a;
  }
  a.textured = !o.TexCoords.empty();
  for (const TFaceGroup& g : o.FaceGroups) {
    MeshGroup mg;
    mg.material = g.MaterialName;
    mg.first = static_cast<GLint>(a.corner_vertex.size());
    for (size_t t = 0; t + 2 < g.VertexIndices.size(); t += 3) {
      bool ok = true;
      for (size_t c = t; c < t + 3; ++c) {
        int32_t vi = g.VertexIndices[c];
        bool has_ti = g.TexCoordIndices.empty() || c < g.TexCoordIndices.size();
        int32_t ti = has_ti ? g.texcoord_index(c) : -1;
        if (vi < 0 || static_cast<size_t>(vi) >= nv) ok = false;
        if (a.textured && (ti < 0 || static_cast<size_t>(ti) >= o.TexCoords.size())) ok = false;
      }
      if (!ok) continue;
      for (size_t c = t; c < t + 3; ++c) {
        int32_t vi = g.VertexIndices[c];
        push3(a.positions, o.Vertices[vi]);
        push3(a.normals, normals ? o.Normals[vi] : TAffineVector{0, 0, 1});
        if (a.textured) {
          const TAffineVector& uv = o.TexCoords[g.texcoord_index(c)];
          a.texcoords.push_back(uv.X);
          a.texcoords.push_back(uv.Y);
        }
        a.corner_vertex.push_back(vi);
      }
    }
    mg.count = static_cast<GLsizei>(a.corner_vertex.size()) - mg.first;
    if (mg.count > 0) a.groups.push_back(std::move(mg));
  }
  return a;
}

MeshCache& cache_of(TGLBaseMesh& mesh, TGLRenderer& renderer) {
  auto* cache = static_cast<MeshCache*>(renderer.Cache(&mesh));
  if (cache && cache->revision == mesh.geometry_revision() &&
      cache->objects.size() == mesh.MeshObjects().size())
    return *cache;
  auto fresh = std::make_unique<MeshCache>();
  fresh->revision = mesh.geometry_revision();
  for (const auto& o : mesh.MeshObjects()) fresh->objects.push_back(prepare(*o));
  cache = fresh.get();
  renderer.SetCache(&mesh, std::move(fresh));
  return *cache;
}

// Carries the actor's pose into the arrays drawn for one skeleton mesh object.
void pose(const TGLActor& actor, size_t index, MeshArrays& a, MeshCache& cache) {
  actor.CurrentPose(index, cache.posed, &cache.posed_normals);
  size_t nv = cache.posed.size();
  auto put = [&](size_t entry, size_t vi) {
    if (vi >= nv) return;
    const TAffineVector& p = cache.posed[vi];
    a.positions[entry * 3] = p.X;
    a.positions[entry * 3 + 1] = p.Y;
    a.positions[entry * 3 + 2] = p.Z;
    if (vi < cache.posed_normals.size()) {
      const TAffineVector& n = cache.posed_normals[vi];
      a.normals[entry * 3] = n.X;
      a.normals[entry * 3 + 1] = n.Y;
      a.normals[entry * 3 + 2] = n.Z;
    }
  };
  if (a.indexed) {
    for (size_t i = 0; i < a.positions.size() / 3; ++i) put(i, i);
  } else {
    for (size_t i = 0; i < a.corner_vertex.size(); ++i)
      put(i, static_cast<size_t>(a.corner_vertex[i]));
  }
}

}  // namespace

void TGLBaseMesh::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!rci.renderer || MeshObjects().empty()) return;
  TGLRenderer& renderer = *rci.renderer;
  MeshCache& cache = cache_of(*this, renderer);
  const auto* actor = dynamic_cast<const TGLActor*>(this);

  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  const TGLMaterial* applied = nullptr;
  for (size_t k = 0; k < cache.objects.size(); ++k) {
    MeshArrays& a = cache.objects[k];
    if (a.groups.empty()) continue;
    if (actor && a.skeletal) pose(*actor, k, a, cache);
    glVertexPointer(3, GL_FLOAT, 0, a.positions.data());
    glNormalPointer(GL_FLOAT, 0, a.normals.data());
    if (a.textured) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glTexCoordPointer(2, GL_FLOAT, 0, a.texcoords.data());
    } else {
      glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    for (const MeshGroup& g : a.groups) {
      // The face group's library material when the mesh has a library, else our own.
      const TGLMaterial* material = &Material();
      if (MaterialLibrary() && UseMeshMaterials() && !g.material.empty())
        if (TGLLibMaterial* lib = MaterialLibrary()->LibMaterialByName(g.material))
          material = &lib->Material();
      if (material != applied) {
        renderer.ApplyMaterial(*material, rci);
        applied = material;
      }
      if (a.indexed)
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(g.indices.size()), GL_UNSIGNED_INT,
                       g.indices.data());
      else
        glDrawArrays(GL_TRIANGLES, g.first, g.count);
    }
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}
