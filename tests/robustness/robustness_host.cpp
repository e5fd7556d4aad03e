// Starts the way the program does (the program directory fixed and made the
// working directory) and reports what came of it, for a test that runs this
// host from a folder whose path is longer than MAX_PATH:
//
//   robustness_host <result-file>
//       writes three lines, each the hex of code page 936 bytes: the program
//       directory, the working directory afterwards, the executable's path
//       as the wide call reports it.

#include <windows.h>

#include <string>

#include "base/win_handles.h"
#include "shell/program_directory.h"
#include "tests/support/hex.h"

namespace {

using testing_support::Hex;

std::string Ansi(const wchar_t* wide, DWORD length) {
  if (length == 0) return {};
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0,
                                  nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), ansi.data(), bytes, nullptr,
                      nullptr);
  return ansi;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  shell::FixProgramDirectory();

  static wchar_t current[32768];
  static wchar_t module[32768];
  std::string report = Hex(shell::ProgramDirectory()) + "\n" +
                       Hex(Ansi(current, GetCurrentDirectoryW(32768, current))) + "\n" +
                       Hex(Ansi(module, GetModuleFileNameW(nullptr, module, 32768))) + "\n";

  base::FileHandle file(CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 3;
  DWORD written = 0;
  WriteFile(file.get(), report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
  return 0;
}
