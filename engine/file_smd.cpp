// Half-Life SMD reader: nodes, skeleton frames, triangles, and the animation each file adds.
#include "engine/file_smd.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <unordered_map>

#include "platform/error.h"

namespace {

// Real SMD exports separate fields with tabs as often as with spaces; both split a line.
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Splits at blanks and commas; a double-quoted field may hold both ("" is one quote).
// Fields point into the line, or into `storage` when a quote had to be unescaped.
class FieldSplitter {
 public:
  const std::vector<std::string_view>& split(std::string_view line) {
    fields_.clear();
    storage_.clear();
    size_t i = 0, n = line.size();
    auto skip_blanks = [&] {
      while (i < n && is_blank(line[i])) ++i;
    };
    skip_blanks();
    while (i < n) {
      if (line[i] == '"') {
        size_t start = ++i;
        bool escaped = false;
        while (i < n) {
          if (line[i] == '"') {
            if (i + 1 < n && line[i + 1] == '"') {
              escaped = true;
              i += 2;
              continue;
            }
            break;
          }
          ++i;
        }
        std::string_view raw = line.substr(start, i - start);
        if (i < n) ++i;  // the closing quote
        if (escaped) {
          std::string& s = storage_.emplace_back();
          for (size_t k = 0; k < raw.size(); ++k) {
            s += raw[k];
            if (raw[k] == '"') ++k;
          }
          fields_.push_back(s);
        } else {
          fields_.push_back(raw);
        }
        // Anything glued to the closing quote belongs to no field.
        while (i < n && !is_blank(line[i]) && line[i] != ',') ++i;
      } else {
        size_t start = i;
        while (i < n && !is_blank(line[i]) && line[i] != ',') ++i;
        fields_.push_back(line.substr(start, i - start));
      }
      skip_blanks();
      if (i < n && line[i] == ',') {
        ++i;
        skip_blanks();
        if (i >= n) fields_.push_back({});  // a trailing comma closes an empty field
      }
    }
    return fields_;
  }

 private:
  std::vector<std::string_view> fields_;
  std::deque<std::string> storage_;
};

std::string_view field(const std::vector<std::string_view>& f, size_t i) {
  return i < f.size() ? f[i] : std::string_view{};
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Lines as the file's text holds them, split at CR, LF or CR LF.
std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 40 + 1);
  size_t start = 0, i = 0, n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.push_back(text.substr(start));
  return lines;
}

struct VertexKey {
  int32_t bone;
  float p[3];
  float n[3];
  bool operator==(const VertexKey& o) const {
    return bone == o.bone && p[0] == o.p[0] && p[1] == o.p[1] && p[2] == o.p[2] && n[0] == o.n[0] &&
           n[1] == o.n[1] && n[2] == o.n[2];
  }
};

// Hashes floats by value: -0 and 0 compare equal, so they must hash alike.
uint64_t float_bits(float f) {
  if (f == 0) f = 0;
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  return h;
}

struct VertexKeyHash {
  size_t operator()(const VertexKey& k) const {
    uint64_t h = static_cast<uint32_t>(k.bone);
    for (float f : k.p) h = mix(h, float_bits(f));
    for (float f : k.n) h = mix(h, float_bits(f));
    return static_cast<size_t>(h);
  }
};

struct TexKeyHash {
  size_t operator()(const std::pair<float, float>& k) const {
    return static_cast<size_t>(mix(float_bits(k.first), float_bits(k.second)));
  }
};

class SMDReader {
 public:
  SMDReader(std::string_view text, const std::string& file_name, SMDTarget& target)
      : lines_(split_lines(text)), file_name_(file_name), t_(target) {}

  void read() {
    // 1. Header.
    if (line(0) != "version 1") throw Exception("SMD version 1 required");
    if (line(1) != "nodes") throw Exception("nodes not found");
    // 2. A file without triangles only animates the model loaded before.
    bool animation = true;
    for (std::string_view l : lines_)
      if (l == "triangles") {
        animation = false;
        break;
      }
    TMeshObject* mesh = nullptr;
    if (animation) {
      if (t_.objects.empty()) throw Exception("SMD is an animation, load model SMD first.");
      mesh = t_.objects.front().get();
    } else {
      auto object = std::make_unique<TMeshObject>();
      object->Skeletal = true;
      mesh = object.get();
      t_.objects.push_back(std::move(object));
    }
    size_t i = 2;
    i = read_nodes(i);
    i = read_skeleton(i);
    if (line(i) == "triangles") read_triangles(i + 1, *mesh);
  }

