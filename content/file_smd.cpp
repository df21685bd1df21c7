// Half-Life SMD writer. Numbers are written in plain fixed notation with a "." and fields are
// separated by single spaces, the form every SMD reader accepts.
#include "content/file_smd.h"

#include <cmath>
#include <cstdio>

namespace content {
namespace {

std::string num(float v) {
  if (std::fabs(v) < 5e-7f) v = 0;  // no "-0.000000"
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(v));
  return buf;
}

void nodes(std::string& s, const std::vector<SmdBone>& bones) {
  s += "version 1\nnodes\n";
  for (const SmdBone& b : bones)
    s += std::to_string(b.id) + " \"" + b.name + "\" " + std::to_string(b.parent) + "\n";
  s += "end\n";
}

void frame(std::string& s, int time, const SmdFrame& f) {
  s += "time " + std::to_string(time) + "\n";
  for (size_t i = 0; i < f.size(); ++i) {
    const SmdPose& p = f[i];
    s += std::to_string(i) + " " + num(p.position.x) + " " + num(p.position.y) + " " +
         num(p.position.z) + " " + num(p.rotation.x) + " " + num(p.rotation.y) + " " +
         num(p.rotation.z) + "\n";
  }
}

Bytes to_bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

Bytes write_smd_model(const std::vector<SmdBone>& bones, const SmdFrame& bind,
                      const std::vector<SmdTriangle>& triangles) {
  std::string s;
  nodes(s, bones);
  s += "skeleton\n";
  frame(s, 0, bind);
  s += "end\ntriangles\n";
  for (const SmdTriangle& t : triangles) {
    s += t.material + "\n";
    for (const SmdVertex& v : t.v)
      s += std::to_string(v.bone) + " " + num(v.position.x) + " " + num(v.position.y) + " " +
           num(v.position.z) + " " + num(v.normal.x) + " " + num(v.normal.y) + " " +
           num(v.normal.z) + " " + num(v.uv.x) + " " + num(v.uv.y) + "\n";
  }
  s += "end\n";
  return to_bytes(s);
}

Bytes write_smd_animation(const std::vector<SmdBone>& bones, const std::vector<SmdFrame>& frames) {
  std::string s;
  nodes(s, bones);
  s += "skeleton\n";
  for (size_t i = 0; i < frames.size(); ++i) frame(s, static_cast<int>(i), frames[i]);
  s += "end\n";
  return to_bytes(s);
}

}  // namespace content
