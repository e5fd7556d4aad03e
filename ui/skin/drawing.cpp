#include "ui/skin/drawing.h"

#include "base/win_handles.h"
#include "ui/skin/gdi_scope.h"

namespace ui::skin {
namespace {

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour) noexcept {
  TRIVERTEX vertex{};
  vertex.x = x;
  vertex.y = y;
  vertex.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
  vertex.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
  vertex.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
  return vertex;
}

int Width(const RECT& r) noexcept { return r.right - r.left; }
int Height(const RECT& r) noexcept { return r.bottom - r.top; }

void HorizontalLine(HDC dc, int left, int right, int y, COLORREF colour) noexcept {
  if (right <= left) return;
  RECT line{left, y, right, y + 1};
  FillSolid(dc, line, colour);
}

void VerticalLine(HDC dc, int x, int top, int bottom, COLORREF colour) noexcept {
  if (bottom <= top) return;
  RECT line{x, top, x + 1, bottom};
  FillSolid(dc, line, colour);
}

// The border of a rounded rectangle with a corner radius of two pixels, the
// corner pixels blended with what is outside so the curve looks smooth.
void RoundedBorder(HDC dc, const RECT& r, COLORREF border, COLORREF outside) noexcept {
  const int l = r.left, t = r.top, rt = r.right - 1, b = r.bottom - 1;
  HorizontalLine(dc, l + 2, rt - 1, t, border);
  HorizontalLine(dc, l + 2, rt - 1, b, border);
  VerticalLine(dc, l, t + 2, b - 1, border);
  VerticalLine(dc, rt, t + 2, b - 1, border);

  const COLORREF soft = Mix(border, outside, 55);
  const COLORREF faint = Mix(border, outside, 85);
  const POINT corners[] = {{l, t}, {rt, t}, {l, b}, {rt, b}};
  for (const POINT& corner : corners) {
    const int dx = corner.x == l ? 1 : -1;
    const int dy = corner.y == t ? 1 : -1;
    SetPixelV(dc, corner.x, corner.y, faint);
    SetPixelV(dc, corner.x + dx, corner.y, soft);
    SetPixelV(dc, corner.x, corner.y + dy, soft);
    SetPixelV(dc, corner.x + dx, corner.y + dy, border);
  }
}

}  // namespace

void FillSolid(HDC dc, const RECT& area, COLORREF colour) noexcept {
  // ExtTextOut with an opaque rectangle fills without creating a brush.
  const COLORREF previous = SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  SetBkColor(dc, previous);
}

void FillGradient(HDC dc, const RECT& area, const Gradient& gradient) noexcept {
  if (Width(area) <= 0 || Height(area) <= 0) return;
  TRIVERTEX vertices[2] = {Vertex(area.left, area.top, gradient.top),
                           Vertex(area.right, area.bottom, gradient.bottom)};
  GRADIENT_RECT span{0, 1};
  GradientFill(dc, vertices, 2, &span, 1, GRADIENT_FILL_RECT_V);
}

void FrameSolid(HDC dc, const RECT& area, COLORREF colour) noexcept {
  HorizontalLine(dc, area.left, area.right, area.top, colour);
  HorizontalLine(dc, area.left, area.right, area.bottom - 1, colour);
  VerticalLine(dc, area.left, area.top, area.bottom, colour);
  VerticalLine(dc, area.right - 1, area.top, area.bottom, colour);
}

