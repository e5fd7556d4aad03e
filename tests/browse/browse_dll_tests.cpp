// Browse.dll as the host program uses it: loaded from the build's bin folder,
// its export called on a GUI thread with OLE initialised, over an active
// owner window. Under Wine the preview shows the source view.

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/browse/preview_driver.h"

namespace {

using browse_test::ClassName;
using browse_test::DriveResult;
using browse_test::DriveWhile;
using browse_test::FindChild;
using browse_test::FindPreview;
using browse_test::FindVisibleChild;
using browse_test::OwnerWindow;
using browse_test::PressKey;
using browse_test::ThreadWindows;
using browse_test::WindowText;

using UpdateTobrilCodeFunction = void(__stdcall*)(const char* title, int flag, const char* snippet);

constexpr char kTitle[] = "\xD4\xA4\xC0\xC0\xBD\xE1\xB9\xFB";  // 预览结果
constexpr wchar_t kTitleText[] = L"\u9884\u89C8\u7ED3\u679C";  // 预览结果
constexpr wchar_t kNothingToShow[] = L"\u6CA1\u6709\u53EF\u9884\u89C8\u7684\u5185\u5BB9";  // 没有可预览的内容

std::string LibraryPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.resize(folder.find_last_of('\\') + 1);
  return folder + "Browse.dll";
}

// The library loaded the way the host loads it, by path with LoadLibraryA.
class BrowseLibrary {
 public:
  BrowseLibrary() : module_(LoadLibraryA(LibraryPath().c_str())) {
    if (module_) {
      export_ = reinterpret_cast<UpdateTobrilCodeFunction>(
          reinterpret_cast<void*>(GetProcAddress(module_, "UpdateTobrilCode")));
    }
  }
  BrowseLibrary(const BrowseLibrary&) = delete;
  BrowseLibrary& operator=(const BrowseLibrary&) = delete;
  ~BrowseLibrary() { Unload(); }

  UpdateTobrilCodeFunction Export() const { return export_; }
  void Unload() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    export_ = nullptr;
  }

 private:
  HMODULE module_;
  UpdateTobrilCodeFunction export_ = nullptr;
};

class BrowseDll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_NE(library_.Export(), nullptr) << LibraryPath();
    ASSERT_NE(owner_.get(), nullptr);
  }
  void TearDown() override { OleUninitialize(); }

  // Calls the export as the host does; `step` acts while the preview is open.
  DriveResult Preview(const char* snippet, const browse_test::Step& step) {
    UpdateTobrilCodeFunction call = library_.Export();
    return DriveWhile([&] { call(kTitle, 1, snippet); }, owner_.get(), step);
  }

  BrowseLibrary library_;
  OwnerWindow owner_;
};

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// What a person sees the moment the preview is up.
struct FirstSight {
  bool seen = false;
  std::wstring title;
  HWND owner = nullptr;
  bool ownerEnabled = true;
  bool active = false;  // the preview has the activation and the keyboard
  bool resizable = false;
  RECT rect = {};
  std::wstring sourceText;
  bool sourceVisible = false;
  std::wstring status;

  void Take(HWND preview) {
    seen = true;
    title = WindowText(preview);
    owner = GetWindow(preview, GW_OWNER);
    ownerEnabled = IsWindowEnabled(owner) != FALSE;
    active = GetActiveWindow() == preview && IsChild(preview, GetFocus());
    resizable = (GetWindowLongW(preview, GWL_STYLE) & WS_THICKFRAME) != 0;
    rect = WindowRect(preview);
    HWND source = FindChild(preview, L"Edit");
    sourceText = source ? WindowText(source) : L"<no edit control>";
    sourceVisible = source && IsWindowVisible(source);
    HWND statusLine = FindChild(preview, L"Static");
    status = statusLine ? WindowText(statusLine) : L"";
  }
};

// The ways a person closes the preview.
enum class CloseBy { kEscape, kCloseBox, kCloseButton };

