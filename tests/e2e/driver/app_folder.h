#pragma once
// Files and folders the tests prepare for the program. Every path here is a
// Windows path in the ANSI code page (GBK under Wine's zh_CN locale), so a
// name such as "\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB" (预览代码) reaches the file
// system as the same characters the program asks for.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The snippet folder's name in GBK.
inline constexpr const char* kSnippetFolderName = "\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB";  // 预览代码

// "Z:\..." for a path of the machine that runs Wine ("/work/x" -> "Z:\work\x");
// any other path is returned unchanged, so the same test runs on Windows.
std::string WinePathFromHost(const std::string& hostPath);

// dir + "\" + name, without doubling a backslash that dir already ends with.
std::string JoinPath(const std::string& dir, const std::string& name);

// The system's temporary folder without its trailing backslash.
std::string TempFolder();

bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// The files (never folders) the system's own search finds for `pattern` in
// `folder`, in the order it finds them.
std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern);
// Deletes a file or a folder with everything in it, read-only entries included.
bool RemoveTree(const std::string& path);

// A folder laid out like the program's installation: its executable, its
// snippet folder and whatever else a test puts there. Everything it created
// is removed again when it goes away.
class AppFolder {
 public:
  // A fresh, empty folder with a unique name under `parent`, whose name
  // begins with `nameHint` (GBK bytes welcome).
  explicit AppFolder(const std::string& parent = TempFolder(),
                     const std::string& nameHint = "morvessa-e2e");
  // An existing folder such as a drive's root: only what the tests add to it
  // is removed afterwards, never the folder itself.
  static AppFolder InExisting(const std::string& existingFolder);

  AppFolder(AppFolder&& other) noexcept;
  AppFolder& operator=(AppFolder&&) = delete;
  AppFolder(const AppFolder&) = delete;
  AppFolder& operator=(const AppFolder&) = delete;
  ~AppFolder();

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string PathOf(const std::string& relative) const { return JoinPath(path_, relative); }

  // Copies the program into the folder as `name`; returns its full path, or
  // an empty string when the copy failed.
  std::string CopyProgram(const std::string& exePath, const std::string& name = "Morvessa.exe");
  // Creates a folder (and its parents) relative to this folder.
  std::string AddFolder(const std::string& relative);
  // Writes a file relative to this folder and gives it `attributes`.
  std::string AddFile(const std::string& relative, const std::string& bytes = "",
                      DWORD attributes = FILE_ATTRIBUTE_NORMAL);
  // The snippet folder beside the program, and files in it.
  std::string SnippetFolder() const { return PathOf(kSnippetFolderName); }
  std::string AddSnippet(const std::string& name, const std::string& bytes = "",
                         DWORD attributes = FILE_ATTRIBUTE_NORMAL);
  bool Rename(const std::string& fromRelative, const std::string& toRelative);

 private:
  struct Adopted {};
  AppFolder(Adopted, std::string path);
  void Remember(const std::string& relative);

  std::string path_;
  bool ownsFolder_ = false;
  // Top-level entries this fixture created inside a folder it does not own.
  std::vector<std::string> createdEntries_;
};

}  // namespace e2e
