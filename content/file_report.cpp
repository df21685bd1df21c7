// The inspect verb: loads a file with the engine's own readers and prints what they made of it,
// for people who make or debug data.
#include "content/file_report.h"

#include <cctype>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "engine/actor.h"
#include "engine/material_library.h"
#include "engine/mesh.h"
#include "platform/error.h"
#include "platform/platform.h"

namespace {

std::string lower_extension(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string vec(const TAffineVector& v) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%g, %g, %g)", v.X, v.Y, v.Z);
  return buf;
}

std::string color(const TGLColor& c) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "(%g, %g, %g, %g)", c.Red(), c.Green(), c.Blue(), c.Alpha());
  return buf;
}

void print_mesh_objects(const TGLBaseMesh& mesh) {
  size_t vertices = 0, triangles = 0;
  for (const auto& o : mesh.MeshObjects()) {
    std::cout << "object \"" << o->Name << "\": " << o->Vertices.size() << " vertices, "
              << o->TriangleCount() << " triangles\n";
    for (const TFaceGroup& g : o->FaceGroups)
      std::cout << "  group \"" << g.MaterialName << "\": " << g.TriangleCount() << " triangles\n";
    vertices += o->Vertices.size();
    triangles += o->TriangleCount();
  }
  std::cout << "total: " << mesh.MeshObjects().size() << " objects, " << vertices << " vertices, "
            << triangles << " triangles\n";
  TAffineVector lo, hi;
  if (mesh_bounds(mesh.MeshObjects(), lo, hi))
    std::cout << "bounds: " << vec(lo) << " .. " << vec(hi) << "\n";
}

void inspect_3ds(const std::string& path) {
  // With a library on the mesh the material groups keep their names.
  TGLMaterialLibrary library;
  TGLFreeForm mesh;
  mesh.SetMaterialLibrary(&library);
  mesh.LoadFromFile(path);
  print_mesh_objects(mesh);
  for (int32_t i = 0; i < library.Materials().Count(); ++i) {
    const TGLLibMaterial& m = library.Materials()[i];
    std::cout << "material \"" << m.Name() << "\": diffuse "
              << color(m.Material().FrontProperties().Diffuse()) << "\n";
  }
}

void inspect_smd(const std::string& path) {
  std::vector<uint8_t> data = platform::read_file(path);
  std::string text(data.begin(), data.end());
  TGLActor actor;
  // An animation file needs a model before it; an empty one stands in for it here.
  bool animation = text.find("\ntriangles") == std::string::npos &&
                   text.find("\rtriangles") == std::string::npos;
  if (animation) {
    actor.MeshObjects().push_back(std::make_unique<TMeshObject>());
    actor.MeshObjects().back()->Skeletal = true;
    actor.AppendFromBytes(path, data);
    std::cout << "animation file\n";
  } else {
    actor.LoadFromBytes(path, data);
    print_mesh_objects(actor);
  }
  const TSkeleton& sk = actor.Skeleton();
  std::cout << "bones: " << sk.Bones.size() << "\n";
  for (const TSkeletonBone& b : sk.Bones)
    std::cout << "  " << b.BoneID << " \"" << b.Name << "\" parent "
              << (b.Parent >= 0 ? std::to_string(sk.Bones[b.Parent].BoneID) : "-1") << "\n";
  std::cout << "frames: " << sk.Frames.size() << "\n";
  for (int32_t i = 0; i < actor.Animations().Count(); ++i) {
    const TActorAnimation& a = actor.Animations()[i];
    std::cout << "animation \"" << a.Name() << "\": frames " << a.StartFrame() << " .. "
              << a.EndFrame() << "\n";
  }
}

void inspect_mat(const std::string& path) {
  TGLMaterialLibrary library;
  library.LoadFromFile(path);
  std::cout << "materials: " << library.Materials().Count() << "\n";
  for (int32_t i = 0; i < library.Materials().Count(); ++i) {
    const TGLLibMaterial& item = library.Materials()[i];
    const TGLMaterial& m = item.Material();
    const TGLFaceProperties& f = m.FrontProperties();
    std::cout << i << " \"" << item.Name() << "\"";
    if (const TGLTexture* t = m.TextureIfCreated())
      std::cout << " texture " << t->Image().Width() << "x" << t->Image().Height() << " "
                << t->Image().Bits() << " bits";
    else
      std::cout << " no texture";
    std::cout << "\n  ambient " << color(f.Ambient()) << " diffuse " << color(f.Diffuse())
              << "\n  emission " << color(f.Emission()) << " specular " << color(f.Specular())
              << "\n";
  }
}

void inspect_picture(const std::string& path, const std::string& ext) {
  std::vector<uint8_t> data = platform::read_file(path);
  platform::Picture p = ext == "bmp" ? platform::decode_bmp(data) : platform::decode_jpeg(data);
  std::cout << (ext == "bmp" ? "bitmap" : "jpeg") << " " << p.width << "x" << p.height << ", "
            << p.bits << " bits\n";
}

}  // namespace

int inspect_file(const std::string& path) {
  std::string ext = lower_extension(path);
  try {
    if (ext == "3ds" || ext == "prj")
      inspect_3ds(path);
    else if (ext == "smd")
      inspect_smd(path);
    else if (ext == "mat")
      inspect_mat(path);
    else if (ext == "bmp" || ext == "jpg" || ext == "jpeg")
      inspect_picture(path, ext);
    else
      throw Exception("Unknown file extension (" + ext + ")");
  } catch (const std::exception& e) {
    // The readers' own Exception, and whatever else the libraries below them throw (a picture
    // too big for memory): a bad file ends in a message, never in an abort.
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
