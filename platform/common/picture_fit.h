// Where the game's fixed-size picture sits inside a window of any size, and the way back from a
// window point to a picture pixel. Shared so the mapping is tested without a display.
#pragma once

namespace platform::detail {

// The picture scaled to fit the area, aspect kept, centred; the rest are black bars.
struct Placement {
  int x = 0, y = 0, width = 1, height = 1;  // from the area's top left
};
Placement fit_picture(int picture_width, int picture_height, int area_width, int area_height);

struct Point {
  int x = 0, y = 0;
};
// A point of the area to the picture pixel under it; points on the bars clamp to the edge.
Point picture_point(const Placement& placement, int picture_width, int picture_height, int x,
                    int y);

}  // namespace platform::detail
