// The preview command from folder and name to the call of the recording
// stand-in: what the library receives for each kind of snippet file, on which
// thread, and how often it is loaded.

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "preview/checked_stdcall.h"
#include "preview/preview_command.h"
#include "preview/preview_library.h"
#include "tests/doubles/browse_calls_log.h"
#include "tests/preview/preview_test_support.h"

namespace {

using doubles::BrowseEvent;
using doubles::BrowseEventsOf;
using doubles::ReadBrowseLog;
using preview_test::Hex;
using e2e::AppFolder;
using preview_test::WriteBytes;

constexpr char kTitleHex[] = "D4A4C0C0BDE1B9FB";  // 预览结果
constexpr char kSnippetFolderName[] = "\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB";  // 预览代码

std::string ManyBytesWithoutNul(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(1 + i % 255);
  return bytes;
}

// The recording stand-in bound from a folder of its own, and a snippet
// folder named as the program names it.
class PreviewCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    preview::ReleasePreviewLibrary();
    library_ = root_.AddFolder("library");
    snippets_ = root_.AddFolder(kSnippetFolderName);
    preview_test::CopyDoubleInto("recording", library_);
    ASSERT_NE(preview::PreviewExportLookingFirstIn(library_.c_str()), nullptr);
  }
  void TearDown() override { preview::ReleasePreviewLibrary(); }

  std::vector<BrowseEvent> Calls() const {
    return BrowseEventsOf(ReadBrowseLog(library_), "call");
  }
  void ExpectOneCallWithSnippet(const char* expectedSnippetHex) {
    std::vector<BrowseEvent> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    const BrowseEvent& call = calls[0];
    EXPECT_EQ(call.Field("title"), kTitleHex);
    EXPECT_EQ(call.Field("flag"), "1");
    if (expectedSnippetHex) {
      EXPECT_EQ(call.Field("snippet"), expectedSnippetHex);
    } else {
      EXPECT_TRUE(call.IsNull("snippet")) << call.Field("snippet");
    }
    EXPECT_EQ(call.Field("thread"), std::to_string(GetCurrentThreadId()));
    EXPECT_EQ(call.Field("pid"), std::to_string(GetCurrentProcessId()));
  }

  AppFolder root_;
  std::string library_;
  std::string snippets_;
};

struct SnippetCase {
  const char* name;
  std::string fileBytes;
  std::string snippetHex;  // "" for a null snippet
};

class PreviewCommandSnippets : public PreviewCommand,
                               public ::testing::WithParamInterface<SnippetCase> {};