void DrawRoundedFace(HDC dc, const RECT& area, const Gradient& face, COLORREF border,
                     COLORREF outside, bool glossy) noexcept {
  if (Width(area) < 6 || Height(area) < 6) {
    FillGradient(dc, area, face);
    FrameSolid(dc, area, border);
    return;
  }
  RECT inside{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  if (glossy) {
    // Upper part light, a small step, then the full colour towards the bottom.
    const int split = inside.top + Height(inside) * 9 / 20;
    RECT upper{inside.left, inside.top, inside.right, split};
    RECT lower{inside.left, split, inside.right, inside.bottom};
    FillGradient(dc, upper, {face.top, Mix(face.top, face.bottom, 35)});
    FillGradient(dc, lower, {Mix(face.top, face.bottom, 55), face.bottom});
    HorizontalLine(dc, inside.left + 1, inside.right - 1, inside.top,
                   Mix(face.top, RGB(0xFF, 0xFF, 0xFF), 70));
  } else {
    FillGradient(dc, inside, face);
  }
  RoundedBorder(dc, area, border, outside);
}

void DrawRoundedFrame(HDC dc, const RECT& area, COLORREF border, COLORREF inner,
                      COLORREF outside) noexcept {
  if (Width(area) < 6 || Height(area) < 6) {
    FrameSolid(dc, area, border);
    return;
  }
  RECT inside{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  HorizontalLine(dc, inside.left + 1, inside.right - 1, inside.top, inner);
  VerticalLine(dc, inside.left, inside.top + 1, inside.bottom - 1, inner);
  RoundedBorder(dc, area, border, outside);
}

void DrawInnerRing(HDC dc, const RECT& area, COLORREF colour) noexcept {
  const RECT r{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  if (Width(r) < 4 || Height(r) < 4) return;
  HorizontalLine(dc, r.left + 1, r.right - 1, r.top, colour);
  HorizontalLine(dc, r.left + 1, r.right - 1, r.bottom - 1, colour);
  VerticalLine(dc, r.left, r.top + 1, r.bottom - 1, colour);
  VerticalLine(dc, r.right - 1, r.top + 1, r.bottom - 1, colour);
}

void DrawArrow(HDC dc, const RECT& area, ArrowDirection direction, COLORREF colour) noexcept {
  // Rows of a triangle four pixels deep, seven wide at its base.
  const int cx = (area.left + area.right) / 2;
  const int cy = (area.top + area.bottom) / 2;
  for (int step = 0; step < 4; ++step) {
    const int half = 3 - step;
    switch (direction) {
      case ArrowDirection::Down:
        HorizontalLine(dc, cx - half, cx + half + 1, cy - 2 + step, colour);
        break;
      case ArrowDirection::Up:
        HorizontalLine(dc, cx - half, cx + half + 1, cy + 1 - step, colour);
        break;
      case ArrowDirection::Right:
        VerticalLine(dc, cx - 2 + step, cy - half, cy + half + 1, colour);
        break;
      case ArrowDirection::Left:
        VerticalLine(dc, cx + 1 - step, cy - half, cy + half + 1, colour);
        break;
    }
  }
}

void DrawTick(HDC dc, const RECT& box, COLORREF colour) noexcept {
  // A tick scaled to the box: down-stroke over the first third, up-stroke after.
  const int size = Width(box);
  const int left = box.left + size * 3 / 13;
  const int right = box.right - size * 3 / 13;
  const int bottom = box.top + size * 9 / 13;
  const int down = (right - left) / 3;
  for (int x = left; x < right; ++x) {
    const int y = x - left <= down ? bottom - down + (x - left) : bottom - (x - left - down);
    VerticalLine(dc, x, y - 1, y + 2, colour);
  }
}

void DrawCircle(HDC dc, const RECT& box, const Gradient& inside, COLORREF border) noexcept {
  {
    base::GdiObject circle(CreateEllipticRgn(box.left, box.top, box.right + 1, box.bottom + 1));
    SavedDcState saved(dc);
    SelectClipRgn(dc, static_cast<HRGN>(circle.get()));
    FillGradient(dc, box, inside);
  }
  base::GdiObject pen(CreatePen(PS_SOLID, 1, border));
  Selection penSelection(dc, pen.get());
  Selection brushSelection(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, box.left, box.top, box.right, box.bottom);
}

void DrawDot(HDC dc, const RECT& box, COLORREF colour) noexcept {
  const int inset = Width(box) * 4 / 13;
  base::GdiObject pen(CreatePen(PS_SOLID, 1, colour));
  base::GdiObject brush(CreateSolidBrush(colour));
  Selection penSelection(dc, pen.get());
  Selection brushSelection(dc, brush.get());
  Ellipse(dc, box.left + inset, box.top + inset, box.right - inset, box.bottom - inset);
}

}  // namespace ui::skin
