// The Half-Life SMD reader: bones, skeleton frames and skinned triangles of a model file, or
// only the frames of an animation file added to a model already loaded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mesh_object.h"

// Where an SMD file goes.
struct SMDTarget {
  TMeshObjectList& objects;
  TSkeleton& skeleton;
  // Actors register each file as an animation over the frames it added.
  std::function<void(const std::string& name, int32_t start_frame, int32_t end_frame)>
      add_animation;
  // Called once per face-group material when the mesh has a material library.
  std::function<void(const std::string& material)> material_needed;
};

// Reads `text`; `file_name` is the name the load was asked for (it names the animation).
// Fails with the reader's messages; what was read before a failure stays in the target.
void read_smd(std::string_view text, const std::string& file_name, SMDTarget& target);

// The animation name of a file: the name up to (not including) its first ".".
std::string smd_animation_name(const std::string& file_name);

// Field splitting and numbers as the reader sees them (exposed for the tests and the fuzzer).
std::vector<std::string> split_smd_fields(std::string_view line);
float parse_smd_float(std::string_view field);
int32_t parse_smd_int(std::string_view field);
