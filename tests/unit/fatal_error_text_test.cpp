#include "shell/fatal_error_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHeading = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";  // 运行时出错!
const std::string kCodeLabel = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";          // 错误代码：
const std::string kMessageLabel = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";       // 错误信息：
const std::string kStackMessage =
    "\xB5\xF7\xD3\xC3" "DLL\xC3\xFC\xC1\xEE\xBA\xF3\xB7\xA2\xCF\xD6\xB6\xD1\xD5\xBB\xB4\xED\xCE\xF3";  // 调用DLL命令后发现堆栈错误

struct FatalTextCase {
  long long code;
  const char* message;
  std::string expected;
};

TEST(FatalErrorText, IsBuiltByteForByte) {
  const FatalTextCase cases[] = {
      {0, "m", kHeading + kMessageLabel + "m\r\n"},
      {6, kStackMessage.c_str(), kHeading + kCodeLabel + "6\r\n\r\n" + kMessageLabel + kStackMessage + "\r\n"},
      {6, "", kHeading + kCodeLabel + "6\r\n\r\n"},
      {6, nullptr, kHeading + kCodeLabel + "6\r\n\r\n"},
      {0, "", kHeading},
      {0, nullptr, kHeading},
      {-1, "x", kHeading + kCodeLabel + "-1\r\n\r\n" + kMessageLabel + "x\r\n"},
      {4294967295LL, "", kHeading + kCodeLabel + "4294967295\r\n\r\n"},
  };
  for (const auto& c : cases) {
    char buffer[512];
    std::size_t length = shell::FormatFatalErrorText(buffer, sizeof buffer, c.code, c.message);
    EXPECT_EQ(std::string(buffer, length), c.expected) << "code " << c.code;
    EXPECT_EQ(buffer[length], '\0');
  }
}

TEST(FatalErrorText, IsCutToTheBufferAndStaysTerminated) {
  std::string longMessage(2000, 'a');
  char buffer[64];
  std::size_t length = shell::FormatFatalErrorText(buffer, sizeof buffer, 6, longMessage.c_str());
  EXPECT_EQ(length, sizeof buffer - 1);
  EXPECT_EQ(buffer[length], '\0');
  EXPECT_EQ(std::string(buffer, kHeading.size()), kHeading);
}

TEST(FatalErrorText, DecimalNumbers) {
  const std::pair<long long, const char*> cases[] = {
      {0, "0"}, {7, "7"}, {-1, "-1"}, {2147483655LL, "2147483655"},
      {-9223372036854775807LL - 1, "-9223372036854775808"}};
  for (const auto& [value, text] : cases) {
    char buffer[32];
    shell::FormatDecimal(buffer, sizeof buffer, value);
    EXPECT_STREQ(buffer, text);
  }
}

}  // namespace
