#pragma once
// What must hold for the pieces of the program that take outside bytes and
// need no Windows: the last-backslash search behind the program directory,
// the pattern splitting of the file list, and the fatal error text. Each
// check runs the real code on an exact-sized heap copy of the input (so the
// sanitizers see any read or write past it), compares it with a plain model
// written here, and returns what went wrong, or "" when all holds. The
// GoogleTest tables, the fuzzers and the Wine tables share these checks and
// the generator of hostile byte strings.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "shell/fatal_error_text.h"
#include "shell/path_cut.h"
#include "tests/support/hex.h"
#include "ui/file_patterns.h"

namespace pure_checks {

// Code page 936's lead bytes (what IsDBCSLeadByte says under that code page).
inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
inline bool NoLeadBytes(unsigned char) { return false; }
// A harsher code page than 936: every byte from 0x80 up starts a pair.
inline bool EveryHighByteIsLead(unsigned char byte) { return byte >= 0x80; }

inline std::string Hex(std::string_view bytes) { return testing_support::Hex(bytes, " "); }

// Exactly the bytes given and a NUL, on the heap, nothing more: a read past
// the NUL is a sanitizer report.
class ExactCString {
 public:
  explicit ExactCString(std::string_view bytes) : bytes_(new char[bytes.size() + 1]) {
    if (!bytes.empty()) std::memcpy(bytes_.get(), bytes.data(), bytes.size());
    bytes_[bytes.size()] = '\0';
  }
  const char* get() const { return bytes_.get(); }

 private:
  std::unique_ptr<char[]> bytes_;
};

// Random byte strings weighted toward what breaks double-byte scanning: lead
// bytes, 0x5C (a backslash, and a trail byte after a lead), bytes next to
// the lead range, semicolons, blanks and NULs; lengths around MAX_PATH.
class HostileBytes {
 public:
  explicit HostileBytes(std::uint32_t seed) : random_(seed) {}

  std::string Next() {
    static const unsigned char kFavourites[] = {'\\', '\\', 0x81, 0x81, 0xFE, 0xFF, 0x80,
                                                0x40, 0x7E, 0xA4, 0xD4, 'a',  ':',  ';',
                                                ' ',  ' ',  '.',  '*',  0x00};
    std::size_t length = NextLength();
    std::string bytes(length, '\0');
    for (char& byte : bytes) {
      if (Below(4) == 0)
        byte = static_cast<char>(Below(256));
      else
        byte = static_cast<char>(kFavourites[Below(sizeof kFavourites)]);
    }
    return bytes;
  }

  std::uint64_t Below(std::uint64_t bound) {
    return std::uniform_int_distribution<std::uint64_t>(0, bound - 1)(random_);
  }
  std::mt19937_64& engine() { return random_; }

 private:
  std::size_t NextLength() {
    switch (Below(4)) {
      case 0: return static_cast<std::size_t>(Below(8));
      case 1: return static_cast<std::size_t>(257 + Below(6));  // 257..262
      default: return static_cast<std::size_t>(Below(300));
    }
  }

  std::mt19937_64 random_;
};

// ---------------------------------------------------------------------------
// The last backslash

// The model: the text as the system reads it, character by character. A lead
// byte and the byte after it are one character, unless nothing follows the
// lead byte; every other byte is a character of its own. The answer is the
// last one-byte character that is a backslash.
inline std::size_t ModelLastBackslash(std::string_view text, shell::LeadBytePredicate isLead) {
  struct Character {
    std::size_t offset;
    std::size_t length;
  };
  std::vector<Character> characters;
  std::size_t offset = 0;
  while (offset < text.size()) {
    bool pair = isLead(static_cast<unsigned char>(text[offset])) && offset + 1 < text.size();
    characters.push_back({offset, pair ? 2u : 1u});
    offset += pair ? 2 : 1;
  }
  for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
    if (it->length == 1 && text[it->offset] == '\\') return it->offset;
  }
  return shell::npos;
}

// `bytes` may hold NULs: the search sees the text up to the first one.
inline std::string CheckLastBackslash(std::string_view bytes, shell::LeadBytePredicate isLead) {
  ExactCString path(bytes);
  std::string_view text(path.get());
  std::size_t found = shell::LastBackslash(path.get(), isLead);
  std::size_t expected = ModelLastBackslash(text, isLead);
  if (found != expected) {
    return "LastBackslash(" + Hex(bytes) + ") = " + std::to_string(found) + ", expected " +
           std::to_string(expected);
  }
  if (found != shell::npos) {
    if (text[found] != '\\') return "the answer is no backslash: " + Hex(bytes);
    // Cutting there and searching again finds the same separator: the text
    // before it reads the same without the rest.
    ExactCString head(text.substr(0, found + 1));
    if (shell::LastBackslash(head.get(), isLead) != found)
      return "the cut text's last backslash moved: " + Hex(bytes);
  }
  // Without double-byte characters every backslash byte is a separator.
  std::size_t plain = shell::LastBackslash(path.get(), NoLeadBytes);
  std::size_t rfind = text.rfind('\\');
  if (plain != (rfind == std::string_view::npos ? shell::npos : rfind))
    return "single-byte search differs from the last backslash byte: " + Hex(bytes);
  return "";
}

