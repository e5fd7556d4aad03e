#include "shell/fatal_error_text.h"

#include <cstring>

namespace shell {
namespace {

constexpr char kHeading[] = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";  // 运行时出错!
constexpr char kCodeLabel[] = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";          // 错误代码：
constexpr char kMessageLabel[] = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";       // 错误信息：

// Appends to a fixed buffer, cutting at its end and keeping it NUL-terminated.
class BoundedWriter {
 public:
  BoundedWriter(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {
    if (capacity_) buffer_[0] = '\0';
  }
  void Append(const char* text) {
    for (; *text && length_ + 1 < capacity_; ++text) buffer_[length_++] = *text;
    if (capacity_) buffer_[length_] = '\0';
  }
  std::size_t length() const { return length_; }

 private:
  char* buffer_;
  std::size_t capacity_;
  std::size_t length_ = 0;
};

}  // namespace

std::size_t FormatDecimal(char* buffer, std::size_t capacity, long long value) {
  char digits[24];
  std::size_t count = 0;
  // Work in the negative range so the most negative value needs no special case.
  long long rest = value < 0 ? value : -value;
  do {
    digits[count++] = static_cast<char>('0' - rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0) digits[count++] = '-';

  BoundedWriter writer(buffer, capacity);
  char one[2] = {0, 0};
  while (count) {
    one[0] = digits[--count];
    writer.Append(one);
  }
  return writer.length();
}

std::size_t FormatFatalErrorText(char* buffer, std::size_t capacity, long long code,
                                 const char* message) {
  BoundedWriter writer(buffer, capacity);
  writer.Append(kHeading);
  if (code != 0) {
    char number[24];
    FormatDecimal(number, sizeof number, code);
    writer.Append(kCodeLabel);
    writer.Append(number);
    writer.Append("\r\n\r\n");
  }
  if (message && *message) {
    writer.Append(kMessageLabel);
    writer.Append(message);
    writer.Append("\r\n");
  }
  return writer.length();
}

}  // namespace shell