void Close(HWND preview, CloseBy how) {
  switch (how) {
    case CloseBy::kEscape:
      PressKey(VK_ESCAPE);
      break;
    case CloseBy::kCloseBox:
      PostMessageW(preview, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case CloseBy::kCloseButton:
      for (HWND child = GetWindow(preview, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Button" && WindowText(child) == L"\u5173\u95ED") {  // 关闭
          PostMessageW(child, BM_CLICK, 0, 0);
        }
      }
      break;
  }
}

class BrowseDllClosing : public BrowseDll, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(BrowseDllClosing, OwnedCentredTitledWindowClosesAndHandsBackTheOwner) {
  FirstSight sight;
  const DriveResult result = Preview("<p>hello</p>", [&](HWND preview) {
    if (!preview) return false;
    sight.Take(preview);
    Close(preview, GetParam());
    return true;
  });

  ASSERT_TRUE(result.previewSeen);
  EXPECT_FALSE(result.gaveUp) << "the preview did not close";
  EXPECT_EQ(sight.title, kTitleText);
  EXPECT_EQ(sight.owner, owner_.get());
  EXPECT_FALSE(sight.ownerEnabled) << "the owner must be disabled while the preview is open";
  EXPECT_TRUE(sight.active);
  EXPECT_TRUE(sight.resizable);

  const RECT work = WorkAreaOf(owner_.get());
  const RECT owner = WindowRect(owner_.get());
  EXPECT_GE(sight.rect.left, work.left);
  EXPECT_GE(sight.rect.top, work.top);
  EXPECT_LE(sight.rect.right, work.right);
  EXPECT_LE(sight.rect.bottom, work.bottom);
  EXPECT_NEAR((sight.rect.left + sight.rect.right) / 2, (owner.left + owner.right) / 2, 1);
  EXPECT_NEAR((sight.rect.top + sight.rect.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
  EXPECT_GT(sight.rect.right - sight.rect.left, owner.right - owner.left);

  EXPECT_TRUE(IsWindowEnabled(owner_.get()));
  EXPECT_EQ(GetActiveWindow(), owner_.get());
  EXPECT_EQ(FindPreview(owner_.get()), nullptr);
  EXPECT_TRUE(result.strayWindows.empty()) << ::testing::PrintToString(result.strayWindows);
}

INSTANTIATE_TEST_SUITE_P(EachWay, BrowseDllClosing,
                         ::testing::Values(CloseBy::kEscape, CloseBy::kCloseBox,
                                           CloseBy::kCloseButton),
                         [](const ::testing::TestParamInfo<CloseBy>& info) {
                           switch (info.param) {
                             case CloseBy::kEscape: return std::string("Escape");
                             case CloseBy::kCloseBox: return std::string("CloseBox");
                             case CloseBy::kCloseButton: return std::string("CloseButton");
                           }
                           return std::string("Unknown");
                         });

// One snippet as the host passes it (its bytes up to the first NUL byte) and
// what the source view must hold.
struct EncodingCase {
  const char* name;
  const char* snippet;  // null: the host had nothing to pass
  const wchar_t* sourceText;
  const wchar_t* statusMentions;
};

const EncodingCase kEncodingCases[] = {
    {"Gbk", "\xD6\xD0\xCE\xC4<b>\xB2\xE2\xCA\xD4</b>", L"\u4E2D\u6587<b>\u6D4B\u8BD5</b>", L"GBK"},  // 中文<b>测试</b>
    // Valid in neither strict UTF-8 nor anything but GBK: 联通.
    {"GbkThatLooksLikeUtf8", "\xC1\xAA\xCD\xA8", L"\u8054\u901A", L"GBK"},
    {"Utf8WithoutBom", "\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587", L"UTF-8"},  // 中文
    {"Utf8WithBom", "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587", L"UTF-8 (BOM)"},
    {"Utf16LeWithBom", "\xFF\xFE\x2D\x4E\x87\x65", L"\u4E2D\u6587", L"UTF-16 LE"},
    {"Utf16BeWithBom", "\xFE\xFF\x4E\x2D\x65\x87", L"\u4E2D\u6587", L"UTF-16 BE"},
    // A UTF-16 file reaches the library only up to its first zero byte: "a".
    {"Utf16LeCutAtZeroByte", "\xFF\xFE" "a", L"a", L"UTF-16 LE"},
    {"LineEndsForTheEditControl", "<p>\n</p>\r<br>", L"<p>\r\n</p>\r\n<br>", L"UTF-8"},
    {"NullSnippet", nullptr, L"", kNothingToShow},
};

class BrowseDllSource : public BrowseDll, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(BrowseDllSource, ShowsTheDecodedTextAndSaysWhy) {
  const EncodingCase& row = GetParam();
  FirstSight sight;
  const DriveResult result = Preview(row.snippet, [&](HWND preview) {
    if (!preview) return false;
    sight.Take(preview);
    PressKey(VK_ESCAPE);
    return true;
  });

  ASSERT_TRUE(sight.seen);
  EXPECT_FALSE(result.gaveUp);
  EXPECT_TRUE(sight.sourceVisible) << "under Wine the source view is shown";
  EXPECT_EQ(sight.sourceText, row.sourceText);
  EXPECT_NE(sight.status.find(row.statusMentions), std::wstring::npos);
  if (row.snippet) {
    EXPECT_NE(sight.status.find(L"Wine"), std::wstring::npos) << "the status line says why";
  }
  EXPECT_TRUE(result.strayWindows.empty()) << ::testing::PrintToString(result.strayWindows);
}

INSTANTIATE_TEST_SUITE_P(Encodings, BrowseDllSource, ::testing::ValuesIn(kEncodingCases),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) {
                           return std::string(info.param.name);
                         });

// The host may unload the library whenever it likes; nothing of the preview
// may be left behind, and a library loaded afresh must work again.
TEST_F(BrowseDll, FreeLibraryLeavesNoWindowAndAReloadedLibraryWorks) {
  const std::vector<HWND> before = ThreadWindows();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    BrowseLibrary library;
    ASSERT_NE(library.Export(), nullptr);
    std::wstring title;
    const DriveResult result = DriveWhile(
        [&] { library.Export()(kTitle, 1, "<p>x</p>"); }, owner_.get(), [&](HWND preview) {
          if (!preview) return false;
          title = WindowText(preview);
          PressKey(VK_ESCAPE);
          return true;
        });
    EXPECT_EQ(title, kTitleText);
    EXPECT_FALSE(result.gaveUp);
    library.Unload();
    library_.Unload();  // the fixture's copy too, so the module really goes
    EXPECT_EQ(GetModuleHandleA("Browse.dll"), nullptr);
    EXPECT_EQ(ThreadWindows(), before);
  }
}

// Ctrl+U switches views only when there is a page; under Wine there is none,
// so the source view stays and its switch is off.
TEST_F(BrowseDll, UnderWineTheViewSwitchIsOffAndCtrlUKeepsTheSource) {
  bool toggleEnabled = true;
  bool sourceVisibleAfter = false;
  int ticksAfterCtrlU = -1;
  const DriveResult result = Preview("<p>x</p>", [&](HWND preview) {
    if (!preview) return false;
    if (ticksAfterCtrlU < 0) {
      for (HWND child = GetWindow(preview, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) != 0 && WindowText(child).find(L"Ctrl+U") != std::wstring::npos) {
          toggleEnabled = IsWindowEnabled(child) != FALSE;
        }
      }
      PressKey('U', VK_CONTROL);
      ticksAfterCtrlU = 0;
      return false;
    }
    // One tick later the key has been handled.
    sourceVisibleAfter = FindVisibleChild(preview, L"Edit") != nullptr;
    PressKey(VK_ESCAPE);
    return true;
  });
  EXPECT_FALSE(result.gaveUp);
  EXPECT_FALSE(toggleEnabled);
  EXPECT_TRUE(sourceVisibleAfter);
}

