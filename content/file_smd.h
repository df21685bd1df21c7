// Half-Life SMD writer: the model file (nodes, bind pose, triangles) and the animation file
// (nodes, skeleton frames) of a skeletal actor.
#pragma once

#include <string>
#include <vector>

#include "content/bytes.h"
#include "content/vec.h"

namespace content {

struct SmdBone {
  int id = 0;
  std::string name;
  int parent = -1;
};

// One bone's place in a frame, relative to its parent: position and rotation (radians, X Y Z).
struct SmdPose {
  Vec3 position;
  Vec3 rotation;
};
using SmdFrame = std::vector<SmdPose>;  // one pose per bone, in id order

struct SmdVertex {
  int bone = 0;
  Vec3 position;  // in model space, in the bind pose
  Vec3 normal;
  Vec2 uv;
};

struct SmdTriangle {
  std::string material;
  SmdVertex v[3];
};

Bytes write_smd_model(const std::vector<SmdBone>& bones, const SmdFrame& bind,
                      const std::vector<SmdTriangle>& triangles);
Bytes write_smd_animation(const std::vector<SmdBone>& bones, const std::vector<SmdFrame>& frames);

}  // namespace content
