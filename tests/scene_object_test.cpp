// The scene tree's transformation rules: rotations and their stored angles, the coordinate
// handler, invalidation through parents, extents, proxies and the node classes' defaults.
#include "engine/scene_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/dummy_cube.h"
#include "engine/light_source.h"
#include "engine/proxy_object.h"
#include "engine/sprite.h"

namespace {

constexpr float kEps = 1e-5f;

void ExpectVector(const TVector& v, float x, float y, float z, const char* what) {
  EXPECT_NEAR(v.X, x, kEps) << what << ".X";
  EXPECT_NEAR(v.Y, y, kEps) << what << ".Y";
  EXPECT_NEAR(v.Z, z, kEps) << what << ".Z";
}

void ExpectVector(const TGLCoordinates& c, float x, float y, float z, const char* what) {
  ExpectVector(c.AsVector(), x, y, z, what);
}

// A scene with one object under the object root, as the form places them.
struct SceneFixture {
  TComponent form;
  TGLScene* scene = make_owned<TGLScene>(&form);
  TGLSceneObject* Add(TGLBaseSceneObject* parent = nullptr) {
    auto* obj = make_owned<TGLSceneObject>(&form);
    (parent ? parent : &scene->Objects())->AddChild(obj);
    return obj;
  }
};

}  // namespace

TEST(SceneObjectRotation, RelativeRotationsFromDefaults) {
  TGLSceneObject turned, pitched, rolled;

  turned.TurnBy(90);
  ExpectVector(turned.Direction(), -1, 0, 0, "TurnBy(90) Direction");
  ExpectVector(turned.Up(), 0, 1, 0, "TurnBy(90) Up");
  EXPECT_NEAR(turned.TurnAngle(), -270, 1e-3) << "the quadrant rule stores -270, not 90";

  pitched.PitchBy(90);
  ExpectVector(pitched.Direction(), 0, 1, 0, "PitchBy(90) Direction");
  ExpectVector(pitched.Up(), 0, 0, -1, "PitchBy(90) Up");
  EXPECT_NEAR(pitched.PitchAngle(), -90, 1e-3);

  rolled.RollBy(90);
  ExpectVector(rolled.Up(), 1, 0, 0, "RollBy(90) Up");
  ExpectVector(rolled.Direction(), 0, 0, 1, "RollBy(90) Direction");
}

TEST(SceneObjectRotation, StoredAngleQuadrantRules) {
  // Nose down after a quarter turn: Direction has X < 0 and Y < 0, the "180 − r" branch.
  TGLSceneObject down;
  down.TurnBy(90);
  down.PitchBy(-30);
  ExpectVector(down.Direction(), -0.8660254f, -0.5f, 0, "Direction");
  EXPECT_NEAR(down.PitchAngle(), 150, 1e-3);
  // Nose up: X < 0, Y > 0, the "−180 − r" branch.
  TGLSceneObject up;
  up.TurnBy(90);
  up.PitchBy(30);
  ExpectVector(up.Direction(), -0.8660254f, 0.5f, 0, "Direction");
  EXPECT_NEAR(up.PitchAngle(), -150, 1e-3);
  EXPECT_NEAR(up.TurnAngle(), -270, 1e-3) << "a pitch leaves the stored turn alone";

  TGLSceneObject turned;
  turned.TurnBy(135);
  ExpectVector(turned.Direction(), -0.7071068f, 0, -0.7071068f, "Direction");
  EXPECT_NEAR(turned.TurnAngle(), -225, 1e-3);
  TGLSceneObject right;
  right.TurnBy(-90);
  ExpectVector(right.Direction(), 1, 0, 0, "Direction");
  EXPECT_NEAR(right.TurnAngle(), -90, 1e-3) << "X > 0: no quadrant fix";

  // Roll: R = Direction × Up is (−1, 0, 0) at rest, so small rolls already take a branch.
  TGLSceneObject rolled;
  rolled.RollBy(30);
  EXPECT_NEAR(rolled.RollAngle(), -150, 1e-3);
  TGLSceneObject rolled_back;
  rolled_back.RollBy(-30);
  EXPECT_NEAR(rolled_back.RollAngle(), 150, 1e-3);
  TGLSceneObject rolled_far;
  rolled_far.RollBy(120);
  ExpectVector(rolled_far.Up(), 0.8660254f, -0.5f, 0, "Up");
  EXPECT_NEAR(rolled_far.RollAngle(), -60, 1e-3) << "R.x > 0: no quadrant fix";
}

