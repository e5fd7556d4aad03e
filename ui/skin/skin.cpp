// The skin works on unmodified standard controls: each control of a skinned
// kind gets a subclass (ui/skin/subclass.h, removable in any order) that
// paints it in the palette's look. The standard
// control keeps all its behaviour and state; the subclass only takes over
// painting, and where the control paints itself outside WM_PAINT (a button
// on BM_SETSTATE, focus or enable changes) paints over it at once, inside the
// same message, so the standard look never reaches the screen.
//
// Controls that already exist are found by enumerating the thread's windows;
// later ones are caught as they are created by a thread-local WH_CBT hook,
// which also covers message boxes and windows a library creates on the thread.
// A CBT hook runs only on such window events; a WH_CALLWNDPROC hook would see
// every message the thread sends, and under Wine each of those becomes a
// round trip to the server (a list filled with 10,000 names took five times
// as long).

#include "ui/skin/skin.h"

#include <windows.h>
// After windows.h, which it needs; only for class names and constants.
#include <commctrl.h>

#include "base/win_handles.h"
#include "ui/skin/gdi_scope.h"
#include "ui/skin/painters.h"
#include "ui/skin/palette.h"
#include "ui/skin/subclass.h"

namespace ui::skin {
namespace {

// Readable from other processes too (GetPropA), so tests and tools can tell
// which controls carry the skin and which scheme.
constexpr char kMarkProperty[] = "MorvessaSkin";

enum class Family : unsigned { Button = 1, Edit, Combo, DropDownList, UpDown };

// What a skinned control remembers between messages, packed into the
// subclass's reference data so nothing has to be allocated per control.
struct ControlState {
  int scheme = 0;
  Family family = Family::Button;
  bool hot = false;     // the mouse is over the control
  int hotPart = 0;      // up-down: the arrow under the mouse (1 or 2)
  int pressedPart = 0;  // up-down: the arrow held down
};

DWORD_PTR Pack(const ControlState& state) noexcept {
  return static_cast<DWORD_PTR>(state.scheme & 0xFF) | (static_cast<DWORD_PTR>(state.family) << 8) |
         (static_cast<DWORD_PTR>(state.hot ? 1 : 0) << 12) |
         (static_cast<DWORD_PTR>(state.hotPart & 3) << 13) |
         (static_cast<DWORD_PTR>(state.pressedPart & 3) << 15);
}

ControlState Unpack(DWORD_PTR data) noexcept {
  ControlState state;
  state.scheme = static_cast<int>(data & 0xFF);
  state.family = static_cast<Family>((data >> 8) & 0xF);
  state.hot = ((data >> 12) & 1) != 0;
  state.hotPart = static_cast<int>((data >> 13) & 3);
  state.pressedPart = static_cast<int>((data >> 15) & 3);
  return state;
}

// The skin belongs to the GUI thread; these are only touched from there.
int g_activeScheme = 0;
base::WindowsHook g_creationHook;

LRESULT SkinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR data);

// The scheme a control is skinned with, 0 if none. The mark is set and
// removed together with the subclass, which is what is read here (it costs
// no trip to the window server); it matters after a message handler, since
// a click handler may switch the skin off or over.
int SchemeOf(HWND window) noexcept {
  // A skinned control's value always holds its (non-zero) scheme.
  return window ? Unpack(subclass::DataOf(window)).scheme : 0;
}

// Stores a control's changed state, unless its skin went away or changed
// meanwhile.
void Remember(HWND window, const ControlState& state) noexcept {
  if (SchemeOf(window) == state.scheme) subclass::SetData(window, Pack(state));
}

using subclass::CallNext;

LONG StyleOf(HWND window) noexcept {
  return static_cast<LONG>(GetWindowLongPtrA(window, GWL_STYLE));
}

bool HasClass(HWND window, const char* name) noexcept {
  char className[32];
  return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

bool IsDropDownCombo(HWND window) noexcept {
  if (!window || !HasClass(window, WC_COMBOBOXA)) return false;
  const LONG type = StyleOf(window) & (CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST);
  return type == CBS_DROPDOWN || type == CBS_DROPDOWNLIST;
}

// Which painting a window gets, or false for windows the skin leaves alone.
bool FamilyOf(HWND window, Family* family) noexcept {
  char className[32];
  if (GetClassNameA(window, className, sizeof className) <= 0) return false;
  const LONG style = StyleOf(window);
  const HWND parent = GetAncestor(window, GA_PARENT);
  const HWND desktop = GetDesktopWindow();

  if (lstrcmpiA(className, "ComboLBox") == 0) {
    // A drop-down combo box creates its list as a child, then moves it onto
    // the desktop; a simple combo box's list stays a child and stays plain.
    if (parent != desktop && !IsDropDownCombo(parent)) return false;
    *family = Family::DropDownList;
    return true;
  }
  const bool control = (style & WS_CHILD) && parent && parent != desktop;
  if (!control) return false;
  if (lstrcmpiA(className, WC_BUTTONA) == 0) {
    if (ButtonKindOf(style) == ButtonKind::Unskinned) return false;
    *family = Family::Button;
  } else if (lstrcmpiA(className, WC_EDITA) == 0) {
    *family = Family::Edit;
  } else if (lstrcmpiA(className, WC_COMBOBOXA) == 0) {
    if (!IsDropDownCombo(window)) return false;
    *family = Family::Combo;
  } else if (lstrcmpiA(className, UPDOWN_CLASSA) == 0) {
    *family = Family::UpDown;
  } else {
    return false;
  }
  return true;
}

// `redraw` is false for a window being created: it has nothing on screen
// yet, and must get no message before its own WM_NCCREATE.
void Attach(HWND window, int scheme, bool redraw) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
  Family family = Family::Button;
  if (!FamilyOf(window, &family)) return;
  ControlState state;
  state.scheme = scheme;
  state.family = family;
  if (!subclass::Install(window, SkinProc, Pack(state))) return;
  SetPropA(window, kMarkProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(scheme)));
  if (redraw) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void Detach(HWND window) {
  if (SchemeOf(window) == 0) return;
  // The standard group box does not paint everywhere the skin's frame was.
  if (HasClass(window, WC_BUTTONA) && ButtonKindOf(StyleOf(window)) == ButtonKind::Group) {
    ClearGroupBoxFrame(window);
  }
  subclass::Remove(window);
  RemovePropA(window, kMarkProperty);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void AttachActive(HWND window) { Attach(window, g_activeScheme, true); }

struct Visit {
  void (*visitor)(HWND);
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM visit) {
  reinterpret_cast<const Visit*>(visit)->visitor(window);
  return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM visit) {
  VisitWindow(window, visit);
  EnumChildWindows(window, VisitWindow, visit);  // all descendants, not only children
  return TRUE;
}

void ForEachWindowOfThread(void (*visitor)(HWND)) {
  Visit visit{visitor};
  EnumThreadWindows(GetCurrentThreadId(), VisitTopLevel, reinterpret_cast<LPARAM>(&visit));
}

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_activeScheme != 0) {
    Attach(reinterpret_cast<HWND>(wParam), g_activeScheme, false);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Mouse hover: turns the hot state on (asking for WM_MOUSELEAVE) or off.
// Returns whether it changed.
bool SetHot(HWND window, ControlState& state, bool hot, int part = 0) {
  if (state.hot == hot && state.hotPart == part) return false;
  if (hot && !state.hot) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    TrackMouseEvent(&track);
  }
  state.hot = hot;
  state.hotPart = part;
  Remember(window, state);
  return true;
}

// ---- Buttons: push buttons, check boxes, radio buttons, group boxes --------

// Paints over whatever the standard button just drew, if the skin is still
// on (a click handler may have switched it off) and the button is shown.
void RepaintButtonNow(HWND button, const ControlState& state) {
  if (!IsWindow(button) || !IsWindowVisible(button)) return;
  const int scheme = SchemeOf(button);
  const Palette* palette = PaletteOf(scheme);
  if (!palette) return;
  const WindowDc dc = WindowDc::Client(button);
  PaintButton(button, dc.get(), *palette, state.hot && scheme == state.scheme);
}

LRESULT OnButtonMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam, ControlState state,
                        const Palette& palette) {
  if (ButtonKindOf(StyleOf(button)) == ButtonKind::Unskinned) {
    return CallNext(button, message, wParam, lParam);
  }
  switch (message) {
    case WM_PAINT: {
      PaintScope paint(button);
      PaintButton(button, paint.dc(), palette, state.hot);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintButton(button, reinterpret_cast<HDC>(wParam), palette, state.hot);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the painting covers everything
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      const LRESULT result = CallNext(button, message, wParam, lParam);
      if (SetHot(button, state, message == WM_MOUSEMOVE)) RepaintButtonNow(button, state);
      return result;
    }
    // Messages on which the standard button draws itself directly.
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case WM_UPDATEUISTATE:
    case WM_SYSCOLORCHANGE: {
      const LRESULT result = CallNext(button, message, wParam, lParam);
      RepaintButtonNow(button, state);
      return result;
    }
    default:
      return CallNext(button, message, wParam, lParam);
  }
}

