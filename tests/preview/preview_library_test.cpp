// The binding to Browse.dll: which copy loads, that it loads once and is
// kept, that release unloads it with FreeLibrary, and the fatal error when no
// copy loads or the one that loads lacks UpdateTobrilCode.

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "preview/checked_stdcall.h"
#include "preview/preview_library.h"
#include "tests/doubles/browse_calls_log.h"
#include "tests/preview/preview_test_support.h"

namespace {

using doubles::BrowseEventsOf;
using doubles::ReadBrowseLog;
using preview_test::Hex;
using e2e::AppFolder;

const std::string kExportMissingMessage =
    "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8" "DLL\xBF\xE2\xCE\xC4\xBC\xFE"  // 无法找到指定DLL库文件
    "\xA1\xB0" "Browse.dll" "\xA1\xB1"                                              // “Browse.dll”
    "\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE"                              // 中的输出命令
    "\xA1\xB0" "UpdateTobrilCode" "\xA1\xB1";                                       // “UpdateTobrilCode”

std::string ModulePathOf(void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char*>(address), &module);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// A program folder and a folder on PATH, either of which may hold a copy of
// the recording stand-in; the system's own folders stay on PATH behind them.
class PreviewBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    preview::ReleasePreviewLibrary();
    program_ = root_.AddFolder("program");
    onPath_ = root_.AddFolder("on-path");
    char old[32768] = {};
    GetEnvironmentVariableA("PATH", old, sizeof old);
    savedPath_ = old;
    SetEnvironmentVariableA("PATH", (onPath_ + ";" + savedPath_).c_str());
  }
  void TearDown() override {
    preview::ReleasePreviewLibrary();
    SetEnvironmentVariableA("PATH", savedPath_.c_str());
  }

  void CallExport(void* previewExport) {
    EXPECT_TRUE(preview::CallStdcall3Checked(previewExport, "t", 1, "s"));
  }

  AppFolder root_;
  std::string program_;
  std::string onPath_;
  std::string savedPath_;
};

TEST_F(PreviewBinding, CopyInProgramDirectoryWinsOverCopyOnPath) {
  preview_test::CopyDoubleInto("recording", program_);
  preview_test::CopyDoubleInto("recording", onPath_);

  void* previewExport = preview::PreviewExportLookingFirstIn(program_.c_str());
  ASSERT_NE(previewExport, nullptr);
  EXPECT_TRUE(SamePath(ModulePathOf(previewExport), program_ + "\\Browse.dll"))
      << ModulePathOf(previewExport);
  CallExport(previewExport);

  EXPECT_EQ(BrowseEventsOf(ReadBrowseLog(program_), "call").size(), 1u);
  EXPECT_TRUE(ReadBrowseLog(onPath_).empty());
}

TEST_F(PreviewBinding, CopyOnPathIsUsedWhenNoneIsBesideTheProgram) {
  preview_test::CopyDoubleInto("recording", onPath_);

  void* previewExport = preview::PreviewExportLookingFirstIn(program_.c_str());
  ASSERT_NE(previewExport, nullptr);
  EXPECT_TRUE(SamePath(ModulePathOf(previewExport), onPath_ + "\\Browse.dll"))
      << ModulePathOf(previewExport);
  CallExport(previewExport);

  EXPECT_EQ(BrowseEventsOf(ReadBrowseLog(onPath_), "call").size(), 1u);
}

// Later uses take the kept address: no second load, whatever folder they name.
TEST_F(PreviewBinding, LoadsOnceAndKeepsTheExport) {
  preview_test::CopyDoubleInto("recording", program_);
  preview_test::CopyDoubleInto("recording", onPath_);

  void* first = preview::PreviewExportLookingFirstIn(program_.c_str());
  void* second = preview::PreviewExportLookingFirstIn(program_.c_str());
  void* third = preview::PreviewExportLookingFirstIn(onPath_.c_str());
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
  CallExport(third);

  auto events = ReadBrowseLog(program_);
  EXPECT_EQ(BrowseEventsOf(events, "load").size(), 1u);
  EXPECT_EQ(BrowseEventsOf(events, "unload").size(), 0u);
  EXPECT_EQ(BrowseEventsOf(events, "call").size(), 1u);
  EXPECT_TRUE(ReadBrowseLog(onPath_).empty());
}

TEST_F(PreviewBinding, ReleaseUnloadsWithFreeLibraryAndTheNextUseLoadsAgain) {
  preview_test::CopyDoubleInto("recording", program_);

  preview::PreviewExportLookingFirstIn(program_.c_str());
  preview::ReleasePreviewLibrary();
  auto events = ReadBrowseLog(program_);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event, "load");
  EXPECT_EQ(events[1].event, "unload");
  EXPECT_EQ(events[1].Field("by"), "freelibrary");
  EXPECT_EQ(GetModuleHandleA("Browse.dll"), nullptr);

  // Releasing twice is harmless.
  preview::ReleasePreviewLibrary();
  EXPECT_NE(preview::PreviewExportLookingFirstIn(program_.c_str()), nullptr);
  EXPECT_EQ(BrowseEventsOf(ReadBrowseLog(program_), "load").size(), 2u);
}

// The fatal roads end the process: they run in a child whose box is read.
class PreviewBindingFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = root_.AddFolder("program");
    onPath_ = root_.AddFolder("on-path");
  }
  preview_test::HostOutcome Bind() {
    // Nothing but the system's folders and our own on the child's PATH.
    return preview_test::RunHost({"bind", program_}, root_.path(),
                                 onPath_ + ";C:\\windows\\system32;C:\\windows");
  }
  void ExpectExportMissingBox(const preview_test::HostOutcome& outcome) {
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitCode, 0xFFFFFFFFu);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].title, "\xB4\xED\xCE\xF3");  // 错误
    EXPECT_EQ(Hex(outcome.boxes[0].text),
              Hex(preview_test::FatalBoxText(kExportMissingMessage)))
        << outcome.boxes[0].text;
    EXPECT_EQ(outcome.result, "");
  }

  AppFolder root_;
  std::string program_;
  std::string onPath_;
};

TEST_F(PreviewBindingFailure, NoLibraryAnywhereIsFatal) {
  ExpectExportMissingBox(Bind());
}

// The copy that loads is the only one asked; it is unloaded before the box.
TEST_F(PreviewBindingFailure, CopyWithoutTheExportIsUnloadedAndFatal) {
  preview_test::CopyDoubleInto("no-export", program_);
  preview_test::CopyDoubleInto("recording", onPath_);

  ExpectExportMissingBox(Bind());

  auto events = ReadBrowseLog(program_);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event, "load");
  EXPECT_EQ(events[1].event, "unload");
  EXPECT_EQ(events[1].Field("by"), "freelibrary");
  EXPECT_TRUE(ReadBrowseLog(onPath_).empty());
}

TEST_F(PreviewBindingFailure, CopyOnPathIsFoundByTheChildToo) {
  preview_test::CopyDoubleInto("recording", onPath_);
  preview_test::HostOutcome outcome = Bind();
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(outcome.boxes.empty());
  EXPECT_EQ(outcome.result, "bound");
  auto events = ReadBrowseLog(onPath_);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].Field("by"), "freelibrary");
}

}  // namespace