TEST(SceneObjectRotation, AbsoluteAngles) {
  TGLSceneObject obj;
  obj.SetTurnAngle(90);
  ExpectVector(obj.Direction(), 1, 0, 0, "TurnAngle 90 Direction (opposite of TurnBy(90))");
  EXPECT_FLOAT_EQ(obj.TurnAngle(), 90);

  TGLSceneObject pitched;
  pitched.SetPitchAngle(540);
  ExpectVector(pitched.Direction(), 0, 0, -1, "PitchAngle 540 Direction");
  ExpectVector(pitched.Up(), 0, -1, 0, "PitchAngle 540 Up");
  EXPECT_FLOAT_EQ(pitched.PitchAngle(), 180) << "stored through NormalizeDegAngle";

  // Setting the same value again is no rotation at all.
  obj.SetTurnAngle(90);
  ExpectVector(obj.Direction(), 1, 0, 0, "unchanged");

  EXPECT_FLOAT_EQ(NormalizeDegAngle(540), 180);
  EXPECT_FLOAT_EQ(NormalizeDegAngle(190), -170);
  EXPECT_FLOAT_EQ(NormalizeDegAngle(-190), 170);
  EXPECT_FLOAT_EQ(NormalizeDegAngle(-720), 0);
}

TEST(SceneObjectRotation, AbsoluteAgainstRelativeSigns) {
  // Pitch: the same sense; turn and roll: the opposite sense.
  TGLSceneObject a, b;
  a.SetPitchAngle(a.PitchAngle() + 30);
  b.PitchBy(30);
  ExpectVector(a.Direction().AsVector(), b.Direction().X(), b.Direction().Y(), b.Direction().Z(),
               "pitch");
  TGLSceneObject c, d;
  c.SetTurnAngle(c.TurnAngle() + 30);
  d.TurnBy(-30);
  ExpectVector(c.Direction().AsVector(), d.Direction().X(), d.Direction().Y(), d.Direction().Z(),
               "turn");
  TGLSceneObject e, f;
  e.SetRollAngle(e.RollAngle() + 30);
  f.RollBy(-30);
  ExpectVector(e.Up().AsVector(), f.Up().X(), f.Up().Y(), f.Up().Z(), "roll");
}

TEST(SceneObjectRotation, LoadingStoresAnglesOnly) {
  TGLSceneObject shot;
  shot.BeginLoading();
  shot.Direction().SetVector(1, 0, -4.371e-08f);
  shot.SetTurnAngle(90);
  shot.EndLoading();
  ExpectVector(shot.Direction(), 1, 0, 0, "the form's Direction stays as given");
  EXPECT_FLOAT_EQ(shot.TurnAngle(), 90);
}

TEST(SceneObjectCoordinates, DirectionWrittenComponentWise) {
  // Each component renormalises: the final direction is the last partial vector normalised.
  TGLSceneObject probe;
  probe.Direction().SetX(3);  // (3, 0, 1) → (0.9487, 0, 0.3162)
  probe.Direction().SetY(4);  // (0.9487, 4, 0.3162) normalised
  float n = std::sqrt(0.9486833f * 0.9486833f + 16 + 0.3162278f * 0.3162278f);
  ExpectVector(probe.Direction(), 0.9486833f / n, 4 / n, 0.3162278f / n, "Direction");
  EXPECT_NEAR(length3(probe.Up().AsVector()), 1, kEps);
  EXPECT_NEAR(dot3(probe.Up().AsVector(), probe.Direction().AsVector()), 0, kEps)
      << "Up is rebuilt perpendicular";

  // The probes' pattern: one axis at a time.
  TGLSceneObject side;
  side.Direction().SetX(-1);
  side.Direction().SetY(0);
  side.Direction().SetZ(0);
  ExpectVector(side.Direction(), -1, 0, 0, "Direction");
  ExpectVector(side.Up(), 0, 1, 0, "Up");
}

