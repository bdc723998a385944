#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/TextUtils.h"

namespace {

template <typename... Args>
std::u16string Format(const char16_t* format, Args... args) {
  char16_t buffer[256];
  int n = FormatWide(buffer, 256, format, args...);
  EXPECT_GE(n, 0);
  EXPECT_EQ(static_cast<size_t>(n), std::u16string(buffer).size());
  return buffer;
}

TEST(FormatWide, Integers) {
  EXPECT_EQ(u"42", Format(u"%d", 42));
  EXPECT_EQ(u"-42", Format(u"%i", -42));
  EXPECT_EQ(u"   42|42   ", Format(u"%5d|%-5d", 42, 42));
  EXPECT_EQ(u"00042", Format(u"%05d", 42));
  EXPECT_EQ(u"-0042", Format(u"%05d", -42));
  EXPECT_EQ(u"+42 42", Format(u"%+d% d", 42, 42));
  EXPECT_EQ(u"  007", Format(u"%5.3d", 7));
  EXPECT_EQ(u"", Format(u"%.0d", 0));
  EXPECT_EQ(u"   42", Format(u"%*d", 5, 42));
  EXPECT_EQ(u"42   |", Format(u"%*d|", -5, 42));
  EXPECT_EQ(u"007", Format(u"%.*d", 3, 7));
  EXPECT_EQ(u"-2147483648", Format(u"%d", INT32_MIN));
  EXPECT_EQ(u"4294967295", Format(u"%u", 0xFFFFFFFFu));
  EXPECT_EQ(u"ff FF 0xff 0XFF 0", Format(u"%x %X %#x %#X %#x", 255, 255, 255, 255, 0));
  EXPECT_EQ(u"17 017", Format(u"%o %#o", 15, 15));
  EXPECT_EQ(u"00ff", Format(u"%04x", 255));
}

TEST(FormatWide, LengthModifiers) {
  EXPECT_EQ(u"-1 65535", Format(u"%hd %hu", 65535, 65535));
  EXPECT_EQ(u"-1 255", Format(u"%hhd %hhu", 255, 255));
  EXPECT_EQ(u"123456789", Format(u"%ld", 123456789L));
  EXPECT_EQ(u"-9000000000 18446744073709551615",
            Format(u"%lld %llu", -9000000000LL, 18446744073709551615ULL));
  EXPECT_EQ(u"12345 -3", Format(u"%zu %zd", static_cast<size_t>(12345), static_cast<ptrdiff_t>(-3)));
}

TEST(FormatWide, Text) {
  EXPECT_EQ(u"Sonata in C", Format(u"%s in %ls", u"Sonata", u"C"));
  EXPECT_EQ(u"Caf\u00E9", Format(u"%hs", "Caf\xE9"));  // 8-bit text in the ANSI code page
  EXPECT_EQ(u"(null) (null)", Format(u"%s %hs", static_cast<const char16_t*>(nullptr),
                                     static_cast<const char*>(nullptr)));
  EXPECT_EQ(u"  abc|abc  |ab", Format(u"%5s|%-5s|%.2s", u"abc", u"abc", u"abc"));
  EXPECT_EQ(u"ab", Format(u"%.*hs", 2, "abc"));
  EXPECT_EQ(u"x\u266Fy", Format(u"x%cy", u'\u266F'));
  EXPECT_EQ(u"  q", Format(u"%3c", u'q'));
  EXPECT_EQ(u"100%", Format(u"%d%%", 100));
  EXPECT_EQ(u"\U0001D11E", Format(u"%s", u"\U0001D11E"));
}

TEST(FormatWide, Fractions) {
  EXPECT_EQ(u"3.14", Format(u"%.2f", 3.14159));
  EXPECT_EQ(u"  2.5", Format(u"%5.1f", 2.5));
  EXPECT_EQ(u"-0.50", Format(u"%.2f", -0.5));
  EXPECT_EQ(u"0.25", Format(u"%g", 0.25));
  EXPECT_EQ(u"1.500", Format(u"%.*f", 3, 1.5));
}

TEST(FormatWide, Pointers) {
  int x = 0;
  std::u16string text = Format(u"%p", static_cast<void*>(&x));
  EXPECT_EQ(2 * sizeof(void*), text.size());
  EXPECT_EQ(std::u16string(2 * sizeof(void*), u'0'), Format(u"%p", static_cast<void*>(nullptr)));
}

TEST(FormatWide, AlwaysEndsWithinCountAndReportsACut) {
  struct Case {
    size_t count;
    int result;
    const char16_t* text;
  };
  const Case cases[] = {
      {7, 6, u"Adagio"},  // exactly fits with its NUL
      {6, -1, u"Adagi"},
      {2, -1, u"A"},
      {1, -1, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    char16_t buffer[10];
    for (char16_t& unit : buffer) unit = u'~';
    EXPECT_EQ(c.result, FormatWide(buffer, c.count, u"%s", u"Adagio"));
    EXPECT_EQ(std::u16string(c.text), buffer);
    for (size_t i = c.count; i < 10; ++i) EXPECT_EQ(u'~', buffer[i]);
  }
  char16_t buffer[4] = {u'~', u'~', u'~', u'~'};
  EXPECT_EQ(-1, FormatWide(buffer, 0, u"x"));  // count 0: nothing written
  EXPECT_EQ(u'~', buffer[0]);
  EXPECT_EQ(0, FormatWide(buffer, 1, u""));
  EXPECT_EQ(u'\0', buffer[0]);
  EXPECT_EQ(-1, FormatWide(buffer, 4, u"%100d", 1));  // padding counts too
  EXPECT_EQ(std::u16string(u"   "), buffer);
}

TEST(FormatWide, UnknownConversionIsWrittenAsItStands) {
  EXPECT_EQ(u"%q 5", Format(u"%q %d", 5));
  EXPECT_EQ(u"end%", Format(u"end%"));
}

TEST(FormatDecimal, Digits) {
  char16_t buffer[11];
  const std::pair<uint32_t, const char16_t*> cases[] = {
      {0, u"0"}, {7, u"7"}, {1024, u"1024"}, {4294967295u, u"4294967295"}};
  for (const auto& c : cases) {
    FormatDecimal(buffer, c.first);
    EXPECT_EQ(std::u16string(c.second), buffer);
  }
}

TEST(FormatHex4, FourDigitsAndFfffAboveTheRange) {
  char16_t buffer[5];
  const std::pair<uint32_t, const char16_t*> cases[] = {
      {255, u"00ff"}, {0, u"0000"}, {0xABC, u"0abc"}, {65535, u"ffff"}, {65536, u"ffff"},
      {0xFFFFFFFFu, u"ffff"}};
  for (const auto& c : cases) {
    FormatHex4(buffer, c.first);
    EXPECT_EQ(std::u16string(c.second), buffer) << c.first;
  }
}

}  // namespace