// The source view is for reading and copying: the keyboard starts in it,
// Ctrl+A selects all of it, and Tab moves on to the buttons and back.
TEST_F(BrowseDll, KeyboardWorksInTheSourceView) {
  const char snippet[] = "<p>\xD6\xD0\xCE\xC4</p>";  // <p>中文</p>
  const DWORD length = static_cast<DWORD>(std::wstring(L"<p>\u4E2D\u6587</p>").size());
  HWND source = nullptr;
  HWND focusAtStart = nullptr;
  DWORD selectionStart = 1, selectionEnd = 0;
  std::wstring focusAfterTab, focusAfterShiftTab;
  int stage = 0;
  const DriveResult result = Preview(snippet, [&](HWND preview) {
    if (!preview) return false;
    // Input is handled before the next timer tick, so each stage sees the
    // effect of the keys the stage before pressed.
    switch (stage++) {
      case 0:
        source = FindChild(preview, L"Edit");
        focusAtStart = GetFocus();
        SendMessageW(source, EM_SETSEL, 0, 0);
        PressKey('A', VK_CONTROL);
        return false;
      case 1:
        SendMessageW(source, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                     reinterpret_cast<LPARAM>(&selectionEnd));
        PressKey(VK_TAB);
        return false;
      case 2:
        focusAfterTab = WindowText(GetFocus());
        PressKey(VK_TAB, VK_SHIFT);
        return false;
      default:
        focusAfterShiftTab = ClassName(GetFocus());
        PressKey(VK_ESCAPE);
        return true;
    }
  });
  EXPECT_FALSE(result.gaveUp);
  EXPECT_EQ(focusAtStart, source);
  EXPECT_EQ(selectionStart, 0u);
  EXPECT_EQ(selectionEnd, length);
  // The view switch is off under Wine, so Tab skips it.
  EXPECT_EQ(focusAfterTab, L"\u5728\u6D4F\u89C8\u5668\u4E2D\u6253\u5F00");  // 在浏览器中打开
  EXPECT_EQ(focusAfterShiftTab, L"Edit");
}

}  // namespace
