// 3D Studio chunk parser and mesh builder.
#include "engine/file_3ds.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/error.h"

const char* const kInvalidChunkStructure =
    "An invalid Chunk structure was encountered while reading\rthe database. Usually caused by "
    "a corrupt database or file.";

namespace {

enum : uint16_t {
  kMain = 0x4D4D,
  kProject = 0xC23D,
  kMaterialLibrary = 0x3DAA,
  kEditor = 0x3D3D,
  kNamedObject = 0x4000,
  kObjHidden = 0x4010,
  kTriMesh = 0x4100,
  kVertices = 0x4110,
  kFaces = 0x4120,
  kFaceMaterial = 0x4130,
  kTexCoords = 0x4140,
  kSmoothing = 0x4150,
  kLocalAxes = 0x4160,
  kMaterial = 0xAFFF,
  kMatName = 0xA000,
  kMatAmbient = 0xA010,
  kMatDiffuse = 0xA020,
  kMatSpecular = 0xA030,
  kMatShininess = 0xA040,
  kMatShinStrength = 0xA041,
  kMatTransparency = 0xA050,
  kMatTexture = 0xA200,
  kMapFile = 0xA300,
  kColorF = 0x0010,
  kColor24 = 0x0011,
  kLinColor24 = 0x0012,
  kLinColorF = 0x0013,
  kPercentInt = 0x0030,
  kPercentFloat = 0x0031,
  kKeyframer = 0xB000,
};

// Containers that carry some data of their own in front of their sub-chunks.
enum : uint16_t {
  kSolidBackground = 0x1200,
  kGradientBackground = 0x1300,
  kAmbientLight = 0x2100,
  kFog = 0x2200,
  kDistanceCue = 0x2300,
  kLayeredFog = 0x2302,
  kLight = 0x4600,
  kSpotlight = 0x4610,
  kCamera = 0x4700,
};

[[noreturn]] void corrupt() { throw Exception(kInvalidChunkStructure); }

// A bounded window of the file; every read checks the window first.
class Cursor {
 public:
  Cursor(const uint8_t* data, size_t begin, size_t end) : data_(data), pos_(begin), end_(end) {}

  size_t remaining() const { return end_ - pos_; }
  bool done() const { return pos_ >= end_; }
  void skip(size_t n) {
    need(n);
    pos_ += n;
  }

  void need(size_t n) const {
    if (n > end_ - pos_) corrupt();
  }
  uint8_t u8() {
    need(1);
    return data_[pos_++];
  }
  uint16_t u16() {
    need(2);
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t u32() {
    need(4);
    uint32_t v;
    std::memcpy(&v, data_ + pos_, 4);  // little-endian host, as everywhere we build
    pos_ += 4;
    return v;
  }
  float f32() {
    uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  TAffineVector vec3() {
    float x = f32(), y = f32();
    return {x, y, f32()};
  }
  std::string zstring() {
    const void* z = std::memchr(data_ + pos_, 0, remaining());
    if (!z) corrupt();
    size_t len = static_cast<const uint8_t*>(z) - (data_ + pos_);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), len);
    pos_ += len + 1;
    return s;
  }

  // The next sub-chunk of this window: its id and a cursor over its data.
  struct Chunk;
  Chunk next_chunk();

