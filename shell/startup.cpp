#include "shell/startup.h"

#include <windows.h>
#include <ole2.h>

#include "shell/fatal_error.h"
#include "shell/main_window.h"
#include "shell/program_directory.h"
#include "ui/skin/skin.h"
#include "ui/window.h"

namespace shell {
namespace {

constexpr char kDefinitionsFailed[] =
    "\xD4\xD8\xC8\xEB\xB4\xB0\xBF\xDA\xC4\xA3\xB0\xE5\xCA\xFD\xBE\xDD\xB6\xCE\xB3\xF6\xB4\xED!";  // 载入窗口模板数据段出错!
constexpr char kStartWindowFailed[] =
    "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC";  // 载入启动窗口失败

}  // namespace

int RunProgram() {
  // Texts and byte blocks come from the process heap, which needs no set-up.
  OleInitialize(nullptr);
  FixProgramDirectory();
  // The preview library stays unloaded until the first preview.
  ui::skin::Initialize();
  if (!ui::LoadWindowDefinitions()) FatalError(0, kDefinitionsFailed);
  if (!LoadMainWindow()) FatalError(0, kStartWindowFailed);
  ui::RunMessageLoop();
  End(0);
}

}  // namespace shell
