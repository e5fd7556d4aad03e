#pragma once
// The program under test as the end-to-end tests meet it: installed in a
// prepared folder, started, its main window and three controls found.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver/app_folder.h"
#include "tests/e2e/driver/app_process.h"

namespace e2e {

inline constexpr const char* kPreviewCaption = "\xD4\xA4\xC0\xC0";  // 预览
inline constexpr const char* kExitCaption = "\xCD\xCB\xB3\xF6";     // 退出

// A folder laid out like an installation: a copy of the program, and
// whatever snippets and other files a test adds through `folder`.
struct Installation {
  explicit Installation(const std::string& programExe, AppFolder where = AppFolder(),
                        const std::string& exeName = "Morvessa.exe");
  bool ok() const { return !exe.empty(); }

  AppFolder folder;
  std::string exe;  // the copy's full path
};

// The program started from a working directory, with its main window and
// controls found and the window brought to the front for input.
struct RunningMorvessa {
  RunningMorvessa(const std::string& exe, const std::string& workingDirectory);
  // Started from its own folder.
  explicit RunningMorvessa(const Installation& installation);

  bool ready() const { return window && list && preview && exit; }
  HWND focus() const;
  // Whether the keyboard focus reaches `control` within the reaction cap.
  bool FocusBecomes(HWND control) const;
  // Focus, activation and foreground, for failure messages.
  std::string WhereIsTheFocus() const;

  AppProcess app;
  HWND window = nullptr;
  HWND list = nullptr;
  HWND preview = nullptr;
  HWND exit = nullptr;
  // As the program left them on its own, before the driver stepped in.
  HWND focusAtStart = nullptr;
  HWND activeAtStart = nullptr;
};

// How a process ended, and every other visible window it showed while the
// test waited (an error box, a second window).
struct Ending {
  std::optional<DWORD> exitCode;  // nothing if it still ran after the cap
  std::vector<std::string> otherWindows;
};
Ending WaitForEndWatchingWindows(const AppProcess& app, HWND mainWindow);

}  // namespace e2e
