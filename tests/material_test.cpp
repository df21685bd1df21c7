// Materials and the material library: defaults, names and their hash, references by name with
// the cycle check, users, the library file with its failures, textures and ImageAlpha on pixels.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "content/file_report.h"
#include "engine/material_library.h"
#include "engine/stream.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "tests/mesh_test_files.h"

namespace {

// Counts the change notices that reach an owner.
struct Listener : IGLNotifyAble {
  int count = 0;
  void NotifyChange(IGLNotifyAble*) override { ++count; }
};

std::string error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

// A library file written by hand: version, count, then name / texture flag / colours.
struct LibraryFile {
  ByteWriter w;
  explicit LibraryFile(int32_t version = 0, int32_t count = 0) {
    write_tagged_integer(w, version);
    write_tagged_integer(w, count);
  }
  void material(const std::string& name, float base = 0.5f,
                const std::vector<uint8_t>* bmp = nullptr) {
    write_tagged_string(w, name);
    write_tagged_boolean(w, bmp != nullptr);
    if (bmp) write_tagged_string(w, std::string(bmp->begin(), bmp->end()));
    for (int i = 0; i < 13; ++i) w.write_f32(base + i * 0.01f);
  }
  const std::vector<uint8_t>& data() const { return w.data(); }
};

std::vector<uint8_t> checker_bmp() {
  return mesh_test::make_bmp24(2, 2, [](int x, int y) { return (x + y) % 2 ? 0xFF8000u : 0u; });
}

std::string link_name(int i) { return std::string("c").append(std::to_string(i)); }

platform::Picture picture(int w, int h, std::vector<uint8_t> rgba) {
  platform::Picture p;
  p.width = w;
  p.height = h;
  p.bits = 32;
  p.rgba = std::move(rgba);
  return p;
}

}  // namespace

TEST(Material, Defaults) {
  TGLMaterial m(nullptr);
  const TGLFaceProperties& f = m.FrontProperties();
  EXPECT_EQ(f.Ambient().Color(), (TVector{0.2f, 0.2f, 0.2f, 1}));
  EXPECT_EQ(f.Diffuse().Color(), (TVector{0.8f, 0.8f, 0.8f, 1}));
  EXPECT_EQ(f.Emission().Color(), (TVector{0, 0, 0, 1}));
  EXPECT_EQ(f.Specular().Color(), (TVector{0, 0, 0, 1}));
  EXPECT_EQ(f.Shininess(), 0);
  EXPECT_EQ(f.PolygonMode(), pmFill);
  EXPECT_EQ(m.BlendingMode(), bmOpaque);
  EXPECT_EQ(m.MaterialOptions(), 0u);
  EXPECT_EQ(m.FaceCulling(), fcBufferDefault);
  EXPECT_EQ(m.BackPropertiesIfCreated(), nullptr) << "back properties come on first use";
  EXPECT_FALSE(m.HasTexture()) << "the texture comes on first access";
  const TGLTexture& t = m.Texture();
  EXPECT_TRUE(m.HasTexture());
  EXPECT_TRUE(t.Disabled());
  EXPECT_EQ(t.ImageAlpha(), tiaDefault);
  EXPECT_EQ(t.MagFilter(), maLinear);
  EXPECT_EQ(t.MinFilter(), miLinearMipmapLinear);
  EXPECT_EQ(t.TextureMode(), tmDecal);
  EXPECT_EQ(t.TextureWrap(), twBoth);
  EXPECT_EQ(t.ImageGamma(), 1);
  m.FrontProperties().SetShininess(500);
  EXPECT_EQ(m.FrontProperties().Shininess(), 128);
}

