// Reading a snippet file: its bytes up to the first NUL, unconverted, and
// nothing (null) for every file that can't be read, without a message.

#include <windows.h>
#include <winioctl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/heap.h"
#include "preview/snippet_file.h"
#include "tests/preview/preview_test_support.h"

namespace {

using preview_test::Hex;
using e2e::AppFolder;
using preview_test::WriteBytes;

std::string ManyBytesWithoutNul(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(1 + i % 255);
  return bytes;
}

const std::string kGbkSnippet =
    "<p>\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB \xD6\xD0\xCE\xC4</p>\r\n";  // <p>预览代码 中文</p>

struct ContentCase {
  const char* name;
  std::string fileBytes;
  bool isNull;
  std::string text;  // when not null
};

class SnippetContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(SnippetContent, IsTheBytesUpToTheFirstNul) {
  const ContentCase& c = GetParam();
  AppFolder folder;
  std::string path = folder.PathOf("snippet.txt");
  WriteBytes(path, c.fileBytes);

  base::Text snippet = preview::ReadSnippetText(path.c_str());

  if (c.isNull) {
    EXPECT_EQ(snippet.get(), nullptr);
  } else {
    ASSERT_NE(snippet.get(), nullptr);
    EXPECT_EQ(Hex(std::string(snippet.get(), snippet.length())), Hex(c.text));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SnippetContent,
    ::testing::Values(
        ContentCase{"NulInTheMiddle", std::string("ab\0cd", 5), false, "ab"},
        ContentCase{"Utf16LittleEndianUnconverted", std::string("\xFF\xFE" "a\0", 4), false,
                    "\xFF\xFE" "a"},
        ContentCase{"GbkVerbatim", kGbkSnippet, false, kGbkSnippet},
        ContentCase{"NoNulAtAll", "abc", false, "abc"},
        ContentCase{"SingleByte", "x", false, "x"},
        ContentCase{"ThreeMebibytesVerbatim", ManyBytesWithoutNul(3 << 20), false,
                    ManyBytesWithoutNul(3 << 20)},
        ContentCase{"Empty", "", true, ""},
        ContentCase{"NulFirst", std::string("\0abc", 4), true, ""}),
    [](const ::testing::TestParamInfo<ContentCase>& info) {
      return std::string(info.param.name);
    });

TEST(SnippetFile, FileNamedInGbkInAGbkFolderIsRead) {
  AppFolder root;
  std::string folder = root.AddFolder("\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB");  // 预览代码
  std::string path = folder + "\\\xD6\xD0\xCE\xC4.txt";                    // 中文.txt
  WriteBytes(path, kGbkSnippet);
  EXPECT_STREQ(preview::ReadSnippetText(path.c_str()).get(), kGbkSnippet.c_str());
}

TEST(SnippetFile, WhatCantBeOpenedIsNull) {
  AppFolder folder;
  std::string subfolder = folder.AddFolder("sub");
  EXPECT_EQ(preview::ReadSnippetText(folder.PathOf("missing.txt").c_str()).get(), nullptr);
  EXPECT_EQ(preview::ReadSnippetText(subfolder.c_str()).get(), nullptr);
  // The path the command makes when nothing is selected: folder + "\".
  EXPECT_EQ(preview::ReadSnippetText((subfolder + "\\").c_str()).get(), nullptr);
  EXPECT_EQ(preview::ReadSnippetText("").get(), nullptr);
  EXPECT_EQ(preview::ReadSnippetText(nullptr).get(), nullptr);
}

// Reading shares read access only: a file someone is writing is not read,
// a file someone else only reads is.
TEST(SnippetFile, FileHeldOpenForWritingIsNullButOneHeldForReadingIsRead) {
  AppFolder folder;
  std::string path = folder.PathOf("busy.txt");
  WriteBytes(path, "busy");
  {
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(preview::ReadSnippetText(path.c_str()).get(), nullptr);
    CloseHandle(writer);
  }
  {
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(preview::ReadSnippetText(path.c_str()).get(), "busy");
    CloseHandle(reader);
  }
}

// A file of `size` bytes that costs no disk: marked sparse where the file
// system supports it, and in any case only extended, never written.
void MakeLargeFile(const std::string& path, long long size, const std::string& head) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  DWORD written = 0;
  WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  LARGE_INTEGER got;
  ASSERT_TRUE(GetFileSizeEx(file, &got));
  ASSERT_EQ(got.QuadPart, size);
  CloseHandle(file);
}

// A length that doesn't fit a signed 32-bit number reads as nothing; that
// includes sizes whose low 32 bits alone would look small.
TEST(SnippetFile, FilesOfTwoGibibytesOrMoreAreNull) {
  AppFolder folder;
  const long long kTwoGiB = 2LL << 30;
  struct {
    const char* name;
    long long size;
  } cases[] = {{"exactly2GiB.txt", kTwoGiB},
               {"4GiBplus5.txt", (4LL << 30) + 5}};
  for (const auto& c : cases) {
    std::string path = folder.PathOf(c.name);
    MakeLargeFile(path, c.size, "abc");
    EXPECT_EQ(preview::ReadSnippetText(path.c_str()).get(), nullptr) << c.name;
    DeleteFileA(path.c_str());
  }
}

// Every heap request made while a snippet is read, by size.
std::vector<std::size_t> g_requests;
bool RecordRequest(std::size_t bytes) {
  g_requests.push_back(bytes);
  return false;
}

// The bytes are read into the block that becomes the text: one request of
// the file's length plus 8, and no second block of the file's size.
TEST(SnippetFile, LargeSnippetIsReadIntoItsOwnBlockWithoutACopy) {
  AppFolder folder;
  std::string path = folder.PathOf("large.txt");
  const std::size_t length = 1 << 20;
  std::string bytes = ManyBytesWithoutNul(length);
  WriteBytes(path, bytes);

  g_requests.clear();
  base::SetAllocationFailureFilterForTesting(RecordRequest);
  base::Text snippet = preview::ReadSnippetText(path.c_str());
  base::SetAllocationFailureFilterForTesting(nullptr);

  ASSERT_EQ(snippet.length(), length);
  EXPECT_EQ(std::string(snippet.get(), length), bytes);
  EXPECT_EQ(g_requests, std::vector<std::size_t>{length + 8});
}

// The two allocation roads run in a child, since the fatal one ends it.
class SnippetMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.PathOf("snippet.txt");
    WriteBytes(path_, "hello");
  }
  preview_test::HostOutcome Read(std::vector<std::string> refusals) {
    std::vector<std::string> arguments = {"read", path_};
    for (const std::string& bytes : refusals) {
      arguments.push_back("refuse");
      arguments.push_back(bytes);
    }
    return preview_test::RunHost(arguments, folder_.path());
  }

  AppFolder folder_;
  std::string path_;
};

TEST_F(SnippetMemory, NoReadBufferGivesNullWithoutMessage) {
  // Neither the snippet block (5 + 8) nor a read buffer (5) can be had.
  preview_test::HostOutcome outcome = Read({"13", "5"});
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(outcome.boxes.empty());
  EXPECT_EQ(outcome.result, "null");
}

TEST_F(SnippetMemory, NoSnippetBlockIsTheFatalOutOfMemoryError) {
  preview_test::HostOutcome outcome = Read({"13"});
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.exitCode, 0xFFFFFFFFu);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(outcome.boxes[0].title, "\xB4\xED\xCE\xF3");  // 错误
  EXPECT_EQ(Hex(outcome.boxes[0].text),
            Hex(preview_test::FatalBoxText(
                "\xB7\xD6\xC5\xE4 13 \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!")))  // 分配 13 字节内存失败!
      << outcome.boxes[0].text;
  EXPECT_EQ(outcome.result, "");
}

TEST_F(SnippetMemory, NoBlockOfTheFileSizeAloneStillReads) {
  preview_test::HostOutcome outcome = Read({"5", "6"});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(outcome.boxes.empty());
  EXPECT_EQ(outcome.result, "text " + Hex("hello"));
}

}  // namespace