// ---------------------------------------------------------------------------
// Pattern splitting

inline std::string CheckSplitFilePatterns(std::string_view bytes) {
  // On the heap, exactly sized, so a view reaching past the text is reported.
  std::unique_ptr<char[]> copy(new char[bytes.size() ? bytes.size() : 1]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  std::string_view text(copy.get(), bytes.size());

  std::vector<std::string_view> pieces = ui::SplitFilePatterns(text);

  // The model: trailing blanks off; empty means "*.*"; else the runs of
  // bytes between semicolons that are not empty.
  std::string_view trimmed = text;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  std::vector<std::string> expected;
  if (trimmed.empty()) {
    expected.push_back("*.*");
  } else {
    std::string run;
    for (char byte : trimmed) {
      if (byte == ';') {
        if (!run.empty()) expected.push_back(run);
        run.clear();
      } else {
        run += byte;
      }
    }
    if (!run.empty()) expected.push_back(run);
  }

  if (pieces.size() != expected.size()) {
    return "SplitFilePatterns(" + Hex(bytes) + ") gave " + std::to_string(pieces.size()) +
           " patterns, expected " + std::to_string(expected.size());
  }
  const char* previousEnd = text.data();
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i] != expected[i])
      return "pattern " + std::to_string(i) + " of " + Hex(bytes) + " is " + Hex(pieces[i]);
    if (trimmed.empty()) break;  // the default "*.*" is a constant, not a view of the text
    // Views into the caller's text, in order, within its trimmed part.
    if (pieces[i].data() < previousEnd ||
        pieces[i].data() + pieces[i].size() > trimmed.data() + trimmed.size())
      return "pattern " + std::to_string(i) + " is not in order inside the text: " + Hex(bytes);
    previousEnd = pieces[i].data() + pieces[i].size();
  }
  return "";
}

// ---------------------------------------------------------------------------
// The fatal error text

inline std::string ModelFatalErrorText(long long code, const char* message) {
  std::string text = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";  // 运行时出错!
  if (code != 0)
    text += "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA" + std::to_string(code) + "\r\n\r\n";  // 错误代码：
  if (message && *message)
    text += std::string("\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA") + message + "\r\n";  // 错误信息：
  return text;
}

// What a bounded writer must leave: the model cut to capacity - 1 bytes and
// a NUL, nothing written past `capacity`, the length returned.
inline std::string CheckBoundedText(const std::string& what, const std::string& full,
                                    std::size_t capacity, const char* buffer,
                                    std::size_t returned) {
  std::size_t expectedLength = capacity == 0 ? 0 : std::min(full.size(), capacity - 1);
  if (returned != expectedLength) {
    return what + ": length " + std::to_string(returned) + ", expected " +
           std::to_string(expectedLength) + " (capacity " + std::to_string(capacity) + ")";
  }
  if (capacity == 0) return "";
  if (buffer[returned] != '\0') return what + ": not NUL-terminated";
  if (std::memcmp(buffer, full.data(), returned) != 0)
    return what + ": " + Hex(std::string_view(buffer, returned)) + " is no prefix of " + Hex(full);
  return "";
}

// `message` null stands for no message.
inline std::string CheckFatalErrorText(long long code, const char* message, std::size_t capacity) {
  // Exactly `capacity` bytes (none at all for 0), so a write past it is reported.
  std::unique_ptr<char[]> buffer(new char[capacity]);
  std::size_t length = shell::FormatFatalErrorText(buffer.get(), capacity, code, message);
  return CheckBoundedText("FormatFatalErrorText(code " + std::to_string(code) + ")",
                          ModelFatalErrorText(code, message), capacity, buffer.get(), length);
}

inline std::string CheckDecimal(long long value, std::size_t capacity) {
  std::unique_ptr<char[]> buffer(new char[capacity]);
  std::size_t length = shell::FormatDecimal(buffer.get(), capacity, value);
  return CheckBoundedText("FormatDecimal(" + std::to_string(value) + ")", std::to_string(value),
                          capacity, buffer.get(), length);
}

}  // namespace pure_checks