TEST(Material, SettersNotifyTheOwnerOnlyOnChange) {
  Listener owner;
  TGLMaterial m(&owner);
  m.SetBlendingMode(bmAdditive);
  EXPECT_EQ(owner.count, 1);
  m.SetBlendingMode(bmAdditive);
  EXPECT_EQ(owner.count, 1) << "an unchanged value tells nobody";
  m.FrontProperties().Diffuse().SetRed(0.1f);
  EXPECT_EQ(owner.count, 2) << "a colour tells through its face properties";
  TGLTexture& t = m.Texture();
  t.mark_built();
  t.SetMagFilter(maNearest);
  EXPECT_TRUE(t.rebuild_pending()) << "a filter change rebuilds the texture";
  EXPECT_EQ(owner.count, 3);
  t.mark_built();
  t.SetTextureMode(tmModulate);
  EXPECT_TRUE(t.rebuild_pending()) << "so does the mode";
}

TEST(MaterialLibrary, NameHashFindAndUniqueNames) {
  EXPECT_EQ(material_name_hash(""), 0u);
  EXPECT_EQ(material_name_hash("m1"), ((2u * 2 + 'm') * 2 + '1'));
  EXPECT_EQ(material_name_hash(std::string(40, '\xFF')), [] {
    uint32_t h = 40;
    for (int i = 0; i < 40; ++i) h = h * 2 + 255;
    return h;
  }()) << "wraps at 32 bits";

  TGLMaterialLibrary lib;
  TGLLibMaterial& a = lib.Materials().Add();
  EXPECT_EQ(a.Name(), "LibMaterial");
  TGLLibMaterial& b = lib.Materials().Add();
  EXPECT_EQ(b.Name(), "LibMaterial1");
  a.SetName("m1");
  b.SetName("m1");
  EXPECT_EQ(b.Name(), "m11") << "the suffix is appended to the name";
  TGLLibMaterial& c = lib.Materials().Add();
  c.SetName("m1");
  EXPECT_EQ(c.Name(), "m12");
  EXPECT_EQ(lib.LibMaterialByName("m11"), &b);
  EXPECT_EQ(lib.LibMaterialByName("M1"), nullptr) << "names are case-sensitive";
  a.SetName("m1");
  EXPECT_EQ(a.Name(), "m1");
  EXPECT_EQ(c.Index(), 2);

  // While the form loads the library, names are taken as they are.
  TGLMaterialLibrary form;
  form.BeginLoading();
  form.Materials().Add().SetName("m0");
  form.Materials().Add().SetName("m0");
  form.EndLoading();
  EXPECT_EQ(form.Materials()[1].Name(), "m0");
  EXPECT_EQ(form.LibMaterialByName("m0"), &form.Materials()[0]) << "the first is found";
}

TEST(MaterialLibrary, LibMaterialNameResolvesAndTracksUsers) {
  TGLMaterialLibrary lib;
  TGLLibMaterial& m0 = lib.Materials().Add();
  m0.SetName("m0");
  m0.Material().SetBlendingMode(bmAdditive);
  TGLLibMaterial& m1 = lib.Materials().Add();
  m1.SetName("m1");

  Listener owner;
  TGLMaterial m(&owner);
  m.SetLibMaterialName("m0");
  EXPECT_EQ(m.LibMaterial(), nullptr) << "no library yet";
  EXPECT_EQ(m.LibMaterialName(), "m0");
  m.SetMaterialLibrary(&lib);
  EXPECT_EQ(m.LibMaterial(), &m0) << "setting the library re-runs the name";
  EXPECT_EQ(m0.Users(), (std::vector<TGLMaterial*>{&m}));
  EXPECT_TRUE(m.Blended()) << "the library material is the one drawn";
  EXPECT_EQ(&m.Effective(), &m0.Material());

  int before = owner.count;
  m0.Material().FrontProperties().Diffuse().SetGreen(0.3f);
  EXPECT_GT(owner.count, before) << "a change of the shared material shows on its users";

  m.SetLibMaterialName("m1");
  EXPECT_TRUE(m0.Users().empty());
  EXPECT_EQ(m1.Users().size(), 1u);
  m.SetLibMaterialName("nothing");
  EXPECT_EQ(m.LibMaterial(), nullptr) << "an unknown name: drawn with its own properties";
  EXPECT_EQ(m.LibMaterialName(), "nothing") << "and keeps the name";
  EXPECT_EQ(&m.Effective(), &m);

  // Removing an item makes its users forget library, name and item.
  m.SetLibMaterialName("m1");
  lib.Materials().Delete(1);
  EXPECT_EQ(m.MaterialLibrary(), nullptr);
  EXPECT_EQ(m.LibMaterialName(), "");
  EXPECT_EQ(m.LibMaterial(), nullptr);
}

