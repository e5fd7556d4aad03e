#include "tests/e2e/driver/screen_capture.h"

#include "base/win_handles.h"
#include "tests/e2e/driver/window_facts.h"

namespace e2e {
namespace {

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() {
    if (dc) ReleaseDC(nullptr, dc);
  }
};

struct MemoryDc {
  explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc) DeleteDC(dc);
  }
  HDC dc;
};

}  // namespace

Pixels CaptureScreen(const RECT& screenRect) {
  Pixels pixels;
  const int width = screenRect.right - screenRect.left;
  const int height = screenRect.bottom - screenRect.top;
  if (width <= 0 || height <= 0) return pixels;

  ScreenDc screen;
  if (!screen.dc) return pixels;
  MemoryDc memory(screen.dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  base::GdiObject bitmap(CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory.dc || !bitmap || !bits) return pixels;

  HGDIOBJ previous = SelectObject(memory.dc, bitmap.get());
  const bool copied = BitBlt(memory.dc, 0, 0, width, height, screen.dc, screenRect.left,
                             screenRect.top, SRCCOPY) != FALSE;
  GdiFlush();
  SelectObject(memory.dc, previous);
  if (!copied) return pixels;

  pixels.width = width;
  pixels.height = height;
  pixels.colours.reserve(static_cast<std::size_t>(width) * height);
  const auto* row = static_cast<const std::uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i) {
    const std::uint32_t bgra = row[i];
    pixels.colours.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
  }
  return pixels;
}

Pixels CaptureWindow(HWND window) { return CaptureScreen(ScreenRectOf(window)); }

double BlueishShare(const Pixels& pixels, int margin) {
  if (pixels.empty()) return 0.0;
  std::size_t blueish = 0;
  for (COLORREF colour : pixels.colours) {
    const int red = GetRValue(colour);
    const int green = GetGValue(colour);
    const int blue = GetBValue(colour);
    if (blue >= red + margin && blue > green) ++blueish;
  }
  return static_cast<double>(blueish) / static_cast<double>(pixels.colours.size());
}

}  // namespace e2e
