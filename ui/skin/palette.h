#pragma once
// The colours of the three skins. Every skinned control takes all of its
// colours from one of these tables, so the schemes stay coherent.

#include <windows.h>

namespace ui::skin {

// A vertical gradient, top to bottom.
struct Gradient {
  COLORREF top;
  COLORREF bottom;
};

struct Palette {
  Gradient face;         // a button at rest
  Gradient faceHot;      // under the mouse
  Gradient facePressed;  // held down
  Gradient faceDisabled;
  Gradient field;   // inside of check boxes and radio buttons
  COLORREF border;  // outline of buttons and glyph boxes
  COLORREF borderHot;
  COLORREF borderDisabled;
  COLORREF frame;  // edit and combo borders, group box frames
  COLORREF text;   // captions of push buttons
  COLORREF textDisabled;
  COLORREF accent;   // focus ring, ticks, dots and arrows
  COLORREF heading;  // group box captions
};

constexpr int kBlueScheme = 1;
constexpr int kOliveGreenScheme = 2;
constexpr int kSilverScheme = 3;

// The palette of `scheme`, or null when the number names no skin.
const Palette* PaletteOf(int scheme) noexcept;

// `a` mixed with `b`: 0 gives `a`, 100 gives `b`.
COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) noexcept;

}  // namespace ui::skin
