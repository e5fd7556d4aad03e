#include "tests/e2e/driver/app_folder.h"

#include <cstdio>
#include <utility>

#include "base/win_handles.h"
#include "tests/e2e/driver/wait.h"

namespace e2e {
namespace {

// Offsets of the path separators in `path`, skipping the trail bytes of
// double-byte characters (a GBK trail byte may be 0x5C).
std::vector<std::size_t> SeparatorOffsets(const std::string& path) {
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      offsets.push_back(i);
    }
  }
  return offsets;
}

bool EndsWithSeparator(const std::string& path) {
  const auto offsets = SeparatorOffsets(path);
  return !offsets.empty() && offsets.back() + 1 == path.size();
}

std::string TopLevelEntry(const std::string& relative) {
  const auto offsets = SeparatorOffsets(relative);
  return offsets.empty() ? relative : relative.substr(0, offsets.front());
}

bool CreateFolderWithParents(const std::string& path) {
  for (std::size_t offset : SeparatorOffsets(path)) {
    const std::string prefix = path.substr(0, offset);
    // Drive roots ("C:") and the empty prefix of "\\server" need no creating.
    if (prefix.empty() || prefix.back() == ':' || prefix.back() == '\\') continue;
    CreateDirectoryA(prefix.c_str(), nullptr);
  }
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::string WinePathFromHost(const std::string& hostPath) {
  if (hostPath.empty() || hostPath[0] != '/') return hostPath;
  std::string windowsPath = "Z:" + hostPath;
  for (char& c : windowsPath) {
    if (c == '/') c = '\\';
  }
  return windowsPath;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return EndsWithSeparator(dir) ? dir + name : dir + "\\" + name;
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  std::string folder(buffer, length <= MAX_PATH ? length : 0);
  if (EndsWithSeparator(folder) && folder.size() > 3) folder.pop_back();
  return folder;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  base::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string ReadFileBytes(const std::string& path) {
  base::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  base::FindHandle find(FindFirstFileA(JoinPath(folder, pattern).c_str(), &found));
  if (!find) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(find.get(), &found));
  return names;
}

bool RemoveTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    // A program that has just exited may still hold its image for a moment.
    return WaitUntil([&] { return DeleteFileA(path.c_str()) != FALSE; }, kReactionCapMs, 50);
  }
  WIN32_FIND_DATAA found;
  base::FindHandle find(FindFirstFileA(JoinPath(path, "*").c_str(), &found));
  if (find) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") RemoveTree(JoinPath(path, name));
    } while (FindNextFileA(find.get(), &found));
  }
  find.reset();
  return WaitUntil([&] { return RemoveDirectoryA(path.c_str()) != FALSE; }, kReactionCapMs, 50);
}

AppFolder::AppFolder(const std::string& parent, const std::string& nameHint) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, "-%lu-%u-%llu", GetCurrentProcessId(), ++counter,
                  static_cast<unsigned long long>(GetTickCount64()));
    const std::string candidate = JoinPath(parent, nameHint + suffix);
    CreateFolderWithParents(parent);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
  }
  ownsFolder_ = !path_.empty();
}

AppFolder::AppFolder(Adopted, std::string path) : path_(std::move(path)) {}

AppFolder AppFolder::InExisting(const std::string& existingFolder) {
  const DWORD attributes = GetFileAttributesA(existingFolder.c_str());
  const bool usable = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  return AppFolder(Adopted{}, usable ? existingFolder : std::string());
}

AppFolder::AppFolder(AppFolder&& other) noexcept
    : path_(std::exchange(other.path_, std::string())),
      ownsFolder_(std::exchange(other.ownsFolder_, false)),
      createdEntries_(std::move(other.createdEntries_)) {}

AppFolder::~AppFolder() {
  if (path_.empty()) return;
  if (ownsFolder_) {
    RemoveTree(path_);
    return;
  }
  for (auto entry = createdEntries_.rbegin(); entry != createdEntries_.rend(); ++entry) {
    RemoveTree(PathOf(*entry));
  }
}

void AppFolder::Remember(const std::string& relative) {
  const std::string top = TopLevelEntry(relative);
  for (const auto& known : createdEntries_) {
    if (known == top) return;
  }
  createdEntries_.push_back(top);
}

std::string AppFolder::CopyProgram(const std::string& exePath, const std::string& name) {
  const std::string target = PathOf(name);
  Remember(name);
  return CopyFileA(exePath.c_str(), target.c_str(), FALSE) ? target : std::string();
}

std::string AppFolder::AddFolder(const std::string& relative) {
  const std::string target = PathOf(relative);
  Remember(relative);
  return CreateFolderWithParents(target) ? target : std::string();
}

std::string AppFolder::AddFile(const std::string& relative, const std::string& bytes, DWORD attributes) {
  const std::string target = PathOf(relative);
  Remember(relative);
  const auto separators = SeparatorOffsets(target);
  if (!separators.empty()) CreateFolderWithParents(target.substr(0, separators.back()));
  if (!WriteFileBytes(target, bytes)) return {};
  if (attributes != FILE_ATTRIBUTE_NORMAL && !SetFileAttributesA(target.c_str(), attributes)) return {};
  return target;
}

std::string AppFolder::AddSnippet(const std::string& name, const std::string& bytes, DWORD attributes) {
  return AddFile(JoinPath(kSnippetFolderName, name), bytes, attributes);
}

bool AppFolder::Rename(const std::string& fromRelative, const std::string& toRelative) {
  Remember(toRelative);
  return MoveFileA(PathOf(fromRelative).c_str(), PathOf(toRelative).c_str()) != FALSE;
}

}  // namespace e2e