 private:
  const uint8_t* data_;
  size_t pos_;
  size_t end_;
};

struct Cursor::Chunk {
  uint16_t id;
  Cursor body;
};

Cursor::Chunk Cursor::next_chunk() {
  if (remaining() < 6) corrupt();
  uint16_t id = u16();
  uint32_t length = u32();
  if (length < 6 || length - 6 > remaining()) corrupt();
  Chunk c{id, Cursor(data_, pos_, pos_ + (length - 6))};
  pos_ += length - 6;
  return c;
}

// Moves `body` to where the sub-chunks of a chunk with this id start; false for a data record,
// which its parent's length already bounds. The set is what 3D Studio nests, read or not.
bool enter_children(uint16_t id, Cursor& body) {
  switch (id) {
    case kMain:
    case kProject:
    case kMaterialLibrary:
    case kEditor:
    case kTriMesh:
    case kMaterial:
    case kMatAmbient:
    case kMatDiffuse:
    case kMatSpecular:
    case kMatShininess:
    case kMatShinStrength:
    case 0xA042:  // second shininess strength
    case kMatTransparency:
    case 0xA052:  // transparency falloff
    case 0xA053:  // reflection blur
    case 0xA084:  // self-illumination
    case kMatTexture:
    case 0xA204:  // specular map
    case 0xA210:  // opacity map
    case 0xA220:  // reflection map
    case 0xA230:  // bump map
    case 0xA33A:  // second texture map
    case 0xA33C:  // shininess map
    case 0xA33D:  // self-illumination map
    case 0xA33E:  // the masks of the maps above
    case 0xA340:
    case 0xA342:
    case 0xA344:
    case 0xA346:
    case 0xA348:
    case 0xA34A:
    case 0xA34C:
    case kSolidBackground:
    case kAmbientLight:
    case kKeyframer:
    case 0xB001:  // keyframer nodes: ambient, object, camera, target, light, its target, spot
    case 0xB002:
    case 0xB003:
    case 0xB004:
    case 0xB005:
    case 0xB006:
    case 0xB007:
      return true;
    case kNamedObject:
      body.zstring();
      return true;
    case kFaces:
      body.skip(size_t{body.u16()} * 8);
      return true;
    case kGradientBackground:  // the midpoint
      body.skip(4);
      return true;
    case kLight:  // the position
      body.skip(12);
      return true;
    case kFog:  // near and far planes with their densities
    case kDistanceCue:
    case kLayeredFog:  // heights, density, flags
      body.skip(16);
      return true;
    case kSpotlight:  // target, hotspot, falloff
      body.skip(20);
      return true;
    case kCamera:  // position, target, bank, lens
      body.skip(32);
      return true;
    default:
      return false;
  }
}

// Walks a chunk we do not otherwise read, so a broken length anywhere inside it is found. The
// open containers stay on a list of our own: a deeply nested file cannot exhaust the stack.
void check_chunk(const Cursor::Chunk& chunk) {
  std::vector<Cursor> open;
  Cursor body = chunk.body;
  if (enter_children(chunk.id, body)) open.push_back(body);
  while (!open.empty()) {
    if (open.back().done()) {
      open.pop_back();
      continue;
    }
    auto ch = open.back().next_chunk();
    if (enter_children(ch.id, ch.body)) open.push_back(ch.body);
  }
}

TAffineVector read_color(Cursor c) {
  TAffineVector gamma{}, linear{};
  bool have_gamma = false, have_linear = false;
  while (!c.done()) {
    auto ch = c.next_chunk();
    switch (ch.id) {
      case kColorF:
        gamma = ch.body.vec3();
        have_gamma = true;
        break;
      case kColor24: {
        float r = ch.body.u8() / 255.0f, g = ch.body.u8() / 255.0f;
        gamma = {r, g, ch.body.u8() / 255.0f};
        have_gamma = true;
        break;
      }
      case kLinColorF:
        linear = ch.body.vec3();
        have_linear = true;
        break;
      case kLinColor24: {
        float r = ch.body.u8() / 255.0f, g = ch.body.u8() / 255.0f;
        linear = {r, g, ch.body.u8() / 255.0f};
        have_linear = true;
        break;
      }
      default:
        check_chunk(ch);
        break;
    }
  }
  return have_gamma ? gamma : (have_linear ? linear : TAffineVector{});
}

float read_percent(Cursor c) {
  float value = 0;
  while (!c.done()) {
    auto ch = c.next_chunk();
    if (ch.id == kPercentInt)
      value = static_cast<int16_t>(ch.body.u16()) / 100.0f;
    else if (ch.id == kPercentFloat)
      value = ch.body.f32() / 100.0f;
    else
      check_chunk(ch);
  }
  return value;
}

void read_material(Cursor c, File3DS& out) {
  File3DSMaterial m;
  while (!c.done()) {
    auto ch = c.next_chunk();
    switch (ch.id) {
      case kMatName:
        m.Name = ch.body.zstring();
        break;
      case kMatAmbient:
        m.Ambient = read_color(ch.body);
        break;
      case kMatDiffuse:
        m.Diffuse = read_color(ch.body);
        break;
      case kMatSpecular:
        m.Specular = read_color(ch.body);
        break;
      case kMatShininess:
        m.Shininess = read_percent(ch.body);
        break;
      case kMatShinStrength:
        m.ShininessStrength = read_percent(ch.body);
        break;
      case kMatTransparency:
        m.Transparency = read_percent(ch.body);
        break;
      case kMatTexture:
        while (!ch.body.done()) {
          auto map = ch.body.next_chunk();
          if (map.id == kMapFile)
            m.TextureFile = map.body.zstring();
          else
            check_chunk(map);
        }
        break;
      default:
        check_chunk(ch);
        break;
    }
  }
  out.Materials.push_back(std::move(m));
}

void read_faces(Cursor c, File3DSObject& o) {
  // A later face chunk replaces the faces, and with them the groups and masks that count them.
  o.MaterialGroups.clear();
  o.Smoothing.clear();
  o.HasSmoothing = false;
  uint16_t count = c.u16();
  c.need(size_t{count} * 8);
  o.Faces.resize(count);
  for (auto& f : o.Faces) {
    f.A = c.u16();
    f.B = c.u16();
    f.C = c.u16();
    f.Flags = c.u16();
  }
  while (!c.done()) {
    auto ch = c.next_chunk();
    if (ch.id == kFaceMaterial) {
      File3DSMaterialGroup g;
      g.Material = ch.body.zstring();
      uint16_t n = ch.body.u16();
      ch.body.need(size_t{n} * 2);
      g.Faces.resize(n);
      for (auto& fi : g.Faces) {
        fi = ch.body.u16();
        if (fi >= count) corrupt();
      }
      o.MaterialGroups.push_back(std::move(g));
    } else if (ch.id == kSmoothing) {
      ch.body.need(size_t{count} * 4);
      o.Smoothing.resize(count);
      for (auto& s : o.Smoothing) s = ch.body.u32();
      o.HasSmoothing = true;
    } else {
      check_chunk(ch);
    }
  }
}

void read_trimesh(Cursor c, File3DSObject& o) {
  o.HasMesh = true;
  while (!c.done()) {
    auto ch = c.next_chunk();
    switch (ch.id) {
      case kVertices: {
        uint16_t n = ch.body.u16();
        ch.body.need(size_t{n} * 12);
        o.Vertices.resize(n);
        for (auto& v : o.Vertices) v = ch.body.vec3();
        break;
      }
      case kTexCoords: {
        uint16_t n = ch.body.u16();
        ch.body.need(size_t{n} * 8);
        o.TexCoords.resize(n);
        for (auto& t : o.TexCoords) {
          float u = ch.body.f32();
          t = {u, ch.body.f32(), 0};
        }
        break;
      }
      case kFaces:
        read_faces(ch.body, o);
        break;
      case kLocalAxes:
        for (float& a : o.LocalAxes) a = ch.body.f32();
        break;
      default:  // mapping data, object colour: records we do not use
        check_chunk(ch);
        break;
    }
  }
  // Faces may come before the vertices in the file, so the indices are checked at the end.
  for (const auto& f : o.Faces)
    if (f.A >= o.Vertices.size() || f.B >= o.Vertices.size() || f.C >= o.Vertices.size()) corrupt();
}

void read_object(Cursor c, File3DS& out) {
  File3DSObject o;
  o.Name = c.zstring();
  while (!c.done()) {
    auto ch = c.next_chunk();
    if (ch.id == kObjHidden)
      o.Hidden = true;
    else if (ch.id == kTriMesh)
      read_trimesh(ch.body, o);
    else  // lights and cameras are not built, but their trees must hold together
      check_chunk(ch);
  }
  out.Objects.push_back(std::move(o));
}

void read_editor(Cursor c, File3DS& out) {
  while (!c.done()) {
    auto ch = c.next_chunk();
    if (ch.id == kNamedObject)
      read_object(ch.body, out);
    else if (ch.id == kMaterial)
      read_material(ch.body, out);
    else
      check_chunk(ch);
  }
}

}  // namespace

