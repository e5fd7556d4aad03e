#pragma once
// Fixtures shared by the preview tests: scratch folders, snippet files, copies
// of the Browse.dll stand-ins, and a child process whose fatal error box is
// read and answered the way a user would.

#include <windows.h>

#include <string>
#include <vector>

namespace preview_test {

// A fresh folder under the temp directory; removed with its contents.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + name.
  std::string operator/(const std::string& name) const;
  // Creates the subfolder `name` and returns its path.
  std::string Subfolder(const std::string& name) const;

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
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
