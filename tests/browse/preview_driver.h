#pragma once
// Drives a preview from the thread that opened it. The preview call is modal:
// it runs its own message loop until the window closes, so the test acts from
// a thread timer that this loop dispatches, like a person at the keyboard.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace browse_test {

// A plain top-level window standing in for the host's main window.
class OwnerWindow {
 public:
  OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  ~OwnerWindow();
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// What a step sees: the preview window once it is up and in the foreground
// (null before).
using Step = std::function<bool(HWND preview)>;

struct DriveResult {
  bool previewSeen = false;
  bool gaveUp = false;  // the preview was still open at the end; the driver closed it
  // Visible windows that appeared during the preview besides the preview
  // itself and its owner: in this process or in a process it started.
  std::vector<std::wstring> strayWindows;
};

// Runs `call` (which opens the preview and returns when it closes). Every
// tick, `step` gets the preview window and returns true once it has done its
// part (it is not called again). A preview still open after a generous number
// of ticks is closed by the driver and reported, so nothing hangs.
DriveResult DriveWhile(const std::function<void()>& call, HWND owner, const Step& step);

// The visible top-level window of this thread other than `owner`, or null.
HWND FindPreview(HWND owner);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The first child whose window class is `className` (case-insensitive).
HWND FindChild(HWND parent, const wchar_t* className);
// The visible child window with the given class, or null.
HWND FindVisibleChild(HWND parent, const wchar_t* className);

// Presses and releases a key through the system's input queue, with
// `heldKey` (VK_CONTROL, VK_SHIFT...) held down around it if given.
void PressKey(WORD key, WORD heldKey = 0);

// All windows of this thread, visible or not.
std::vector<HWND> ThreadWindows();

}  // namespace browse_test
