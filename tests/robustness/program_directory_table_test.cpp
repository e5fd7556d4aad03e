// The program directory cut through the real code with the system's own
// code page 936 (IsDBCSLeadByte), for a seeded table of hostile executable
// paths, against a model that reads the path character by character.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/program_directory.h"
#include "tests/sanitize/pure_piece_checks.h"

namespace {

using pure_checks::Hex;

// What the program directory must be: the bytes before the last separator
// that is a character of its own; empty without one, or when it is the
// first byte.
std::string ModelProgramDirectory(const std::string& modulePath) {
  std::string text = modulePath.c_str();  // the system's text ends at its first NUL
  std::size_t cut = pure_checks::ModelLastBackslash(text, pure_checks::IsGbkLeadByte);
  if (cut == shell::npos || cut == 0) return {};
  return text.substr(0, cut);
}

class ProgramDirectoryTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "these cases need code page 936 (LC_ALL=zh_CN.UTF-8)";
  }
};

// The model's lead bytes are the system's: a model that disagreed with the
// platform would prove nothing about the program.
TEST_F(ProgramDirectoryTable, TheSystemsLeadBytesAreTheModels) {
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE,
              pure_checks::IsGbkLeadByte(static_cast<unsigned char>(byte)))
        << "byte " << byte;
  }
}

TEST_F(ProgramDirectoryTable, SeededHostilePathsAreCutAsTheModelSays) {
  pure_checks::HostileBytes paths(0x936);
  for (int round = 0; round < 20000; ++round) {
    std::string modulePath = paths.Next();
    // Most rounds look like a real path: a drive, then the hostile bytes.
    if (paths.Below(2)) modulePath = "C:\\" + modulePath;
    pure_checks::ExactCString exact(modulePath);
    base::Text directory = shell::ProgramDirectoryOf(exact.get());
    std::string expected = ModelProgramDirectory(modulePath);
    if (expected.empty()) {
      ASSERT_EQ(directory.get(), nullptr) << "round " << round << ": " << Hex(modulePath);
    } else {
      ASSERT_NE(directory.get(), nullptr) << "round " << round << ": " << Hex(modulePath);
      ASSERT_EQ(Hex(directory.get()), Hex(expected)) << "round " << round;
    }
  }
}

}  // namespace
