// The real start-up with one failure forced from outside the program's code,
// so the failure's box and exit code can be seen from another process:
//   window  - creating the main window is refused (a CBT hook vetoes it)
//   memory  - every heap allocation of the program fails
#include <windows.h>

#include <cstring>

#include "base/heap.h"
#include "shell/startup.h"

namespace {

LRESULT CALLBACK VetoTopLevelWindows(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    if (!create->lpcs->hwndParent && create->lpcs->lpszName &&
        !IS_INTRESOURCE(create->lpcs->lpszName) &&
        std::strcmp(create->lpcs->lpszName, "MorvessaV1.0") == 0)
      return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool FailEveryAllocation(std::size_t) { return true; }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strcmp(commandLine, "window") == 0)
    SetWindowsHookExA(WH_CBT, VetoTopLevelWindows, nullptr, GetCurrentThreadId());
  else if (std::strcmp(commandLine, "memory") == 0)
    base::SetAllocationFailureFilterForTesting(FailEveryAllocation);
  shell::RunProgram();
}