TEST(MaterialLibrary, CyclicReferencesAreRefused) {
  TGLMaterialLibrary lib;
  TGLLibMaterial& a = lib.Materials().Add();
  a.SetName("a");
  a.Material().SetMaterialLibrary(&lib);
  a.Material().SetLibMaterialName("a");  // refers to itself: accepted, the chain is still empty
  TGLMaterial m(nullptr);
  m.SetMaterialLibrary(&lib);
  EXPECT_EQ(error_of([&] { m.SetLibMaterialName("a"); }),
            "Error: Cyclic material reference detected!");
  EXPECT_EQ(m.LibMaterialName(), "") << "the name is not stored";

  // A chain of 15 links is fine, 16 is taken for a cycle.
  TGLMaterialLibrary chain;
  for (int i = 0; i <= 16; ++i) chain.Materials().Add().SetName(link_name(i));
  for (int i = 0; i < 16; ++i) {
    TGLMaterial& im = chain.Materials()[i].Material();
    im.SetMaterialLibrary(&chain);
    im.SetLibMaterialName(link_name(i + 1));
  }
  TGLMaterial n(nullptr);
  n.SetMaterialLibrary(&chain);
  EXPECT_EQ(error_of([&] { n.SetLibMaterialName("c0"); }),
            "Error: Cyclic material reference detected!");
  EXPECT_EQ(error_of([&] { n.SetLibMaterialName("c1"); }), "");
  EXPECT_EQ(&n.Effective(), &chain.Materials()[16].Material());
}

TEST(MaterialLibrary, FreedLibraryIsForgottenByItsMaterials) {
  TGLMaterial m(nullptr);
  {
    TGLMaterialLibrary lib;
    lib.Materials().Add().SetName("x");
    m.SetMaterialLibrary(&lib);
    m.SetLibMaterialName("x");
    TGLMaterial unresolved(nullptr);
    unresolved.SetMaterialLibrary(&lib);
  }
  EXPECT_EQ(m.MaterialLibrary(), nullptr);
  EXPECT_EQ(m.LibMaterial(), nullptr);
  m.SetLibMaterialName("x");  // must not touch the freed library
}

TEST(MaterialLibraryFile, LoadsNamesColoursAndTextures) {
  auto bmp = checker_bmp();
  LibraryFile f(0, 3);
  f.material("m0", 0.1f, &bmp);
  f.material("m1", 0.2f);
  f.material("m1", 0.3f);
  TGLMaterialLibrary lib;
  lib.Materials().Add().SetName("old");
  lib.LoadFromBytes(f.data());
  ASSERT_EQ(lib.Materials().Count(), 3);
  EXPECT_EQ(lib.Materials()[0].Name(), "m0");
  EXPECT_EQ(lib.Materials()[1].Name(), "m1");
  EXPECT_EQ(lib.Materials()[2].Name(), "m11") << "two m1 load as m1 and m11";
  const TGLFaceProperties& p = lib.Materials()[1].Material().FrontProperties();
  EXPECT_FLOAT_EQ(p.Ambient().Red(), 0.2f);
  EXPECT_FLOAT_EQ(p.Ambient().Alpha(), 1) << "ambient alpha is not in the file";
  EXPECT_FLOAT_EQ(p.Diffuse().Red(), 0.23f);
  EXPECT_FLOAT_EQ(p.Diffuse().Alpha(), 0.26f);
  EXPECT_FLOAT_EQ(p.Emission().Blue(), 0.29f);
  EXPECT_FLOAT_EQ(p.Specular().Red(), 0.30f);
  EXPECT_FLOAT_EQ(p.Specular().Blue(), 0.32f);
  EXPECT_FALSE(lib.Materials()[1].Material().HasTexture());
  const TGLTexture& t = lib.Materials()[0].Material().Texture();
  EXPECT_FALSE(t.Disabled());
  EXPECT_EQ(t.TextureMode(), tmModulate);
  EXPECT_EQ(t.MinFilter(), miLinearMipmapLinear);
  EXPECT_EQ(t.MagFilter(), maLinear);
  ASSERT_EQ(t.Image().Width(), 2);
  EXPECT_EQ(t.Image().Pixels()[4], 0xFF) << "top row, second pixel: orange";
  EXPECT_EQ(t.Image().Pixels()[5], 0x80);
}