TEST(SceneObjectCoordinates, ZeroAndParallelVectors) {
  TGLSceneObject obj;
  obj.Direction().SetZ(0);
  ExpectVector(obj.Direction(), 0, 0, 1, "a zero Direction becomes the default");
  obj.Up().SetVector(0, 0, 0);
  ExpectVector(obj.Up(), 0, 1, 0, "a zero Up becomes the default");

  TGLSceneObject source;
  source.Direction().SetVector(1, 0, 0);
  TGLCoordinates zero(nullptr, csVector, {0, 0, 0, 0});
  obj.SetDirection(zero);
  ExpectVector(obj.Direction(), 0, 0, 1, "assigning a zero Direction is ignored");
  obj.SetDirection(source.Direction());
  ExpectVector(obj.Direction(), 1, 0, 0, "assigned");
  EXPECT_FLOAT_EQ(obj.Direction().W(), 0);

  // Direction parallel to Up: right falls back to Z × Up.
  TGLSceneObject looking_up;
  looking_up.Direction().SetVector(0, 1, 0);
  ExpectVector(looking_up.Direction(), 0, 1, 0, "Direction");
  ExpectVector(looking_up.Up(), 0, 0, -1, "Up from the Z fallback");

  TGLSceneObject moved;
  TGLCoordinates point(nullptr, csPoint, {4, 5, 6, 1});
  moved.SetPosition(point);
  ExpectVector(moved.Position(), 4, 5, 6, "Position");
  EXPECT_FLOAT_EQ(moved.Position().W(), 1);
}

TEST(SceneObjectTransform, LocalMatrixRows) {
  TGLSceneObject obj;
  obj.Position().SetPoint(1, 2, 3);
  obj.Scale().SetVector(2, 3, 4);
  obj.TurnBy(90);  // Direction (−1, 0, 0), Up (0, 1, 0), right = Up × Direction = (0, 0, 1)
  const TMatrix& m = obj.LocalMatrix();
  ExpectVector(m[0], 0, 0, 2, "row 0 = (Up × Direction) · Scale.X");
  ExpectVector(m[1], 0, 3, 0, "row 1 = Up · Scale.Y");
  ExpectVector(m[2], -4, 0, 0, "row 2 = Direction · Scale.Z");
  ExpectVector(m[3], 1, 2, 3, "row 3 = Position");
  EXPECT_FLOAT_EQ(m[3].W, 1);
  EXPECT_FLOAT_EQ(m[0].W, 0);
}

TEST(SceneObjectTransform, ChildFollowsMovedParent) {
  SceneFixture f;
  auto* parent = f.Add();
  auto* child = f.Add(parent);
  auto* grandchild = f.Add(child);
  child->Position().SetX(1);
  grandchild->Position().SetY(1);
  ExpectVector(grandchild->WorldPosition(), 1, 1, 0, "before");

  // The child moves first, then the parent: the parent's walk stops at the marked child, and
  // the grandchild still sees both.
  child->Position().SetX(2);
  parent->Position().SetX(10);
  ExpectVector(child->WorldPosition(), 12, 0, 0, "child");
  ExpectVector(grandchild->WorldPosition(), 12, 1, 0, "grandchild");

  parent->TurnBy(90);  // the parent's local X axis becomes (0, 0, 1)
  ExpectVector(child->WorldPosition(), 10, 0, 2, "child after the parent turned");
  ExpectVector(grandchild->WorldDirection(), -1, 0, 0, "grandchild's world direction");

  // Objects right under the root: world = local.
  ExpectVector(parent->WorldPosition(), 10, 0, 0, "parent");
  EXPECT_FLOAT_EQ(parent->WorldPosition().W, 1);

  // The inverse follows too.
  TVector back = grandchild->AbsoluteToLocal(grandchild->WorldPosition());
  ExpectVector(back, 0, 0, 0, "world origin back to local");
}

TEST(SceneObjectTransform, WorldDirectionIgnoresScale) {
  SceneFixture f;
  auto* parent = f.Add();
  parent->Scale().SetVector(2, 2, 2);
  auto* child = f.Add(parent);
  child->Scale().SetVector(5, 5, 5);
  TVector d = child->WorldDirection();
  ExpectVector(d, 0, 0, 1, "WorldDirection");
  EXPECT_FLOAT_EQ(d.W, 0);
}

