#include "tests/browse/preview_driver.h"

#include <tlhelp32.h>

#include <algorithm>

namespace browse_test {
namespace {

constexpr UINT kTickMs = 50;
constexpr int kTicksBeforeGivingUp = 600;  // a guard against hanging, not a time limit

struct DriveState {
  HWND owner = nullptr;
  const Step* step = nullptr;
  DriveResult* result = nullptr;
  HWND preview = nullptr;
  int ticks = 0;
  bool stepFinished = false;
  bool done = false;
  UINT_PTR timer = 0;
};
thread_local DriveState* currentDrive = nullptr;

bool StartedByUs(DWORD processId) {
  const DWORD self = GetCurrentProcessId();
  if (processId == self) return true;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool ours = false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == processId && entry.th32ParentProcessID == self) ours = true;
  }
  CloseHandle(snapshot);
  return ours;
}

BOOL CALLBACK NoteStrayWindow(HWND window, LPARAM) {
  DriveState& drive = *currentDrive;
  if (!IsWindowVisible(window) || window == drive.owner || window == drive.preview) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (!StartedByUs(processId)) return TRUE;
  const std::wstring name = ClassName(window) + L" \"" + WindowText(window) + L"\"";
  auto& stray = drive.result->strayWindows;
  if (std::find(stray.begin(), stray.end(), name) == stray.end()) stray.push_back(name);
  return TRUE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  DriveState* drive = currentDrive;
  if (!drive || drive->done) return;
  ++drive->ticks;
  HWND preview = FindPreview(drive->owner);
  if (preview) {
    drive->preview = preview;
    drive->result->previewSeen = true;
  }
  EnumWindows(NoteStrayWindow, 0);
  // Keys go to the foreground window; under Wine without a window manager
  // that also needs the pointer over it, which OwnerWindow has arranged.
  if (preview && GetForegroundWindow() != preview) preview = nullptr;
  if (!drive->stepFinished) drive->stepFinished = (*drive->step)(preview);
  if (drive->ticks >= kTicksBeforeGivingUp) {
    drive->done = true;
    drive->result->gaveUp = true;
    if (preview) PostMessageW(preview, WM_CLOSE, 0, 0);
  }
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

OwnerWindow::OwnerWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = OwnerProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"BrowseTestOwner";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);  // a second registration fails harmlessly
  // Centred on the work area, as the program's main window is on the screen.
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = 380, height = 250;
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  window_ = CreateWindowExW(0, L"BrowseTestOwner", L"Owner", WS_OVERLAPPEDWINDOW, left, top, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  // Under Wine without a window manager the X focus follows the pointer: it
  // rests on the owner's centre, where the preview will open too.
  SetCursorPos(left + width / 2, top + height / 2);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetActiveWindow(window_);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

OwnerWindow::~OwnerWindow() {
  if (window_) DestroyWindow(window_);
}

DriveResult DriveWhile(const std::function<void()>& call, HWND owner, const Step& step) {
  DriveResult result;
  DriveState drive;
  drive.owner = owner;
  drive.step = &step;
  drive.result = &result;
  currentDrive = &drive;
  drive.timer = SetTimer(nullptr, 0, kTickMs, OnTick);
  call();
  KillTimer(nullptr, drive.timer);
  currentDrive = nullptr;
  return result;
}

HWND FindPreview(HWND owner) {
  for (HWND window : ThreadWindows()) {
    if (window != owner && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

namespace {
struct ChildSearch {
  const wchar_t* className;
  bool visibleOnly;
  HWND found;
};
BOOL CALLBACK MatchChild(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<ChildSearch*>(lParam);
  if (lstrcmpiW(ClassName(window).c_str(), search->className) != 0) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}
BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
  return TRUE;
}
}  // namespace

HWND FindChild(HWND parent, const wchar_t* className) {
  ChildSearch search{className, false, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindVisibleChild(HWND parent, const wchar_t* className) {
  ChildSearch search{className, true, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PressKey(WORD key, WORD heldKey) {
  std::vector<INPUT> inputs;
  auto add = [&inputs](WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  if (heldKey) add(heldKey, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (heldKey) add(heldKey, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace browse_test