TEST(MaterialLibraryFile, SavedLibraryLoadsBackEqual) {
  auto bmp = checker_bmp();
  LibraryFile f(0, 2);
  f.material("wall", 0.4f, &bmp);
  f.material("glass", 0.6f);
  TGLMaterialLibrary lib;
  lib.LoadFromBytes(f.data());
  EXPECT_EQ(lib.SaveToBytes(), f.data()) << "the writer's bytes are the reader's layout";
  // A picture that did not come from a bitmap is written as one.
  TGLLibMaterial& extra = lib.Materials().Add();
  extra.SetName("jpeg");
  extra.Material().Texture().SetDisabled(false);
  extra.Material().Texture().Image().Assign(picture(1, 2, {1, 2, 3, 255, 4, 5, 6, 255}));
  auto saved = lib.SaveToBytes();

  TGLMaterialLibrary back;
  back.LoadFromBytes(saved);
  ASSERT_EQ(back.Materials().Count(), 3);
  for (int i = 0; i < 3; ++i) {
    const TGLMaterial& a = lib.Materials()[i].Material();
    const TGLMaterial& b = back.Materials()[i].Material();
    EXPECT_EQ(back.Materials()[i].Name(), lib.Materials()[i].Name());
    EXPECT_EQ(a.FrontProperties().Diffuse().Color(), b.FrontProperties().Diffuse().Color());
    EXPECT_EQ(a.FrontProperties().Specular().Color(), b.FrontProperties().Specular().Color());
    EXPECT_EQ(a.HasTexture(), b.HasTexture());
    if (a.HasTexture()) {
      EXPECT_EQ(a.TextureIfCreated()->Image().Pixels(), b.TextureIfCreated()->Image().Pixels());
    }
  }
}

TEST(MaterialLibraryFile, DisabledOrEmptyTexturesAreNotWritten) {
  TGLMaterialLibrary lib;
  TGLLibMaterial& a = lib.Materials().Add();
  a.Material().Texture().Image().Assign(picture(1, 1, {1, 2, 3, 4}));  // disabled
  TGLLibMaterial& b = lib.Materials().Add();
  b.Material().Texture().SetDisabled(false);  // enabled, no picture
  TGLMaterialLibrary back;
  back.LoadFromBytes(lib.SaveToBytes());
  EXPECT_FALSE(back.Materials()[0].Material().HasTexture());
  EXPECT_FALSE(back.Materials()[1].Material().HasTexture());
}