// ---- Edit boxes: skin-coloured border --------------------------------------

bool IsSkinned(HWND window) noexcept { return SchemeOf(window) != 0; }

void RepaintEditFrameNow(HWND edit, const ControlState& state) {
  if (!IsWindow(edit) || !IsWindowVisible(edit)) return;
  const int scheme = SchemeOf(edit);
  if (const Palette* palette = PaletteOf(scheme)) {
    PaintEditFrame(edit, *palette, state.hot && scheme == state.scheme);
  }
}

LRESULT OnEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, ControlState state,
                      const Palette& palette) {
  switch (message) {
    case WM_NCPAINT: {
      const LRESULT result = CallNext(edit, message, wParam, lParam);
      if (IsWindowVisible(edit)) PaintEditFrame(edit, palette, state.hot);
      return result;
    }
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      const LRESULT result = CallNext(edit, message, wParam, lParam);
      if (SetHot(edit, state, message == WM_MOUSEMOVE)) RepaintEditFrameNow(edit, state);
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_STYLECHANGED: {
      const LRESULT result = CallNext(edit, message, wParam, lParam);
      RepaintEditFrameNow(edit, state);
      // The combo box or up-down control around this edit shows its focus too.
      const HWND parent = GetParent(edit);
      if (IsDropDownCombo(parent) && IsSkinned(parent)) {
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
      }
      const HWND upDown = UpDownOfBuddy(edit);
      if (IsSkinned(upDown)) InvalidateRect(upDown, nullptr, FALSE);
      return result;
    }
    default:
      return CallNext(edit, message, wParam, lParam);
  }
}

