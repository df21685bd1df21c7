// The player ship through the real frame loop: steering and its fuel, the ship's box, the
// camera that follows its height, the rocking, and the drift of the three pick-ups.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/data.h"
#include "game/form/form1.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

namespace fs = std::filesystem;

namespace {

using namespace gametest;

// Nothing but the steering moves the ship: the walls and the stones are moved far off the
// ship's plane (the level only scrolls the walls along X), and nothing counts as a hit.
void clearTheWay() {
  TForm1& f = F();
  f.steny1->Position().SetZ(100000);
  for (Obj* stone : {f.kamen1, f.kamen2, f.kamen3, f.kamen4})
    stone->Position().SetPoint(0, 1000, 170);
  shipHit = false;
}

}  // namespace

// --- steering

TEST(ShipSteering, EachHeldDirectionMovesSevenUnitsAndCostsFuel) {
  Play play("ship_steer", 1);
  play.beforeEach(kPlay, kFree + 40, [](int64_t) { clearTheWay(); });
  // Up alone, then Up with Right (two groups), then Down, then Left.
  play.hold("UP", kFree, kFree + 9);
  play.hold("RIGHT", kFree + 5, kFree + 9);
  play.hold("S", kFree + 12, kFree + 14);
  play.hold("A", kFree + 17, kFree + 18);
  play.hold("D", kFree + 21, kFree + 21);
  play.hold("W", kFree + 24, kFree + 24);
  std::vector<float> x, y, fuel;
  play.beforeEach(kFree, kFree + 26, [&](int64_t) {
    x.push_back(X(*F().muz));
    y.push_back(Y(*F().muz));
    fuel.push_back(F().palivo->Width());
  });
  play.run(kFree + 26);
  ASSERT_EQ(y.size(), 27u);
  EXPECT_FLOAT_EQ(x[0], 100);
  EXPECT_FLOAT_EQ(y[0], 54) << "the start place of level 1";
  EXPECT_FLOAT_EQ(fuel[0], 150);
  auto step = [&](size_t k, float dx, float dy, float dfuel) {
    SCOPED_TRACE("frame kFree + " + std::to_string(k));
    EXPECT_NEAR(x[k + 1] - x[k], dx, 1e-3);
    EXPECT_NEAR(y[k + 1] - y[k], dy, 1e-3);
    EXPECT_NEAR(fuel[k + 1] - fuel[k], dfuel, 1e-4);
  };
  for (size_t k = 0; k < 5; ++k) step(k, 0, 7, -0.04f);
  // Screen right is -X; two groups held cost twice.
  for (size_t k = 5; k < 10; ++k) step(k, -7, 7, -0.08f);
  step(10, 0, 0, 0);
  for (size_t k = 12; k < 15; ++k) step(k, 0, -7, -0.04f);
  for (size_t k = 17; k < 19; ++k) step(k, 7, 0, -0.04f);
  step(21, -7, 0, -0.04f);
  step(24, 0, 7, -0.04f);
  step(25, 0, 0, 0);
}

TEST(ShipSteering, FuelAtTheEdgeMovesOnlyWhileTheDecrementLeavesMoreThanTwo) {
  Play play("ship_fuel_edge", 1);
  play.beforeEach(kPlay, kFree + 10, [](int64_t) { clearTheWay(); });
  play.hold("UP", kFree, kFree + 2);
  play.hold("LEFT", kFree + 5, kFree + 5);
  float y0 = 0, y1 = 0, y2 = 0, y3 = 0, x5 = 0, x6 = 0;
  float fuel1 = 0, fuel2 = 0, fuel3 = 0, fuel6 = 0;
  play.before(kFree, [&] {
    F().palivo->SetWidth(2.05f);
    y0 = Y(*F().muz);
  });
  play.after(kFree, [&] {
    y1 = Y(*F().muz);
    fuel1 = F().palivo->Width();
    F().palivo->SetWidth(2.03f);
  });
  play.after(kFree + 1, [&] {
    y2 = Y(*F().muz);
    fuel2 = F().palivo->Width();
  });
  play.after(kFree + 2, [&] {
    y3 = Y(*F().muz);
    fuel3 = F().palivo->Width();
  });
  play.before(kFree + 5, [&] { x5 = X(*F().muz); });
  play.after(kFree + 5, [&] {
    x6 = X(*F().muz);
    fuel6 = F().palivo->Width();
  });
  play.run(kFree + 10);
  EXPECT_NEAR(y1 - y0, 7, 1e-3) << "2.05 still moves the ship";
  EXPECT_NEAR(fuel1, 2.01f, 1e-4);
  EXPECT_FLOAT_EQ(y2, y1) << "2.03 does not";
  EXPECT_NEAR(fuel2, 1.99f, 1e-4);
  EXPECT_FLOAT_EQ(y3, y2);
  EXPECT_NEAR(fuel3, 1.95f, 1e-4) << "a held key costs fuel even when the ship cannot move";
  EXPECT_FLOAT_EQ(x6, x5);
  EXPECT_NEAR(fuel6, 1.91f, 1e-4);
}

