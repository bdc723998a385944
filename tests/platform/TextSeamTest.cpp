// The text half of the platform seam behaves as the Windows calls do, in
// both builds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Platform.h"

namespace {

using platform::MultiByteToWide;
using platform::WideToMultiByte;

TEST(TextSeam, WideToMultiByteMeasuresThenWritesWhenItFits) {
  const char16_t text[] = u"Caf\u00E9";
  EXPECT_EQ(4, WideToMultiByte(1252, text, 4, nullptr, 0));
  EXPECT_EQ(5, WideToMultiByte(1252, text, -1, nullptr, 0));  // with its NUL
  char out[8];
  std::memset(out, '~', sizeof out);
  EXPECT_EQ(4, WideToMultiByte(1252, text, 4, out, 8));
  EXPECT_EQ("Caf\xE9", std::string(out, 4));
  EXPECT_EQ(0, WideToMultiByte(1252, text, 4, out, 3));  // does not fit
  EXPECT_EQ(0, WideToMultiByte(1252, text, 0, nullptr, 0));
  EXPECT_EQ(2, WideToMultiByte(10000, u"\u00E9\u00FC", 2, out, 8));
  EXPECT_EQ("\x8E\x9F", std::string(out, 2));
  EXPECT_EQ(1, WideToMultiByte(1252, u"\u20AC", 1, out, 8));
  EXPECT_EQ('\x80', out[0]);
}

TEST(TextSeam, DoubleByteCodePage) {
  char out[8];
  if (WideToMultiByte(932, u"\u3042", 1, nullptr, 0) == 0) GTEST_SKIP() << "no code page 932";
  EXPECT_EQ(3, WideToMultiByte(932, u"\u3042A", 2, out, 8));
  EXPECT_EQ("\x82\xA0" "A", std::string(out, 3));
  char16_t wide[8] = {};
  EXPECT_EQ(2, MultiByteToWide(932, "\x82\xA0" "A", 3, wide, 8));
  EXPECT_EQ(std::u16string(u"\u3042A"), std::u16string(wide, 2));
}

TEST(TextSeam, MultiByteToWide) {
  char16_t out[8];
  EXPECT_EQ(4, MultiByteToWide(1252, "Caf\xE9", 4, nullptr, 0));
  EXPECT_EQ(4, MultiByteToWide(1252, "Caf\xE9", 4, out, 8));
  EXPECT_EQ(std::u16string(u"Caf\u00E9"), std::u16string(out, 4));
  EXPECT_EQ(0, MultiByteToWide(1252, "Caf\xE9", 4, out, 2));
  EXPECT_EQ(3, MultiByteToWide(1252, "\x80\x81\x9F", 3, out, 8));
  EXPECT_EQ(std::u16string(u"\u20AC\u0081\u0178"), std::u16string(out, 3));
  EXPECT_EQ(1, MultiByteToWide(10000, "\x8E", 1, out, 8));
  EXPECT_EQ(u'\u00E9', out[0]);
}

TEST(TextSeam, LocaleComparison) {
  EXPECT_EQ(0, platform::CompareUserLocale(u"Allegro", u"Allegro", false));
  EXPECT_NE(0, platform::CompareUserLocale(u"Allegro", u"allegro", false));
  EXPECT_EQ(0, platform::CompareUserLocale(u"Allegro", u"aLLEGRO", true));
  EXPECT_LT(platform::CompareUserLocale(u"abc", u"abd", false), 0);
  EXPECT_GT(platform::CompareUserLocale(u"abd", u"abc", true), 0);
}

TEST(TextSeam, UiStringsById) {
  char16_t out[16];
  EXPECT_EQ(4, platform::LoadUiString(10308, out, 16));
  EXPECT_EQ(std::u16string(u"page"), out);
  EXPECT_EQ(2, platform::LoadUiString(10693, out, 16));
  EXPECT_EQ(std::u16string(u"pg"), out);
  EXPECT_EQ(2, platform::LoadUiString(10308, out, 3));  // cut to fit with its NUL
  EXPECT_EQ(std::u16string(u"pa"), out);
  EXPECT_EQ(0, platform::LoadUiString(3, out, 16));  // 3 has no string
}

}  // namespace
