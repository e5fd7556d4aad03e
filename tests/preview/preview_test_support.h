#pragma once
// Fixtures shared by the preview tests: snippet files, copies of the
// Browse.dll stand-ins, and a child process whose fatal error box is read and
// answered. Scratch folders are the end-to-end driver's e2e::AppFolder.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/app_folder.h"

namespace preview_test {

// Writes the file, failing the test when it can't.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string Hex(const std::string& bytes);

// The folder of the running test program.
std::string ExeDirectory();
// The stand-in built as "recording" or "no-export"; copied as Browse.dll
// into `folder`.
std::string DoublePath(const char* flavour);
void CopyDoubleInto(const char* flavour, const std::string& folder);

struct BoxSeen {
  std::string title;  // code page 936 bytes
  std::string text;
};

struct HostOutcome {
  DWORD exitCode = 0;
  std::vector<BoxSeen> boxes;
  std::string result;  // what the host wrote to its result file
  bool finished = false;
};

// Runs preview_host (beside the tests, or `hostPath`) with `arguments`,
// starting in `workingDirectory` with the environment variable PATH set to
// `path` (inherited when empty). Every message box of the child is read and
// answered with OK.
HostOutcome RunHost(const std::vector<std::string>& arguments,
                    const std::string& workingDirectory,
                    const std::string& path = std::string(),
                    const std::string& hostPath = std::string());

// The text of the fatal error box for code 0 and `message`.
std::string FatalBoxText(const std::string& message);

}  // namespace preview_test
