#include "tests/e2e/driver/app_process.h"

#include <vector>

#include "tests/e2e/driver/window_facts.h"

namespace e2e {
namespace {

// The leading parts of the process environment block and of its process
// parameters, as laid out for a process of the driver's own bitness.
struct UnicodeText {
  USHORT length;  // in bytes
  USHORT maximumLength;
  PWSTR buffer;
};
struct ProcessParametersHead {
  ULONG maximumLength;
  ULONG length;
  ULONG flags;
  ULONG debugFlags;
  HANDLE consoleHandle;
  ULONG consoleFlags;
  HANDLE standardInput;
  HANDLE standardOutput;
  HANDLE standardError;
  UnicodeText currentDirectory;
  HANDLE currentDirectoryHandle;
};
struct PebHead {
  BYTE flags[4];
  HANDLE mutant;
  PVOID imageBaseAddress;
  PVOID loaderData;
  ProcessParametersHead* processParameters;
};
struct BasicInformation {
  LONG_PTR exitStatus;
  PebHead* pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG_PTR basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR parentProcessId;
};
using QueryInformationProcess = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

template <class T>
bool ReadRemote(HANDLE process, const void* address, T* value, std::size_t bytes = sizeof(T)) {
  SIZE_T got = 0;
  return ReadProcessMemory(process, address, value, bytes, &got) && got == bytes;
}

}  // namespace

AppProcess AppProcess::Start(const std::string& exePath, const std::string& workingDirectory,
                             const std::string& arguments) {
  AppProcess app;
  std::string commandLine = "\"" + exePath + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> writableCommandLine(commandLine.begin(), commandLine.end());
  writableCommandLine.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exePath.c_str(), writableCommandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, workingDirectory.empty() ? nullptr : workingDirectory.c_str(),
                      &startup, &info)) {
    return app;
  }
  CloseHandle(info.hThread);
  app.process_.reset(info.hProcess);
  app.id_ = info.dwProcessId;
  return app;
}

AppProcess::~AppProcess() {
  if (running()) Kill();
}

bool AppProcess::running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND AppProcess::WaitForWindow(const std::string& title, DWORD capMs) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindowsOf(id_)) {
          if (IsWindowVisible(window) && TextOf(window) == title) {
            found = window;
            return true;
          }
        }
        return !running();
      },
      capMs, 50);
  return found;
}

std::optional<DWORD> AppProcess::WaitForExit(DWORD capMs) const {
  if (!process_ || WaitForSingleObject(process_.get(), capMs) != WAIT_OBJECT_0) return std::nullopt;
  // The system takes the windows of an ended process away a moment later;
  // until then they still take part in activation and input.
  WaitUntil([&] { return TopLevelWindowsOf(id_).empty(); }, kReactionCapMs, 10);
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

std::optional<std::string> AppProcess::CurrentDirectory() const {
  const auto query = reinterpret_cast<QueryInformationProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  BasicInformation basic = {};
  if (!query || query(process_.get(), 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0) {
    return std::nullopt;
  }
  PebHead peb = {};
  ProcessParametersHead parameters = {};
  if (!ReadRemote(process_.get(), basic.pebBaseAddress, &peb) ||
      !ReadRemote(process_.get(), peb.processParameters, &parameters)) {
    return std::nullopt;
  }
  std::wstring directory(parameters.currentDirectory.length / sizeof(wchar_t), L'\0');
  if (!directory.empty() &&
      !ReadRemote(process_.get(), parameters.currentDirectory.buffer, directory.data(),
                  directory.size() * sizeof(wchar_t))) {
    return std::nullopt;
  }
  return GbkFromWide(directory);
}

void AppProcess::Kill() {
  if (!process_) return;
  TerminateProcess(process_.get(), 0xDEAD);
  WaitForExit(kExitCapMs);
}

}  // namespace e2e
