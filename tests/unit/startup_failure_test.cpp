// A failure during start-up shows exactly one error box and ends with -1.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/driver/e2e_driver.h"

namespace {

const std::string kHeading = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";  // 运行时出错!
const std::string kMessageLabel = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";       // 错误信息：
const std::string kErrorTitle = "\xB4\xED\xCE\xF3";                                 // 错误

struct StartupFailureCase {
  const char* forcedFailure;
  std::string message;  // expected after 错误信息：
};

TEST(StartupFailure, ShowsOneErrorBoxAndExitsWithMinusOne) {
  char hostPath[MAX_PATH];
  GetModuleFileNameA(nullptr, hostPath, MAX_PATH);
  std::string host = hostPath;
  host = host.substr(0, host.rfind('\\') + 1) + "startup_failure_host.exe";
  std::string folder = host.substr(0, host.rfind('\\'));
  // The first allocation is the MAX_PATH buffer for the executable's path.
  std::string firstAllocation = "260";

  const StartupFailureCase cases[] = {
      {"window", "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC"},  // 载入启动窗口失败
      {"memory", "\xB7\xD6\xC5\xE4 " + firstAllocation +
                     " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!"},  // 分配 N 字节内存失败!
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.forcedFailure);
    e2e::AppProcess app = e2e::AppProcess::Start(host, folder, c.forcedFailure);
    ASSERT_TRUE(app.ok());
    HWND box = e2e::WaitForMessageBox(app.id(), e2e::kStartCapMs);
    ASSERT_NE(box, nullptr);
    e2e::MessageBoxFacts facts = e2e::ReadMessageBox(box);
    EXPECT_EQ(facts.title, kErrorTitle);
    EXPECT_EQ(facts.text, kHeading + kMessageLabel + c.message + "\r\n");
    EXPECT_EQ(e2e::MessageBoxesOf(app.id()).size(), 1u);
    for (HWND window : e2e::TopLevelWindowsOf(app.id()))
      EXPECT_NE(e2e::TextOf(window), "MorvessaV1.0") << "no main window after the failure";
    ASSERT_TRUE(e2e::PressOk(box));
    EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0xFFFFFFFFu));
  }
}

}  // namespace
