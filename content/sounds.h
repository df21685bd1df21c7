// The eleven wave clips of the form's wave list, in index order, with their formats.
#pragma once

#include <string>
#include <vector>

#include "content/synth.h"

namespace content {

struct ClipFormat {
  std::string name;  // the wave list's name (" laser3" keeps its leading blank)
  bool looped;
  int rate;        // Hz
  double seconds;  // length
  size_t samples() const;
};

const std::vector<ClipFormat>& clip_formats();
// The clip's samples, exactly clip_formats()[index].samples() long, in [-1, 1].
Signal make_clip(int index);

}  // namespace content