const File3DSMaterial* File3DS::FindMaterial(const std::string& name) const {
  for (const auto& m : Materials)
    if (m.Name == name) return &m;
  return nullptr;
}

void parse_3ds(const uint8_t* data, size_t size, File3DS& out) {
  Cursor file(data, 0, size);
  auto root = file.next_chunk();
  if (root.id != kMain && root.id != kProject && root.id != kMaterialLibrary) corrupt();
  while (!root.body.done()) {
    auto ch = root.body.next_chunk();
    if (ch.id == kEditor)
      read_editor(ch.body, out);
    else if (ch.id == kMaterial)
      read_material(ch.body, out);
    else  // the keyframer is not used, but its tree is checked like the rest
      check_chunk(ch);
  }
}

namespace {

// Distributes face normals to the corners, copying vertices where a corner may not share.
class NormalBuilder {
 public:
  NormalBuilder(const File3DSObject& o, TMeshObject& m) : o_(o), m_(m) {
    used_.assign(o.Vertices.size(), false);
  }

  int32_t corner(uint16_t vi, uint32_t group_mask, TAffineVector n) {
    if (!used_[vi]) {
      used_[vi] = true;
      m_.Normals[vi] = n;
      if (o_.HasSmoothing && group_mask) reps_[key(vi, group_mask)] = vi;
      return vi;
    }
    if (!o_.HasSmoothing || group_mask == 0) return copy(vi, n);
    uint64_t k = key(vi, group_mask);
    auto it = reps_.find(k);
    if (it != reps_.end()) {
      m_.Normals[it->second] += n;
      return it->second;
    }
    int32_t c = copy(vi, n);
    reps_[k] = c;
    return c;
  }

