#include "base/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, EmptyTextIsNull) {
  EXPECT_EQ(base::Text::Copy("").get(), nullptr);
  EXPECT_EQ(base::Text::Copy(nullptr).get(), nullptr);
  EXPECT_STREQ(base::Text().c_str(), "");
  base::Text copy = base::Text::Copy("\xD4\xA4\xC0\xC0");
  ASSERT_NE(copy.get(), nullptr);
  EXPECT_STREQ(copy.get(), "\xD4\xA4\xC0\xC0");
}

TEST(Text, JoinAlwaysYieldsAFreshTextAndLeavesThePartsAlone) {
  base::Text folder = base::Text::Copy("C:\\a");
  base::Text joined = base::Join({folder.get(), "\\", nullptr, "b.txt"});
  EXPECT_STREQ(joined.get(), "C:\\a\\b.txt");
  EXPECT_STREQ(folder.get(), "C:\\a");

  base::Text empty = base::Join({nullptr, ""});
  ASSERT_NE(empty.get(), nullptr);
  EXPECT_STREQ(empty.get(), "");
  EXPECT_TRUE(empty.empty());
}

}  // namespace