TEST(MaterialLibraryFile, FailuresAndWhatTheyLeave) {
  TGLMaterialLibrary lib;
  lib.Materials().Add().SetName("keep");
  LibraryFile wrong(3, 0);
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(wrong.data()); }),
            "TGLMaterialLibrary : unknown archive version 3");
  EXPECT_EQ(lib.Materials().Count(), 1) << "the version is checked before clearing";

  LibraryFile empty(0, 0);
  lib.LoadFromBytes(empty.data());
  EXPECT_EQ(lib.Materials().Count(), 0) << "count 0 empties the library";

  LibraryFile two(0, 2);
  two.material("a");
  two.material("b");
  auto truncated = two.data();
  truncated.resize(truncated.size() - 5);
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(truncated); }), "Stream read error");
  ASSERT_EQ(lib.Materials().Count(), 2) << "what was read stays";
  EXPECT_EQ(lib.Materials()[0].Name(), "a");

  auto bad_tag = two.data();
  bad_tag[4] = 7;  // the first name's tag
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(bad_tag); }), "Invalid property value");
  auto bad_int = two.data();
  bad_int[0] = 5;
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(bad_int); }), "Invalid property value");

  // A huge count runs into the end of the data, not into memory.
  ByteWriter huge;
  write_tagged_integer(huge, 0);
  write_tagged_integer(huge, 0x7FFFFFFF);
  write_tagged_string(huge, "x");
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(huge.data()); }), "Stream read error");
  // A string longer than the data.
  ByteWriter lstr;
  write_tagged_integer(lstr, 0);
  write_tagged_integer(lstr, 1);
  lstr.write_u8(vaLString);
  lstr.write_u32(0xFFFFFFF0u);
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(lstr.data()); }), "Stream read error");
  // A broken embedded bitmap fails with the decoder's text; its material is not added, the
  // ones before it stay.
  LibraryFile broken(0, 2);
  broken.material("plain");
  std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3};
  broken.material("pic", 0.5f, &junk);
  EXPECT_EQ(
      error_of([&] { lib.LoadFromBytes(broken.data()); }).rfind("Bitmap image is not valid", 0),
      0u);
  ASSERT_EQ(lib.Materials().Count(), 1);
  EXPECT_EQ(lib.Materials()[0].Name(), "plain");
}

TEST(MaterialLibraryFile, AFileCutInsideABitmapAddsNoHalfMadeMaterial) {
  auto bmp = checker_bmp();
  LibraryFile f(0, 2);
  f.material("plain", 0.25f);
  size_t second = f.data().size();
  f.material("pic", 0.5f, &bmp);
  // Name "pic" (tag, length, 3 bytes), the flag, the short string's tag and its length byte.
  ASSERT_LE(bmp.size(), 255u);
  size_t bitmap_at = second + 5 + 1 + 2;
  for (size_t cut :
       {bitmap_at - 1, bitmap_at + 1, bitmap_at + bmp.size() / 2, bitmap_at + bmp.size() - 1}) {
    auto data = f.data();
    data.resize(cut);
    TGLMaterialLibrary lib;
    EXPECT_EQ(error_of([&] { lib.LoadFromBytes(data); }), "Stream read error") << "cut at " << cut;
    ASSERT_EQ(lib.Materials().Count(), 1) << "cut at " << cut;
    EXPECT_EQ(lib.Materials()[0].Name(), "plain");
    EXPECT_FLOAT_EQ(lib.Materials()[0].Material().FrontProperties().Ambient().Red(), 0.25f);
  }
  // Cut in the colours after the bitmap, the material is there with its picture.
  auto data = f.data();
  data.resize(bitmap_at + bmp.size() + 4);
  TGLMaterialLibrary lib;
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(data); }), "Stream read error");
  ASSERT_EQ(lib.Materials().Count(), 2);
  EXPECT_EQ(lib.Materials()[1].Material().Texture().Image().Width(), 2);
}