 private:
  static uint64_t key(uint16_t vi, uint32_t mask) {
    return (uint64_t{vi} << 5) | static_cast<uint64_t>(std::countr_zero(mask));
  }
  int32_t copy(uint16_t vi, TAffineVector n) {
    int32_t c = static_cast<int32_t>(m_.Vertices.size());
    m_.Vertices.push_back(m_.Vertices[vi]);
    m_.TexCoords.push_back(m_.TexCoords[vi]);
    m_.Normals.push_back(n);
    return c;
  }

  const File3DSObject& o_;
  TMeshObject& m_;
  std::vector<bool> used_;
  std::unordered_map<uint64_t, int32_t> reps_;
};

}  // namespace

void build_3ds_meshes(const File3DS& file, const Build3DSOptions& options, TMeshObjectList& out) {
  for (const File3DSObject& o : file.Objects) {
    if (!o.HasMesh || o.Hidden || o.Vertices.size() < 3) continue;
    auto m = std::make_unique<TMeshObject>();
    m->Name = o.Name;
    m->Vertices = o.Vertices;
    // Every vertex gets a texture coordinate, so copies and the renderer can index blindly.
    m->TexCoords = o.TexCoords;
    m->TexCoords.resize(o.Vertices.size());
    m->Normals.assign(o.Vertices.size(), TAffineVector{});

    NormalBuilder normals(o, *m);
    // A face whose corners are not all in the vertex list keeps -1 corners and is not drawn.
    std::vector<int32_t> corners(o.Faces.size() * 3, -1);
    const size_t vertex_count = o.Vertices.size();
    for (size_t f = 0; f < o.Faces.size(); ++f) {
      const File3DSFace& face = o.Faces[f];
      if (face.A >= vertex_count || face.B >= vertex_count || face.C >= vertex_count) continue;
      TAffineVector p = o.Vertices[face.A] - o.Vertices[face.B];
      TAffineVector q = o.Vertices[face.C] - o.Vertices[face.B];
      TAffineVector n = options.invert_normals ? cross(p, q) : cross(q, p);
      // A face past the masks has none: it is shaded flat.
      uint32_t mask = o.HasSmoothing && f < o.Smoothing.size() ? o.Smoothing[f] : 0;
      corners[f * 3] = normals.corner(face.A, mask, n);
      corners[f * 3 + 1] = normals.corner(face.B, mask, n);
      corners[f * 3 + 2] = normals.corner(face.C, mask, n);
    }
    for (auto& n : m->Normals) n = normalize(n);

    auto add_face = [&](TFaceGroup& g, size_t f) {
      if (f >= o.Faces.size() || corners[f * 3] < 0) return;  // no such face, or not drawn
      g.VertexIndices.insert(g.VertexIndices.end(), corners.begin() + f * 3,
                             corners.begin() + f * 3 + 3);
    };
    if (!o.MaterialGroups.empty()) {
      for (const auto& mg : o.MaterialGroups) {
        TFaceGroup g;
        if (options.material_name)
          g.MaterialName = options.material_name(mg.Material, file.FindMaterial(mg.Material));
        g.VertexIndices.reserve(mg.Faces.size() * 3);
        for (uint16_t f : mg.Faces) add_face(g, f);
        m->FaceGroups.push_back(std::move(g));
      }
    } else {
      TFaceGroup g;
      g.VertexIndices.reserve(corners.size());
      for (size_t f = 0; f < o.Faces.size(); ++f) add_face(g, f);
      m->FaceGroups.push_back(std::move(g));
    }
    out.push_back(std::move(m));
  }
}

void read_3ds(const uint8_t* data, size_t size, const Build3DSOptions& options,
              TMeshObjectList& out) {
  File3DS file;
  try {
    parse_3ds(data, size, file);
  } catch (const Exception&) {
    build_3ds_meshes(file, options, out);
    throw;
  }
  build_3ds_meshes(file, options, out);
}
