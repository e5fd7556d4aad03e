// The file list at the path limit. A search path (folder, backslash, pattern,
// NUL) longer than MAX_PATH is not searched, so that pattern lists nothing;
// a pattern text longer than 263 bytes lists nothing at all. Wine's ANSI
// calls take one byte more than Windows' (a 260-character path), so the
// cases right past the limit also show the list keeps its own limit rather
// than leaning on the system's.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/robustness/long_paths.h"
#include "tests/support/list_box_fixture.h"
#include "ui/file_list.h"

namespace {

using Names = std::vector<std::string>;
using robustness::PathOfLength;
using robustness::ScratchFolder;

constexpr std::size_t kSearchLimit = MAX_PATH;  // with the NUL

class FileListLimits : public testing_support::ListBoxFixture {
 protected:
  // A folder whose path is exactly `length` bytes, holding a.txt and b.md.
  std::string FolderOfLength(std::size_t length, const std::string& ending = "") {
    std::string folder = PathOfLength(scratch_.path(), "d" + std::to_string(length),
                                      length - ending.size()) + ending;
    EXPECT_EQ(folder.size(), length);
    EXPECT_TRUE(robustness::MakeFolders(folder)) << folder;
    EXPECT_TRUE(robustness::WriteBytes(folder + "\\a.txt", "a"));
    EXPECT_TRUE(robustness::WriteBytes(folder + "\\b.md", "b"));
    return folder;
  }

  ScratchFolder scratch_;
};

// Folder + "\" + "*.txt" + NUL against 260: a folder of 253 bytes is the
// longest that is searched, however the directory is written.
TEST_F(FileListLimits, TheFolderIsSearchedWhileFolderBackslashPatternAndNulFitMaxPath) {
  struct Form {
    const char* name;
    std::string ending;       // how the folder's path ends
    bool storedWithBackslash;  // the directory text ends with "\"
  };
  const Form forms[] = {
      {"plain", "", false},
      {"written with a backslash", "", true},
      // 乗 is 81 5C: its trail byte looks like a backslash but is none, so
      // the list still adds one.
      {"ending in a 0x5C trail byte", "\x81\x5C", false},
  };
  for (std::size_t length = 251; length <= 256; ++length) {
    for (const Form& form : forms) {
      SCOPED_TRACE(std::to_string(length) + "-byte folder, " + form.name);
      std::string folder = FolderOfLength(length, form.ending);
      std::string directory = form.storedWithBackslash ? folder + "\\" : folder;
      bool fits = length + 1 + 5 + 1 <= kSearchLimit;

      ui::FileList list(listBox_, "*.txt");
      list.SetDirectory(directory.c_str());

      EXPECT_EQ(Entries(), fits ? Names{"a.txt"} : Names{});
      EXPECT_STREQ(list.Directory().get(), directory.c_str());
      robustness::RemoveTree(folder);
    }
  }
}

// Directories far past any limit, existing or not: nothing listed, nothing
// overrun, the text kept as written.
TEST_F(FileListLimits, DirectoriesFarPastTheLimitListNothing) {
  for (std::size_t length : {261u, 300u, 1000u, 5000u, 40000u}) {
    std::string directory = "C:\\" + std::string(length - 3, 'x');
    ui::FileList list(listBox_, "*.txt");
    list.SetDirectory(directory.c_str());
    EXPECT_EQ(Entries(), Names{}) << length;
    EXPECT_EQ(list.Directory().c_str(), directory) << length;
  }
}

// Each pattern is measured on its own: the one that fits is searched, the one
// that doesn't contributes nothing.
TEST_F(FileListLimits, APatternWhoseSearchPathIsTooLongAloneListsNothing) {
  const std::size_t folderLength = 200;
  std::string folder = FolderOfLength(folderLength);
  // "**...*.md" finds b.md when searched; its search path is
  // folder + "\" + pattern + NUL.
  for (std::size_t stars = 53; stars <= 57; ++stars) {
    std::string longPattern = std::string(stars, '*') + ".md";
    bool fits = folderLength + 1 + longPattern.size() + 1 <= kSearchLimit;
    ui::FileList list(listBox_, ("*.txt;" + longPattern).c_str());
    list.SetDirectory(folder.c_str());
    EXPECT_EQ(Entries(), fits ? (Names{"a.txt", "b.md"}) : Names{"a.txt"})
        << longPattern.size() << "-byte pattern";
  }
}

TEST_F(FileListLimits, APatternTextOver263BytesListsNothing) {
  std::string folder = FolderOfLength(scratch_.path().size() + 8);
  std::string repeated;
  while (repeated.size() < 264) repeated += "*.txt;*.md;";
  struct Case {
    std::string patternText;
    Names expected;
  } cases[] = {
      {"*.txt" + std::string(258, ' '), {"a.txt"}},  // 263 bytes, blanks trimmed later
      {"*.txt" + std::string(259, ' '), {}},
      {"*.txt" + std::string(258, ';'), {"a.txt"}},
      {"*.txt" + std::string(259, ';'), {}},
      {repeated.substr(0, 263), {"a.txt", "b.md"}},
      {repeated.substr(0, 264), {}},  // every pattern fits, the text doesn't
  };
  for (const Case& c : cases) {
    ui::FileList list(listBox_, c.patternText.c_str());
    list.SetDirectory(folder.c_str());
    EXPECT_EQ(Entries(), c.expected) << c.patternText.size() << " bytes: " << c.patternText;
  }
}

}  // namespace