TEST(SceneObjectTransform, SceneToldOfChangesButNotWhileLoading) {
  SceneFixture f;
  auto* obj = f.Add();
  obj->LocalMatrix();
  uint64_t before = f.scene->ChangeCount();
  obj->Position().SetX(1);
  EXPECT_EQ(f.scene->ChangeCount(), before + 1);
  // Already out of date: a second change in the same frame walks nothing and says nothing.
  obj->Position().SetX(2);
  EXPECT_EQ(f.scene->ChangeCount(), before + 1);

  obj->WorldPosition();
  obj->BeginLoading();
  obj->Position().SetX(3);
  EXPECT_EQ(f.scene->ChangeCount(), before + 1) << "no notice while loading";
  obj->EndLoading();
  ExpectVector(obj->WorldPosition(), 3, 0, 0, "but the matrix is rebuilt");

  before = f.scene->ChangeCount();
  obj->SetVisible(true);
  EXPECT_EQ(f.scene->ChangeCount(), before) << "unchanged Visible is a no-op";
  obj->SetVisible(false);
  EXPECT_FALSE(obj->Visible());
  EXPECT_EQ(f.scene->ChangeCount(), before + 1);
}

TEST(SceneObjectTransform, MoveAndResetOrientation) {
  TGLSceneObject obj;
  obj.Scale().SetVector(3, 3, 3);
  obj.TurnBy(90);
  obj.MoveAlongDirection(5);
  ExpectVector(obj.Position(), -5, 0, 0, "moved along (−1, 0, 0), scale plays no part");

  obj.PitchBy(20);
  obj.ResetOrientation();
  ExpectVector(obj.Direction(), 0, 0, 1, "Direction");
  ExpectVector(obj.Up(), 0, 1, 0, "Up");
  ExpectVector(obj.Rotation(), 0, 0, 0, "angles");
  ExpectVector(obj.Position(), -5, 0, 0, "Position kept");
  ExpectVector(obj.Scale(), 3, 3, 3, "Scale kept");
  const TMatrix& m = obj.LocalMatrix();
  ExpectVector(m[0], 3, 0, 0, "row 0");
  ExpectVector(m[1], 0, 3, 0, "row 1");
  ExpectVector(m[2], 0, 0, 3, "row 2");
  ExpectVector(m[3], -5, 0, 0, "row 3");
  // And a later change still rebuilds it.
  obj.Position().SetX(1);
  ExpectVector(obj.LocalMatrix()[3], 1, 0, 0, "rebuilt after a change");
}

TEST(SceneObjectTransform, ParentReferenceModes) {
  SceneFixture f;
  auto* parent = f.Add();
  parent->PitchBy(90);  // parent's Up (0, 0, −1), Direction (0, 1, 0)
  auto* local = f.Add(parent);
  auto* with_pos = f.Add(parent);
  with_pos->SetTransformationMode(tmParentWithPos);
  with_pos->Position().SetPoint(1, 0, 0);

  local->TurnBy(90);  // about its own Up (0, 1, 0)
  ExpectVector(local->Direction(), -1, 0, 0, "tmLocal turns about its own Up");

  with_pos->TurnBy(90);  // about the parent's Up (0, 0, −1): Position turns as well
  ExpectVector(with_pos->Position(), 0, 1, 0, "tmParentWithPos turns the position");
  ExpectVector(with_pos->Direction(), 0, 0, 1, "Direction is on the axis");
  with_pos->MoveAlongDirection(2);
  ExpectVector(with_pos->Position(), 0, 3, 0, "moves along the parent's Direction (0, 1, 0)");
}

TEST(SceneObjectTree, CreateChildAndFree) {
  SceneFixture f;
  auto* parent = f.Add();
  auto* first = parent->CreateChild<TGLDummyCube>();
  auto* second = parent->CreateChild<TGLSceneObject>();
  ASSERT_EQ(parent->Count(), 2);
  EXPECT_EQ(parent->Children(1), second) << "appended as the last child";
  EXPECT_EQ(first->Owner(), parent);
  EXPECT_EQ(first->Parent(), parent);
  EXPECT_EQ(first->Scene(), f.scene);

  delete first;  // freeing a child takes it out of its parent
  ASSERT_EQ(parent->Count(), 1);
  EXPECT_EQ(parent->Children(0), second);

  // A parent placed by the form goes first: its own children go with it, form-owned ones stay.
  auto* form_child = f.Add(parent);
  delete parent;
  EXPECT_EQ(form_child->Parent(), nullptr);
  EXPECT_EQ(form_child->Scene(), nullptr);
  EXPECT_EQ(f.scene->Objects().Count(), 0);
}

