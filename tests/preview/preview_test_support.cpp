#include "tests/preview/preview_test_support.h"

#include <set>

#include <gtest/gtest.h>

#include "tests/support/hex.h"

namespace preview_test {
namespace {

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

std::string WideToAnsi(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int bytes = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()),
                                  nullptr, 0, nullptr, nullptr);
  std::string ansi(bytes, '\0');
  WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                      bytes, nullptr, nullptr);
  return ansi;
}

// Read through the wide calls: the ANSI ones don't cross processes intact
// under Wine. Converted from code page 936, the program's own.
std::string WindowTextOf(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return WideToAnsi(text);
}

struct BoxSearch {
  DWORD processId;
  std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBoxes(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<BoxSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (pid == search->processId && lstrcmpA(className, "#32770") == 0 &&
      IsWindowVisible(window))
    search->boxes.push_back(window);
  return TRUE;
}

constexpr int kMessageBoxTextId = 0xFFFF;
// Only a hang guard: no test waits anywhere near this long.
constexpr DWORD kGiveUpAfterMs = 120000;

}  // namespace

TempFolder::TempFolder() {
  static int counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string base = temp;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  path_ = base + "\\morvessa-preview-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::operator/(const std::string& name) const {
  return path_ + "\\" + name;
}

std::string TempFolder::Subfolder(const std::string& name) const {
  std::string folder = *this / name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok);
  ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
    bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

std::string Hex(const std::string& bytes) { return testing_support::Hex(bytes); }

std::string ExeDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

// The build puts the tests in bin/preview-tests and the stand-ins in
// bin/doubles/<flavour>, away from the real library in bin/.
std::string DoublePath(const char* flavour) {
  return ExeDirectory() + "\\..\\doubles\\" + flavour + "\\Browse.dll";
}

void CopyDoubleInto(const char* flavour, const std::string& folder) {
  std::string source = DoublePath(flavour);
  ASSERT_TRUE(CopyFileA(source.c_str(), (folder + "\\Browse.dll").c_str(), FALSE))
      << source << " -> " << folder;
}

HostOutcome RunHost(const std::vector<std::string>& arguments,
                    const std::string& workingDirectory, const std::string& path,
                    const std::string& hostPath) {
  HostOutcome outcome;
  TempFolder scratch;
  std::string resultFile = scratch / "result.txt";
  std::string host = hostPath.empty() ? ExeDirectory() + "\\preview_host.exe" : hostPath;
  std::string commandLine = Quoted(host) + " " + Quoted(resultFile);
  for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);

  std::string savedPath;
  if (!path.empty()) {
    char old[32768] = {};
    GetEnvironmentVariableA("PATH", old, sizeof old);
    savedPath = old;
    SetEnvironmentVariableA("PATH", path.c_str());
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  BOOL started = CreateProcessA(host.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0,
                                nullptr, workingDirectory.c_str(), &startup, &process);
  if (!path.empty()) SetEnvironmentVariableA("PATH", savedPath.c_str());
  EXPECT_TRUE(started) << commandLine << " error " << GetLastError();
  if (!started) return outcome;
  CloseHandle(process.hThread);

  std::set<HWND> answered;
  DWORD waited = 0;
  for (;;) {
    DWORD state = WaitForSingleObject(process.hProcess, 50);
    BoxSearch search{process.dwProcessId, {}};
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.boxes) {
      if (!answered.insert(box).second) continue;
      BoxSeen seen;
      seen.title = WindowTextOf(box);
      seen.text = WindowTextOf(GetDlgItem(box, kMessageBoxTextId));
      outcome.boxes.push_back(seen);
      // Pressed as a user would: the box's OK button.
      HWND ok = GetDlgItem(box, IDOK);
      if (ok) {
        SendMessageW(ok, BM_CLICK, 0, 0);
      } else {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
    if (state == WAIT_OBJECT_0) break;
    waited += 50;
    if (waited > kGiveUpAfterMs) {
      ADD_FAILURE() << "preview_host did not end: " << commandLine;
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, INFINITE);
      break;
    }
  }
  outcome.finished = waited <= kGiveUpAfterMs;
  GetExitCodeProcess(process.hProcess, &outcome.exitCode);
  CloseHandle(process.hProcess);
  outcome.result = ReadBytes(resultFile);
  return outcome;
}

std::string FatalBoxText(const std::string& message) {
  return "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!"  // 运行时出错!
         "\r\n\r\n"
         "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"  // 错误信息：
         + message + "\r\n";
}

}  // namespace preview_test