TEST(MaterialLibraryFile, AllStringTagsAndNegativeCounts) {
  ByteWriter w;
  write_tagged_integer(w, 0);
  w.write_u8(vaInt16);
  w.write_u16(3);
  auto colours = [&] {
    for (int i = 0; i < 13; ++i) w.write_f32(0.5f);
  };
  w.write_u8(vaWString);  // "ž" and a surrogate pair as UTF-16LE
  w.write_u32(3);
  w.write_u16(0x017E);
  w.write_u16(0xD83D);
  w.write_u16(0xDE00);
  write_tagged_boolean(w, false);
  colours();
  w.write_u8(vaUTF8String);
  w.write_u32(2);
  w.write_u8('o');
  w.write_u8('k');
  write_tagged_boolean(w, false);
  colours();
  w.write_u8(vaLString);
  w.write_u32(1);
  w.write_u8('L');
  w.write_u8(vaFalse);
  colours();
  TGLMaterialLibrary lib;
  lib.LoadFromBytes(w.data());
  ASSERT_EQ(lib.Materials().Count(), 3);
  EXPECT_EQ(lib.Materials()[0].Name(), "\xC5\xBE\xF0\x9F\x98\x80");
  EXPECT_EQ(lib.Materials()[1].Name(), "ok");
  EXPECT_EQ(lib.Materials()[2].Name(), "L");

  ByteWriter negative;
  write_tagged_integer(negative, 0);
  write_tagged_integer(negative, -5);
  lib.LoadFromBytes(negative.data());
  EXPECT_EQ(lib.Materials().Count(), 0);
}

TEST(MaterialLibraryFile, FilesOnDisk) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_mat_test";
  std::filesystem::create_directories(dir);
  TGLMaterialLibrary lib;
  lib.Materials().Add().SetName("m0");
  std::string path = (dir / "data.mat").string();
  lib.SaveToFile(path);
  TGLMaterialLibrary back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Materials()[0].Name(), "m0");
  std::string missing = error_of([&] { back.LoadFromFile((dir / "none.mat").string()); });
  EXPECT_EQ(missing.rfind("Cannot open file \"", 0), 0u) << missing;
  EXPECT_EQ(back.Materials().Count(), 1);
  std::filesystem::remove_all(dir);
}

TEST(TexturePicture, MissingFileClearsThePictureAndSaysSo) {
  TGLMaterial m(nullptr);
  TGLPersistentImage& image = m.Texture().Image();
  image.Assign(picture(1, 1, {1, 2, 3, 4}));
  EXPECT_EQ(error_of([&] { image.LoadFromFile("data\\nothing.jpg"); }),
            "Could not open file: data\\nothing.jpg");
  EXPECT_TRUE(image.Empty());
}

TEST(TexturePicture, LoadsBitmapFilesAndMarksTheTextureForRebuilding) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_tex_test";
  std::filesystem::create_directories(dir);
  auto bmp = checker_bmp();
  std::string path = (dir / "pic.BMP").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  TGLMaterial m(nullptr);
  TGLTexture& t = m.Texture();
  t.mark_built();
  uint64_t revision = t.revision();
  t.Image().LoadFromFile(path);
  EXPECT_EQ(t.Image().Width(), 2);
  EXPECT_EQ(t.Image().Height(), 2);
  EXPECT_TRUE(t.rebuild_pending());
  EXPECT_GT(t.revision(), revision);
  std::filesystem::remove_all(dir);
}