TEST(SceneObjectTree, AddChildMovesBetweenParents) {
  SceneFixture f;
  auto* a = f.Add();
  auto* b = f.Add();
  auto* c = f.Add(a);
  a->Position().SetX(5);
  ExpectVector(c->WorldPosition(), 5, 0, 0, "under a");
  b->AddChild(c);
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(b->IndexOfChild(c), 0);
  ExpectVector(c->WorldPosition(), 0, 0, 0, "under b: the world matrix was invalidated");
}

namespace {

struct RecordingBehaviour : TGLBehaviour {
  RecordingBehaviour(TGLBaseSceneObject* owner, std::vector<std::string>* log, std::string name)
      : TGLBehaviour(owner), log_(log), name_(std::move(name)) {}
  void Progress(const TProgressTimes& t) override {
    log_->push_back(name_ + "@" + std::to_string(static_cast<int>(t.newTime)));
  }
  std::vector<std::string>* log_;
  std::string name_;
};

struct RecordingEffect : TGLObjectPostEffect {
  RecordingEffect(TGLBaseSceneObject* owner, std::vector<std::string>* log)
      : TGLObjectPostEffect(owner), log_(log) {}
  void Progress(const TProgressTimes&) override { log_->push_back("effect"); }
  std::vector<std::string>* log_;
};

}  // namespace

TEST(SceneObjectProgress, ChildrenLastToFirstThenBehavioursEffectsEvent) {
  SceneFixture f;
  std::vector<std::string> log;
  auto* parent = f.Add();
  auto* first = f.Add(parent);
  auto* second = f.Add(parent);
  second->SetVisible(false);  // invisible objects progress too
  first->OnProgress = [&](TComponent*, double, double) { log.push_back("first"); };
  second->OnProgress = [&](TComponent*, double, double) { log.push_back("second"); };
  parent->Behaviours().Add<RecordingBehaviour>(&log, "behaviour");
  parent->Effects().Add<RecordingEffect>(&log);
  parent->OnProgress = [&](TComponent* sender, double dt, double t) {
    EXPECT_EQ(sender, parent);
    EXPECT_DOUBLE_EQ(dt, 0.5);
    EXPECT_DOUBLE_EQ(t, 7);
    log.push_back("parent");
  };
  f.scene->Progress(0.5, 7);
  std::vector<std::string> expected = {"second", "first", "behaviour@7", "effect", "parent"};
  EXPECT_EQ(log, expected);
  EXPECT_NE(parent->Behaviours().GetByClass<RecordingBehaviour>(), nullptr);
}

TEST(SceneObjectExtents, BoundingRadius) {
  TGLDummyCube cube;
  cube.SetCubeSize(10);
  EXPECT_NEAR(cube.BoundingRadius(), std::sqrt(75.0f), 1e-5);
  cube.SetCubeSize(-10);
  EXPECT_NEAR(cube.BoundingRadius(), std::sqrt(75.0f), 1e-5) << "|CubeSize|";
  cube.Scale().SetVector(2, 1, 1);
  EXPECT_NEAR(cube.BoundingRadius(), std::sqrt(150.0f), 1e-4) << "own scale enters";

  SceneFixture f;
  auto* parent = f.Add();
  parent->Scale().SetVector(10, 10, 10);
  auto* plain = f.Add(parent);
  EXPECT_NEAR(plain->BoundingRadius(), std::sqrt(0.75f), 1e-6) << "parents' scales do not";
}

TEST(SceneObjectProxy, MasterAndItsRemoval) {
  SceneFixture f;
  auto* proxy = make_owned<TGLProxyObject>(&f.form);
  f.scene->Objects().AddChild(proxy);
  EXPECT_EQ(proxy->ProxyOptions(), pooEffects | pooObjects | pooTransformation);
  EXPECT_EQ(proxy->MasterObject(), nullptr);
  ExpectVector(proxy->HalfExtents(), 0.5f, 0.5f, 0.5f, "no master: the base extents");
  TVector hit;
  EXPECT_FALSE(proxy->RayIntersect({0, 0, 5, 1}, {0, 0, -1, 0}, &hit, nullptr));

  auto* master = make_owned<TGLDummyCube>(&f.form);
  f.scene->Objects().AddChild(master);
  master->SetCubeSize(4);
  master->SetVisible(false);
  proxy->SetMasterObject(master);
  ExpectVector(proxy->HalfExtents(), 2, 2, 2, "the master's extents, hidden or not");

  delete master;
  EXPECT_EQ(proxy->MasterObject(), nullptr) << "a freed master becomes none";
  ExpectVector(proxy->HalfExtents(), 0.5f, 0.5f, 0.5f, "base extents again");
}

