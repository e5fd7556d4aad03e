// A stand-in for the preview library, for tests only (never shipped). Its
// UpdateTobrilCode shows nothing: it appends what it was given, and the
// circumstances of the call, to browse-calls.log beside the DLL itself, so a
// test that put a copy somewhere reads what that copy saw. Loading and
// unloading are recorded too. Built without the export (BROWSE_WITHOUT_EXPORT)
// it is the library that lacks it. The format is in browse_calls_log.h.

#include <windows.h>
#include <ole2.h>

#include <string>

namespace {

HMODULE g_self = nullptr;

std::string Hex(const char* bytes, std::size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    unsigned char byte = static_cast<unsigned char>(bytes[i]);
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

std::string HexText(const char* text) {
  if (!text) return "null";
  return Hex(text, lstrlenA(text));
}

std::string Number(unsigned long long n) { return std::to_string(n); }

std::string OwnPath() {
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(g_self, path, sizeof path);
  return path;
}

// The log sits beside this copy of the DLL. Wide calls, so a folder name with
// GBK bytes is cut at its real last backslash.
void AppendLine(const std::string& line) {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = GetModuleFileNameW(g_self, path, MAX_PATH * 2);
  while (length > 0 && path[length - 1] != L'\\') --length;
  path[length] = L'\0';
  lstrcatW(path, L"browse-calls.log");
  HANDLE log = CreateFileW(path, FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  std::string withEnd = line + "\r\n";
  DWORD written = 0;
  WriteFile(log, withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
  CloseHandle(log);
}

std::string Common(const char* event) {
  return std::string(event) + " pid=" + Number(GetCurrentProcessId()) +
         " module=" + HexText(OwnPath().c_str());
}

}  // namespace

#if !defined(BROWSE_WITHOUT_EXPORT)

namespace {

struct MainWindowSearch {
  DWORD threadId = 0;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM found) {
  DWORD pid = 0;
  DWORD thread = GetWindowThreadProcessId(window, &pid);
  char title[64] = {};
  if (pid == GetCurrentProcessId() && GetWindowTextA(window, title, sizeof title) &&
      lstrcmpA(title, "MorvessaV1.0") == 0) {
    reinterpret_cast<MainWindowSearch*>(found)->threadId = thread;
    return FALSE;
  }
  return TRUE;
}

// OleInitialize answers S_FALSE only on a thread where OLE already is; the
// probe is balanced so the caller's thread is left as it was.
std::string OleState() {
  HRESULT hr = OleInitialize(nullptr);
  if (SUCCEEDED(hr)) OleUninitialize();
  if (hr == S_FALSE) return "yes";
  if (hr == S_OK) return "no";
  char text[16];
  wsprintfA(text, "hr:%08X", static_cast<unsigned>(hr));
  return text;
}

std::string CurrentDirectory() {
  char directory[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof directory, directory);
  return directory;
}

}  // namespace

extern "C" void __stdcall UpdateTobrilCode(const char* title, int flag,
                                           const char* snippet) {
  MainWindowSearch mainWindow;
  EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&mainWindow));
  std::string line = Common("call");
  line += " thread=" + Number(GetCurrentThreadId());
  line += " window-thread=" + Number(mainWindow.threadId);
  line += " ole=" + OleState();
  line += " cwd=" + HexText(CurrentDirectory().c_str());
  line += " title=" + HexText(title);
  line += " flag=" + std::to_string(flag);
  line += " snippet=" + HexText(snippet);
  AppendLine(line);
}

#else

// A near miss: the lookup is by the exact name.
extern "C" void __stdcall UpdateTobrilCodeEx(const char*, int, const char*) {}

#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    AppendLine(Common("load"));
  } else if (reason == DLL_PROCESS_DETACH) {
    // FreeLibrary passes null; the end of the process passes non-null.
    AppendLine(Common("unload") + (reserved ? " by=process-end" : " by=freelibrary"));
  }
  return TRUE;
}
