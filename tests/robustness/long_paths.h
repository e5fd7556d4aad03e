#pragma once
// Files and folders at and past MAX_PATH for the robustness tests. The
// program's ANSI calls stop at the path limit, so the fixtures are made with
// the wide calls and the "\\?\" prefix, which have no such limit. Paths are
// passed around as the program sees them: code page 936 bytes, no prefix.

#include <windows.h>

#include <optional>
#include <string>

namespace robustness {

std::wstring WideFromAnsi(const std::string& ansi);
std::string AnsiFromWide(const std::wstring& wide);
std::wstring WideFromUtf8(const std::string& utf8);

// The system's temporary folder, without the trailing backslash.
std::string TempFolder();

// Creates `path` and any missing parents; true if it exists afterwards.
bool MakeFolders(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole file; nothing when it can't be opened.
std::optional<std::string> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
bool CopyInto(const std::string& from, const std::string& to);
// Deletes a file or a folder with everything in it.
void RemoveTree(const std::string& path);

// `parent` + "\" + a new folder name made of `stem` and padding, so that the
// whole path is exactly `length` bytes (the stem keeps it unique per process).
std::string PathOfLength(const std::string& parent, const std::string& stem, std::size_t length);

// A fresh folder for one test, removed with its contents afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& path);
  ScratchFolder();  // under the temporary folder
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Under Wine: the Linux path (UTF-8) of a Windows path; nothing elsewhere.
std::optional<std::string> UnixPathOf(const std::string& windowsPath);
bool RunningUnderWine();

// Starts `unixExe` (a Linux path, UTF-8) from the Linux side through the Wine loader, as
// `wine program.exe` from a shell does: the one way a program whose path is
// longer than MAX_PATH starts under Wine (CreateProcess and ShellExecute
// refuse such a path with ERROR_INVALID_NAME). The new process is not our
// child, so find it through its windows or its results.
bool StartThroughWineLoader(const std::string& unixExe, const std::string& arguments,
                            const std::string& workingDirectory);

// The full image path of a process, as the system reports it.
std::string ImagePathOf(DWORD processId);

}  // namespace robustness