TEST(TextureTexels, ImageAlphaRulesOnPixels) {
  TGLMaterial m(nullptr);
  TGLTexture& t = m.Texture();
  // black, grey (30, 60, 90), white, black again; alphas 10, 20, 30, 40
  t.Image().Assign(picture(2, 2, {0, 0, 0, 10, 30, 60, 90, 20, 255, 255, 255, 30, 0, 0, 0, 40}));
  auto alphas = [&] {
    auto texels = t.PreparedTexels();
    return std::vector<int>{texels[3], texels[7], texels[11], texels[15]};
  };
  EXPECT_EQ(alphas(), (std::vector<int>{10, 20, 30, 40})) << "tiaDefault keeps the image's alpha";
  t.SetImageAlpha(tiaSuperBlackTransparent);
  EXPECT_EQ(alphas(), (std::vector<int>{0, 255, 255, 0}));
  t.SetImageAlpha(tiaAlphaFromIntensity);
  EXPECT_EQ(alphas(), (std::vector<int>{0, 60, 255, 0}));
  t.SetImageAlpha(tiaLuminance);
  EXPECT_EQ(alphas(), (std::vector<int>{0, 60, 255, 0}));
  t.SetImageAlpha(tiaOpaque);
  EXPECT_EQ(alphas(), (std::vector<int>{255, 255, 255, 255}));
  t.SetImageAlpha(tiaTopLeftPointColorTransparent);
  EXPECT_EQ(alphas(), (std::vector<int>{0, 20, 30, 0}));
  t.SetImageAlpha(tiaInverseLuminance);
  EXPECT_EQ(alphas(), (std::vector<int>{255, 195, 0, 255}));
  EXPECT_EQ(t.PreparedTexels()[4], 30) << "colours are left alone";

  // A picture of pure black is fully transparent under super-black.
  t.Image().Assign(picture(2, 1, {0, 0, 0, 255, 0, 0, 0, 255}));
  t.SetImageAlpha(tiaSuperBlackTransparent);
  auto texels = t.PreparedTexels();
  EXPECT_EQ(texels[3], 0);
  EXPECT_EQ(texels[7], 0);
}

TEST(TextureTexels, BrightnessAndGamma) {
  TGLMaterial m(nullptr);
  TGLTexture& t = m.Texture();
  t.Image().Assign(picture(1, 1, {100, 200, 0, 255}));
  t.SetImageBrightness(2);
  auto texels = t.PreparedTexels();
  EXPECT_EQ(texels[0], 200);
  EXPECT_EQ(texels[1], 255) << "clamped";
  t.SetImageBrightness(1);
  t.SetImageGamma(2);
  texels = t.PreparedTexels();
  EXPECT_EQ(texels[0], 160) << "255 · (100/255)^(1/2)";
  t.SetImageGamma(0);
  EXPECT_EQ(t.PreparedTexels()[0], 100) << "a gamma of 0 is ignored";
}

