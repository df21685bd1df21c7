// The generator's file writers: WAV, MIDI, BMP, 3DS and SMD bytes as the readers expect them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "content/file_3ds.h"
#include "content/file_bmp.h"
#include "content/file_midi.h"
#include "content/file_smd.h"
#include "content/file_wav.h"
#include "content/mesh.h"

using namespace content;

namespace {

uint32_t le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t be32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// Walks a 3DS chunk tree and checks that every child fits its parent; counts the chunks by id.
bool walk_3ds(const Bytes& b, size_t from, size_t to, std::map<uint16_t, int>& seen) {
  static const std::set<uint16_t> parents = {0x4D4D, 0x3D3D, 0x4000, 0x4100, 0x4120, 0xAFFF,
                                             0xA010, 0xA020, 0xA030, 0xA040, 0xA041, 0xA200};
  size_t at = from;
  while (at + 6 <= to) {
    uint16_t id = le16(b, at);
    uint32_t len = le32(b, at + 2);
    if (len < 6 || at + len > to) return false;
    ++seen[id];
    if (parents.count(id)) {
      size_t body = at + 6;
      if (id == 0x4000) {  // name first
        while (body < at + len && b[body]) ++body;
        ++body;
      } else if (id == 0x4120) {
        body += 2 + 8 * static_cast<size_t>(le16(b, at + 6));
      }
      if (!walk_3ds(b, body, at + len, seen)) return false;
    }
    at += len;
  }
  return at == to;
}

}  // namespace

TEST(WavWriter, HeaderAndLength) {
  std::vector<int16_t> s = {0, 1000, -1000, 32767, -32768};
  Bytes w = write_wav(s, 14300);
  ASSERT_EQ(w.size(), 44u + 10u);
  EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
  EXPECT_EQ(le32(w, 4), w.size() - 8);
  EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(le16(w, 20), 1);  // PCM
  EXPECT_EQ(le16(w, 22), 1);  // mono
  EXPECT_EQ(le32(w, 24), 14300u);
  EXPECT_EQ(le32(w, 28), 28600u);
  EXPECT_EQ(le16(w, 34), 16);
  EXPECT_EQ(le32(w, 40), 10u);
  EXPECT_EQ(static_cast<int16_t>(le16(w, 50)), 32767);
  EXPECT_EQ(static_cast<int16_t>(le16(w, 52)), -32768);
  std::vector<int16_t> clipped = to_pcm16({2.0f, -2.0f, 0.5f});
  EXPECT_EQ(clipped[0], 32767);
  EXPECT_EQ(clipped[1], -32767);
  EXPECT_EQ(clipped[2], 16384);
}

TEST(MidiWriter, HeaderTracksAndDeltaTimes) {
  MidiTrack a, b;
  a.tempo(0, 120);
  b.note(0, 480, 0, 60, 100);
  b.note(480, 200, 0, 62, 90);  // starts where the first ends: its note-off must go first
  b.end_at(1920);
  Bytes m = write_midi({a, b}, 480);
  EXPECT_EQ(std::string(m.begin(), m.begin() + 4), "MThd");
  EXPECT_EQ(be32(m, 4), 6u);
  EXPECT_EQ(m[9], 1);   // format 1
  EXPECT_EQ(m[11], 2);  // two tracks
  EXPECT_EQ((m[12] << 8) | m[13], 480);
  size_t t1 = 14;
  ASSERT_EQ(std::string(m.begin() + t1, m.begin() + t1 + 4), "MTrk");
  uint32_t len1 = be32(m, t1 + 4);
  // tempo: delta 0, FF 51 03 07 A1 20 (500000 us), then end of track
  const uint8_t tempo[] = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00};
  ASSERT_EQ(len1, sizeof tempo);
  EXPECT_EQ(std::memcmp(&m[t1 + 8], tempo, sizeof tempo), 0);
  size_t t2 = t1 + 8 + len1;
  ASSERT_EQ(std::string(m.begin() + t2, m.begin() + t2 + 4), "MTrk");
  const uint8_t notes[] = {0x00, 0x90, 60,   100,  0x83, 0x60, 0x80, 60,   64,   0x00, 0x90, 62,
                           90,   0x81, 0x48, 0x80, 62,   64,   0x89, 0x58, 0xFF, 0x2F, 0x00};
  ASSERT_EQ(be32(m, t2 + 4), sizeof notes);
  EXPECT_EQ(std::memcmp(&m[t2 + 8], notes, sizeof notes), 0);
  EXPECT_EQ(t2 + 8 + sizeof notes, m.size());
}

TEST(BmpWriter, BottomUpPaddedBgr) {
  Image img(3, 2, rgb(0, 0, 0));
  img.at(0, 0) = rgb(1, 0, 0);  // top left red
  img.at(2, 1) = rgb(0, 0, 1);  // bottom right blue
  Bytes b = write_bmp(img);
  ASSERT_EQ(b.size(), 54u + 2 * 12);  // rows of 9 bytes padded to 12
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(le32(b, 2), b.size());
  EXPECT_EQ(le32(b, 10), 54u);
  EXPECT_EQ(le32(b, 18), 3u);
  EXPECT_EQ(le32(b, 22), 2u);
  EXPECT_EQ(le16(b, 28), 24);
  // first stored row is the bottom one: its last pixel blue (B G R = FF 00 00)
  EXPECT_EQ(b[54 + 6], 0xFF);
  EXPECT_EQ(b[54 + 8], 0x00);
  // second stored row is the top: first pixel red
  EXPECT_EQ(b[54 + 12 + 2], 0xFF);
  EXPECT_EQ(b[54 + 12 + 0], 0x00);
}

