#pragma once
// Scoped owners for the device contexts and selections the skin's painting
// uses; GDI objects themselves are base::GdiObject.

#include <windows.h>

#include "base/win_handles.h"

namespace ui::skin {

// Keeps an object selected into a DC for a scope, then puts back what was there.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// SaveDC / RestoreDC around a change of clipping or mapping.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDcState() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// A memory DC from CreateCompatibleDC (closed with DeleteDC, not DeleteObject).
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) noexcept : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HDC dc_;
};

// GetDC (client area) or GetWindowDC (whole window), released with ReleaseDC.
class WindowDc {
 public:
  static WindowDc Client(HWND window) noexcept { return WindowDc(window, GetDC(window)); }
  static WindowDc Whole(HWND window) noexcept { return WindowDc(window, GetWindowDC(window)); }
  WindowDc(WindowDc&& other) noexcept : window_(other.window_), dc_(other.dc_) {
    other.dc_ = nullptr;
  }
  WindowDc& operator=(WindowDc&&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  WindowDc(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) noexcept : window_(window) { BeginPaint(window, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const noexcept { return paint_.hdc; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
};

// A 32-bit top-down DIB section: the same format whatever the target DC is
// (a window, or a monochrome memory DC handed over with WM_PRINTCLIENT).
inline HBITMAP CreateTrueColourBitmap(int width, int height) noexcept {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width > 0 ? width : 1;
  info.bmiHeader.biHeight = -(height > 0 ? height : 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// An off-screen picture of `size`, painted completely and then copied to the
// screen in one go, so a control never shows half of its repaint.
class BackBuffer {
 public:
  BackBuffer(HDC compatibleWith, int width, int height) noexcept
      : dc_(compatibleWith),
        bitmap_(CreateTrueColourBitmap(width, height)),
        selection_(dc_.get(), bitmap_.get()),
        width_(width),
        height_(height) {}
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  bool ok() const noexcept { return dc_.get() && bitmap_; }
  HDC dc() const noexcept { return dc_.get(); }

  // Copies the picture to (0, 0) of `target`, within the target's clipping.
  void CopyTo(HDC target) const noexcept {
    BitBlt(target, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
  }

 private:
  // Declared in this order so the bitmap is selected out before it is
  // deleted, and deleted before the DC.
  MemoryDc dc_;
  base::GdiObject bitmap_;
  Selection selection_;
  int width_;
  int height_;
};

}  // namespace ui::skin
