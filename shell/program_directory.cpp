#include "shell/program_directory.h"

#include <windows.h>

#include "shell/path_cut.h"

namespace shell {
namespace {

base::Text g_programDirectory;

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool IsBareDrive(const char* directory) {
  return directory[0] != '\0' && directory[1] == ':' && directory[2] == '\0';
}

// The executable's full path. MAX_PATH bytes hold every ordinary path; a
// longer one (a long-path-aware system) would come back cut, and a cut path
// would name the wrong folder, so the buffer grows until the path fits.
base::Text ModulePath() {
  for (DWORD capacity = MAX_PATH; capacity <= 32768 * 2; capacity *= 2) {
    base::HeapPtr<char> buffer(static_cast<char*>(base::HeapAllocOrDie(capacity)));
    DWORD length = GetModuleFileNameA(nullptr, buffer.get(), capacity);
    if (length == 0) return base::Text();
    if (length < capacity) return base::Text::CopyBytes(buffer.get(), length);
  }
  return base::Text();
}

}  // namespace

base::Text ProgramDirectoryOf(const char* modulePath) {
  std::size_t cut = LastBackslash(modulePath, IsAnsiLeadByte);
  if (cut == npos || cut == 0) return base::Text();
  return base::Text::CopyBytes(modulePath, cut);
}

void FixProgramDirectory() {
  base::Text modulePath = ModulePath();
  g_programDirectory = ProgramDirectoryOf(modulePath.c_str());

  // "C:" alone names the drive's remembered current directory, not its root.
  const char* directory = g_programDirectory.c_str();
  if (IsBareDrive(directory)) {
    base::Text root = base::Join({directory, "\\"});
    SetCurrentDirectoryA(root.c_str());
  } else {
    SetCurrentDirectoryA(directory);
  }
}

const char* ProgramDirectory() { return g_programDirectory.c_str(); }

}  // namespace shell
