#include "tests/support/list_box_fixture.h"
#include "ui/file_list.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/app_folder.h"
#include "ui/file_patterns.h"

namespace {

using TempFolder = e2e::AppFolder;
using Names = std::vector<std::string>;

constexpr char kGbkName[] = "\xD4\xA4\xC0\xC0\xD2\xB3.txt";  // 预览页.txt

// A real sorted list box in a real window, as the main window makes it.
using FileListTest = testing_support::ListBoxFixture;

TEST_F(FileListTest, ListsMatchingFilesOfEveryAttributeButNoFolders) {
  TempFolder folder;
  folder.AddFile("b.txt", "x");
  folder.AddFile("a.txt", "x");
  folder.AddFile("hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN);
  folder.AddFile("system.txt", "x", FILE_ATTRIBUTE_SYSTEM);
  folder.AddFile("readonly.txt", "x", FILE_ATTRIBUTE_READONLY);
  folder.AddFile(kGbkName, "x");
  folder.AddFile("note.md", "x");
  folder.AddFolder("dir.txt");

  ui::FileList list(listBox_, "*.txt");
  list.SetDirectory(folder.path().c_str());

  Names entries = Entries();
  Names expected = {"a.txt", "b.txt", "hidden.txt", "readonly.txt", "system.txt", kGbkName};
  std::sort(expected.begin(), expected.end());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(list.SelectedName().get(), nullptr);
  EXPECT_EQ(SendMessageA(listBox_, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(FileListTest, ThePatternTextDecidesWhatIsListed) {
  TempFolder folder;
  folder.AddFile("a.txt", "x");
  folder.AddFile("b.md", "x");
  folder.AddFile("c.log", "x");
  struct Case {
    const char* patternText;
    Names expected;
  } cases[] = {
      {"*.txt", {"a.txt"}},
      {"*.txt   ", {"a.txt"}},  // trailing blanks are not part of the pattern
      {"*.txt;*.md", {"a.txt", "b.md"}},
      {"*.md;;*.txt;", {"a.txt", "b.md"}},
      {"*.txt;*.TXT;a.*", {"a.txt"}},  // one name is listed once
      {"", {"a.txt", "b.md", "c.log"}},  // empty means every file
      {"   ", {"a.txt", "b.md", "c.log"}},
  };
  for (const auto& c : cases) {
    ui::FileList list(listBox_, c.patternText);
    list.SetDirectory(folder.path().c_str());
    EXPECT_EQ(Entries(), c.expected) << '"' << c.patternText << '"';
  }
}

TEST_F(FileListTest, TheDirectoryIsStoredAsWrittenAndAMissingOneGivesAnEmptyList) {
  TempFolder folder;
  folder.AddFile("a.txt", "x");
  ui::FileList list(listBox_, "*.txt");

  std::string withBackslash = folder.path() + "\\";
  list.SetDirectory(withBackslash.c_str());
  EXPECT_STREQ(list.Directory().get(), withBackslash.c_str());
  EXPECT_EQ(Entries(), Names{"a.txt"});

  std::string missing = folder.PathOf("missing");
  list.SetDirectory(missing.c_str());
  EXPECT_STREQ(list.Directory().get(), missing.c_str());
  EXPECT_TRUE(Entries().empty());
}

TEST_F(FileListTest, AnEmptyDirectoryMeansTheCurrentOne) {
  TempFolder folder;
  folder.AddFile("here.txt", "x");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));

  ui::FileList list(listBox_, "*.txt");
  list.SetDirectory("");
  SetCurrentDirectoryA(previous);

  EXPECT_EQ(Entries(), Names{"here.txt"});
  EXPECT_EQ(lstrcmpiA(list.Directory().c_str(), folder.path().c_str()), 0);
}

TEST_F(FileListTest, TheSelectedNameIsTheSelectedEntry) {
  TempFolder folder;
  folder.AddFile("a.txt", "x");
  folder.AddFile(kGbkName, "x");
  ui::FileList list(listBox_, "*.txt");
  list.SetDirectory(folder.path().c_str());

  LRESULT gbk = SendMessageA(listBox_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(kGbkName));
  ASSERT_NE(gbk, LB_ERR);
  SendMessageA(listBox_, LB_SETCURSEL, gbk, 0);
  EXPECT_STREQ(list.SelectedName().get(), kGbkName);

  list.Refill();  // filling again leaves nothing selected
  EXPECT_EQ(list.SelectedName().get(), nullptr);
}

TEST_F(FileListTest, RefusesSearchPathsLongerThanThePathLimit) {
  // 250 characters of folder + "\" + "*.txt" + NUL is past MAX_PATH: nothing is
  // searched rather than a cut path.
  std::string longFolder = "C:\\" + std::string(250, 'a');
  ui::FileList list(listBox_, "*.txt");
  list.SetDirectory(longFolder.c_str());
  EXPECT_TRUE(Entries().empty());
  EXPECT_STREQ(list.Directory().get(), longFolder.c_str());
}

TEST(FilePatterns, SplitsAtSemicolonsAfterTrimmingTrailingBlanks) {
  struct Case {
    const char* text;
    std::vector<std::string_view> expected;
  } cases[] = {
      {"*.txt", {"*.txt"}},
      {"*.txt ;*.md  ", {"*.txt ", "*.md"}},
      {"", {"*.*"}},
      {";", {}},
      {"a;;b", {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::SplitFilePatterns(c.text), c.expected) << c.text;
}

}  // namespace
