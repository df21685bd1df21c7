// The 3DS reader: chunk parsing, the flat and smoothed normal rules, material groups, the
// library materials it makes, and every way a broken file ends in the reader's message.
#include "engine/file_3ds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "content/file_report.h"
#include "engine/material_library.h"
#include "engine/mesh.h"
#include "platform/error.h"
#include "tests/mesh_test_files.h"

using namespace mesh_test;

namespace {

std::string error_of(TGLBaseMesh& mesh, const std::string& name, const std::vector<uint8_t>& d) {
  try {
    mesh.LoadFromBytes(name, d);
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

void expect_near(TAffineVector a, TAffineVector b, const char* what) {
  EXPECT_NEAR(a.X, b.X, 1e-5) << what;
  EXPECT_NEAR(a.Y, b.Y, 1e-5) << what;
  EXPECT_NEAR(a.Z, b.Z, 1e-5) << what;
}

// Where a chunk of the given id starts in the file (the first one).
size_t chunk_at(const std::vector<uint8_t>& d, uint16_t id) {
  for (size_t i = 0; i + 1 < d.size(); ++i)
    if (d[i] == (id & 0xFF) && d[i + 1] == (id >> 8)) return i;
  return std::string::npos;
}

void set_u32(std::vector<uint8_t>& d, size_t at, uint32_t v) { std::memcpy(&d[at], &v, 4); }
void set_u16(std::vector<uint8_t>& d, size_t at, uint16_t v) { std::memcpy(&d[at], &v, 2); }

}  // namespace

TEST(File3DS, TwoTrianglesSharingAnEdgeWithoutSmoothingGiveSixVertices) {
  TGLFreeForm mesh;
  mesh.LoadFromBytes("quad.3ds", make_3ds({quad_object()}));
  ASSERT_EQ(mesh.MeshObjects().size(), 1u);
  const TMeshObject& m = *mesh.MeshObjects()[0];
  EXPECT_EQ(m.Name, "quad");
  EXPECT_EQ(m.Vertices.size(), 6u) << "each reuse of a vertex by a later face adds a copy";
  EXPECT_EQ(m.Normals.size(), 6u);
  EXPECT_EQ(m.TexCoords.size(), 6u);
  ASSERT_EQ(m.FaceGroups.size(), 1u);
  EXPECT_EQ(m.FaceGroups[0].MaterialName, "");
  EXPECT_EQ(m.FaceGroups[0].VertexIndices, (std::vector<int32_t>{0, 1, 2, 4, 5, 3}));
  for (const auto& n : m.Normals) expect_near(n, {0, 0, 1}, "counter-clockwise faces face +z");
  // The copies keep position and texture coordinate of their originals.
  expect_near(m.Vertices[4], m.Vertices[0], "copy of vertex 0");
  expect_near(m.TexCoords[5], m.TexCoords[2], "copy keeps the texture coordinate");
}

TEST(File3DS, InvertedOrientationTurnsTheFaceNormals) {
  TGLFreeForm mesh;
  mesh.SetNormalsOrientation(mnoInvert);
  mesh.LoadFromBytes("quad.3ds", make_3ds({quad_object()}));
  for (const auto& n : mesh.MeshObjects()[0]->Normals) expect_near(n, {0, 0, -1}, "p × q");
}

TEST(File3DS, SmoothingGroupsShareAndSumNormals) {
  // A roof: two faces at right angles sharing the ridge 1–2.
  Object3DS o;
  o.vertices = {{0, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 0, 0}};
  o.faces = {{0, 2, 1}, {1, 2, 3}};
  o.smoothing = {1, 1};
  TGLFreeForm mesh;
  mesh.LoadFromBytes("roof.3ds", make_3ds({o}));
  const TMeshObject& m = *mesh.MeshObjects()[0];
  EXPECT_EQ(m.Vertices.size(), 4u) << "same group: the ridge vertices are shared";
  const float s = std::sqrt(0.5f);
  expect_near(m.Normals[0], {-s, s, 0}, "left face alone");
  expect_near(m.Normals[3], {s, s, 0}, "right face alone");
  expect_near(m.Normals[1], {0, 1, 0}, "ridge: normalised sum");
  expect_near(m.Normals[2], {0, 1, 0}, "ridge: normalised sum");

  // Different groups keep hard edges; group 0 never shares.
  o.smoothing = {1, 2};
  mesh.LoadFromBytes("roof.3ds", make_3ds({o}));
  EXPECT_EQ(mesh.MeshObjects()[0]->Vertices.size(), 6u);
  o.smoothing = {0, 0};
  mesh.LoadFromBytes("roof.3ds", make_3ds({o}));
  EXPECT_EQ(mesh.MeshObjects()[0]->Vertices.size(), 6u);
  // Only the lowest bit of a mask names its group.
  o.smoothing = {0x5, 0x1};
  mesh.LoadFromBytes("roof.3ds", make_3ds({o}));
  EXPECT_EQ(mesh.MeshObjects()[0]->Vertices.size(), 4u);
}

TEST(File3DS, ARepresentativeIsRecordedPerGroupForCopiesToo) {
  // Three faces around vertex 0: groups 1, 2, 2. The third face joins the copy made by the
  // second, not the original.
  Object3DS o;
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
  o.faces = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}};
  o.smoothing = {1, 2, 2};
  TGLFreeForm mesh;
  mesh.LoadFromBytes("fan.3ds", make_3ds({o}));
  const TMeshObject& m = *mesh.MeshObjects()[0];
  const auto& idx = m.FaceGroups[0].VertexIndices;
  EXPECT_EQ(idx[0], 0);
  EXPECT_NE(idx[3], 0) << "group 2 gets its own copy of vertex 0";
  EXPECT_EQ(idx[6], idx[3]) << "and shares it within group 2";
  EXPECT_EQ(idx[7], idx[5]) << "vertex 3 is shared within group 2";
}

