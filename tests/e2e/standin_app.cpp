// A tiny window program the driver's own tests run: a list, buttons, a message
// box on request and distinct exit codes, so every driver action has an effect
// that can be told apart from outside.
//
//   title "Stand-in"; list box (sorted) with "beta", "alpha", "中文";
//   static: the working directory the program was started with;
//   "Box": a message box (no owner) titled "标题", text "第一行\r\n第二行",
//          then exit code 40 + the box's answer (IDOK: 41);
//   "Exit": exit code 7; close box: exit code 3 (after the message loop).

#include <windows.h>

#include <initializer_list>

namespace {

constexpr int kListId = 100;
constexpr int kBoxId = 101;
constexpr int kExitId = 102;
constexpr int kDirectoryId = 103;

void OnCommand(HWND window, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case kBoxId: {
      const int answer = MessageBoxA(nullptr, "\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0",  // 第一行 第二行
                                     "\xB1\xEA\xCC\xE2",  // 标题
                                     MB_OK | MB_ICONERROR);
      ExitProcess(40 + answer);
    }
    case kExitId:
      ExitProcess(7);
    default:
      (void)window;
  }
}

void OnCreate(HWND window) {
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                              10, 10, 200, 80, window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
  for (const char* item : {"beta", "alpha", "\xD6\xD0\xCE\xC4" /* 中文 */}) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  CreateWindowExA(0, "BUTTON", "Box", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 220, 10, 80, 30, window,
                  reinterpret_cast<HMENU>(kBoxId), instance, nullptr);
  CreateWindowExA(0, "BUTTON", "Exit", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 220, 50, 80, 30, window,
                  reinterpret_cast<HMENU>(kExitId), instance, nullptr);
  CreateWindowExA(0, "STATIC", directory, WS_CHILD | WS_VISIBLE, 10, 100, 290, 20, window,
                  reinterpret_cast<HMENU>(kDirectoryId), instance, nullptr);
  SetFocus(list);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_COMMAND:
      OnCommand(window, wParam);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(3);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "E2EStandIn";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "E2EStandIn", "Stand-in", WS_CAPTION | WS_SYSMENU | WS_DLGFRAME,
                                100, 100, 330, 180, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
