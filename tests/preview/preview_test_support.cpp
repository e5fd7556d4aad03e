#include "tests/preview/preview_test_support.h"

#include <set>

#include <gtest/gtest.h>

#include "tests/e2e/driver/message_box.h"
#include "tests/support/hex.h"

namespace preview_test {
namespace {

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

// Only a hang guard: no test waits anywhere near this long.
constexpr DWORD kGiveUpAfterMs = 120000;

}  // namespace

void WriteBytes(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(e2e::WriteFileBytes(path, bytes)) << path;
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
  e2e::AppFolder scratch;
  std::string resultFile = scratch.PathOf("result.txt");
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
    for (HWND box : e2e::MessageBoxesOf(process.dwProcessId)) {
      if (!answered.insert(box).second) continue;
      const e2e::MessageBoxFacts facts = e2e::ReadMessageBox(box);
      outcome.boxes.push_back({facts.title, facts.text});
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
  outcome.result = e2e::ReadFileBytes(resultFile);
  return outcome;
}

std::string FatalBoxText(const std::string& message) {
  return "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!"  // 运行时出错!
         "\r\n\r\n"
         "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"  // 错误信息：
         + message + "\r\n";
}

}  // namespace preview_test