TEST(File3DS, HiddenAndSmallObjectsAreSkipped) {
  Object3DS hidden = quad_object("hidden");
  hidden.hidden = true;
  Object3DS small;
  small.name = "line";
  small.vertices = {{0, 0, 0}, {1, 0, 0}};
  TGLFreeForm mesh;
  mesh.LoadFromBytes("x.3ds", make_3ds({hidden, small, quad_object("kept")}));
  ASSERT_EQ(mesh.MeshObjects().size(), 1u);
  EXPECT_EQ(mesh.MeshObjects()[0]->Name, "kept");
}

TEST(File3DS, MaterialGroupsBecomeFaceGroups) {
  Object3DS o = quad_object();
  o.groups = {{"red", {1}}, {"blue", {0}}};
  TGLFreeForm mesh;
  mesh.LoadFromBytes("x.3ds", make_3ds({o}));
  const TMeshObject& m = *mesh.MeshObjects()[0];
  ASSERT_EQ(m.FaceGroups.size(), 2u);
  EXPECT_EQ(m.FaceGroups[0].MaterialName, "") << "no library on the mesh: no name";
  EXPECT_EQ(m.FaceGroups[0].VertexIndices, (std::vector<int32_t>{4, 5, 3}));
  EXPECT_EQ(m.FaceGroups[1].VertexIndices, (std::vector<int32_t>{0, 1, 2}));

  // Faces that no group lists are not drawn.
  o.groups = {{"red", {1}}};
  mesh.LoadFromBytes("x.3ds", make_3ds({o}));
  EXPECT_EQ(mesh.MeshObjects()[0]->TriangleCount(), 1u);
}

TEST(File3DS, WithALibraryGroupsFindOrCreateLibraryMaterials) {
  TGLMaterialLibrary library;
  TGLLibMaterial& existing = library.Materials().Add();
  existing.SetName("blue");
  Object3DS o = quad_object();
  o.groups = {{"red", {0}}, {"blue", {1}}};
  Material3DS red{"red", {0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}, {1, 0.5f, 0.25f}, 25, 50, ""};
  TGLFreeForm mesh;
  mesh.SetMaterialLibrary(&library);
  mesh.LoadFromBytes("x.3ds", make_3ds({o}, {red}));
  ASSERT_EQ(library.Materials().Count(), 2);
  EXPECT_EQ(mesh.MeshObjects()[0]->FaceGroups[0].MaterialName, "red");
  EXPECT_EQ(mesh.MeshObjects()[0]->FaceGroups[1].MaterialName, "blue");
  const TGLFaceProperties& f = library.LibMaterialByName("red")->Material().FrontProperties();
  EXPECT_FLOAT_EQ(f.Ambient().Green(), 0.2f);
  EXPECT_FLOAT_EQ(f.Diffuse().Blue(), 0.6f);
  EXPECT_FLOAT_EQ(f.Specular().Red(), 0.5f) << "specular scaled by 1 - strength";
  EXPECT_FLOAT_EQ(f.Specular().Blue(), 0.125f);
  EXPECT_EQ(f.Shininess(), 96) << "(1 - 0.25) * 128";
  EXPECT_FALSE(library.LibMaterialByName("red")->Material().HasTexture());
}

