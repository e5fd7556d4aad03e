#pragma once
// Drawing primitives of the skin: gradients, rounded faces, glyphs.

#include <windows.h>

#include "ui/skin/palette.h"

namespace ui::skin {

void FillSolid(HDC dc, const RECT& area, COLORREF colour) noexcept;
void FillGradient(HDC dc, const RECT& area, const Gradient& gradient) noexcept;

// One-pixel rectangle outline.
void FrameSolid(HDC dc, const RECT& area, COLORREF colour) noexcept;

// A face with a one-pixel border and softly rounded corners; `outside` is the
// colour behind the corners. A glossy face is lighter in its upper half.
void DrawRoundedFace(HDC dc, const RECT& area, const Gradient& face, COLORREF border,
                     COLORREF outside, bool glossy) noexcept;

// Only the rounded border of DrawRoundedFace, with a light line inside it.
void DrawRoundedFrame(HDC dc, const RECT& area, COLORREF border, COLORREF inner,
                      COLORREF outside) noexcept;

// A focus ring just inside a rounded face's border.
void DrawInnerRing(HDC dc, const RECT& area, COLORREF colour) noexcept;

enum class ArrowDirection { Up, Down, Left, Right };
// A small solid triangle centred in `area`.
void DrawArrow(HDC dc, const RECT& area, ArrowDirection direction, COLORREF colour) noexcept;

// The tick of a checked box, for a box of `box`.
void DrawTick(HDC dc, const RECT& box, COLORREF colour) noexcept;

// A round glyph box: gradient inside a circle with a one-pixel border.
void DrawCircle(HDC dc, const RECT& box, const Gradient& inside, COLORREF border) noexcept;
// The dot of a selected radio button.
void DrawDot(HDC dc, const RECT& box, COLORREF colour) noexcept;

}  // namespace ui::skin
