#include "shell/fatal_error.h"

#include <windows.h>
#include <ole2.h>

#include "preview/preview_library.h"
#include "shell/fatal_error_text.h"
#include "ui/events.h"
#include "ui/window.h"

namespace shell {
namespace {

constexpr char kErrorTitle[] = "\xB4\xED\xCE\xF3";  // 错误
constexpr char kAllocationFailedBefore[] = "\xB7\xD6\xC5\xE4 ";  // 分配
constexpr char kAllocationFailedAfter[] =
    " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!";  // 字节内存失败!

}  // namespace

void End(unsigned exitCode) {
  // From here no handler runs, so destroying the windows can't end us twice.
  ui::SuppressEventsForever();
  ui::ReleaseAllWindows();
  preview::ReleasePreviewLibrary();
  OleUninitialize();
  ExitProcess(exitCode);
}

void FatalError(int code, const char* message) {
  ui::SuppressEventsForever();
  // On the stack: the heap may be what failed.
  char text[1024];
  FormatFatalErrorText(text, sizeof text, code, message);
  // No owner: the main window keeps moving and repainting, but with events
  // suppressed none of its handlers runs while the box is up.
  MessageBoxA(nullptr, text, kErrorTitle, MB_OK | MB_ICONERROR);
  End(static_cast<unsigned>(-1));
}

void FatalOutOfMemory(std::size_t bytes) {
  char number[24];
  FormatDecimal(number, sizeof number, static_cast<long long>(bytes));
  char message[80];
  lstrcpynA(message, kAllocationFailedBefore, sizeof message);
  lstrcatA(message, number);
  lstrcatA(message, kAllocationFailedAfter);
  FatalError(0, message);
}

}  // namespace shell