TEST(File3DS, TextureCoordinatesArePaddedToTheVertices) {
  Object3DS o = quad_object();
  o.texcoords = {{0.5f, 0.25f}};
  TGLFreeForm mesh;
  mesh.LoadFromBytes("x.3ds", make_3ds({o}));
  const TMeshObject& m = *mesh.MeshObjects()[0];
  ASSERT_EQ(m.TexCoords.size(), m.Vertices.size());
  expect_near(m.TexCoords[0], {0.5f, 0.25f, 0}, "from the file");
  expect_near(m.TexCoords[1], {0, 0, 0}, "padding");
}

TEST(File3DS, AutoCenteringOnLoadWithAndWithoutBarycentre) {
  Object3DS o;
  o.vertices = {{10, 0, 0}, {12, 2, 0}, {10, 2, 4}, {10, 0, 4}};
  o.faces = {{0, 1, 2}, {0, 2, 3}};
  TGLFreeForm mesh;
  mesh.SetAutoCentering(macCenterX | macCenterZ);
  mesh.LoadFromBytes("x.3ds", make_3ds({o}));
  TAffineVector lo, hi;
  ASSERT_TRUE(mesh_bounds(mesh.MeshObjects(), lo, hi));
  expect_near(lo, {-1, 0, -2}, "x and z centred, y kept");
  expect_near(hi, {1, 2, 2}, "x and z centred, y kept");
  TVector he = mesh.HalfExtents();
  EXPECT_FLOAT_EQ(he.X, 1);
  EXPECT_FLOAT_EQ(he.Y, 2);
  EXPECT_FLOAT_EQ(he.Z, 2);

  mesh.SetAutoCentering(macUseBarycenter);
  mesh.LoadFromBytes("x.3ds", make_3ds({o}));
  double sum[3] = {0, 0, 0};
  size_t n = 0;
  for (const auto& v : mesh.MeshObjects()[0]->Vertices) {
    sum[0] += v.X;
    sum[1] += v.Y;
    sum[2] += v.Z;
    ++n;
  }
  for (double s : sum) EXPECT_NEAR(s / n, 0, 1e-5) << "barycentre of all (copied) vertices";
}

TEST(File3DS, AppendKeepsWhatIsThereAndDoesNotCentre) {
  TGLFreeForm mesh;
  mesh.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
  Object3DS far = quad_object("far");
  for (auto& v : far.vertices) v.X += 100;
  mesh.LoadFromBytes("a.3ds", make_3ds({quad_object("first")}));
  mesh.AppendFromBytes("b.3ds", make_3ds({far}));
  ASSERT_EQ(mesh.MeshObjects().size(), 2u);
  EXPECT_FLOAT_EQ(mesh.MeshObjects()[1]->Vertices[0].X, 100);
}

TEST(File3DS, ReaderIsChosenByExtension) {
  TGLFreeForm mesh;
  auto quad = make_3ds({quad_object()});
  mesh.LoadFromBytes("MODELY\\X.3DS", quad);
  EXPECT_EQ(mesh.MeshObjects().size(), 1u);
  mesh.LoadFromBytes("x.prj", quad);
  EXPECT_EQ(mesh.MeshObjects().size(), 1u);
  EXPECT_EQ(error_of(mesh, "x.obj", quad), "Unknown file extension (obj)");
  EXPECT_EQ(mesh.MeshObjects().size(), 1u) << "an unknown extension changes nothing";
  EXPECT_EQ(error_of(mesh, "noext", quad), "Unknown file extension ()");
}

