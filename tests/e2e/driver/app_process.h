#pragma once
// A program under test, started the way a user's shell would start it: a
// chosen executable, a chosen working directory, the normal show state. The
// process is ended by force when the object goes away while it still runs, so
// a failed test never leaves a window behind.

#include <windows.h>

#include <optional>
#include <string>

#include "base/win_handles.h"
#include "tests/e2e/driver/wait.h"

namespace e2e {

// The program's main window title.
inline constexpr const char* kMainWindowTitle = "MorvessaV1.0";

class AppProcess {
 public:
  // Starts `exePath` with `workingDirectory` as its current directory (empty:
  // the driver's own). ok() tells whether the process was created.
  static AppProcess Start(const std::string& exePath, const std::string& workingDirectory,
                          const std::string& arguments = "");

  // Not a process yet: ok() is false.
  AppProcess() = default;
  AppProcess(AppProcess&&) noexcept = default;
  AppProcess& operator=(AppProcess&&) noexcept = default;
  ~AppProcess();

  bool ok() const { return static_cast<bool>(process_); }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  bool running() const;

  // The visible top-level window of this process whose title is `title`
  // (GBK bytes), or null when none appeared within the cap.
  HWND WaitForWindow(const std::string& title = kMainWindowTitle, DWORD capMs = kStartCapMs) const;

  // The exit code once the process has ended, or nothing if it still runs
  // after the cap.
  std::optional<DWORD> WaitForExit(DWORD capMs = kExitCapMs) const;

  // The process's current directory as the system keeps it (with a trailing
  // backslash), read from its process parameters; nothing if unreadable.
  // Works when the driver and the program have the same bitness.
  std::optional<std::string> CurrentDirectory() const;

  // Ends the process at once (exit code 0xDEAD) and waits for it.
  void Kill();

 private:
  base::KernelHandle process_;
  DWORD id_ = 0;
};

}  // namespace e2e
