// The fit of the picture into the window and the mapping of mouse points back into it.
#include "platform/common/picture_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform::detail {

Placement fit_picture(int picture_width, int picture_height, int area_width, int area_height) {
  Placement p;
  if (picture_width <= 0 || picture_height <= 0 || area_width <= 0 || area_height <= 0) return p;
  double scale = std::min(static_cast<double>(area_width) / picture_width,
                          static_cast<double>(area_height) / picture_height);
  p.width = std::clamp(static_cast<int>(std::lround(picture_width * scale)), 1, area_width);
  p.height = std::clamp(static_cast<int>(std::lround(picture_height * scale)), 1, area_height);
  p.x = (area_width - p.width) / 2;
  p.y = (area_height - p.height) / 2;
  return p;
}

Point picture_point(const Placement& placement, int picture_width, int picture_height, int x,
                    int y) {
  if (picture_width <= 0 || picture_height <= 0) return {};
  auto map = [](int v, int start, int size, int picture) {
    int64_t scaled = (int64_t{v} - start) * picture / std::max(size, 1);
    if (v < start) scaled = 0;  // division rounds towards zero, the bar must not land on pixel 0
    return static_cast<int>(std::clamp<int64_t>(scaled, 0, picture - 1));
  };
  return {map(x, placement.x, placement.width, picture_width),
          map(y, placement.y, placement.height, picture_height)};
}

}  // namespace platform::detail