TEST(File3DS, LoadFromFileReadsTheFileAndReportsAMissingOne) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_3ds_test";
  std::filesystem::create_directories(dir);
  auto path = (dir / "quad.3ds").string();
  auto bytes = make_3ds({quad_object()});
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  TGLFreeForm mesh;
  mesh.LoadFromFile(path);
  EXPECT_EQ(mesh.MeshObjects().size(), 1u);
  try {
    mesh.LoadFromFile((dir / "missing.3ds").string());
    FAIL() << "a missing file must fail";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"", 0), 0u) << e.what();
  }
  EXPECT_EQ(mesh.MeshObjects().size(), 1u) << "nothing was cleared";
  std::filesystem::remove_all(dir);
}

TEST(File3DS, CorruptChunkTreesFailWithTheReadersText) {
  const std::string text =
      "An invalid Chunk structure was encountered while reading\rthe database. Usually caused "
      "by a corrupt database or file.";
  const auto good = make_3ds({quad_object()});
  TGLFreeForm mesh;
  ASSERT_EQ(error_of(mesh, "x.3ds", good), "");

  EXPECT_EQ(error_of(mesh, "x.3ds", {}), text) << "empty file";
  EXPECT_EQ(error_of(mesh, "x.3ds", {0x4D, 0x4D, 6, 0}), text) << "truncated header";
  auto d = good;
  set_u16(d, 0, 0x1234);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "not a 3DS main chunk";
  for (size_t cut : {size_t{7}, good.size() / 2, good.size() - 1}) {
    d.assign(good.begin(), good.begin() + cut);
    EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "truncated at " << cut;
  }
  d = good;
  set_u32(d, chunk_at(d, 0x4110) + 2, 0x7FFFFFFF);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "chunk length past the end";
  d = good;
  set_u32(d, chunk_at(d, 0x4110) + 2, 3);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "chunk length below its header";
  d = good;
  set_u16(d, chunk_at(d, 0x4110) + 6, 5000);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "more vertices than the chunk holds";
  d = good;
  set_u16(d, chunk_at(d, 0x4120) + 6, 0xFFFF);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "more faces than the chunk holds";
  d = good;
  set_u16(d, chunk_at(d, 0x4120) + 8, 4);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "face index past the vertices";

  Object3DS o = quad_object();
  o.groups = {{"m", {0}}};
  d = make_3ds({o});
  size_t g = chunk_at(d, 0x4130);
  set_u16(d, g + 6 + 2 + 2, 7);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "material group face past the faces";
  d = make_3ds({o});
  set_u16(d, g + 6 + 2, 900);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "material group count past its chunk";
  o.groups.clear();
  o.smoothing = {1, 1};
  d = make_3ds({o});
  set_u32(d, chunk_at(d, 0x4150) + 2, 10);
  EXPECT_EQ(error_of(mesh, "x.3ds", d), text) << "smoothing masks for fewer faces";

  ChunkWriter w;
  w.begin(0x4D4D);
  w.begin(0x3D3D);
  w.begin(0x4000);
  for (char c : std::string("quad")) w.u8(static_cast<uint8_t>(c));
  w.end();
  w.end();
  w.end();
  EXPECT_EQ(error_of(mesh, "x.3ds", w.out), text) << "object name without its terminator";
}

TEST(File3DS, ObjectsReadBeforeTheFaultAreKept) {
  auto d = make_3ds({quad_object("first"), quad_object("second")});
  // Break the second object's vertex chunk.
  size_t first = chunk_at(d, 0x4110);
  size_t second = first + 1;
  while (!(d[second] == 0x10 && d[second + 1] == 0x41)) ++second;
  set_u32(d, second + 2, 0x10000);
  TGLFreeForm mesh;
  EXPECT_NE(error_of(mesh, "x.3ds", d), "");
  ASSERT_EQ(mesh.MeshObjects().size(), 1u);
  EXPECT_EQ(mesh.MeshObjects()[0]->Name, "first");
}