// ---- Drop-down combo boxes and their lists ---------------------------------

// The standard combo box paints into the back buffer first (it draws the
// selected text and the edit padding); the skin's border and drop button go
// over it. The edit box inside a drop-down combo is a child window and keeps
// its own pixels.
void PaintCombo(HWND combo, HDC target, const Palette& palette, bool hot) {
  RECT client{};
  GetClientRect(combo, &client);
  BackBuffer buffer(target, client.right, client.bottom);
  if (!buffer.ok()) return;
  FillRect(buffer.dc(), &client, GetSysColorBrush(COLOR_WINDOW));
  CallNext(combo, WM_PAINT, reinterpret_cast<WPARAM>(buffer.dc()), 0);
  PaintComboOverlay(combo, buffer.dc(), palette, hot);

  SavedDcState saved(target);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(combo, &info) && info.hwndItem && info.hwndItem != combo &&
      IsWindowVisible(info.hwndItem)) {
    RECT item{};
    GetWindowRect(info.hwndItem, &item);
    MapWindowPoints(nullptr, combo, reinterpret_cast<POINT*>(&item), 2);
    ExcludeClipRect(target, item.left, item.top, item.right, item.bottom);
  }
  buffer.CopyTo(target);
}

LRESULT OnComboMessage(HWND combo, UINT message, WPARAM wParam, LPARAM lParam, ControlState state,
                       const Palette& palette) {
  switch (message) {
    case WM_PAINT: {
      PaintScope paint(combo);
      PaintCombo(combo, paint.dc(), palette, state.hot);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintCombo(combo, reinterpret_cast<HDC>(wParam), palette, state.hot);
      return 0;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      const LRESULT result = CallNext(combo, message, wParam, lParam);
      if (SetHot(combo, state, message == WM_MOUSEMOVE)) {
        RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
      }
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: {
      const LRESULT result = CallNext(combo, message, wParam, lParam);
      if (IsWindow(combo) && IsSkinned(combo)) {
        RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
      }
      return result;
    }
    default:
      return CallNext(combo, message, wParam, lParam);
  }
}

LRESULT OnDropDownListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                              const Palette& palette) {
  const LRESULT result = CallNext(list, message, wParam, lParam);
  if (message == WM_NCPAINT && IsWindowVisible(list)) PaintDropDownListFrame(list, palette);
  return result;
}

