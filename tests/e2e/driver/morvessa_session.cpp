#include "tests/e2e/driver/morvessa_session.h"

#include <algorithm>
#include <utility>

#include "tests/e2e/driver/user_input.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_facts.h"

namespace e2e {

Installation::Installation(const std::string& programExe, AppFolder where, const std::string& exeName)
    : folder(std::move(where)) {
  if (folder.ok()) exe = folder.CopyProgram(programExe, exeName);
}

RunningMorvessa::RunningMorvessa(const std::string& exe, const std::string& workingDirectory) {
  // Without a window manager a window keeps the keyboard only while the
  // pointer is over it, so the pointer waits where the centred window will
  // open, as if the user had just started the program from there.
  MovePointerTo(POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});
  app = AppProcess::Start(exe, workingDirectory);
  window = app.WaitForWindow();
  if (!window) return;
  list = FindChildByClass(window, "ListBox");
  preview = FindChildByText(window, kPreviewCaption);
  exit = FindChildByText(window, kExitCaption);
  WaitUntil([&] { return FocusedWindowOf(window) != nullptr; });
  focusAtStart = FocusedWindowOf(window);
  activeAtStart = ActiveWindowOf(window);
  BringToFront(window);
}

RunningMorvessa::RunningMorvessa(const Installation& installation)
    : RunningMorvessa(installation.exe, installation.folder.path()) {}

HWND RunningMorvessa::focus() const { return FocusedWindowOf(window); }

bool RunningMorvessa::FocusBecomes(HWND control) const {
  return WaitUntil([&] { return focus() == control; });
}

std::string RunningMorvessa::WhereIsTheFocus() const {
  return "focus: " + DescribeWindow(focus()) + ", active: " + DescribeWindow(ActiveWindowOf(window)) +
         ", foreground: " + DescribeWindow(GetForegroundWindow()) +
         ", main window: " + DescribeWindow(window);
}

Ending WaitForEndWatchingWindows(const AppProcess& app, HWND mainWindow) {
  Ending ending;
  WaitUntil(
      [&] {
        for (HWND window : VisibleTopLevelWindowsOf(app.id())) {
          if (window == mainWindow) continue;
          const std::string seen = DescribeWindow(window);
          if (std::find(ending.otherWindows.begin(), ending.otherWindows.end(), seen) ==
              ending.otherWindows.end()) {
            ending.otherWindows.push_back(seen);
          }
        }
        return !app.running();
      },
      kExitCapMs, 10);
  ending.exitCode = app.WaitForExit(0);
  return ending;
}

}  // namespace e2e