TEST(File3DS, ParserKeepsMaterialsAndLocalAxes) {
  Material3DS m{"tex", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, 0, 0, "wall.bmp"};
  File3DS file;
  auto d = make_3ds({quad_object()}, {m});
  parse_3ds(d.data(), d.size(), file);
  ASSERT_EQ(file.Materials.size(), 1u);
  EXPECT_EQ(file.Materials[0].TextureFile, "wall.bmp");
  ASSERT_EQ(file.Objects.size(), 1u);
  EXPECT_FLOAT_EQ(file.Objects[0].LocalAxes[4], 1);
  EXPECT_EQ(file.Objects[0].Faces[1].C, 3);
}

TEST(File3DS, InspectPrintsWhatTheReaderMade) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_inspect_test";
  std::filesystem::create_directories(dir);
  Object3DS o = quad_object("wall");
  o.groups = {{"m3", {0, 1}}};
  auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  };
  std::string good = write("wall.3ds", make_3ds({o}));
  testing::internal::CaptureStdout();
  EXPECT_EQ(inspect_file(good), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("object \"wall\": 6 vertices, 2 triangles"), std::string::npos) << out;
  EXPECT_NE(out.find("group \"m3\": 2 triangles"), std::string::npos) << out;
  EXPECT_NE(out.find("bounds: (0, 0, 0) .. (1, 1, 0)"), std::string::npos) << out;

  auto broken_bytes = make_3ds({o});
  broken_bytes.resize(broken_bytes.size() / 2);
  std::string broken = write("broken.3ds", broken_bytes);
  testing::internal::CaptureStderr();
  EXPECT_EQ(inspect_file(broken), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("An invalid Chunk structure", 0), 0u) << err;
  std::filesystem::remove_all(dir);
}

namespace {

// A quad object whose mesh chunk holds what `mesh` writes after the vertices.
template <class Mesh>
std::vector<uint8_t> quad_with(Mesh mesh) {
  return make_3ds_around([&](ChunkWriter& w) {
    w.begin(0x4000);
    w.zstring("twice");
    w.begin(0x4100);
    write_vertices(w, quad_object().vertices);
    mesh(w);
    w.end();
    w.end();
  });
}

const std::vector<Face> kOneFace = {{0, 1, 2}};
const std::vector<Face> kTwoFaces = {{0, 1, 2}, {0, 2, 3}};

}  // namespace

TEST(File3DS, ALaterFaceChunkReplacesFacesGroupsAndSmoothingTogether) {
  // Two faces with a group naming face 1 and smoothing, then a face chunk of one face.
  auto d = quad_with([](ChunkWriter& w) {
    write_faces(w, kTwoFaces, {{"m", {1}}}, {1, 1});
    write_faces(w, kOneFace, {}, {});
  });
  File3DS file;
  parse_3ds(d.data(), d.size(), file);
  ASSERT_EQ(file.Objects.size(), 1u);
  EXPECT_EQ(file.Objects[0].Faces.size(), 1u);
  EXPECT_TRUE(file.Objects[0].MaterialGroups.empty()) << "the groups of the first face chunk go";
  EXPECT_FALSE(file.Objects[0].HasSmoothing) << "and so does its smoothing";
  TGLFreeForm mesh;
  mesh.LoadFromBytes("x.3ds", d);
  ASSERT_EQ(mesh.MeshObjects().size(), 1u);
  const TMeshObject& m = *mesh.MeshObjects()[0];
  ASSERT_EQ(m.FaceGroups.size(), 1u);
  EXPECT_EQ(m.FaceGroups[0].VertexIndices, (std::vector<int32_t>{0, 1, 2}));

  // One smoothed face, then two faces without smoothing: flat copies, no stale masks.
  d = quad_with([](ChunkWriter& w) {
    write_faces(w, kOneFace, {}, {1});
    write_faces(w, kTwoFaces, {}, {});
  });
  mesh.LoadFromBytes("x.3ds", d);
  EXPECT_EQ(mesh.MeshObjects()[0]->Vertices.size(), 6u);
  EXPECT_EQ(mesh.MeshObjects()[0]->TriangleCount(), 2u);

  // The later chunk's own groups are the ones that count.
  d = quad_with([](ChunkWriter& w) {
    write_faces(w, kTwoFaces, {{"old", {0, 1}}}, {});
    write_faces(w, kOneFace, {{"new", {0}}}, {});
  });
  file = File3DS{};
  parse_3ds(d.data(), d.size(), file);
  ASSERT_EQ(file.Objects[0].MaterialGroups.size(), 1u);
  EXPECT_EQ(file.Objects[0].MaterialGroups[0].Material, "new");
}