namespace {

// A master with a hittable unit sphere at its origin, to follow the proxy's space conversions.
struct SphereMaster : TGLSceneObject {
  using TGLSceneObject::TGLSceneObject;
  bool RayIntersect(const TVector& start, const TVector& dir, TVector* point,
                    TVector* normal) override {
    TVector s = AbsoluteToLocal(start);
    TVector d = normalize3(AbsoluteToLocal(dir));
    float b = dot3(s, d), c = dot3(s, s) - 1, disc = b * b - c;
    if (disc < 0) return false;
    float t = -b - std::sqrt(disc);
    TVector local = {s.X + d.X * t, s.Y + d.Y * t, s.Z + d.Z * t, 1};
    if (point) *point = LocalToAbsolute(local);
    if (normal) *normal = LocalToAbsolute({local.X, local.Y, local.Z, 0});
    return true;
  }
};

}  // namespace

TEST(SceneObjectProxy, RayTestInTheProxysPlace) {
  SceneFixture f;
  auto* master = make_owned<SphereMaster>(&f.form);
  f.scene->Objects().AddChild(master);
  master->Position().SetX(100);  // far away; with pooTransformation off it does not matter
  auto* proxy = make_owned<TGLProxyObject>(&f.form);
  f.scene->Objects().AddChild(proxy);
  proxy->Position().SetZ(-10);
  proxy->SetMasterObject(master);
  proxy->SetProxyOptions(pooObjects);
  TVector hit;
  ASSERT_TRUE(proxy->RayIntersect({0, 0, 0, 1}, {0, 0, -1, 0}, &hit, nullptr));
  ExpectVector(hit, 0, 0, -9, "the master's sphere drawn at the proxy");
  EXPECT_FALSE(proxy->RayIntersect({5, 0, 0, 1}, {0, 0, -1, 0}, &hit, nullptr));
}

TEST(SceneObjectCamera, DefaultsAndProjection) {
  TGLCamera cam;
  ExpectVector(cam.Direction(), 0, 0, -1, "a new camera's Direction");
  ExpectVector(cam.Up(), 0, 1, 0, "Up");
  EXPECT_FLOAT_EQ(cam.FocalLength(), 50);
  EXPECT_FLOAT_EQ(cam.DepthOfView(), 100);
  EXPECT_FLOAT_EQ(cam.NearPlaneBias(), 1);
  EXPECT_FLOAT_EQ(cam.SceneScale(), 1);
  EXPECT_EQ(cam.CameraStyle(), csPerspective);

  // The form's `camera` on a 640 x 480 view at 96 dpi.
  cam.SetFocalLength(100);
  cam.SetDepthOfView(20000);
  TGLCameraProjection p = cam.Projection(640, 480, 96);
  EXPECT_NEAR(p.nearPlane, 2.0 * 100 * 96 / (25.4 * 640), 1e-9);
  EXPECT_NEAR(p.farPlane, p.nearPlane + 20000, 1e-6);
  EXPECT_NEAR(p.right, 0.5, 1e-9);
  EXPECT_NEAR(p.left, -0.5, 1e-9);
  EXPECT_NEAR(p.top, 0.375, 1e-9);
  EXPECT_NEAR(p.bottom, -0.375, 1e-9);
  cam.SetSceneScale(2);
  cam.SetNearPlaneBias(0.5f);
  p = cam.Projection(480, 640, 96);
  EXPECT_NEAR(p.nearPlane, 2.0 * 100 * 96 * 0.5 / (25.4 * 640), 1e-9) << "max(W, H)";
  EXPECT_NEAR(p.right, 480 * 0.5 / (2.0 * 640 * 2), 1e-9);
  EXPECT_NEAR(p.top, 640 * 0.5 / (2.0 * 640 * 2), 1e-9);
}