TEST(TdsWriter, ChunkTreeNestsAndCounts) {
  Mesh m;
  uint16_t red = m.material("red");
  box(m, {-1, -1, -1}, {1, 1, 1}, {}, 1, red);
  std::vector<TdsObject> objs = to_3ds(m, "cube");
  ASSERT_EQ(objs.size(), 1u);
  objs[0].hidden = false;
  TdsMaterial mat;
  mat.name = "red";
  mat.texture = "red.bmp";
  Bytes f = write_3ds(objs, {mat});
  ASSERT_GE(f.size(), 6u);
  EXPECT_EQ(le16(f, 0), 0x4D4D);
  EXPECT_EQ(le32(f, 2), f.size());
  std::map<uint16_t, int> seen;
  EXPECT_TRUE(walk_3ds(f, 0, f.size(), seen));
  EXPECT_EQ(seen[0x4000], 1);
  EXPECT_EQ(seen[0x4110], 1);
  EXPECT_EQ(seen[0x4140], 1);
  EXPECT_EQ(seen[0x4120], 1);
  EXPECT_EQ(seen[0x4130], 1);
  EXPECT_EQ(seen[0x4150], 1);
  EXPECT_EQ(seen[0xAFFF], 1);
  EXPECT_EQ(seen[0xA300], 1);
  EXPECT_EQ(objs[0].faces.size(), 12u);
  EXPECT_EQ(objs[0].vertices.size(), 24u);
}

TEST(TdsWriter, LargeMeshSplitsIntoObjectsOfAtMost65535) {
  Mesh m;
  for (int i = 0; i < 30000; ++i) {
    float x = static_cast<float>(i);
    m.quad({x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}, {});
  }
  std::vector<TdsObject> objs = to_3ds(m, "wall");
  ASSERT_EQ(objs.size(), 2u);
  EXPECT_EQ(objs[0].name, "wall");
  EXPECT_EQ(objs[1].name, "wall1");
  size_t faces = 0;
  for (const TdsObject& o : objs) {
    EXPECT_LE(o.vertices.size(), 65535u);
    faces += o.faces.size();
    for (const auto& f : o.faces)
      for (uint16_t v : f) EXPECT_LT(v, o.vertices.size());
  }
  EXPECT_EQ(faces, 60000u);
  EXPECT_TRUE(objs[0].smoothing.empty()) << "flat faces need no smoothing chunk";
}

TEST(SmdWriter, ModelAndAnimationText) {
  std::vector<SmdBone> bones = {{0, "root", -1}, {1, "jaw", 0}};
  SmdFrame bind = {{{0, 0, 0}, {0, 0, 0}}, {{1.5f, 0, 0}, {0, 0, -0.25f}}};
  SmdTriangle t;
  t.material = "skin.bmp";
  t.v[0] = {1, {0, 0, 0}, {0, 0, 1}, {0, 0}};
  t.v[1] = {1, {1, 0, 0}, {0, 0, 1}, {1, 0}};
  t.v[2] = {0, {0, 1, 0}, {0, 0, 1}, {0, 1}};
  Bytes model = write_smd_model(bones, bind, {t});
  std::string s(model.begin(), model.end());
  EXPECT_EQ(s.rfind("version 1\nnodes\n0 \"root\" -1\n1 \"jaw\" 0\nend\nskeleton\ntime 0\n", 0),
            0u);
  EXPECT_NE(s.find("1 1.500000 0.000000 0.000000 0.000000 0.000000 -0.250000\n"),
            std::string::npos);
  EXPECT_NE(s.find("end\ntriangles\nskin.bmp\n1 0.000000"), std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 4), "end\n");
  EXPECT_EQ(s.find('e', 0) == std::string::npos, false);
  EXPECT_EQ(s.find("e-"), std::string::npos) << "no exponent notation";

  Bytes anim = write_smd_animation(bones, {bind, bind, bind});
  std::string a(anim.begin(), anim.end());
  EXPECT_EQ(a.find("triangles"), std::string::npos);
  EXPECT_NE(a.find("time 2\n"), std::string::npos);
}

TEST(MeshShapes, ClosedShapesFaceOutward) {
  auto outward = [](const Mesh& m) {
    Vec3 c = m.bounds().centre();
    for (const Mesh::Tri& t : m.tris) {
      Vec3 mid = (m.verts[t.v[0]].p + m.verts[t.v[1]].p + m.verts[t.v[2]].p) / 3.0f;
      Vec3 n = m.face_normal(t);
      if (length(n) == 0) continue;
      if (dot(n, mid - c) <= 0) return false;
    }
    return true;
  };
  Mesh b, cyl, sph, ext, lof, r;
  box(b, {-1, -2, -3}, {1, 2, 3}, {});
  EXPECT_TRUE(outward(b));
  cylinder(cyl, 2, -1, 1, 12, {});
  EXPECT_TRUE(outward(cyl));
  sphere(sph, {0, 0, 0}, {1, 2, 1}, 12, 8, {});
  EXPECT_TRUE(outward(sph));
  extrude(ext, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}, -0.5f, 0.5f, {});
  EXPECT_TRUE(outward(ext));
  loft(lof, {{0, 0, -3}, {0, 0, 0}, {0, 0, 3}}, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}, {}, {});
  EXPECT_TRUE(outward(lof));
  rock(r, {0, 0, 0}, {3, 2, 2}, 2, 0.2f, 7, {});
  EXPECT_TRUE(outward(r));
  Mesh mirrored = b;
  mirrored.transform(Xform::scale({-1, 1, 1}));
  EXPECT_TRUE(outward(mirrored)) << "a mirroring transform must turn the faces back";
}
