// The yardstick for the program's start-up: only the platform work no
// program that shows the snippet list can avoid. OLE initialised, one window,
// one sorted list box (the same styles as the program's) filled with the
// "*.txt" names of the snippet folder beside the executable while the window
// is still hidden, with the list's redrawing paused as any careful fill
// would, then shown. No skin, no framework, no icon, no texts on the heap.

#include <windows.h>
#include <ole2.h>

#include <cstring>

namespace {

constexpr char kClassName[] = "MorvessaStartupBaseline";
constexpr char kTitle[] = "StartupBaseline";
// \预览代码\*.txt
constexpr char kSnippetPattern[] = "\\\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB\\*.txt";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void FillFromSnippetFolder(HWND listBox) {
  char pattern[MAX_PATH * 2];
  DWORD length = GetModuleFileNameA(nullptr, pattern, MAX_PATH);
  // The bench folders have plain ASCII paths, so the last backslash is a
  // real one.
  char* lastBackslash = std::strrchr(pattern, '\\');
  if (length == 0 || !lastBackslash) return;
  lstrcpyA(lastBackslash, kSnippetPattern);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  SendMessageA(listBox, WM_SETREDRAW, FALSE, 0);
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  SendMessageA(listBox, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  OleInitialize(nullptr);

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExA(&windowClass);

  HWND window = CreateWindowExA(0, kClassName, kTitle,
                                WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN,
                                (GetSystemMetrics(SM_CXSCREEN) - 380) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - 250) / 2, 380, 250, nullptr,
                                nullptr, instance, nullptr);
  HWND listBox = CreateWindowExA(
      WS_EX_CLIENTEDGE, "LISTBOX", nullptr,
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_NOTIFY |
          LBS_NOINTEGRALHEIGHT,
      24, 40, 320, 120, window, nullptr, instance, nullptr);
  FillFromSnippetFolder(listBox);
  ShowWindow(window, SW_SHOW);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  OleUninitialize();
  return 0;
}
