#pragma once
// Keyboard and mouse input as a user produces it: real input events through
// SendInput, delivered by the system to whatever window is under the pointer
// or has the keyboard focus. Nothing is posted to the program directly.
//
// Under Wine without a window manager the X focus follows the pointer, so a
// window only keeps the keyboard while the pointer rests over it: BringToFront
// parks the pointer on the window's caption before activating it.

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>

namespace e2e {

// Moves the pointer to a screen point with a real mouse movement.
bool MovePointerTo(POINT screen);
// Pointer onto the window's caption, then the window activated; true once
// it is the foreground window.
bool BringToFront(HWND topLevel);

// One key pressed and released, with `held` keys down around it
// (e.g. PressKey(VK_TAB, {VK_SHIFT})).
void PressKey(WORD virtualKey, std::initializer_list<WORD> held = {});

// A left click at a screen point. Clicks that would follow each other closely
// enough to count as a double click are spaced out.
bool ClickAt(POINT screen);
bool DoubleClickAt(POINT screen);
// A left click at the centre of a window or control.
bool ClickWindow(HWND window);
POINT CentreOf(const RECT& rect);

// Clicks the direct child of `parent` whose caption is `caption` (GBK).
bool PressButtonByCaption(HWND parent, const std::string& caption);

// The middle of the visible part of entry `name` (GBK) on the screen; nothing
// if it is not in the list or not in view.
std::optional<POINT> ListEntryPoint(HWND listBox, const std::string& name);
// Selects the entry `name` with a click on it; false if it cannot be clicked.
bool ClickListEntry(HWND listBox, const std::string& name);
bool DoubleClickListEntry(HWND listBox, const std::string& name);
// Selects the entry `name` with Home and Down keys; the list must have the
// keyboard focus.
bool SelectListEntryByKeys(HWND listBox, const std::string& name);

// Where a click closes the window: the middle of the close box in the
// caption drawn by the system, found by asking the window what is where.
std::optional<POINT> CloseBoxPoint(HWND topLevel);
// A real click on the close box.
bool ClickCloseBox(HWND topLevel);
// Fallback for systems whose frame cannot be clicked: the request the close
// box would make (WM_SYSCOMMAND, SC_CLOSE), posted.
bool RequestCloseBySystemCommand(HWND topLevel);

}  // namespace e2e
