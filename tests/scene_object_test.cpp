// The scene tree's transformation rules: rotations and their stored angles, the coordinate
// handler, invalidation through parents, extents, proxies and the node classes' defaults.
#include "engine/scene_object.h"

#include <gtest/gtest.h>

#include <cmath>

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
