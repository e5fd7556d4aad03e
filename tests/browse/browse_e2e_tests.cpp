// The preview library beside the real program, as its user meets it: select a
// snippet, press "预览", read the preview, close it, and the main window is
// usable again until "退出" ends the program with 0.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/e2e_driver.h"

namespace e2e {
namespace {

const std::string kPreviewCaption = "\xD4\xA4\xC0\xC0";  // 预览
const std::string kExitCaption = "\xCD\xCB\xB3\xF6";     // 退出
const std::string kPreviewTitle = "\xD4\xA4\xC0\xC0\xBD\xE1\xB9\xFB";  // 预览结果
const std::string kSnippetName = "\xD6\xD0\xCE\xC4.txt";  // 中文.txt
// <p>中文</p> and a second line, saved in GBK with a bare LF.
const std::string kSnippet = "<p>\xD6\xD0\xCE\xC4</p>\n<p>second line</p>";
// The same text as the source view holds it, read back as GBK.
const std::string kSourceView = "<p>\xD6\xD0\xCE\xC4</p>\r\n<p>second line</p>";

// Visible top-level windows of the process other than `except`.
std::vector<std::string> OtherVisibleWindows(DWORD processId, std::vector<HWND> except) {
  std::vector<std::string> others;
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (!IsWindowVisible(window)) continue;
    bool expected = false;
    for (HWND known : except) expected |= window == known;
    if (!expected) others.push_back(ClassNameOf(window) + " \"" + TextOf(window) + "\"");
  }
  return others;
}

TEST(BrowseE2e, PreviewOpensOverTheMainWindowClosesAndTheProgramCarriesOn) {
  AppFolder folder;
  ASSERT_TRUE(folder.ok());
  const std::string exe = folder.CopyProgram(WinePathFromHost(MORVESSA_EXE));
  ASSERT_FALSE(exe.empty());
  const std::string library = ReadFileBytes(WinePathFromHost(BROWSE_DLL));
  ASSERT_FALSE(library.empty());
  folder.AddFile("Browse.dll", library);
  folder.AddSnippet(kSnippetName, kSnippet);

  AppProcess app = AppProcess::Start(exe, folder.path());
  HWND main = app.WaitForWindow();
  ASSERT_NE(main, nullptr);
  HWND list = FindChildByClass(main, "ListBox");
  HWND previewButton = FindChildByText(main, kPreviewCaption);
  HWND exitButton = FindChildByText(main, kExitCaption);
  ASSERT_TRUE(list && previewButton && exitButton);
  ASSERT_TRUE(BringToFront(main));
  ASSERT_TRUE(ClickListEntry(list, kSnippetName));
  ASSERT_TRUE(WaitUntil([&] { return ListSelectionOf(list) == 0; }));

  // Twice: the second round shows the main window works again after the
  // first, and a second preview in the same process opens just the same.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "first preview, closed with Esc" : "second preview, closed with the close box");
    ASSERT_TRUE(ClickWindow(previewButton));
    HWND preview = app.WaitForWindow(kPreviewTitle, kReactionCapMs);
    ASSERT_NE(preview, nullptr) << "no preview window appeared";

    EXPECT_EQ(GetWindow(preview, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window must wait while the preview is open";
    HWND source = FindChildByClass(preview, "Edit");
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(IsWindowVisible(source));
    EXPECT_EQ(TextOf(source), kSourceView);
    HWND status = FindChildByClass(preview, "Static");
    ASSERT_NE(status, nullptr);
    EXPECT_NE(TextOf(status).find("Wine"), std::string::npos) << TextOf(status);
    EXPECT_EQ(OtherVisibleWindows(app.id(), {main, preview}), std::vector<std::string>{});

    ASSERT_TRUE(BringToFront(preview));
    if (round == 0) {
      PressKey(VK_ESCAPE);
    } else {
      ASSERT_TRUE(ClickCloseBox(preview));
    }
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(preview); })) << "the preview did not close";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_TRUE(Responds(main));
    EXPECT_EQ(OtherVisibleWindows(app.id(), {main}), std::vector<std::string>{});
    ASSERT_TRUE(BringToFront(main));
  }

  ASSERT_TRUE(ClickWindow(exitButton));
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace e2e
