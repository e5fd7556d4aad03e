// Snippet files at every size boundary the reader has, and at the path limit:
// a NUL at every position of short files, 2 GiB - 1 bytes (the longest file
// that is read at all), and files whose path is longer than MAX_PATH (which
// the reader's ANSI open can't reach: the null snippet). Empty, one-byte and
// 2 GiB-or-larger files are covered by the preview tests.

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/heap.h"
#include "base/win_handles.h"
#include "preview/snippet_file.h"
#include "tests/robustness/long_paths.h"
#include "tests/sanitize/pure_piece_checks.h"

namespace {

using pure_checks::Hex;
using robustness::ScratchFolder;

// The bytes before the first NUL; nothing when that is no byte at all.
void ExpectSnippet(const base::Text& snippet, const std::string& fileBytes) {
  std::string expected = fileBytes.substr(0, fileBytes.find('\0'));
  if (expected.empty()) {
    EXPECT_EQ(snippet.get(), nullptr);
  } else {
    ASSERT_NE(snippet.get(), nullptr);
    EXPECT_EQ(Hex(std::string(snippet.get(), snippet.length())), Hex(expected));
  }
}

TEST(SnippetBoundaries, ANulAtEveryPositionOfShortFilesEndsTheText) {
  ScratchFolder folder;
  std::string path = folder / "short.txt";
  // GBK and plain bytes, so a cut inside a double-byte character shows too.
  const std::string kBytes = "a\xD6\xD0\xCE\xC4z\x81\\";  // a中文z乗
  for (std::size_t length = 1; length <= kBytes.size(); ++length) {
    for (std::size_t nul = 0; nul <= length; ++nul) {  // nul == length: none
      std::string bytes = kBytes.substr(0, length);
      if (nul < length) bytes[nul] = '\0';
      SCOPED_TRACE(Hex(bytes));
      ASSERT_TRUE(robustness::WriteBytes(path, bytes));
      ExpectSnippet(preview::ReadSnippetText(path.c_str()), bytes);
    }
  }
  // Nothing but NULs.
  ASSERT_TRUE(robustness::WriteBytes(path, std::string(64, '\0')));
  EXPECT_EQ(preview::ReadSnippetText(path.c_str()).get(), nullptr);
}

// 2 GiB - 1 bytes costing no disk: "abc" and a sparse rest of zeros.
class TwoGibibytesLessOne : public ::testing::Test {
 protected:
  static constexpr long long kLength = (2LL << 30) - 1;

  void SetUp() override {
    path_ = folder_ / "two-gib-less-one.txt";
    base::FileHandle file(CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD returned = 0;
    DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "abc", 3, &written, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = kLength;
    ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
  }

  ScratchFolder folder_;
  std::string path_;
};

std::vector<std::size_t> g_requests;
// What a 32-bit process can't have: no block of a gibibyte or more.
bool RefuseWhatA32BitProcessCantHave(std::size_t bytes) {
  g_requests.push_back(bytes);
  return bytes >= (std::size_t{1} << 30);
}

// The shipped program is a 32-bit process: neither the snippet block nor a
// plain read buffer of 2 GiB can be had there, and that is nothing read, with
// no message (not the fatal out-of-memory error).
TEST_F(TwoGibibytesLessOne, IsTakenAsReadableAndWithoutTheMemoryReadsAsNothing) {
  g_requests.clear();
  base::SetAllocationFailureFilterForTesting(RefuseWhatA32BitProcessCantHave);
  base::Text snippet = preview::ReadSnippetText(path_.c_str());
  base::SetAllocationFailureFilterForTesting(nullptr);

  EXPECT_EQ(snippet.get(), nullptr);
  // Both roads were tried for the whole length: the block (length + 8), then
  // the plain buffer; a 2 GiB file would have asked for nothing.
  const std::size_t length = static_cast<std::size_t>(kLength);
  EXPECT_EQ(g_requests, (std::vector<std::size_t>{length + 8, length}));
}

// A 64-bit process can have the memory: the file is read whole (Linux hands
// out at most 2 GiB - 4 KiB in one read, a short read the reader keeps) and
// the text is the bytes before the first NUL.
TEST_F(TwoGibibytesLessOne, WithTheMemoryIsReadUpToItsFirstNul) {
  MEMORYSTATUSEX memory = {};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);
  if (sizeof(void*) < 8 || memory.ullAvailPhys < (6ULL << 30))
    GTEST_SKIP() << "needs a 64-bit process and 6 GiB of free memory";
  base::Text snippet = preview::ReadSnippetText(path_.c_str());
  ASSERT_NE(snippet.get(), nullptr);
  EXPECT_STREQ(snippet.get(), "abc");
}

// A snippet whose path is longer than MAX_PATH can't be opened by the
// reader's ANSI call: the null snippet, as for any file that can't be
// opened. The files exist (made through the wide calls). Wine's ANSI calls
// take 260 characters, Windows' 259, so the boundary cases are 259 and 261.
TEST(SnippetBoundaries, APathLongerThanMaxPathIsTheNullSnippet) {
  ScratchFolder folder;
  struct Case {
    std::size_t pathLength;
    bool read;
  } cases[] = {{200, true}, {259, true}, {261, false}, {300, false}, {1000, false}};
  for (const Case& c : cases) {
    std::string path = robustness::PathOfLength(folder.path(), "s", c.pathLength - 4) + ".txt";
    ASSERT_EQ(path.size(), c.pathLength);
    std::string parent = path.substr(0, path.rfind('\\'));
    ASSERT_TRUE(robustness::MakeFolders(parent)) << parent;
    ASSERT_TRUE(robustness::WriteBytes(path, "<p>long</p>"));
    ASSERT_TRUE(robustness::Exists(path));

    base::Text snippet = preview::ReadSnippetText(path.c_str());
    if (c.read) {
      EXPECT_STREQ(snippet.get(), "<p>long</p>") << c.pathLength;
    } else {
      EXPECT_EQ(snippet.get(), nullptr) << c.pathLength;
    }
  }
}

}  // namespace
