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

}  // namespace

base::Text ProgramDirectoryOf(const char* modulePath) {
  std::size_t cut = LastBackslash(modulePath, IsAnsiLeadByte);
  if (cut == npos || cut == 0) return base::Text();
  return base::Text::CopyBytes(modulePath, cut);
}

void FixProgramDirectory() {
  char modulePath[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  modulePath[length < MAX_PATH ? length : MAX_PATH - 1] = '\0';
  g_programDirectory = ProgramDirectoryOf(modulePath);

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