TEST_P(PreviewCommandSnippets, HandsTheSnippetTextToTheLibrary) {
  const SnippetCase& c = GetParam();
  WriteBytes(snippets_ + "\\snippet.txt", c.fileBytes);

  preview::RunPreviewCommand(snippets_.c_str(), "snippet.txt");

  ExpectOneCallWithSnippet(c.snippetHex.empty() ? nullptr : c.snippetHex.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PreviewCommandSnippets,
    ::testing::Values(
        SnippetCase{"NulInTheMiddle", std::string("ab\0cd", 5), "6162"},
        SnippetCase{"Utf16Unconverted", std::string("\xFF\xFE" "a\0", 4), "FFFE61"},
        SnippetCase{"Gbk", "<b>\xD6\xD0\xCE\xC4</b>", Hex("<b>\xD6\xD0\xCE\xC4</b>")},  // <b>中文</b>
        SnippetCase{"TwoMebibytes", ManyBytesWithoutNul(2 << 20),
                    Hex(ManyBytesWithoutNul(2 << 20))},
        SnippetCase{"Empty", "", ""},
        SnippetCase{"NulFirst", std::string("\0ab", 3), ""}),
    [](const ::testing::TestParamInfo<SnippetCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(PreviewCommand, NothingSelectedCallsWithNullSnippet) {
  WriteBytes(snippets_ + "\\a.txt", "a");
  preview::RunPreviewCommand(snippets_.c_str(), "");
  ExpectOneCallWithSnippet(nullptr);
}

TEST_F(PreviewCommand, MissingFileCallsWithNullSnippet) {
  preview::RunPreviewCommand(snippets_.c_str(), "gone.txt");
  ExpectOneCallWithSnippet(nullptr);
}

TEST_F(PreviewCommand, FileHeldOpenForWritingCallsWithNullSnippet) {
  std::string path = snippets_ + "\\busy.txt";
  WriteBytes(path, "busy");
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  preview::RunPreviewCommand(snippets_.c_str(), "busy.txt");
  CloseHandle(writer);
  ExpectOneCallWithSnippet(nullptr);
}

// The file list hands over fresh texts; the command takes them.
TEST_F(PreviewCommand, TakesTheFileListsTexts) {
  WriteBytes(snippets_ + "\\\xD6\xD0\xCE\xC4.txt", "zh");  // 中文.txt
  preview::RunPreviewCommand(base::Text::Copy(snippets_.c_str()),
                             base::Text::Copy("\xD6\xD0\xCE\xC4.txt"));
  ExpectOneCallWithSnippet("7A68");
}

TEST_F(PreviewCommand, TwoPressesMakeTwoEqualCallsAndOneLoad) {
  WriteBytes(snippets_ + "\\page.txt", "<i>x</i>");
  preview::RunPreviewCommand(snippets_.c_str(), "page.txt");
  preview::RunPreviewCommand(snippets_.c_str(), "page.txt");

  std::vector<BrowseEvent> events = ReadBrowseLog(library_);
  std::vector<BrowseEvent> calls = BrowseEventsOf(events, "call");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Field("snippet"), Hex("<i>x</i>"));
  EXPECT_EQ(calls[1].fields, calls[0].fields);
  EXPECT_EQ(BrowseEventsOf(events, "load").size(), 1u);
  EXPECT_EQ(BrowseEventsOf(events, "unload").size(), 0u);
}

// What the stand-in reports about the calling thread is what end-to-end
// tests rely on: the thread of the main window, and whether OLE is on.
TEST_F(PreviewCommand, StandInReportsMainWindowThreadAndOle) {
  WriteBytes(snippets_ + "\\a.txt", "a");
  preview::RunPreviewCommand(snippets_.c_str(), "a.txt");

  HWND mainWindow = CreateWindowExA(0, "STATIC", "MorvessaV1.0", WS_POPUP, 0, 0, 10, 10,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  preview::RunPreviewCommand(snippets_.c_str(), "a.txt");
  OleUninitialize();
  DestroyWindow(mainWindow);

  std::vector<BrowseEvent> calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Field("window-thread"), "0");
  EXPECT_EQ(calls[0].Field("ole"), "no");
  EXPECT_EQ(calls[1].Field("window-thread"), std::to_string(GetCurrentThreadId()));
  EXPECT_EQ(calls[1].Field("ole"), "yes");
}

// 64-bit code has one calling convention: the checked call is a plain call
// with the arguments in order, and always balanced.
const void* g_first;
std::uint32_t g_second;
const void* g_third;
void RecordArguments(const void* first, std::uint32_t second, const void* third) {
  g_first = first;
  g_second = second;
  g_third = third;
}

TEST(CheckedStdcall, SixtyFourBitCallPassesTheArgumentsInOrder) {
  int a = 0, c = 0;
  EXPECT_TRUE(preview::CallStdcall3Checked(reinterpret_cast<void*>(&RecordArguments), &a,
                                           0xA5A5A5A5u, &c));
  EXPECT_EQ(g_first, &a);
  EXPECT_EQ(g_second, 0xA5A5A5A5u);
  EXPECT_EQ(g_third, &c);
}

// The whole command in a process started like the program: a copy of the
// host in a program folder named in GBK, with the library beside it and the
// snippet folder under it.
class PreviewCommandInProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = root_.AddFolder("\xB3\xCC\xD0\xF2");  // 程序
    snippets_ = program_ + "\\" + kSnippetFolderName;
    CreateDirectoryA(snippets_.c_str(), nullptr);
    host_ = program_ + "\\preview_host.exe";
    ASSERT_TRUE(CopyFileA((preview_test::ExeDirectory() + "\\preview_host.exe").c_str(),
                          host_.c_str(), FALSE));
  }
  preview_test::HostOutcome Press(const std::string& name,
                                  std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"command", snippets_, name};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    // Started from elsewhere; the program makes its own folder current.
    return preview_test::RunHost(arguments, root_.path(),
                                 "C:\\windows\\system32;C:\\windows", host_);
  }

  AppFolder root_;
  std::string program_;
  std::string snippets_;
  std::string host_;
};