TEST(File3DS, ASecondMeshChunkInTheObjectReplacesTheFacesWholly) {
  auto d = make_3ds_around([](ChunkWriter& w) {
    w.begin(0x4000);
    w.zstring("twice");
    w.begin(0x4100);
    write_vertices(w, quad_object().vertices);
    write_faces(w, kTwoFaces, {{"m", {1}}}, {1, 1});
    w.end();
    w.begin(0x4100);
    write_faces(w, kOneFace, {}, {});
    w.end();
    w.end();
  });
  TGLFreeForm mesh;
  mesh.LoadFromBytes("x.3ds", d);
  ASSERT_EQ(mesh.MeshObjects().size(), 1u);
  const TMeshObject& m = *mesh.MeshObjects()[0];
  ASSERT_EQ(m.FaceGroups.size(), 1u);
  EXPECT_EQ(m.FaceGroups[0].VertexIndices, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(m.Vertices.size(), 4u) << "the vertices of the first mesh chunk stay";
}

TEST(File3DS, BuilderSkipsGroupFacesMasksAndCornersPastTheirLists) {
  // Records made by hand may disagree with each other; the builder reads only what exists.
  File3DS file;
  File3DSObject& o = file.Objects.emplace_back();
  o.Name = "loose";
  o.HasMesh = true;
  o.Vertices = quad_object().vertices;
  o.Faces = {{0, 1, 2, 0}, {0, 2, 3, 0}, {0, 2, 9, 0}};
  o.MaterialGroups = {{"m", {0, 5, 1, 2}}};
  o.HasSmoothing = true;
  o.Smoothing = {1};  // face 1 has no mask: it is flat
  TMeshObjectList out;
  build_3ds_meshes(file, {}, out);
  ASSERT_EQ(out.size(), 1u);
  const TMeshObject& m = *out[0];
  ASSERT_EQ(m.FaceGroups.size(), 1u);
  EXPECT_EQ(m.FaceGroups[0].VertexIndices, (std::vector<int32_t>{0, 1, 2, 4, 5, 3}))
      << "face 5 does not exist and face 2 names vertex 9 of 4: both left out";
  EXPECT_EQ(m.Vertices.size(), 6u);
  for (int32_t i : m.FaceGroups[0].VertexIndices) EXPECT_LT(i, 6);

  o.MaterialGroups.clear();
  out.clear();
  build_3ds_meshes(file, {}, out);
  EXPECT_EQ(out[0]->FaceGroups[0].VertexIndices, (std::vector<int32_t>{0, 1, 2, 4, 5, 3}));
}

namespace {

// A chunk whose stated length runs `overrun` bytes past the data it really has.
void leaf(ChunkWriter& w, uint16_t id, const std::vector<uint8_t>& body, uint32_t overrun) {
  w.u16(id);
  w.u32(static_cast<uint32_t>(6 + body.size()) + overrun);
  w.out.insert(w.out.end(), body.begin(), body.end());
}

std::vector<uint8_t> zeros(size_t n) { return std::vector<uint8_t>(n, 0); }

// A quad the builder uses, and beside it `extra` in the editor and `after` in the main chunk.
template <class Extra, class After>
std::vector<uint8_t> quad_and(Extra extra, After after) {
  ChunkWriter w;
  w.begin(0x4D4D);
  w.begin(0x3D3D);
  write_object(w, quad_object());
  extra(w);
  w.end();
  after(w);
  w.end();
  return w.out;
}

}  // namespace

TEST(File3DS, ABrokenLengthInContainersTheBuilderDoesNotUseStillFails) {
  const std::string text =
      "An invalid Chunk structure was encountered while reading\rthe database. Usually caused "
      "by a corrupt database or file.";
  using Writer = std::function<void(ChunkWriter&, uint32_t overrun)>;
  auto nothing = [](ChunkWriter&, uint32_t) {};
  struct Case {
    const char* what;
    Writer in_editor;
    Writer in_main;
  };
  const std::vector<Case> cases = {
      {"a light's colour",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0x4000);
         w.zstring("lamp");
         w.begin(0x4600);
         for (int i = 0; i < 3; ++i) w.f32(1);
         leaf(w, 0x0010, zeros(12), overrun);
         w.end();
         w.end();
       },
       nothing},
      {"a spotlight inside a light",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0x4000);
         w.zstring("spot");
         w.begin(0x4600);
         for (int i = 0; i < 3; ++i) w.f32(1);
         w.begin(0x4610);
         for (int i = 0; i < 5; ++i) w.f32(1);
         leaf(w, 0x4656, zeros(4), overrun);
         w.end();
         w.end();
         w.end();
       },
       nothing},
      {"a camera's ranges",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0x4000);
         w.zstring("cam");
         w.begin(0x4700);
         for (int i = 0; i < 8; ++i) w.f32(1);
         leaf(w, 0x4720, zeros(8), overrun);
         w.end();
         w.end();
       },
       nothing},
      {"an opacity map's file name",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0xAFFF);
         w.begin(0xA000);
         w.zstring("glass");
         w.end();
         w.begin(0xA210);
         leaf(w, 0xA300, {'o', '.', 'b', 'm', 'p', 0}, overrun);
         w.end();
         w.end();
       },
       nothing},
      {"the texture map's tiling",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0xAFFF);
         w.begin(0xA200);
         leaf(w, 0xA351, zeros(2), overrun);
         w.end();
         w.end();
       },
       nothing},
      {"the ambient light's colour",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0x2100);
         leaf(w, 0x0010, zeros(12), overrun);
         w.end();
       },
       nothing},
      {"the fog's colour",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0x2200);
         for (int i = 0; i < 4; ++i) w.f32(1);
         leaf(w, 0x0010, zeros(12), overrun);
         w.end();
       },
       nothing},
      {"an object's unused record",
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0x4000);
         w.zstring("flagged");
         leaf(w, 0x4012, {}, overrun);
         w.end();
       },
       nothing},
      {"a keyframer node's header", nothing,
       [](ChunkWriter& w, uint32_t overrun) {
         w.begin(0xB000);
         w.begin(0xB002);
         leaf(w, 0xB010, {'q', 0, 0, 0, 0, 0, 0xFF, 0xFF}, overrun);
         w.end();
         w.end();
       }},
  };
  for (const Case& c : cases) {
    auto sound = quad_and([&](ChunkWriter& w) { c.in_editor(w, 0); },
                          [&](ChunkWriter& w) { c.in_main(w, 0); });
    auto broken = quad_and([&](ChunkWriter& w) { c.in_editor(w, 40); },
                           [&](ChunkWriter& w) { c.in_main(w, 40); });
    TGLFreeForm mesh;
    EXPECT_EQ(error_of(mesh, "x.3ds", sound), "") << c.what;
    EXPECT_EQ(mesh.MeshObjects().size(), 1u) << c.what << ": lights and cameras build nothing";
    EXPECT_EQ(error_of(mesh, "x.3ds", broken), text) << c.what;
    EXPECT_EQ(mesh.MeshObjects().size(), 1u) << c.what << ": the quad read before stays";
  }

  // A light too short for its own position.
  auto short_light = quad_and(
      [](ChunkWriter& w) {
        w.begin(0x4000);
        w.zstring("lamp");
        w.begin(0x4600);
        w.f32(1);
        w.end();
        w.end();
      },
      [](ChunkWriter&) {});
  TGLFreeForm mesh;
  EXPECT_EQ(error_of(mesh, "x.3ds", short_light), text);
}

TEST(File3DS, DeeplyNestedContainersAreWalkedWithoutRecursion) {
  for (uint32_t overrun : {0u, 40u}) {
    auto d = quad_and(
        [&](ChunkWriter& w) {
          for (int i = 0; i < 100000; ++i) w.begin(0x3D3D);
          leaf(w, 0x0100, zeros(4), overrun);
          for (int i = 0; i < 100000; ++i) w.end();
        },
        [](ChunkWriter&) {});
    TGLFreeForm mesh;
    std::string error = error_of(mesh, "x.3ds", d);
    if (overrun)
      EXPECT_EQ(error.rfind("An invalid Chunk structure", 0), 0u) << error;
    else
      EXPECT_EQ(error, "");
    EXPECT_EQ(mesh.MeshObjects().size(), 1u);
  }
}