TEST(MaterialLibrary, AddTextureMaterialLooksInTheTexturePaths) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_texpath_test";
  std::filesystem::create_directories(dir);
  auto bmp = checker_bmp();
  std::ofstream((dir / "skin.bmp").string(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  TGLMaterialLibrary lib;
  lib.SetTexturePaths("nowhere;" + dir.string());
  std::string asked;
  lib.OnTextureNeeded = [&](TComponent*, std::string& name) { asked = name; };
  TGLLibMaterial& a = lib.AddTextureMaterial("skin", "skin.bmp");
  EXPECT_EQ(asked, "skin.bmp");
  ASSERT_TRUE(a.Material().HasTexture());
  EXPECT_FALSE(a.Material().Texture().Disabled());
  EXPECT_EQ(a.Material().Texture().Image().Width(), 2);
  TGLLibMaterial& b = lib.AddTextureMaterial("none", "missing.bmp");
  EXPECT_FALSE(b.Material().HasTexture()) << "a missing texture leaves the material plain";
  std::filesystem::remove_all(dir);
}

TEST(MaterialLibraryFile, InspectShowsMaterialsAndPictures) {
  auto dir = std::filesystem::temp_directory_path() / "karmund_inspect_mat_test";
  std::filesystem::create_directories(dir);
  auto bmp = checker_bmp();
  LibraryFile f(0, 2);
  f.material("m0", 0.5f, &bmp);
  f.material("m1", 0.25f);
  std::string mat = (dir / "data.mat").string(), pic = (dir / "pic.bmp").string();
  std::ofstream(mat, std::ios::binary)
      .write(reinterpret_cast<const char*>(f.data().data()),
             static_cast<std::streamsize>(f.data().size()));
  std::ofstream(pic, std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  testing::internal::CaptureStdout();
  EXPECT_EQ(inspect_file(mat), 0);
  EXPECT_EQ(inspect_file(pic), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("materials: 2"), std::string::npos) << out;
  EXPECT_NE(out.find("0 \"m0\" texture 2x2 24 bits"), std::string::npos) << out;
  EXPECT_NE(out.find("1 \"m1\" no texture"), std::string::npos) << out;
  EXPECT_NE(out.find("bitmap 2x2, 24 bits"), std::string::npos) << out;
  testing::internal::CaptureStderr();
  EXPECT_EQ(inspect_file((dir / "none.mat").string()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Cannot open file", 0), 0u);
  std::filesystem::remove_all(dir);
}

namespace {

// Runs inspect in a process limited to what it has mapped now plus 64 MiB, and ends with its
// exit code.
[[noreturn]] void inspect_under_tight_address_limit(const std::string& path) {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  statm >> pages;
  rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{64} << 20);
  rlimit r{limit, limit};
  setrlimit(RLIMIT_AS, &r);
  std::exit(inspect_file(path));
}

}  // namespace

TEST(MaterialLibraryFile, InspectReportsAPictureTooBigForMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's own mappings do not live under an address limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the address sanitizer's own mappings do not live under an address limit";
#endif
#endif
  // A 1-bit bitmap of the largest size the reader takes: 8 MiB of file, 256 MiB of picture.
  // Under an address limit that leaves no room for the picture, the allocation fails with
  // std::bad_alloc; inspect reports it like any reader error instead of aborting.
  auto dir = std::filesystem::temp_directory_path() / "karmund_inspect_memory_test";
  std::filesystem::create_directories(dir);
  std::string path = (dir / "huge.bmp").string();
  {
    std::vector<uint8_t> header(62, 0);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const uint32_t pixels = 1024u * 8192u;
    header[0] = 'B', header[1] = 'M';
    put32(2, 62 + pixels);
    put32(10, 62);
    put32(14, 40);
    put32(18, 8192);
    put32(22, 8192);
    header[26] = 1;
    header[28] = 1;
    put32(46, 2);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), 62);
    std::vector<char> rows(pixels, 0);
    out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  }
  // The child starts afresh rather than as a fork of a process that may have threads.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(inspect_under_tight_address_limit(path), testing::ExitedWithCode(1), "bad_alloc");
  GTEST_FLAG_SET(death_test_style, style);
  std::filesystem::remove_all(dir);
}

TEST(TexturePicture, FuzzFoundBitmapsStayWithinTheirData) {
  // Seeds kept from the fuzzers: a true-colour bitmap whose header claims a palette, alone and
  // embedded in a library file. The claimed palette is not used: each is a whole 3 x 2 picture.
  auto expect_whole_3x2 = [](const TGLPersistentImage& image) {
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.Pixels().size(), static_cast<size_t>(image.Width()) * image.Height() * 4);
  };
  for (const char* name : {"/fuzz/bmp/true_colour_palette_count.bmp", "/fuzz/bmp/small.bmp"}) {
    SCOPED_TRACE(name);
    auto data = platform::read_file(std::string(KARMUND_TEST_DATA) + name);
    TGLMaterial m(nullptr);
    EXPECT_EQ(error_of([&] { m.Texture().Image().LoadFromBitmap(data); }), "");
    expect_whole_3x2(m.Texture().Image());
  }
  auto mat = platform::read_file(std::string(KARMUND_TEST_DATA) +
                                 "/fuzz/material_library/embedded_palette_count.mat");
  TGLMaterialLibrary lib;
  EXPECT_EQ(error_of([&] { lib.LoadFromBytes(mat); }), "");
  ASSERT_EQ(lib.Materials().Count(), 2);
  ASSERT_TRUE(lib.Materials()[0].Material().HasTexture());
  expect_whole_3x2(lib.Materials()[0].Material().Texture().Image());
  EXPECT_FALSE(lib.Materials()[1].Material().HasTexture());
}
