// The collision registry: registration rules, the behaviour's form data (versions 0 and 1) and
// the manager looked up by name once the form has loaded.
#include <gtest/gtest.h>

#include "engine/collision.h"
#include "engine/scene_object.h"
#include "platform/error.h"

namespace {

// A form with the game's manager and one probe object.
struct Form {
  TComponent form;
  TCollisionManager* manager = make_owned<TCollisionManager>(&form);
  TGLBaseSceneObject* probe = make_owned<TGLBaseSceneObject>(&form);
  Form() { manager->SetName("CollisionManager1"); }
};

std::vector<uint8_t> behaviour_data(int32_t version, const std::string& manager, int32_t mode,
                                    int32_t group) {
  ByteWriter w;
  write_tagged_integer(w, version);
  write_tagged_string(w, manager);
  write_tagged_integer(w, mode);
  if (version >= 1) write_tagged_integer(w, group);
  return w.data();
}

// Reads the behaviour the way the form loads it: inside the object's loading state.
TGLBCollision& load(Form& f, const std::vector<uint8_t>& data) {
  f.probe->BeginLoading();
  TGLBCollision& b = f.probe->Behaviours().Add<TGLBCollision>();
  ByteReader r(data);
  b.ReadFromFiler(r);
  f.probe->EndLoading();
  return b;
}

}  // namespace

TEST(CollisionManager, RegisterOnceDeregisterAndAll) {
  Form f;
  TGLBCollision& a = f.probe->Behaviours().Add<TGLBCollision>();
  TGLBCollision& b = f.probe->Behaviours().Add<TGLBCollision>();
  f.manager->Register(&a);
  f.manager->Register(&a);
  f.manager->Register(nullptr);
  EXPECT_EQ(f.manager->Registered().size(), 1u) << "registered at most once";
  EXPECT_EQ(a.Manager(), f.manager);
  b.SetManager(f.manager);
  EXPECT_EQ(f.manager->Registered().size(), 2u);
  f.manager->Deregister(&a);
  EXPECT_EQ(a.Manager(), nullptr);
  EXPECT_EQ(f.manager->Registered(), (std::vector<TGLBCollision*>{&b}));
  f.manager->DeregisterAll();
  EXPECT_EQ(b.Manager(), nullptr);
  EXPECT_TRUE(f.manager->Registered().empty());
}

TEST(CollisionManager, SettingTheManagerMovesTheRegistration) {
  Form f;
  TCollisionManager other;
  TGLBCollision& b = f.probe->Behaviours().Add<TGLBCollision>();
  EXPECT_STREQ(TGLBCollision::FriendlyName(), "Collision");
  EXPECT_STREQ(TGLBCollision::FriendlyDescription(), "Collision-detection registration");
  EXPECT_EQ(b.BoundingMode(), cbmPoint);
  EXPECT_EQ(b.GroupIndex(), 0);
  b.SetManager(f.manager);
  b.SetManager(f.manager);
  EXPECT_EQ(f.manager->Registered().size(), 1u) << "the same manager again does nothing";
  b.SetManager(&other);
  EXPECT_TRUE(f.manager->Registered().empty());
  EXPECT_EQ(other.Registered().size(), 1u);
  b.SetManager(nullptr);
  EXPECT_TRUE(other.Registered().empty()) << "none removes it from the list";
}

TEST(CollisionManager, EitherSideMayGoFirst) {
  Form f;
  TGLBCollision& b = f.probe->Behaviours().Add<TGLBCollision>();
  {
    TCollisionManager m;
    b.SetManager(&m);
  }
  EXPECT_EQ(b.Manager(), nullptr) << "a freed manager detaches its behaviours";
  f.probe->Behaviours().Clear();
  EXPECT_TRUE(f.manager->Registered().empty());
  TGLBCollision& c = f.probe->Behaviours().Add<TGLBCollision>();
  c.SetManager(f.manager);
  f.probe->Behaviours().Clear();
  EXPECT_TRUE(f.manager->Registered().empty()) << "a freed behaviour deregisters itself";
}

TEST(CollisionManager, FormDataOfTheProbesLoadsAndRegisters) {
  Form f;
  TGLBCollision& b = load(f, behaviour_data(1, "CollisionManager1", 3, 0));
  EXPECT_EQ(b.Manager(), f.manager);
  EXPECT_EQ(b.BoundingMode(), cbmCube);
  EXPECT_EQ(b.PendingManagerName(), "");
  ByteWriter w;
  b.WriteToFiler(w);
  EXPECT_EQ(w.data(), behaviour_data(1, "CollisionManager1", 3, 0)) << "written as read";
}

TEST(CollisionManager, VersionZeroMissingManagerAndBadData) {
  Form f;
  TGLBCollision& b = load(f, behaviour_data(0, "CollisionManager1", 1, 0));
  EXPECT_EQ(b.GroupIndex(), 0);
  EXPECT_EQ(b.BoundingMode(), cbmSphere);
  EXPECT_EQ(b.Manager(), f.manager);

  TGLBCollision& c = load(f, behaviour_data(1, "Nobody", 4, -7));
  EXPECT_EQ(c.Manager(), nullptr) << "loads, unregistered";
  EXPECT_EQ(c.PendingManagerName(), "") << "the pending name is cleared either way";
  EXPECT_EQ(c.GroupIndex(), -7);

  // Reading detaches from the current manager until the form has loaded.
  auto detach = behaviour_data(1, "", 0, 0);
  ByteReader again(detach);
  b.ReadFromFiler(again);
  EXPECT_EQ(b.Manager(), nullptr);

  auto bad_version = behaviour_data(2, "", 0, 0);
  ByteReader r1(bad_version);
  EXPECT_THROW(b.ReadFromFiler(r1), Exception);
  auto bad_mode = behaviour_data(1, "", 9, 0);
  ByteReader r2(bad_mode);
  try {
    b.ReadFromFiler(r2);
    FAIL() << "a bounding mode beyond cbmFaces must fail";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid property value");
  }
  auto cut = behaviour_data(1, "CollisionManager1", 3, 0);
  cut.resize(cut.size() - 2);
  ByteReader r3(cut);
  try {
    b.ReadFromFiler(r3);
    FAIL() << "truncated data must fail";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}
