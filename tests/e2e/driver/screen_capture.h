#pragma once
// Pixels as they are on the screen, for checking what a control looks like.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace e2e {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> colours;  // row by row from the top

  bool empty() const { return colours.empty(); }
  COLORREF at(int x, int y) const { return colours[static_cast<std::size_t>(y) * width + x]; }
};

// A copy of a rectangle of the screen; empty when the screen cannot be read.
Pixels CaptureScreen(const RECT& screenRect);
// A copy of what a window shows, frame included.
Pixels CaptureWindow(HWND window);

// Share of pixels that are blue-ish: blue the strongest part, and above red
// by at least `margin` (light blues included, greys and whites not).
double BlueishShare(const Pixels& pixels, int margin = 24);

}  // namespace e2e
