// What the native text seam does where the system tables differ from iconv.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"

namespace {

using platform::MultiByteToWide;
using platform::WideToMultiByte;

TEST(NativeText, AnsiCodePageIs1252) {
  char out[4];
  EXPECT_EQ(1, WideToMultiByte(platform::kAnsiCodePage, u"\u20AC", 1, out, 4));
  EXPECT_EQ('\x80', out[0]);
  char16_t wide[4];
  EXPECT_EQ(1, MultiByteToWide(platform::kAnsiCodePage, "\xE9", 1, wide, 4));
  EXPECT_EQ(u'\u00E9', wide[0]);
}

TEST(NativeText, MissingCharactersBecomeQuestionMarks) {
  char out[8];
  EXPECT_EQ(3, WideToMultiByte(1252, u"a\u4E2Db", 3, out, 8));
  EXPECT_EQ("a?b", std::string(out, 3));
  EXPECT_EQ(2, WideToMultiByte(1252, u"\U0001D11Ex", 3, out, 8));  // one pair, one mark
  EXPECT_EQ("?x", std::string(out, 2));
  EXPECT_EQ(2, WideToMultiByte(1252, u"\xD800x", 2, out, 8));  // a lone surrogate
  EXPECT_EQ("?x", std::string(out, 2));
}

TEST(NativeText, SurrogatePairsInUtf8) {
  char out[8];
  ASSERT_EQ(4, WideToMultiByte(65001, u"\U0001D11E", 2, out, 8));
  EXPECT_EQ("\xF0\x9D\x84\x9E", std::string(out, 4));
  char16_t wide[4];
  ASSERT_EQ(2, MultiByteToWide(65001, out, 4, wide, 4));
  EXPECT_EQ(std::u16string(u"\U0001D11E"), std::u16string(wide, 2));
}

TEST(NativeText, UnknownCodePagesFail) {
  char out[8];
  EXPECT_EQ(0, WideToMultiByte(12345, u"a", 1, out, 8));
  EXPECT_EQ(0, WideToMultiByte(12345, u"a", 1, nullptr, 0));
  char16_t wide[4];
  EXPECT_EQ(0, MultiByteToWide(12345, "a", 1, wide, 4));
}

TEST(NativeText, PlainCodeUnitOrder) {
  EXPECT_LT(platform::CompareUserLocale(u"B", u"a", false), 0);
  EXPECT_EQ(0, platform::CompareUserLocale(nullptr, u"", false));
}

}  // namespace