TEST(ShipSteering, TheShipStaysInItsBox) {
  Play play("ship_box", 1);
  const int64_t end = kFree + 90;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  play.hold("UP", kFree, kFree + 19);
  play.hold("LEFT", kFree, kFree + 14);
  play.hold("DOWN", kFree + 20, kFree + 54);
  play.hold("RIGHT", kFree + 30, kFree + 79);
  float top = 0, left = 0, bottom = 0, right = 0;
  float lowestY = 1e9f, highestY = -1e9f, lowestX = 1e9f, highestX = -1e9f;
  play.beforeEach(kFree + 1, end, [&](int64_t) {
    // Refuel so the ship never stops for want of fuel.
    F().palivo->SetWidth(150);
    lowestY = std::min(lowestY, Y(*F().muz));
    highestY = std::max(highestY, Y(*F().muz));
    lowestX = std::min(lowestX, X(*F().muz));
    highestX = std::max(highestX, X(*F().muz));
  });
  play.after(kFree + 19, [&] {
    top = Y(*F().muz);
    left = X(*F().muz);
  });
  play.after(kFree + 54, [&] { bottom = Y(*F().muz); });
  play.after(kFree + 79, [&] { right = X(*F().muz); });
  play.run(end);
  EXPECT_FLOAT_EQ(top, 160);
  EXPECT_FLOAT_EQ(left, 163) << "screen left is +X";
  EXPECT_FLOAT_EQ(bottom, -50);
  EXPECT_FLOAT_EQ(right, -124);
  EXPECT_FLOAT_EQ(highestY, 160);
  EXPECT_FLOAT_EQ(lowestY, -50);
  EXPECT_FLOAT_EQ(highestX, 163);
  EXPECT_FLOAT_EQ(lowestX, -124);
}

TEST(ShipCamera, FollowsTheShipsHeightTwoUnitsAFrame) {
  Play play("ship_camera", 1);
  const int64_t end = kFree + 60;
  play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
  play.hold("UP", kFree, kFree + 9);
  play.hold("DOWN", kFree + 30, kFree + 34);
  std::vector<float> eye, ship;
  play.beforeEach(kPlay + 1, end + 1, [&](int64_t) {
    eye.push_back(Y(*F().camera));
    ship.push_back(Y(*F().muz));
  });
  play.run(end);
  ASSERT_EQ(eye.size(), size_t(end - kPlay + 1));
  // From 100 (where the assets put it) to the ship's height + 50 in the first play frames.
  EXPECT_FLOAT_EQ(eye[0], 102);
  EXPECT_FLOAT_EQ(eye[1], 104);
  EXPECT_FLOAT_EQ(eye[2], 104) << "level with the ship's 54 + 50, it stays";
  int rising = 0, falling = 0;
  for (size_t k = 1; k < eye.size(); ++k) {
    const float target = ship[k] + 50;
    const float moved = eye[k] - eye[k - 1];
    SCOPED_TRACE("play frame " + std::to_string(k + 1));
    if (eye[k - 1] < target - 2) {
      EXPECT_FLOAT_EQ(moved, 2);
      ++rising;
    } else if (eye[k - 1] > target + 2) {
      EXPECT_FLOAT_EQ(moved, -2);
      ++falling;
    } else {
      EXPECT_NEAR(eye[k], target, 2.0f);
    }
  }
  EXPECT_GT(rising, 20) << "ten frames of climbing at 7 leave the camera far behind";
  EXPECT_GT(falling, 10);
  EXPECT_NEAR(eye.back(), ship.back() + 50, 2.0f) << "it catches up once the ship stops";
}

