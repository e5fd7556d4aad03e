#include "preview/preview_command.h"

#include <utility>

#include "preview/checked_stdcall.h"
#include "preview/preview_library.h"
#include "preview/snippet_file.h"
#include "shell/fatal_error.h"

namespace preview {
namespace {

constexpr char kTitle[] = "\xD4\xA4\xC0\xC0\xBD\xE1\xB9\xFB";  // 预览结果
constexpr unsigned kFlag = 1;
constexpr int kStackErrorCode = 6;
constexpr char kStackError[] =
    "\xB5\xF7\xD3\xC3" "DLL\xC3\xFC\xC1\xEE\xBA\xF3\xB7\xA2\xCF\xD6\xB6\xD1\xD5\xBB"
    "\xB4\xED\xCE\xF3";  // 调用DLL命令后发现堆栈错误

void PreviewFile(base::Text path) {
  base::Text snippet = ReadSnippetText(path.get());
  path = base::Text();
  void* previewExport = PreviewExport();
  bool balanced = CallStdcall3Checked(previewExport, kTitle, kFlag, snippet.get());
  // The library may use the snippet only during the call.
  snippet = base::Text();
  if (!balanced) shell::FatalError(kStackErrorCode, kStackError);
}

}  // namespace

void RunPreviewCommand(const char* folder, const char* name) {
  PreviewFile(base::Join({folder, "\\", name}));
}

void RunPreviewCommand(base::Text folder, base::Text name) {
  base::Text path = base::Join({folder.get(), "\\", name.get()});
  folder = base::Text();
  name = base::Text();
  PreviewFile(std::move(path));
}

}  // namespace preview
