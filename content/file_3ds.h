// The 3D Studio chunk writer: named triangle objects with vertices, texture coordinates, faces,
// material groups and smoothing groups, and the material entries they name.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "content/bytes.h"
#include "content/vec.h"

namespace content {

struct TdsObject {
  std::string name;
  std::vector<Vec3> vertices;
  std::vector<Vec2> uvs;  // empty, or one per vertex
  std::vector<std::array<uint16_t, 3>> faces;
  std::vector<uint32_t> smoothing;  // empty, or one bit mask per face
  struct Group {
    std::string material;
    std::vector<uint16_t> faces;
  };
  std::vector<Group> groups;
  bool hidden = false;
};

struct TdsMaterial {
  std::string name;
  Vec3 ambient{0.2f, 0.2f, 0.2f}, diffuse{0.8f, 0.8f, 0.8f}, specular{0, 0, 0};
  float shininess = 0;           // 0..1
  float shininess_strength = 0;  // 0..1
  std::string texture;           // file name, empty for none
};

// The whole file: version, editor data with materials and objects. Throws std::length_error when
// an object holds more than 65535 vertices or faces (the format counts them in 16 bits).
Bytes write_3ds(const std::vector<TdsObject>& objects, const std::vector<TdsMaterial>& materials);

}  // namespace content