TEST(ShipRocking, SwingsBetweenAboutFortyDegreesFirstAtPointSevenAFrame) {
  for (double dt : {0.05, 0.1}) {
    SCOPED_TRACE("dt " + std::to_string(dt));
    Play play(dt == 0.05 ? "ship_rock20" : "ship_rock10", 1);
    const int64_t end = kPlay + 200;
    play.beforeEach(kPlay, end, [](int64_t) { clearTheWay(); });
    std::vector<float> pitch;
    float start = 0;
    play.before(kPlay, [&] { start = F().lod->PitchAngle(); });
    play.beforeEach(kPlay + 1, end + 1, [&](int64_t) { pitch.push_back(F().lod->PitchAngle()); });
    play.setDt(dt);
    play.run(end);
    ASSERT_FALSE(pitch.empty());
    // The first swing: 0.7 a frame whatever the frame rate, up to just above 40.
    EXPECT_NEAR(pitch[0] - start, 0.7f, 1e-4);
    size_t k = 1;
    while (k < pitch.size() && pitch[k - 1] <= 40) {
      EXPECT_NEAR(pitch[k] - pitch[k - 1], 0.7f, 1e-3) << "frame " << k;
      ++k;
    }
    ASSERT_LT(k, pitch.size());
    const float rate = static_cast<float>(dt * 20 * 2);
    float low = 1e9f, high = -1e9f;
    for (size_t j = k + 1; j < pitch.size(); ++j) {
      EXPECT_NEAR(std::fabs(pitch[j] - pitch[j - 1]), rate, 1e-3) << "frame " << j;
      low = std::min(low, pitch[j]);
      high = std::max(high, pitch[j]);
    }
    EXPECT_LT(high, 40 + rate + 0.01f);
    EXPECT_GT(high, 40);
    EXPECT_GT(low, -40 - rate - 0.01f);
    EXPECT_LT(low, -40);
  }
}

// --- pick-up drift

TEST(PickupDrift, ParkedWhileTheGateIsClosedAndBackAtTheShipsHeightOnceOpen) {
  Play play("ship_pickups", 1);
  const int64_t closed = kFree, open = kFree + 25, level5 = kFree + 30, end = kFree + 36;
  play.beforeEach(kPlay, end, [](int64_t) {
    clearTheWay();
    // The cannon's barrel stays out of the way while the walls stand at the cannon.
    F().sud1->SetVisible(false);
  });
  // Walls at 1580: the level keeps pick-ups out there (and waits for the cannon).
  play.before(closed, [] {
    TForm1& f = F();
    f.steny1->Position().SetX(1580);
    // Above the ship's box, out of the probes' reach.
    f.n_zbrane->Position().SetPoint(200, 300, 170);
    f.n_palivo->Position().SetPoint(0, 300, 170);
    f.n_energie->Position().SetPoint(100, 300, 170);
  });
  std::vector<float> weapon, fuel, energy;
  play.beforeEach(closed + 1, open, [&](int64_t) {
    EXPECT_FALSE(pickupGate);
    weapon.push_back(X(*F().n_zbrane));
    fuel.push_back(X(*F().n_palivo));
    energy.push_back(X(*F().n_energie));
  });
  play.before(open, [] { F().steny1->Position().SetX(0); });
  float shipY = 0;
  play.after(open, [&] {
    TForm1& f = F();
    EXPECT_TRUE(pickupGate);
    shipY = Y(*f.muz);
    EXPECT_FLOAT_EQ(X(*f.n_zbrane), -800);
    EXPECT_FLOAT_EQ(Y(*f.n_zbrane), shipY) << "back at the ship's height";
    EXPECT_FLOAT_EQ(X(*f.n_palivo), -400);
    EXPECT_FLOAT_EQ(Y(*f.n_palivo), shipY);
    EXPECT_FLOAT_EQ(X(*f.n_energie), -1300);
    EXPECT_FLOAT_EQ(Y(*f.n_energie), shipY);
  });
  play.after(open + 1, [&] {
    TForm1& f = F();
    EXPECT_FLOAT_EQ(X(*f.n_zbrane), -797);
    EXPECT_FLOAT_EQ(X(*f.n_palivo), -398);
    EXPECT_FLOAT_EQ(X(*f.n_energie), -1297);
  });
  // At weapon level 5 the weapon pick-up stops; the others drift on.
  play.before(level5, [] {
    weaponLevel = 5;
    weaponChanged = true;
    F().n_zbrane->Position().SetPoint(0, 300, 170);
  });
  play.beforeEach(level5 + 1, end, [](int64_t) {
    EXPECT_EQ(weaponLevel, 5);
    EXPECT_FLOAT_EQ(X(*F().n_zbrane), 0);
  });
  float fuelBefore = 0;
  play.before(level5, [&] { fuelBefore = X(*F().n_palivo); });
  play.after(end, [&] { EXPECT_FLOAT_EQ(X(*F().n_palivo), fuelBefore + 2 * (end - level5 + 1)); });
  play.run(end);

  ASSERT_EQ(weapon.size(), size_t(open - closed));
  for (size_t k = 0; k < weapon.size(); ++k) {
    SCOPED_TRACE("frame closed + " + std::to_string(k));
    EXPECT_FLOAT_EQ(fuel[k], 300);
    EXPECT_FLOAT_EQ(energy[k], 300);
    // The weapon pick-up drifts 3 a frame until it has passed 250, then waits at 300.
    const float drifted = 200 + 3.0f * (k + 1);
    EXPECT_FLOAT_EQ(weapon[k], drifted > 250 ? 300 : drifted);
  }
}
