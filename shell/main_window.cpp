#include "shell/main_window.h"

#include <windows.h>

#include <iterator>

#include "base/text.h"
#include "preview/preview_command.h"
#include "resources/resource_ids.h"
#include "shell/fatal_error.h"
#include "shell/program_directory.h"
#include "ui/skin/skin.h"
#include "ui/window.h"

namespace shell {
namespace {

constexpr char kTitle[] = "MorvessaV1.0";
constexpr char kFileBox1[] = "\xCE\xC4\xBC\xFE\xBF\xF2" "1";  // 文件框1
constexpr char kButton1[] = "\xB0\xB4\xC5\xA5" "1";           // 按钮1
constexpr char kButton2[] = "\xB0\xB4\xC5\xA5" "2";           // 按钮2
constexpr char kPreviewCaption[] = "\xD4\xA4\xC0\xC0";        // 预览
constexpr char kExitCaption[] = "\xCD\xCB\xB3\xF6";           // 退出
constexpr char kSnippetFolder[] = "\\\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB";  // \预览代码
constexpr int kBlueSkin = 1;

constexpr DWORD kButtonStyle = WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
constexpr DWORD kFileListStyle =
    WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

void OnCreated(ui::Window& window) {
  ui::skin::Switch(kBlueSkin);
  base::Text folder = base::Join({ProgramDirectory(), kSnippetFolder});
  window.FileListNamed(kFileBox1)->SetDirectory(folder.c_str());
}

void OnPreviewClicked(ui::Window& window) {
  ui::FileList* list = window.FileListNamed(kFileBox1);
  preview::RunPreviewCommand(list->Directory(), list->SelectedName());
}

void OnExitClicked(ui::Window&) { End(0); }

void OnWillBeDestroyed(ui::Window&) { End(0); }

// clang-format off
const ui::ControlDefinition kControls[] = {
  // kind                      name       left top  width height style           exStyle           caption          pattern   tab
  {ui::ControlKind::FileList,   kFileBox1, 24,  40,  320,  120,  kFileListStyle, WS_EX_CLIENTEDGE, nullptr,         "*.txt",  0},
  {ui::ControlKind::PushButton, kButton1,  50,  176, 112,  32,   kButtonStyle,   0,                kPreviewCaption, nullptr,  1},
  {ui::ControlKind::PushButton, kButton2,  200, 176, 122,  32,   kButtonStyle,   0,                kExitCaption,    nullptr,  2},
};

const ui::EventBinding kEvents[] = {
  // source    event                          handler
  {nullptr,   ui::Event::Created,         OnCreated},
  {nullptr,   ui::Event::WillBeDestroyed, OnWillBeDestroyed},
  {kButton1,  ui::Event::Clicked,         OnPreviewClicked},
  {kButton2,  ui::Event::Clicked,         OnExitClicked},
};

const ui::WindowDefinition kMainWindow = {
  "MainWindow", kTitle,
  380, 250,                                                   // outer size
  WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN, 0,  // fixed dialog frame, close box only
  MORVESSA_ICON_NAME,
  kControls, std::size(kControls),
  kEvents, std::size(kEvents),
};
// clang-format on

}  // namespace

bool LoadMainWindow() { return ui::LoadWindow(kMainWindow) != nullptr; }

}  // namespace shell
