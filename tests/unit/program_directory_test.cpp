#include "shell/program_directory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/path_cut.h"

namespace {

struct DirectoryCase {
  const char* modulePath;
  const char* expected;  // nullptr: the empty text
};

TEST(ProgramDirectory, IsTheExecutablePathCutAtItsLastBackslash) {
  ASSERT_EQ(GetACP(), 936u) << "these cases need code page 936 (LC_ALL=zh_CN.UTF-8)";
  const DirectoryCase cases[] = {
      {"C:\\Tools\\Morvessa.exe", "C:\\Tools"},
      {"C:\\Morvessa.exe", "C:"},                                   // a drive's root
      {"\\\\server\\share\\Morvessa.exe", "\\\\server\\share"},     // a network share
      {"Morvessa.exe", nullptr},                                    // no backslash at all
      {"\\Morvessa.exe", nullptr},
      // 乗 is 81 5C in GBK: its trail byte is not a separator.
      {"C:\\A\x81\\\\Morvessa.exe", "C:\\A\x81\\"},
      {"C:\\A\x81\\Morvessa.exe", "C:"},
      {"D:\\\xD4\xA4\xC0\xC0\\\x81\\x.exe", "D:\\\xD4\xA4\xC0\xC0"},
      // A lead byte with nothing after it stands alone.
      {"C:\\dir\\x\x81", "C:\\dir"},
  };
  for (const auto& c : cases) {
    base::Text directory = shell::ProgramDirectoryOf(c.modulePath);
    if (c.expected)
      EXPECT_STREQ(directory.get(), c.expected) << c.modulePath;
    else
      EXPECT_EQ(directory.get(), nullptr) << c.modulePath;
  }
}

TEST(ProgramDirectory, StartUpMakesItTheWorkingDirectory) {
  char elsewhere[MAX_PATH];
  GetTempPathA(MAX_PATH, elsewhere);
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere));

  shell::FixProgramDirectory();

  char modulePath[MAX_PATH];
  GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  std::string expected(modulePath, std::string(modulePath).rfind('\\'));
  EXPECT_EQ(shell::ProgramDirectory(), expected);
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(lstrcmpiA(current, expected.c_str()), 0) << current;
}

}  // namespace
