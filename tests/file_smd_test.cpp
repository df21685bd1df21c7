// The SMD reader: model and animation files, field splitting (tabs included) and numbers,
// the animation names, the bone poses, and each of the reader's messages.
#include "engine/file_smd.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "content/file_report.h"
#include "engine/actor.h"
#include "engine/material_library.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "tests/mesh_test_files.h"

using namespace mesh_test;

namespace {

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string load_error(TGLBaseMesh& mesh, const std::string& name, const std::string& text,
                       bool append = false) {
  try {
    if (append)
      mesh.AppendFromBytes(name, bytes(text));
    else
      mesh.LoadFromBytes(name, bytes(text));
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

// Two bones (root, and a child one unit up), one reference frame and two triangles.
std::string model() {
  SMDTriangle a{"skin.bmp",
                {{0, {0, 0, 0}, {0, 0, 1}, 0, 0},
                 {0, {1, 0, 0}, {0, 0, 1}, 1, 0},
                 {1, {0, 1, 0}, {0, 0, 1}, 0, 1}}};
  SMDTriangle b{"skin.bmp",
                {{1, {0, 1, 0}, {0, 0, 1}, 0, 1},
                 {0, {1, 0, 0}, {0, 0, 1}, 1, 0},
                 {1, {1, 1, 0}, {0, 0, 1}, 1, 1}}};
  return make_smd({{"root", -1}, {"arm", 0}}, {{{{0, 0, 0}, {0, 0, 0}}, {{0, 1, 0}, {0, 0, 0}}}},
                  {a, b}, true);
}

// Three frames: the arm turns a quarter turn about z, then moves one unit along x.
std::string animation() {
  const float q = 1.5707963f;
  return make_smd({{"root", -1}, {"arm", 0}},
                  {{{{0, 0, 0}, {0, 0, 0}}, {{0, 1, 0}, {0, 0, 0}}},
                   {{{0, 0, 0}, {0, 0, 0}}, {{0, 1, 0}, {0, 0, q}}},
                   {{{1, 0, 0}, {0, 0, 0}}, {{0, 1, 0}, {0, 0, q}}}},
                  {}, false);
}

}  // namespace

TEST(FileSMD, ModelFileBuildsBonesFramesAndSharedVertices) {
  TGLActor actor;
  actor.LoadFromBytes("data\\klep1.smd", bytes(model()));
  const TSkeleton& sk = actor.Skeleton();
  ASSERT_EQ(sk.Bones.size(), 2u);
  EXPECT_EQ(sk.Bones[1].Name, "arm");
  EXPECT_EQ(sk.Bones[1].Parent, 0);
  EXPECT_EQ(sk.Bones[0].Parent, -1);
  ASSERT_EQ(sk.Frames.size(), 1u);
  ASSERT_EQ(actor.MeshObjects().size(), 1u);
  const TMeshObject& m = *actor.MeshObjects()[0];
  EXPECT_TRUE(m.Skeletal);
  EXPECT_EQ(m.Vertices.size(), 4u) << "equal (bone, position, normal) share a vertex";
  EXPECT_EQ(m.TexCoords.size(), 4u);
  ASSERT_EQ(m.FaceGroups.size(), 1u) << "consecutive triangles of one material share a group";
  EXPECT_EQ(m.FaceGroups[0].MaterialName, "skin.bmp");
  EXPECT_EQ(m.FaceGroups[0].VertexIndices, (std::vector<int32_t>{0, 1, 2, 2, 1, 3}));
  EXPECT_EQ(m.BoneIds, (std::vector<int32_t>{0, 0, 1, 1}));
  // The model file registers an animation over its own frame.
  ASSERT_EQ(actor.Animations().Count(), 1);
  EXPECT_EQ(actor.Animations()[0].Name(), "data\\klep1");
  EXPECT_EQ(actor.Animations()[0].StartFrame(), 0);
  EXPECT_EQ(actor.Animations()[0].EndFrame(), 0);
}

TEST(FileSMD, AnimationFileAddsFramesAndANamedAnimation) {
  TGLActor actor;
  actor.LoadFromBytes("data\\klep1.smd", bytes(model()));
  actor.AppendFromBytes("data\\klep1_anim.smd", bytes(animation()));
  EXPECT_EQ(actor.Skeleton().Bones.size(), 2u) << "the model's bones stay";
  EXPECT_EQ(actor.Skeleton().Frames.size(), 4u);
  ASSERT_EQ(actor.Animations().Count(), 2);
  const TActorAnimation& a = actor.Animations()[1];
  EXPECT_EQ(a.Name(), "data\\klep1_anim");
  EXPECT_EQ(a.StartFrame(), 1);
  EXPECT_EQ(a.EndFrame(), 3);
  EXPECT_EQ(a.Reference(), aarSkeleton);
  EXPECT_EQ(actor.MeshObjects().size(), 1u) << "an animation adds no mesh object";
}

TEST(FileSMD, AnimationNameIsTheNameUpToItsFirstDot) {
  EXPECT_EQ(smd_animation_name("data\\klep1_anim.smd"), "data\\klep1_anim");
  EXPECT_EQ(smd_animation_name("a.b.smd"), "a");
  EXPECT_EQ(smd_animation_name("plain"), "plain");
}

TEST(FileSMD, BonePosesCarryTheVerticesThroughTheFrames) {
  TGLActor actor;
  actor.LoadFromBytes("m.smd", bytes(model()));
  actor.AppendFromBytes("a.smd", bytes(animation()));
  actor.SelectAnimation("a", false);
  actor.SetFrameInterpolation(afpNone);
  std::vector<TAffineVector> p, n;
  // Frame 1 is the reference pose again.
  actor.CurrentPose(0, p, &n);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_NEAR(p[3].X, 1, 1e-5);
  EXPECT_NEAR(p[3].Y, 1, 1e-5);
  // Frame 2: the arm turned a quarter about z around its joint at (0, 1, 0): the arm's
  // vertex (1, 1, 0) swings to (0, 2, 0); the root's vertices stay.
  actor.SetCurrentFrame(2);
  actor.CurrentPose(0, p, &n);
  EXPECT_NEAR(p[3].X, 0, 1e-5);
  EXPECT_NEAR(p[3].Y, 2, 1e-5);
  EXPECT_NEAR(p[1].X, 1, 1e-5) << "root vertex stays";
  EXPECT_NEAR(n[3].Z, 1, 1e-5) << "a normal along the axis of the turn stays";
  // Frame 3: the root moved one along x and carries the arm with it.
  actor.SetCurrentFrame(3);
  actor.CurrentPose(0, p);
  EXPECT_NEAR(p[3].X, 1, 1e-5);
  EXPECT_NEAR(p[3].Y, 2, 1e-5);
  EXPECT_NEAR(p[0].X, 1, 1e-5);
  // Half way from frame 2 to 3 under linear interpolation.
  actor.SetFrameInterpolation(afpLinear);
  actor.SetAnimationMode(aamPlayOnce);
  actor.SetCurrentFrame(2);
  actor.SetCurrentFrameDelta(0.5f);
  actor.CurrentPose(0, p);
  EXPECT_NEAR(p[3].X, 0.5, 1e-5);
}

TEST(FileSMD, CenteringMovesThePosedMeshToo) {
  TGLActor actor;
  actor.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
  actor.LoadFromBytes("m.smd", bytes(model()));
  actor.AppendFromBytes("a.smd", bytes(animation()));
  actor.SelectAnimation("m", false);
  std::vector<TAffineVector> p;
  actor.CurrentPose(0, p);
  const TMeshObject& m = *actor.MeshObjects()[0];
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_NEAR(p[i].X, m.Vertices[i].X, 1e-5);
    EXPECT_NEAR(p[i].Y, m.Vertices[i].Y, 1e-5);
  }
  EXPECT_NEAR(m.Vertices[3].X, 0.5, 1e-5);
}

TEST(FileSMD, TabsSeparateFieldsLikeSpaces) {
  // Exporters write the data lines with tabs; the keywords keep their single spaces.
  std::string text, line;
  for (char c : model() + "") {
    line += c;
    if (c != '\n') continue;
    if (line[0] >= '0' && line[0] <= '9')
      for (char& d : line)
        if (d == ' ') d = '\t';
    text += line;
    line.clear();
  }
  ASSERT_NE(text.find('\t'), std::string::npos);
  TGLActor actor;
  actor.LoadFromBytes("m.smd", bytes(text));
  EXPECT_EQ(actor.Skeleton().Bones.size(), 2u);
  EXPECT_EQ(actor.MeshObjects()[0]->Vertices.size(), 4u);
  EXPECT_FLOAT_EQ(actor.MeshObjects()[0]->Vertices[3].Y, 1);
  // A frame line led by a tab is a frame line.
  text =
      "version 1\nnodes\n0\t\"root\"\t-1\nend\nskeleton\ntime 0\n\t0\t1\t2\t3\t0\t0\t0\nend\n"
      "triangles\nend\n";
  actor.LoadFromBytes("a.smd", bytes(text));
  ASSERT_EQ(actor.Skeleton().Frames.size(), 1u);
  EXPECT_FLOAT_EQ(actor.Skeleton().Frames[0].Position[0].Z, 3);
}

TEST(FileSMD, ATabAfterTimeOpensAFrame) {
  // Exporters that write tabs write them after "time" as well.
  std::string text =
      "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime\t0\n0 1 2 3 0 0 0\ntime \t1\n"
      "0 4 5 6 0 0 0\nend\ntriangles\nend\n";
  TGLActor actor;
  actor.LoadFromBytes("t.smd", bytes(text));
  ASSERT_EQ(actor.Skeleton().Frames.size(), 2u);
  EXPECT_EQ(actor.Skeleton().Frames[0].Name, "t.smd time\t0");
  EXPECT_FLOAT_EQ(actor.Skeleton().Frames[0].Position[0].Z, 3);
  EXPECT_FLOAT_EQ(actor.Skeleton().Frames[1].Position[0].X, 4);
  ASSERT_EQ(actor.Animations().Count(), 1);
  EXPECT_EQ(actor.Animations()[0].EndFrame(), 1);
  // "time" must still be a word of its own.
  EXPECT_EQ(load_error(actor, "t.smd",
                       "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntimes 0\nend\n"
                       "triangles\nend\n"),
            "time not found, got: times 0");
  EXPECT_EQ(load_error(actor, "t.smd",
                       "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime\nend\n"
                       "triangles\nend\n"),
            "time not found, got: time");
}

TEST(FileSMD, FieldsAndNumbers) {
  EXPECT_EQ(split_smd_fields("0 \"a bone\" -1"), (std::vector<std::string>{"0", "a bone", "-1"}));
  EXPECT_EQ(split_smd_fields("  1,2 ,3\t4 "), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(split_smd_fields("\"say \"\"hi\"\"\" x"),
            (std::vector<std::string>{"say \"hi\"", "x"}));
  EXPECT_EQ(split_smd_fields("a,"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(split_smd_fields("\"open"), (std::vector<std::string>{"open"}));
  EXPECT_FLOAT_EQ(parse_smd_float("1.5"), 1.5f);
  EXPECT_FLOAT_EQ(parse_smd_float("-2,25"), -2.25f) << "a comma as the decimal point";
  EXPECT_FLOAT_EQ(parse_smd_float("+3"), 3);
  EXPECT_FLOAT_EQ(parse_smd_float("4.5  "), 4.5f) << "trailing spaces";
  EXPECT_FLOAT_EQ(parse_smd_float("1e2"), 100);
  EXPECT_FLOAT_EQ(parse_smd_float("abc"), 0) << "malformed reads as 0";
  EXPECT_FLOAT_EQ(parse_smd_float("1.2.3"), 0);
  EXPECT_FLOAT_EQ(parse_smd_float("nan"), 0);
  EXPECT_FLOAT_EQ(parse_smd_float("inf"), 0);
  EXPECT_FLOAT_EQ(parse_smd_float("1e999"), 0) << "out of range reads as 0";
  EXPECT_FLOAT_EQ(parse_smd_float(""), 0);
  EXPECT_EQ(parse_smd_int("-1"), -1);
  EXPECT_EQ(parse_smd_int("12x"), 0);
  EXPECT_EQ(parse_smd_int("99999999999"), 0);
  EXPECT_EQ(parse_smd_int("-2147483648"), INT32_MIN);
}

TEST(FileSMD, EveryMessageOfTheReader) {
  TGLActor actor;
  EXPECT_EQ(load_error(actor, "x.smd", ""), "SMD version 1 required");
  EXPECT_EQ(load_error(actor, "x.smd", "version 2\nnodes\n"), "SMD version 1 required");
  EXPECT_EQ(load_error(actor, "x.smd", "version 1\nbones\n"), "nodes not found");
  EXPECT_EQ(load_error(actor, "x.smd", "version 1\n"), "nodes not found");
  EXPECT_EQ(load_error(actor, "x_anim.smd", animation()),
            "SMD is an animation, load model SMD first.");
  EXPECT_EQ(load_error(actor, "x.smd", "version 1\nnodes\n0 \"r\" -1\nend\nbones\ntriangles\n"),
            "skeleton not found");
  EXPECT_EQ(load_error(actor, "x.smd", "version 1\nnodes\n0 \"r\" -1\ntriangles\n"),
            "skeleton not found")
      << "nodes running into the end of the file";
  EXPECT_EQ(load_error(actor, "x.smd",
                       "version 1\nnodes\n0 \"r\" -1\n1 \"s\" 0\nend\nskeleton\ntime 0\n0 0 0 0 "
                       "0 0 0\n2 0 0 0 0 0 0\nend\ntriangles\nend\n"),
            "Invalid vertex count: 2 vs 1");
  EXPECT_EQ(load_error(actor, "x.smd",
                       "version 1\nnodes\n0 \"r\" -1\nend\nskeleton\nframe 0\nend\ntriangles\n"),
            "time not found, got: frame 0");
  actor.LoadFromBytes("m.smd", bytes(model()));
  EXPECT_EQ(load_error(actor, "a.smd", "version 1\nnodes\nend\nskeleton\ntime 0\n", true),
            "time not found, got: ")
      << "frames running into the end of the file";
}

TEST(FileSMD, WhatWasReadBeforeAFailureStays) {
  TGLActor actor;
  actor.LoadFromBytes("m.smd", bytes(model()));
  std::string broken =
      "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 1 "
      "0 0 0 0\ntime 1\n0 0 0 0 0 0 0\n5 0 0 0 0 0 0\nend\n";
  EXPECT_EQ(load_error(actor, "a.smd", broken, true), "Invalid vertex count: 5 vs 1");
  EXPECT_EQ(actor.Skeleton().Frames.size(), 3u) << "model frame, full frame, partial frame";
  EXPECT_EQ(actor.Animations().Count(), 1) << "no animation for a file that failed";
  EXPECT_EQ(actor.MeshObjects()[0]->Vertices.size(), 4u);
}

TEST(FileSMD, TruncatedTrianglesKeepTheWholeOnes) {
  std::string text = model();
  text.resize(text.rfind("1 1.000000 1.000000"));  // inside the second triangle
  TGLActor actor;
  actor.LoadFromBytes("m.smd", bytes(text));
  EXPECT_EQ(actor.MeshObjects()[0]->TriangleCount(), 1u);
}

TEST(FileSMD, CRLFLinesAndNewMaterialsStartGroups) {
  SMDVertex v0{0, {0, 0, 0}, {0, 0, 1}, 0, 0}, v1{0, {1, 0, 0}, {0, 0, 1}, 1, 0},
      v2{0, {0, 1, 0}, {0, 0, 1}, 0, 1};
  std::string text =
      make_smd({{"root", -1}}, {{{{0, 0, 0}, {0, 0, 0}}}},
               {{"a.bmp", {v0, v1, v2}}, {"b.bmp", {v0, v1, v2}}, {"a.bmp", {v0, v1, v2}}}, true);
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  TGLMaterialLibrary library;
  TGLActor actor;
  actor.SetMaterialLibrary(&library);
  actor.LoadFromBytes("m.smd", bytes(crlf));
  const TMeshObject& m = *actor.MeshObjects()[0];
  ASSERT_EQ(m.FaceGroups.size(), 3u);
  EXPECT_EQ(m.FaceGroups[2].MaterialName, "a.bmp");
  EXPECT_EQ(m.Vertices.size(), 3u);
  ASSERT_EQ(library.Materials().Count(), 2) << "one library material per new name";
  EXPECT_EQ(library.Materials()[1].Name(), "b.bmp");
}

TEST(FileSMD, AParentThatDoesNotExistLeavesTheBoneAtTheRoot) {
  TGLActor actor;
  actor.LoadFromBytes("m.smd",
                      bytes("version 1\nnodes\n0 \"a\" 7\n1 \"b\" 0\nend\nskeleton\n"
                            "time 0\n0 0 0 0 0 0 0\n1 1 0 0 0 0 0\nend\ntriangles\nend\n"));
  ASSERT_EQ(actor.Skeleton().Bones.size(), 2u);
  EXPECT_EQ(actor.Skeleton().Bones[0].Parent, -1);
  EXPECT_EQ(actor.Skeleton().Bones[1].Parent, 0);
}

TEST(FileSMD, InspectShowsBonesFramesAndAnimations) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_inspect_smd_test";
  std::filesystem::create_directories(dir);
  std::string model_path = (dir / "klep1.smd").string(),
              anim_path = (dir / "klep1_anim.smd").string();
  std::ofstream(model_path) << model();
  std::ofstream(anim_path) << animation();
  testing::internal::CaptureStdout();
  EXPECT_EQ(inspect_file(model_path), 0);
  EXPECT_EQ(inspect_file(anim_path), 0) << "an animation file is shown on its own";
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("bones: 2"), std::string::npos) << out;
  EXPECT_NE(out.find("1 \"arm\" parent 0"), std::string::npos) << out;
  EXPECT_NE(out.find("4 vertices, 2 triangles"), std::string::npos) << out;
  EXPECT_NE(out.find("animation file"), std::string::npos) << out;
  EXPECT_NE(out.find("frames: 3"), std::string::npos) << out;
  std::ofstream(model_path) << "version 2\n";
  testing::internal::CaptureStderr();
  EXPECT_EQ(inspect_file(model_path), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "SMD version 1 required\n");
  std::filesystem::remove_all(dir);
}

TEST(FileSMD, HugeBoneIdsNeedNoHugeTables) {
  std::string text =
      "version 1\nnodes\n2000000000 \"far\" -1\n2147483647 \"farther\" 2000000000\nend\n"
      "skeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\nskin.bmp\n2147483647 0 0 0 0 0 1 0 0\n"
      "2000000000 1 0 0 0 0 1 0 0\n-5 0 1 0 0 0 1 0 0\nend\n";
  TGLActor actor;
  actor.LoadFromBytes("m.smd", bytes(text));
  ASSERT_EQ(actor.Skeleton().Bones.size(), 2u);
  EXPECT_EQ(actor.Skeleton().Bones[1].Parent, 0);
  actor.SetReference(aarSkeleton);
  std::vector<TAffineVector> p;
  actor.CurrentPose(0, p);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_FLOAT_EQ(p[1].X, 1) << "bones the frame does not list stay where they are";
  auto fuzzed = platform::read_file(std::string(KARMUND_TEST_DATA) + "/fuzz/smd/huge_bone_id.smd");
  TGLActor other;
  try {
    other.LoadFromBytes("f.smd", fuzzed);
  } catch (const Exception&) {
  }
}
