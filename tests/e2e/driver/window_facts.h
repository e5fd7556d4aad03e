#pragma once
// Reading another process's windows and controls as they are at this moment.
//
// Texts come back as bytes in code page 936, the program's own encoding. They
// are read through the wide calls and converted here, because Wine's ANSI
// calls across processes hand back UTF-16 bytes cut to the ANSI length.
// Every message sent to the other process is bounded by a timeout.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The code page of the program's texts.
constexpr UINT kGbkCodePage = 936;

std::string GbkFromWide(const std::wstring& wide);
std::wstring WideFromGbk(const std::string& gbk);

// Top-level windows of a process, visible or not, in Z order.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
// The visible ones among them.
std::vector<HWND> VisibleTopLevelWindowsOf(DWORD processId);
// Direct child windows of `parent`, in Z order (creation order for controls
// created without explicit Z placement).
std::vector<HWND> ChildWindowsOf(HWND parent);

std::string ClassNameOf(HWND window);
// The window's text (caption of a window or button, ...) as GBK bytes.
std::string TextOf(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
int ControlIdOf(HWND window);
RECT ScreenRectOf(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// The client area's size as a rectangle at (0, 0).
RECT ClientRectOf(HWND window);
// The client area's rectangle on the screen.
RECT ClientScreenRectOf(HWND window);

struct ControlFacts {
  HWND window = nullptr;
  std::string className;
  std::string text;
  RECT rect = {};  // in the parent's client coordinates
  DWORD style = 0;
  DWORD exStyle = 0;
  int id = 0;
};
ControlFacts FactsOf(HWND window);
std::vector<ControlFacts> ControlsOf(HWND parent);

// The first direct child of `parent` whose text is `text` (GBK), or null.
HWND FindChildByText(HWND parent, const std::string& text);
// The `index`-th direct child of `parent` with class `className`, or null.
HWND FindChildByClass(HWND parent, const std::string& className, int index = 0);

// A list box's entries, in the list's own order, as GBK bytes.
std::vector<std::string> ListItemsOf(HWND listBox);
// The selected entry's index, or -1 when nothing is selected.
int ListSelectionOf(HWND listBox);
std::optional<std::string> ListSelectedTextOf(HWND listBox);
int ListTopIndexOf(HWND listBox);
// An entry's rectangle in the list's client coordinates (empty if unknown).
RECT ListItemRectOf(HWND listBox, int index);

// Focus and activation of the GUI thread that owns `window`.
HWND FocusedWindowOf(HWND window);
HWND ActiveWindowOf(HWND window);

// A window property set with SetProp, read from outside (Wine keeps them in
// the server), or nothing when the window has no such property.
std::optional<std::uintptr_t> PropertyOf(HWND window, const char* name);

// Class, text, handle and process of a window, for failure messages.
std::string DescribeWindow(HWND window);

// Whether `window` answers messages: alive and not hung.
bool Responds(HWND window);

}  // namespace e2e
