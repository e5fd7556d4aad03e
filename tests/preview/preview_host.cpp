// A small host for the roads of the preview command that end the process (a
// fatal error shows its box and exits with -1), run by the tests as a child:
//
//   preview_host <result-file> read <path> [refuse <bytes>]...
//       writes "text <hex>" or "null"
//   preview_host <result-file> bind <program-directory>
//       binds the preview library looking first in the folder; writes "bound"
//   preview_host <result-file> command <folder> <name> [refuse <bytes>]...
//       starts like the program (OLE, program directory and working
//       directory), runs the preview command; writes "done"
//
// "refuse <bytes>" makes every heap request of exactly that size fail.

#include <windows.h>
#include <ole2.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/heap.h"
#include "preview/preview_command.h"
#include "preview/preview_library.h"
#include "preview/snippet_file.h"
#include "shell/program_directory.h"
#include "tests/support/hex.h"

namespace {

constexpr int kMaxRefusals = 8;
std::size_t g_refused[kMaxRefusals];
int g_refusalCount = 0;

bool RefuseListedSizes(std::size_t bytes) {
  for (int i = 0; i < g_refusalCount; ++i)
    if (g_refused[i] == bytes) return true;
  return false;
}

void TakeRefusals(int first, int argc, char** argv) {
  for (int i = first; i + 1 < argc && g_refusalCount < kMaxRefusals; i += 2) {
    if (std::strcmp(argv[i], "refuse") != 0) continue;
    g_refused[g_refusalCount++] =
        static_cast<std::size_t>(std::strtoull(argv[i + 1], nullptr, 10));
  }
  if (g_refusalCount) base::SetAllocationFailureFilterForTesting(RefuseListedSizes);
}

void WriteResult(const char* resultFile, const std::string& result) {
  HANDLE file = CreateFileA(resultFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, result.data(), static_cast<DWORD>(result.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Hex(const char* bytes) {
  return testing_support::Hex(bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const char* resultFile = argv[1];
  const std::string scenario = argv[2];

  if (scenario == "read" && argc >= 4) {
    TakeRefusals(4, argc, argv);
    base::Text snippet = preview::ReadSnippetText(argv[3]);
    base::SetAllocationFailureFilterForTesting(nullptr);
    WriteResult(resultFile, snippet.get() ? "text " + Hex(snippet.get()) : "null");
    return 0;
  }
  if (scenario == "bind" && argc >= 4) {
    preview::PreviewExportLookingFirstIn(argv[3]);
    WriteResult(resultFile, "bound");
    preview::ReleasePreviewLibrary();
    return 0;
  }
  if (scenario == "command" && argc >= 5) {
    OleInitialize(nullptr);
    shell::FixProgramDirectory();
    TakeRefusals(5, argc, argv);
    preview::RunPreviewCommand(argv[3], argv[4]);
    base::SetAllocationFailureFilterForTesting(nullptr);
    WriteResult(resultFile, "done");
    preview::ReleasePreviewLibrary();
    OleUninitialize();
    return 0;
  }
  return 2;
}