  // 7. Poses and bind pose, also after a failure, for whatever was read.
  void prepare() {
    t_.skeleton.PrepareGlobalMatrices();
    prepare_bind_pose(t_.objects, t_.skeleton);
  }

 private:
  std::string_view line(size_t i) const { return i < lines_.size() ? lines_[i] : ""; }

  // 3. Nodes: a bone per line, unless the model already brought its bones.
  size_t read_nodes(size_t i) {
    bool keep = t_.skeleton.Bones.empty();
    std::unordered_map<int32_t, int32_t> index_of_id;  // the first bone of an id
    for (; i < lines_.size() && lines_[i] != "end"; ++i) {
      if (!keep) continue;
      const auto& f = split_.split(lines_[i]);
      TSkeletonBone bone;
      bone.BoneID = parse_smd_int(field(f, 0));
      bone.Name = std::string(field(f, 1));
      int32_t parent_id = parse_smd_int(field(f, 2));
      // A parent the file never declared (or not yet) leaves the bone at the root.
      auto parent = index_of_id.find(parent_id);
      bone.Parent = parent_id == -1 || parent == index_of_id.end() ? -1 : parent->second;
      index_of_id.emplace(bone.BoneID, static_cast<int32_t>(t_.skeleton.Bones.size()));
      t_.skeleton.Bones.push_back(std::move(bone));
    }
    return i + 1;
  }

  // 4. Frames until "end"; 5. the file's animation.
  size_t read_skeleton(size_t i) {
    if (line(i) != "skeleton") throw Exception("skeleton not found");
    ++i;
    int32_t frames_before = static_cast<int32_t>(t_.skeleton.Frames.size());
    while (line(i) != "end") {
      std::string_view l = line(i);
      // "time" and a blank: exporters that write tabs write "time\t0" too.
      if (l.size() < 5 || l.substr(0, 4) != "time" || !is_blank(l[4]))
        throw Exception("time not found, got: " + std::string(l));
      TSkeletonFrame& frame = t_.skeleton.Frames.emplace_back();
      frame.Name = file_name_ + " " + std::string(l);
      for (++i; i < lines_.size(); ++i) {
        std::string_view b = lines_[i];
        if (b.empty() || !(is_blank(b[0]) || is_digit(b[0]))) break;
        const auto& f = split_.split(b);
        int32_t id = parse_smd_int(field(f, 0));
        int32_t count = static_cast<int32_t>(frame.Position.size());
        if (id != count)
          throw Exception("Invalid vertex count: " + std::to_string(id) + " vs " +
                          std::to_string(count));
        frame.Position.push_back(vec(f, 1));
        frame.Rotation.push_back(vec(f, 4));
      }
    }
    if (t_.add_animation) {
      int32_t frames_after = static_cast<int32_t>(t_.skeleton.Frames.size());
      t_.add_animation(smd_animation_name(file_name_), frames_before, frames_after - 1);
    }
    return i + 1;
  }