TEST_F(PreviewCommandInProgram, CallsTheCopyBesideTheProgramWithOleInProgramFolder) {
  preview_test::CopyDoubleInto("recording", program_);
  WriteBytes(snippets_ + "\\a.txt", "ab");

  preview_test::HostOutcome outcome = Press("a.txt");

  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(outcome.boxes.empty());
  EXPECT_EQ(outcome.result, "done");
  std::vector<BrowseEvent> events = ReadBrowseLog(program_);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].event, "load");
  EXPECT_EQ(events[1].event, "call");
  EXPECT_EQ(events[2].event, "unload");
  EXPECT_EQ(events[2].Field("by"), "freelibrary");
  const BrowseEvent& call = events[1];
  EXPECT_EQ(call.Field("title"), kTitleHex);
  EXPECT_EQ(call.Field("flag"), "1");
  EXPECT_EQ(call.Field("snippet"), "6162");
  EXPECT_EQ(call.Field("ole"), "yes");
  EXPECT_EQ(lstrcmpiA(call.Bytes("cwd").c_str(), program_.c_str()), 0) << call.Bytes("cwd");
  EXPECT_EQ(lstrcmpiA(call.Bytes("module").c_str(), (program_ + "\\Browse.dll").c_str()), 0)
      << call.Bytes("module");
}

TEST_F(PreviewCommandInProgram, WithoutTheLibraryThePressIsFatal) {
  WriteBytes(snippets_ + "\\a.txt", "ab");

  preview_test::HostOutcome outcome = Press("a.txt");

  EXPECT_EQ(outcome.exitCode, 0xFFFFFFFFu);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(Hex(outcome.boxes[0].text),
            Hex(preview_test::FatalBoxText(
                "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8" "DLL\xBF\xE2\xCE\xC4\xBC\xFE"
                "\xA1\xB0" "Browse.dll" "\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE"
                "\xA1\xB0" "UpdateTobrilCode" "\xA1\xB1")));  // 无法找到指定DLL库文件“Browse.dll”中的输出命令“UpdateTobrilCode”
  EXPECT_EQ(outcome.result, "");
}

// Memory for a large snippet that can't be had is fatal before the library
// is even loaded; it names the size asked for, the file's length plus 8.
TEST_F(PreviewCommandInProgram, NoMemoryForTheSnippetIsFatalWithItsSize) {
  preview_test::CopyDoubleInto("recording", program_);
  WriteBytes(snippets_ + "\\big.txt", ManyBytesWithoutNul(100000));

  preview_test::HostOutcome outcome = Press("big.txt", {"refuse", "100008"});

  EXPECT_EQ(outcome.exitCode, 0xFFFFFFFFu);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(Hex(outcome.boxes[0].text),
            Hex(preview_test::FatalBoxText(
                "\xB7\xD6\xC5\xE4 100008 \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!")));  // 分配 100008 字节内存失败!
  EXPECT_TRUE(BrowseEventsOf(ReadBrowseLog(program_), "call").empty());
}

}  // namespace
