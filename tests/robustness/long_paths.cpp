#include "tests/robustness/long_paths.h"

#include <vector>

#include "base/win_handles.h"

namespace robustness {
namespace {

constexpr UINT kGbkCodePage = 936;
// Room per folder name: file systems take 255 characters, Linux 255 bytes of
// UTF-8, and a GBK character may take three.
constexpr std::size_t kLongestFolderName = 160;

// "\\?\C:\..." lifts the path limit of the wide calls.
std::wstring Unlimited(const std::string& path) {
  std::wstring wide = WideFromAnsi(path);
  if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  return wide;
}

std::string ParentOf(const std::string& path) {
  std::wstring wide = WideFromAnsi(path);
  std::size_t cut = wide.rfind(L'\\');
  return cut == std::wstring::npos ? std::string() : AnsiFromWide(wide.substr(0, cut));
}

}  // namespace

std::wstring WideFromAnsi(const std::string& ansi) {
  if (ansi.empty()) return {};
  int length = MultiByteToWideChar(kGbkCodePage, 0, ansi.data(), static_cast<int>(ansi.size()),
                                   nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                      length);
  return wide;
}

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string AnsiFromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                      length, nullptr, nullptr);
  return ansi;
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring folder(buffer, length);
  if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return AnsiFromWide(folder);
}

bool MakeFolders(const std::string& path) {
  if (Exists(path)) return true;
  std::string parent = ParentOf(path);
  if (!parent.empty() && parent.size() < path.size() && !MakeFolders(parent)) return false;
  return CreateDirectoryW(Unlimited(path).c_str(), nullptr) || Exists(path);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  base::FileHandle file(CreateFileW(Unlimited(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file.get(), bytes.data(),
                                       static_cast<DWORD>(bytes.size()), &written, nullptr);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadBytes(const std::string& path) {
  base::FileHandle file(CreateFileW(Unlimited(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  std::vector<char> chunk(1 << 16);
  DWORD read = 0;
  while (ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) &&
         read) {
    bytes.append(chunk.data(), read);
  }
  return bytes;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Unlimited(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyInto(const std::string& from, const std::string& to) {
  return CopyFileW(Unlimited(from).c_str(), Unlimited(to).c_str(), FALSE) != FALSE;
}

namespace {

void RemoveEntry(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  {
    WIN32_FIND_DATAW found;
    base::FindHandle search(FindFirstFileW((path + L"\\*").c_str(), &found));
    if (search) {
      do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") RemoveEntry(path + L"\\" + name, found.dwFileAttributes);
      } while (FindNextFileW(search.get(), &found));
    }
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) {
  std::wstring wide = Unlimited(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) RemoveEntry(wide, attributes);
}

std::string PathOfLength(const std::string& parent, const std::string& stem, std::size_t length) {
  std::string path = parent + "\\" + stem;
  std::size_t sinceSeparator = stem.size();
  while (path.size() < length) {
    // A separator only where a name of at least one byte can still follow.
    if (sinceSeparator >= kLongestFolderName && length - path.size() >= 2) {
      path += '\\';
      sinceSeparator = 0;
    } else {
      path += 'p';
      ++sinceSeparator;
    }
  }
  return path;
}

ScratchFolder::ScratchFolder(const std::string& path) : path_(path) {
  RemoveTree(path_);
  MakeFolders(path_);
}

ScratchFolder::ScratchFolder()
    : ScratchFolder([] {
        static unsigned counter = 0;
        return TempFolder() + "\\morvessa-robustness-" + std::to_string(GetCurrentProcessId()) +
               "-" + std::to_string(++counter);
      }()) {}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::optional<std::string> UnixPathOf(const std::string& windowsPath) {
  using GetUnixFileName = char*(CDECL*)(const wchar_t*);
  auto getUnixFileName = reinterpret_cast<GetUnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!getUnixFileName) return std::nullopt;
  char* unixPath = getUnixFileName(Unlimited(windowsPath).c_str());
  if (!unixPath) return std::nullopt;
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

bool StartThroughWineLoader(const std::string& unixExe, const std::string& arguments,
                            const std::string& workingDirectory) {
  wchar_t loader[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"WINELOADER", loader, MAX_PATH))
    lstrcpyW(loader, L"/usr/lib/wine/wine64");
  // The loader finds its own parts next to the path it is started as, so its
  // command line names it by its Linux path.
  std::wstring application = std::wstring(L"Z:") + loader;
  for (wchar_t& c : application) {
    if (c == L'/') c = L'\\';
  }
  // Linux paths are UTF-8, whatever the program's code page.
  std::wstring commandLine = std::wstring(L"\"") + loader + L"\" \"" + WideFromUtf8(unixExe) +
                             L"\"";
  if (!arguments.empty()) commandLine += L" " + WideFromAnsi(arguments);
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::wstring directory = WideFromAnsi(workingDirectory);
  if (!CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    return false;
  }
  // A Linux process has no handle worth keeping.
  base::KernelHandle thread(info.hThread), process(info.hProcess);
  return true;
}

std::string ImagePathOf(DWORD processId) {
  base::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::vector<wchar_t> path(32768);
  DWORD length = static_cast<DWORD>(path.size());
  BOOL ok = QueryFullProcessImageNameW(process.get(), 0, path.data(), &length);
  return ok ? AnsiFromWide(std::wstring(path.data(), length)) : std::string();
}

}  // namespace robustness