TEST(SceneObjectCamera, ViewWithAndWithoutTarget) {
  SceneFixture f;
  auto* target = f.Add();
  target->Position().SetPoint(0, 0, 50);
  auto* cam = make_owned<TGLCamera>(&f.form);
  f.scene->Cameras().AddChild(cam);
  cam->Position().SetPoint(5000, 1000, 0);
  cam->Direction().SetVector(0, 0, 1);
  TGLCameraView v = cam->View();
  ExpectVector(v.eye, 5000, 1000, 0, "eye");
  ExpectVector(v.center, 5000, 1000, 1, "along Direction");
  cam->SetTargetObject(target);
  v = cam->View();
  ExpectVector(v.center, 0, 0, 50, "at the target");
  ExpectVector(v.up, 0, 1, 0, "Up as is");
  delete target;
  EXPECT_EQ(cam->TargetObject(), nullptr) << "a freed target becomes none";
}

TEST(SceneObjectLight, Defaults) {
  TGLLightSource light;
  EXPECT_TRUE(light.Shining());
  EXPECT_EQ(light.LightStyle(), lsSpot);
  EXPECT_EQ(light.Ambient().Color(), (TVector{0, 0, 0, 1}));
  EXPECT_EQ(light.Specular().Color(), (TVector{0, 0, 0, 1}));
  EXPECT_EQ(light.Diffuse().Color(), (TVector{1, 1, 1, 1}));
  EXPECT_FLOAT_EQ(light.ConstAttenuation(), 1);
  EXPECT_FLOAT_EQ(light.LinearAttenuation(), 0);
  EXPECT_FLOAT_EQ(light.QuadraticAttenuation(), 0);
  EXPECT_FLOAT_EQ(light.SpotCutOff(), 180);
  EXPECT_FLOAT_EQ(light.SpotExponent(), 0);
  ExpectVector(light.SpotDirection(), 0, 0, -1, "SpotDirection");
  // The spot direction is not the light's transformation.
  light.SpotDirection().SetVector(0, 0, 1);
  ExpectVector(light.Direction(), 0, 0, 1, "Direction untouched");
  ExpectVector(light.SpotDirection(), 0, 0, 1, "SpotDirection stored as given");
}

TEST(SceneObjectClasses, NodeDefaults) {
  TGLSprite sprite;
  EXPECT_FLOAT_EQ(sprite.Width(), 1);
  EXPECT_FLOAT_EQ(sprite.Height(), 1);
  EXPECT_FLOAT_EQ(sprite.AlphaChannel(), 1);
  TGLDummyCube cube;
  EXPECT_FLOAT_EQ(cube.CubeSize(), 1);
  EXPECT_FALSE(cube.VisibleAtRunTime());
  EXPECT_FALSE(cube.Amalgamate());
  TGLScene scene;
  EXPECT_EQ(scene.ObjectsSorting(), osRenderBlendedLast);
  EXPECT_EQ(scene.VisibilityCulling(), vcNone);
  EXPECT_EQ(scene.Objects().Name(), "ObjectRoot");
  EXPECT_EQ(scene.Cameras().Name(), "CameraRoot");
  TGLSceneObject obj;
  EXPECT_EQ(obj.TransformationMode(), tmLocal);
  EXPECT_EQ(obj.ObjectsSorting(), osInherited);
  EXPECT_EQ(obj.VisibilityCulling(), vcInherited);
  EXPECT_TRUE(obj.Visible());
  ExpectVector(obj.Scale(), 1, 1, 1, "Scale");
  EXPECT_FLOAT_EQ(obj.Position().W(), 1);
}

TEST(SceneObjectColor, SettersCompareAndNotify) {
  struct Counter : IGLNotifyAble {
    int n = 0;
    void NotifyChange(IGLNotifyAble*) override { ++n; }
  } owner;
  TGLColor color(&owner, clrBlack);
  color.SetRed(0);
  EXPECT_EQ(owner.n, 0) << "unchanged: no notice";
  color.SetRed(0.5f);
  EXPECT_EQ(owner.n, 1);
  color.SetAsWinColor(0x0000FF);  // packed red
  EXPECT_EQ(color.Color(), (TVector{1, 0, 0, 1}));
  EXPECT_EQ(color.AsWinColor(), 0x0000FF);
  EXPECT_EQ(ConvertWinColor(0xFF8000), (TVector{0, 128 / 255.0f, 1, 1}));
}
