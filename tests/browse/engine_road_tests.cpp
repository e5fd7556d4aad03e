// The hosting code of the preview, driven through its internal entry. Wine
// has no HTML engine here: the WebBrowser control is created and activates
// in place, but never presents a document, so the preview must notice that
// within its time limit and let the source view take over.

#include <windows.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "browse/preview.h"
#include "tests/browse/preview_driver.h"

namespace browse {
// Names instead of bytes in failure messages.
void PrintTo(EngineOutcome outcome, std::ostream* out) {
  static const char* const kNames[] = {"NotTried", "OleUnavailable", "CreateFailed",
                                       "NoDocument", "Loaded", "ClosedWhileLoading"};
  *out << kNames[static_cast<int>(outcome)];
}
}  // namespace browse

namespace {

using browse::EngineOutcome;
using browse::EngineRoad;
using browse::PreviewReport;
using browse::PreviewRequest;
using browse::ShowPreview;
using browse_test::DriveResult;
using browse_test::DriveWhile;
using browse_test::FindChild;
using browse_test::FindVisibleChild;
using browse_test::OwnerWindow;
using browse_test::PressKey;
using browse_test::WindowText;

constexpr char kSnippet[] = "<html><body><p>\xD6\xD0\xCE\xC4</p></body></html>";  // 中文
// 网页引擎没有按时载入页面
constexpr wchar_t kNoDocumentStatus[] =
    L"\u7F51\u9875\u5F15\u64CE\u6CA1\u6709\u6309\u65F6\u8F7D\u5165\u9875\u9762";
constexpr wchar_t kLoadingStatus[] = L"\u6B63\u5728\u8F7D\u5165\u7F51\u9875";  // 正在载入网页

// The control's own window inside the preview, as Windows and Wine name it.
constexpr wchar_t kBrowserWindowClass[] = L"Shell Embedding";

class HostedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(browse::RunningUnderWine()) << "these tests describe the road under Wine";
  }
  void TearDown() override { OleUninitialize(); }

  PreviewRequest Request(EngineRoad road) const {
    PreviewRequest request;
    request.title = "\xD4\xA4\xC0\xC0";  // 预览
    request.snippet = kSnippet;
    request.snippetLength = sizeof kSnippet - 1;
    request.road = road;
    return request;
  }

  OwnerWindow owner_;
};

// What the preview showed while the engine was being tried, and after.
struct EngineWatch {
  bool browserSeenWhileLoading = false;
  bool browserVisibleWhileLoading = false;
  bool loadingStatusSeen = false;
  bool sourceHiddenWhileLoading = false;
  bool fellBack = false;
  bool browserGoneAfterFallback = false;
  std::wstring sourceAfterFallback;
};

TEST_F(HostedEngine, ForcedEngineIsHostedInPlaceThenTheSourceViewTakesOverInTime) {
  const PreviewRequest request = Request(EngineRoad::kForceEngine);
  EngineWatch watch;
  PreviewReport report;
  const DriveResult result = DriveWhile(
      [&] { report = ShowPreview(request); }, owner_.get(), [&](HWND preview) {
        if (!preview) return false;
        HWND status = FindChild(preview, L"Static");
        const std::wstring statusText = status ? WindowText(status) : L"";
        HWND browser = FindChild(preview, kBrowserWindowClass);
        if (statusText.find(kLoadingStatus) != std::wstring::npos) {
          watch.loadingStatusSeen = true;
          if (browser) {
            watch.browserSeenWhileLoading = true;
            watch.browserVisibleWhileLoading |= IsWindowVisible(browser) != FALSE;
          }
          watch.sourceHiddenWhileLoading = FindVisibleChild(preview, L"Edit") == nullptr;
          return false;
        }
        if (statusText.find(kNoDocumentStatus) == std::wstring::npos) return false;
        watch.fellBack = true;
        watch.browserGoneAfterFallback = !browser || !IsWindowVisible(browser);
        HWND source = FindVisibleChild(preview, L"Edit");
        watch.sourceAfterFallback = source ? WindowText(source) : L"";
        PressKey(VK_ESCAPE);
        return true;
      });

  EXPECT_FALSE(result.gaveUp) << "the missing document was never noticed";
  EXPECT_TRUE(report.windowShown);
  EXPECT_TRUE(report.engineCreated);
  EXPECT_TRUE(report.activatedInPlace);
  EXPECT_TRUE(watch.loadingStatusSeen);
  EXPECT_TRUE(watch.browserSeenWhileLoading) << "the control's window sits inside the preview";
  EXPECT_TRUE(watch.browserVisibleWhileLoading);
  EXPECT_TRUE(watch.sourceHiddenWhileLoading);
  EXPECT_EQ(report.outcome, EngineOutcome::kNoDocument);
  EXPECT_TRUE(watch.fellBack);
  EXPECT_TRUE(watch.browserGoneAfterFallback);
  EXPECT_EQ(watch.sourceAfterFallback, L"<html><body><p>\u4E2D\u6587</p></body></html>");
  EXPECT_EQ(report.siteReferencesLeft, 0) << "the control kept references to our site";
  EXPECT_TRUE(result.strayWindows.empty()) << ::testing::PrintToString(result.strayWindows);
  EXPECT_TRUE(IsWindowEnabled(owner_.get()));
}

// Closing while the engine is still loading tears it down just the same.
TEST_F(HostedEngine, ClosingWhileTheEngineLoadsReleasesTheControl) {
  PreviewRequest request = Request(EngineRoad::kForceEngine);
  request.loadTimeLimitMs = 60000;  // the close comes long before this
  PreviewReport report;
  const DriveResult result = DriveWhile(
      [&] { report = ShowPreview(request); }, owner_.get(), [&](HWND preview) {
        if (!preview || !FindChild(preview, kBrowserWindowClass)) return false;
        PostMessageW(preview, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
      });
  EXPECT_FALSE(result.gaveUp);
  EXPECT_TRUE(report.engineCreated);
  EXPECT_EQ(report.outcome, EngineOutcome::kClosedWhileLoading);
  EXPECT_EQ(report.siteReferencesLeft, 0);
  EXPECT_TRUE(IsWindowEnabled(owner_.get()));
}

// The automatic road never touches the engine under Wine.
TEST_F(HostedEngine, AutomaticRoadUnderWineLeavesTheEngineAlone) {
  const PreviewRequest request = Request(EngineRoad::kAutomatic);
  PreviewReport report;
  bool browserSeen = false;
  const DriveResult result = DriveWhile(
      [&] { report = ShowPreview(request); }, owner_.get(), [&](HWND preview) {
        if (!preview) return false;
        browserSeen = FindChild(preview, kBrowserWindowClass) != nullptr;
        PressKey(VK_ESCAPE);
        return true;
      });
  EXPECT_FALSE(result.gaveUp);
  EXPECT_TRUE(report.windowShown);
  EXPECT_FALSE(report.engineCreated);
  EXPECT_FALSE(browserSeen);
  EXPECT_EQ(report.outcome, EngineOutcome::kNotTried);
}

}  // namespace