// ---- Up-down controls -----------------------------------------------------

void SetPressedPart(HWND upDown, ControlState& state, int part) {
  if (state.pressedPart == part) return;
  state.pressedPart = part;
  Remember(upDown, state);
  InvalidateRect(upDown, nullptr, FALSE);
}

POINT PointOf(LPARAM lParam) noexcept {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LRESULT OnUpDownMessage(HWND upDown, UINT message, WPARAM wParam, LPARAM lParam, ControlState state,
                        const Palette& palette) {
  switch (message) {
    case WM_PAINT: {
      PaintScope paint(upDown);
      PaintUpDown(upDown, paint.dc(), palette, state.hot ? state.hotPart : 0, state.pressedPart);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintUpDown(upDown, reinterpret_cast<HDC>(wParam), palette, state.hot ? state.hotPart : 0,
                  state.pressedPart);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE: {
      const LRESULT result = CallNext(upDown, message, wParam, lParam);
      if (SetHot(upDown, state, true, UpDownPartAt(upDown, PointOf(lParam)))) {
        InvalidateRect(upDown, nullptr, FALSE);
      }
      return result;
    }
    case WM_MOUSELEAVE: {
      const LRESULT result = CallNext(upDown, message, wParam, lParam);
      if (SetHot(upDown, state, false)) InvalidateRect(upDown, nullptr, FALSE);
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const LRESULT result = CallNext(upDown, message, wParam, lParam);
      if (IsWindow(upDown) && IsWindowEnabled(upDown)) {
        SetPressedPart(upDown, state, UpDownPartAt(upDown, PointOf(lParam)));
      }
      return result;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_ENABLE: {
      const LRESULT result = CallNext(upDown, message, wParam, lParam);
      if (IsWindow(upDown)) SetPressedPart(upDown, state, 0);
      return result;
    }
    default:
      return CallNext(upDown, message, wParam, lParam);
  }
}

LRESULT SkinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemovePropA(window, kMarkProperty);
    subclass::Remove(window);
    return CallNext(window, message, wParam, lParam);
  }
  const ControlState state = Unpack(data);
  const Palette* palette = PaletteOf(state.scheme);
  if (!palette) return CallNext(window, message, wParam, lParam);
  switch (state.family) {
    case Family::Button:
      return OnButtonMessage(window, message, wParam, lParam, state, *palette);
    case Family::Edit:
      return OnEditMessage(window, message, wParam, lParam, state, *palette);
    case Family::Combo:
      return OnComboMessage(window, message, wParam, lParam, state, *palette);
    case Family::DropDownList:
      return OnDropDownListMessage(window, message, wParam, lParam, *palette);
    case Family::UpDown:
      return OnUpDownMessage(window, message, wParam, lParam, state, *palette);
  }
  return CallNext(window, message, wParam, lParam);
}

}  // namespace

void Initialize() {
  g_creationHook.reset();
  g_activeScheme = 0;
}

void Switch(int scheme) {
  g_creationHook.reset();
  g_activeScheme = 0;
  ForEachWindowOfThread(Detach);
  if (!PaletteOf(scheme)) return;

  g_activeScheme = scheme;
  ForEachWindowOfThread(AttachActive);
  g_creationHook.reset(
      SetWindowsHookExA(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId()));
}

int ActiveScheme() { return g_activeScheme; }

}  // namespace ui::skin
