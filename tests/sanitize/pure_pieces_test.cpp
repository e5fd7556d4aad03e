// The pieces that take outside bytes, run natively under AddressSanitizer and
// UndefinedBehaviorSanitizer with hostile input: tables of adversarial byte
// strings with their expected answers, then seeded random strings checked
// against the models of pure_piece_checks.h.

#include <climits>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/sanitize/pure_piece_checks.h"

namespace {

using pure_checks::EveryHighByteIsLead;
using pure_checks::Hex;
using pure_checks::HostileBytes;
using pure_checks::IsGbkLeadByte;

constexpr int kRandomRounds = 100000;

// ---------------------------------------------------------------------------
// The last backslash of a path, as the program directory is cut

struct CutCase {
  std::string path;
  std::size_t expected;
};

TEST(PathCutSanitized, AdversarialBytesCutWhereCodePage936Says) {
  const std::size_t none = shell::npos;
  const CutCase cases[] = {
      {"", none},
      {"\\", 0},
      {"\x81", none},                        // a lead byte alone
      {"\x81\\", none},                      // 0x5C as a trail byte
      {"a\\\x81", 1},                        // a lead byte at the end stands alone
      {"a\\b\x81", 1},
      {"\\\x81\\\\", 3},                     // trail 0x5C, then a real backslash
      {"\\\x81\\", 0},
      {"\\\\\\", 2},
      {"\x7E\\", 1},                         // a lone trail byte is a character of its own
      {"\x40\\", 1},
      {"\x80\\", 1},                         // 0x80 and 0xFF lead nothing in code page 936
      {"\xFF\\", 1},
      {"\xA4\\", none},                      // 0xA4 does lead
      {"\x81\x81\\", 2},                     // a lead byte as a trail byte
      {"\x81\x81\x81\\", none},
      {"\x81\x81\x81\x81\\", 4},
      {"\x81\x81\x81\x81\x81\\", none},
      {"\xFE\\\xFE", none},
      {"C:\\\xD4\xA4\xC0\xC0\\x", 7},        // C:\预览\x
      {std::string("C:\\a\0\\b", 7), 2},     // the text ends at its first NUL
      {std::string("C:\\\x81\0\\", 6), 2},   // a lead byte before the NUL stands alone
  };
  for (const CutCase& c : cases) {
    pure_checks::ExactCString path(c.path);
    EXPECT_EQ(shell::LastBackslash(path.get(), IsGbkLeadByte), c.expected) << Hex(c.path);
    EXPECT_EQ(pure_checks::CheckLastBackslash(c.path, IsGbkLeadByte), "");
  }
}

// Paths of 259, 260 and 261 bytes (and one either side): the folder part
// made of single and double-byte characters, then an ending that tests the
// last character.
TEST(PathCutSanitized, PathsAroundMaxPathCutAtTheirLastSeparator) {
  struct Ending {
    const char* name;
    std::string bytes;
    bool endsWithOwnSeparator;  // the path's last byte is the separator
  };
  const Ending endings[] = {
      {"file name", "Morvessa.exe", false},
      {"lead byte at the end", "\x81", false},
      {"0x5C trail byte at the end", "\x81\\", false},
      {"trail 0x5C then a separator", "\x81\\\\", true},
      {"GBK name", "\xD4\xA4\xC0\xC0", false},
      {"separator at the end", "", true},
  };
  const std::string fillerUnits[] = {"a", "\x81\\", "\xD4\xA4", "\x81\x81"};
  for (std::size_t total = 258; total <= 262; ++total) {
    for (const Ending& ending : endings) {
      for (const std::string& unit : fillerUnits) {
        // "C:\" + filler + "\" + ending, `total` bytes; the filler is whole
        // characters (padded with single "a"s at its start).
        std::size_t fillerLength = total - 3 - 1 - ending.bytes.size();
        std::string filler(fillerLength % unit.size(), 'a');
        while (filler.size() < fillerLength) filler += unit;
        std::string path = "C:\\" + filler + "\\" + ending.bytes;
        ASSERT_EQ(path.size(), total);
        std::size_t expected =
            ending.endsWithOwnSeparator ? total - 1 : total - ending.bytes.size() - 1;

        pure_checks::ExactCString exact(path);
        EXPECT_EQ(shell::LastBackslash(exact.get(), IsGbkLeadByte), expected)
            << total << " bytes, filler " << Hex(unit) << ", " << ending.name;
        EXPECT_EQ(pure_checks::CheckLastBackslash(path, IsGbkLeadByte), "");
      }
    }
  }
}

TEST(PathCutSanitized, RandomHostileBytesMatchTheCharacterModel) {
  HostileBytes bytes(0x5C81);
  for (int round = 0; round < kRandomRounds; ++round) {
    std::string path = bytes.Next();
    ASSERT_EQ(pure_checks::CheckLastBackslash(path, IsGbkLeadByte), "") << "round " << round;
    ASSERT_EQ(pure_checks::CheckLastBackslash(path, EveryHighByteIsLead), "") << "round " << round;
  }
}

// ---------------------------------------------------------------------------
// The file list's pattern text

TEST(FilePatternsSanitized, AdversarialPatternTextsSplitAsTheModelSays) {
  const std::string cases[] = {
      "",
      " ",
      ";",
      ";;; ",
      "*.txt ;",
      " ;*.txt",
      "\x81;*.txt",                              // a lead byte before the separator
      "*.\xD4\xA4\xC0\xC0;*.txt  ",              // *.预览
      std::string("*.txt\0;x", 8),               // a NUL inside the text is just a byte
      std::string(263, ';'),
      "*.txt" + std::string(258, ' '),           // 263 bytes, trimmed to one pattern
      "*.txt" + std::string(259, ';'),           // 264 bytes of mostly nothing
      std::string(1000, 'a') + ";" + std::string(1000, ' '),
      std::string(300, ' '),
  };
  for (const std::string& text : cases) EXPECT_EQ(pure_checks::CheckSplitFilePatterns(text), "");

  // The values the list relies on.
  EXPECT_EQ(ui::SplitFilePatterns(std::string(300, ' ')), std::vector<std::string_view>{"*.*"});
  EXPECT_EQ(ui::SplitFilePatterns(std::string(263, ';')), std::vector<std::string_view>{});
  EXPECT_EQ(ui::SplitFilePatterns(std::string("*.txt\0;x", 8)),
            (std::vector<std::string_view>{std::string_view("*.txt\0", 6), "x"}));
}

TEST(FilePatternsSanitized, RandomHostileTextsMatchTheModel) {
  HostileBytes bytes(0x3B20);
  for (int round = 0; round < kRandomRounds; ++round) {
    ASSERT_EQ(pure_checks::CheckSplitFilePatterns(bytes.Next()), "") << "round " << round;
  }
}

// ---------------------------------------------------------------------------
// The fatal error text, written into fixed buffers of every size

const long long kCodes[] = {0, 6, -1, LLONG_MIN, LLONG_MAX, 1000000000000000000LL, -10};

TEST(FatalErrorTextSanitized, EveryCapacityCutsTheTextAndNeverWritesPastIt) {
  const std::string longMessage(1100, 'm');
  const char* messages[] = {nullptr, "", "x", "\xB5\xF7\xD3\xC3" "DLL\xC3\xFC\xC1\xEE",  // 调用DLL命令
                            longMessage.c_str()};
  for (long long code : kCodes) {
    for (const char* message : messages) {
      std::size_t full = pure_checks::ModelFatalErrorText(code, message).size();
      for (std::size_t capacity = 0; capacity <= full + 2; ++capacity)
        ASSERT_EQ(pure_checks::CheckFatalErrorText(code, message, capacity), "");
    }
  }
}

TEST(FatalErrorTextSanitized, DecimalsOfEveryMagnitudeInEveryCapacity) {
  std::vector<long long> values(std::begin(kCodes), std::end(kCodes));
  for (long long power = 1; power <= LLONG_MAX / 10; power *= 10) {
    for (long long value : {power - 1, power, power + 1}) {
      values.push_back(value);
      values.push_back(-value);
    }
  }
  values.push_back(LLONG_MIN + 1);
  for (long long value : values) {
    for (std::size_t capacity = 0; capacity <= 22; ++capacity)
      ASSERT_EQ(pure_checks::CheckDecimal(value, capacity), "");
  }
}

TEST(FatalErrorTextSanitized, RandomCodesMessagesAndCapacitiesMatchTheModel) {
  HostileBytes bytes(0xFA7A1);
  for (int round = 0; round < kRandomRounds / 10; ++round) {
    std::string message = bytes.Next();
    long long code = static_cast<long long>(bytes.engine()());
    if (bytes.Below(4) == 0) code = kCodes[bytes.Below(std::size(kCodes))];
    std::size_t full = pure_checks::ModelFatalErrorText(code, message.c_str()).size();
    std::size_t capacity = static_cast<std::size_t>(bytes.Below(full + 4));
    ASSERT_EQ(pure_checks::CheckFatalErrorText(code, message.c_str(), capacity), "")
        << "round " << round;
    ASSERT_EQ(pure_checks::CheckDecimal(code, static_cast<std::size_t>(bytes.Below(24))), "");
  }
}

}  // namespace