  // 6. Triangles: a material line and three vertex lines each.
  void read_triangles(size_t i, TMeshObject& mesh) {
    std::unordered_map<VertexKey, int32_t, VertexKeyHash> vertices;
    std::unordered_map<std::pair<float, float>, int32_t, TexKeyHash> texcoords;
    for (size_t v = 0; v < mesh.Vertices.size(); ++v) {
      VertexKey k = key(v < mesh.BoneIds.size() ? mesh.BoneIds[v] : 0, mesh.Vertices[v],
                        v < mesh.Normals.size() ? mesh.Normals[v] : TAffineVector{});
      vertices.emplace(k, static_cast<int32_t>(v));
    }
    for (size_t v = 0; v < mesh.TexCoords.size(); ++v)
      texcoords.emplace(std::make_pair(mesh.TexCoords[v].X, mesh.TexCoords[v].Y),
                        static_cast<int32_t>(v));
    size_t estimate = (lines_.size() - std::min(i, lines_.size())) / 4;
    vertices.reserve(estimate * 2);

    TFaceGroup* group = nullptr;
    std::string_view group_material;
    // A triangle cut short by the end of the file is left out; the ones before it stay.
    while (i + 3 < lines_.size() && lines_[i] != "end") {
      std::string_view material = lines_[i];
      if (!group || material != group_material) {
        TFaceGroup& g = mesh.FaceGroups.emplace_back();
        g.MaterialName = std::string(material);
        group = &g;
        group_material = material;
        if (t_.material_needed) t_.material_needed(g.MaterialName);
      }
      for (int c = 1; c <= 3; ++c) {
        const auto& f = split_.split(lines_[i + c]);
        int32_t bone = parse_smd_int(field(f, 0));
        TAffineVector p = vec(f, 1), n = vec(f, 4);
        float u = parse_smd_float(field(f, 7)), w = parse_smd_float(field(f, 8));
        auto [vit, vnew] = vertices.emplace(key(bone, p, n), int32_t(mesh.Vertices.size()));
        if (vnew) {
          mesh.Vertices.push_back(p);
          mesh.Normals.push_back(n);
          mesh.BoneIds.push_back(bone);
        }
        auto [tit, tnew] = texcoords.emplace(std::make_pair(u, w), int32_t(mesh.TexCoords.size()));
        if (tnew) mesh.TexCoords.push_back({u, w, 0});
        group->VertexIndices.push_back(vit->second);
        group->TexCoordIndices.push_back(tit->second);
      }
      i += 4;
    }
  }

  static VertexKey key(int32_t bone, TAffineVector p, TAffineVector n) {
    return VertexKey{bone, {p.X, p.Y, p.Z}, {n.X, n.Y, n.Z}};
  }

  static TAffineVector vec(const std::vector<std::string_view>& f, size_t first) {
    return {parse_smd_float(field(f, first)), parse_smd_float(field(f, first + 1)),
            parse_smd_float(field(f, first + 2))};
  }

  std::vector<std::string_view> lines_;
  std::string file_name_;
  SMDTarget& t_;
  FieldSplitter split_;
};

}  // namespace

std::vector<std::string> split_smd_fields(std::string_view line) {
  FieldSplitter s;
  std::vector<std::string> out;
  for (auto f : s.split(line)) out.emplace_back(f);
  return out;
}

float parse_smd_float(std::string_view s) {
  // Optional sign, digits with "." or "," as the point, optional exponent, trailing blanks.
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  char buf[64];
  size_t n = 0, i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (is_digit(c)) {
      digits = true;
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
      c = '.';
    } else {
      break;
    }
    if (n + 1 >= sizeof(buf)) return 0;
    buf[n++] = c;
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    if (n + 1 >= sizeof(buf)) return 0;
    buf[n++] = 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      if (n + 1 >= sizeof(buf)) return 0;
      buf[n++] = s[i++];
    }
    bool exp_digits = false;
    for (; i < s.size() && is_digit(s[i]); ++i) {
      if (n + 1 >= sizeof(buf)) return 0;
      buf[n++] = s[i];
      exp_digits = true;
    }
    if (!exp_digits) return 0;
  }
  if (i != s.size()) return 0;
  float value = 0;
  auto r = std::from_chars(buf, buf + n, value, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != buf + n || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

int32_t parse_smd_int(std::string_view s) {
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size()) return 0;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return 0;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return 0;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) return 0;
  return static_cast<int32_t>(v);
}

std::string smd_animation_name(const std::string& file_name) {
  size_t dot = file_name.find('.');
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

void read_smd(std::string_view text, const std::string& file_name, SMDTarget& target) {
  SMDReader reader(text, file_name, target);
  try {
    reader.read();
  } catch (...) {
    reader.prepare();
    throw;
  }
  reader.prepare();
}
