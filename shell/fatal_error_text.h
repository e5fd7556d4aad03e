#pragma once
// The text of the fatal error box, built without the heap: the box must still
// be shown when the heap is what failed.

#include <cstddef>

namespace shell {

// Writes "运行时出错!\r\n\r\n", then "错误代码：<code>\r\n\r\n" when code is not 0,
// then "错误信息：<message>\r\n" when the message is not empty, into `buffer`
// (always NUL-terminated, cut to `capacity`). Returns the length written.
std::size_t FormatFatalErrorText(char* buffer, std::size_t capacity, long long code,
                                 const char* message);

// Writes `value` in decimal; returns the length written (NUL-terminated).
std::size_t FormatDecimal(char* buffer, std::size_t capacity, long long value);

}  // namespace shell
