#include "preview/preview_library.h"

#include <windows.h>

#include <utility>

#include "base/text.h"
#include "base/win_handles.h"
#include "shell/fatal_error.h"
#include "shell/program_directory.h"

namespace preview {
namespace {

constexpr char kLibraryName[] = "Browse.dll";
constexpr char kExportName[] = "UpdateTobrilCode";
constexpr char kExportMissing[] =
    "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8" "DLL\xBF\xE2\xCE\xC4\xBC\xFE"
    "\xA1\xB0%s\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE"
    "\xA1\xB0%s\xA1\xB1";  // 无法找到指定DLL库文件“%s”中的输出命令“%s”

// Kept from the first preview until End.
base::LoadedModule g_library;
void* g_export = nullptr;

[[noreturn]] void ExportNotFound() {
  char message[128];
  wsprintfA(message, kExportMissing, kLibraryName, kExportName);
  shell::FatalError(0, message);
}

}  // namespace

void* PreviewExport() { return PreviewExportLookingFirstIn(shell::ProgramDirectory()); }

void* PreviewExportLookingFirstIn(const char* programDirectory) {
  if (g_export) return g_export;

  base::LoadedModule library;
  {
    base::Text besideProgram = base::Join({programDirectory, "\\", kLibraryName});
    library.reset(LoadLibraryA(besideProgram.get()));
  }
  if (!library) library.reset(LoadLibraryA(kLibraryName));
  // Only the copy that loaded is asked; another copy further along the
  // search is never tried.
  FARPROC found = library ? GetProcAddress(library.get(), kExportName) : nullptr;
  if (!found) {
    // The fatal error never returns, so the library is unloaded here.
    library.reset();
    ExportNotFound();
  }
  g_library = std::move(library);
  g_export = reinterpret_cast<void*>(found);
  return g_export;
}

void ReleasePreviewLibrary() {
  g_export = nullptr;
  g_library.reset();
}

}  // namespace preview
