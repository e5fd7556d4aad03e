// The checked standard call, run as 32-bit x86 code (32-bit Linux under
// qemu-i386): callees that remove 12 bytes are balanced; callees that remove
// 0 (cdecl), 8 or 16 bytes are not, and the caller's frame survives them.

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "preview/checked_stdcall.h"

#if !defined(__i386__)
#error "these tests exercise the 32-bit x86 stack check"
#endif

namespace {

struct Arguments {
  int calls = 0;
  const void* first = nullptr;
  std::uint32_t second = 0;
  const void* third = nullptr;
  std::uint32_t fourth = 0;
};
Arguments g_seen;

// The export as declared: three arguments, the callee removes 12 bytes.
__attribute__((stdcall, noinline)) void ThreeArgumentsStdcall(
    const void* first, std::uint32_t second, const void* third) {
  ++g_seen.calls;
  g_seen.first = first;
  g_seen.second = second;
  g_seen.third = third;
}

// A library built with the C convention: the callee removes nothing.
__attribute__((cdecl, noinline)) void ThreeArgumentsCdecl(
    const void* first, std::uint32_t second, const void* third) {
  ++g_seen.calls;
  g_seen.first = first;
  g_seen.second = second;
  g_seen.third = third;
}

// Declared with one argument too few: removes 8 bytes.
__attribute__((stdcall, noinline)) void TwoArgumentsStdcall(
    const void* first, std::uint32_t second) {
  ++g_seen.calls;
  g_seen.first = first;
  g_seen.second = second;
}

// Declared with one argument too many: removes 16 bytes, and reads (and
// overwrites) a slot above the three that were pushed.
__attribute__((stdcall, noinline)) void FourArgumentsStdcall(
    const void* first, std::uint32_t second, const void* third,
    std::uint32_t fourth) {
  ++g_seen.calls;
  g_seen.first = first;
  g_seen.second = second;
  g_seen.third = third;
  g_seen.fourth = fourth;
  volatile std::uint32_t* slot = &fourth;
  *slot = 0xDEADBEEF;
}

struct CalleeCase {
  const char* name;
  void* callee;
  bool balanced;
  int argumentsSeen;
};

class CheckedStdcall : public ::testing::TestWithParam<CalleeCase> {
 protected:
  void SetUp() override { g_seen = Arguments(); }
};

TEST_P(CheckedStdcall, ReportsBalanceAndPassesArgumentsInOrder) {
  const CalleeCase& c = GetParam();
  static const char title[] = "\xD4\xA4\xC0\xC0\xBD\xE1\xB9\xFB";  // 预览结果
  static const char snippet[] = "<p>snippet</p>";

  // Locals on both sides of the call, to see that our frame survives.
  volatile std::uint32_t before = 0x11223344;
  char guard[64];
  std::memset(guard, 0x5A, sizeof guard);

  bool balanced = preview::CallStdcall3Checked(c.callee, title, 1, snippet);

  volatile std::uint32_t after = 0x55667788;
  EXPECT_EQ(balanced, c.balanced);
  EXPECT_EQ(g_seen.calls, 1);
  EXPECT_EQ(g_seen.first, title);
  EXPECT_EQ(g_seen.second, 1u);
  if (c.argumentsSeen >= 3) {
    EXPECT_EQ(g_seen.third, snippet);
  }
  EXPECT_EQ(before, 0x11223344u);
  EXPECT_EQ(after, 0x55667788u);
  for (char byte : guard) ASSERT_EQ(byte, 0x5A);
}

INSTANTIATE_TEST_SUITE_P(
    Callees, CheckedStdcall,
    ::testing::Values(
        CalleeCase{"pops12", reinterpret_cast<void*>(&ThreeArgumentsStdcall),
                   true, 3},
        CalleeCase{"pops0cdecl", reinterpret_cast<void*>(&ThreeArgumentsCdecl),
                   false, 3},
        CalleeCase{"pops8", reinterpret_cast<void*>(&TwoArgumentsStdcall),
                   false, 2},
        CalleeCase{"pops16", reinterpret_cast<void*>(&FourArgumentsStdcall),
                   false, 3}),
    [](const ::testing::TestParamInfo<CalleeCase>& info) {
      return std::string(info.param.name);
    });

// The same values arrive whatever they are: a null snippet and other flags.
TEST(CheckedStdcallArguments, NullSnippetAndOtherValuesArriveUnchanged) {
  g_seen = Arguments();
  int marker = 0;
  EXPECT_TRUE(preview::CallStdcall3Checked(
      reinterpret_cast<void*>(&ThreeArgumentsStdcall), &marker, 0xFFFFFFFFu,
      nullptr));
  EXPECT_EQ(g_seen.first, &marker);
  EXPECT_EQ(g_seen.second, 0xFFFFFFFFu);
  EXPECT_EQ(g_seen.third, nullptr);
}

// Unbalanced calls one after another: each one leaves the caller's stack
// pointer where it was, so the loop and its locals keep working.
TEST(CheckedStdcallArguments, RepeatedUnbalancedCallsLeaveTheCallerIntact) {
  g_seen = Arguments();
  std::uint32_t sum = 0;
  for (std::uint32_t i = 0; i < 100; ++i) {
    void* callee = (i % 3 == 0)   ? reinterpret_cast<void*>(&ThreeArgumentsCdecl)
                   : (i % 3 == 1) ? reinterpret_cast<void*>(&TwoArgumentsStdcall)
                                  : reinterpret_cast<void*>(&FourArgumentsStdcall);
    EXPECT_FALSE(preview::CallStdcall3Checked(callee, &sum, i, nullptr));
    EXPECT_EQ(g_seen.second, i);
    sum += i;
  }
  EXPECT_EQ(g_seen.calls, 100);
  EXPECT_EQ(sum, 4950u);
}

}  // namespace
