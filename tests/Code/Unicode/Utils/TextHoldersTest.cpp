#include "Code/Unicode/Utils/TextHolders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/Code/Unicode/Utils/VersionOption.h"

namespace {

// "Grüße" and its bytes in the ANSI code page (1252 on the test systems).
const char16_t kGreeting[] = u"Gr\u00FC\u00DFe";
const char kGreetingAnsi[] = "Gr\xFC\xDF" "e";

const char16_t* ResourceId(uintptr_t id) { return reinterpret_cast<const char16_t*>(id); }

TEST(CTempAnsi, ConvertsTextIntoAnOwnedCopy) {
  CTempAnsi text(kGreeting);
  EXPECT_STREQ(kGreetingAnsi, GetFirstMember(text));
  EXPECT_TRUE(text.Owned());

  CTempAnsi empty(u"");
  EXPECT_STREQ("", GetFirstMember(empty));
}

TEST(CTempAnsi, ResourceIdsAndNullPassUnchanged) {
  for (uintptr_t id : {uintptr_t{0}, uintptr_t{1}, uintptr_t{10110}, uintptr_t{0xFFFF}}) {
    CTempAnsi holder(ResourceId(id));
    EXPECT_EQ(id, reinterpret_cast<uintptr_t>(GetFirstMember(holder))) << id;
    EXPECT_FALSE(holder.Owned());
  }
  CTempAnsi byDefault;
  EXPECT_EQ(nullptr, GetFirstMember(byDefault));
}

TEST(CTempAnsi, ALengthConvertsOnlyThatManyCharacters) {
  struct Case {
    int length;
    const char* expected;
  } cases[] = {{3, "Gr\xFC"}, {1, "G"}, {0, kGreetingAnsi}, {-1, kGreetingAnsi}, {40, kGreetingAnsi}};
  for (const Case& c : cases) {
    CTempAnsi holder(kGreeting, c.length);
    EXPECT_STREQ(c.expected, GetFirstMember(holder)) << c.length;
  }
}

TEST(CTempAnsi, AssignReplacesTheText) {
  CTempAnsi holder(u"first");
  holder.Assign(ResourceId(42));
  EXPECT_EQ(42u, reinterpret_cast<uintptr_t>(GetFirstMember(holder)));
  EXPECT_FALSE(holder.Owned());
  holder.Assign(u"second");
  EXPECT_STREQ("second", GetFirstMember(holder));
  holder.Assign(nullptr);
  EXPECT_EQ(nullptr, GetFirstMember(holder));
}

// A wide buffer with a guard unit behind its count, to see that nothing is
// written past the count.
struct GuardedBuffer {
  explicit GuardedBuffer(int count, const char16_t* text = u"") : units(static_cast<size_t>(count) + 1, u'#') {
    std::u16string present(text);
    std::copy(present.begin(), present.end(), units.begin());
    units[present.size()] = 0;
  }
  char16_t* data() { return units.data(); }
  char16_t guard() const { return units.back(); }
  std::u16string text() const { return std::u16string(units.data()); }
  std::vector<char16_t> units;
};

TEST(CAnsiOutBuf, StartsWithThePresentTextAndConvertsBack) {
  GuardedBuffer wide(16, kGreeting);
  {
    CAnsiOutBuf buffer(wide.data(), 16);
    EXPECT_STREQ(kGreetingAnsi, GetFirstMember(buffer));
    std::strcpy(GetFirstMember(buffer), "Gr\xF6\xDF" "er");
  }
  EXPECT_EQ(u"Gr\u00F6\u00DFer", wide.text());
  EXPECT_EQ(u'#', wide.guard());
}

TEST(CAnsiOutBuf, HoldsADoubleByteTextOfCountCharactersAndCutsTheWayBack) {
  GuardedBuffer wide(8);
  {
    CAnsiOutBuf buffer(wide.data(), 8);
    ASSERT_GE(buffer.AnsiBytes(), 2 * 8);  // a double-byte text of 7 characters and its NUL fit
    std::memset(GetFirstMember(buffer), 'x', static_cast<size_t>(buffer.AnsiBytes() - 1));
    GetFirstMember(buffer)[buffer.AnsiBytes() - 1] = '\0';
  }
  EXPECT_EQ(u"xxxxxxx", wide.text());
  EXPECT_EQ(u'#', wide.guard());
}

TEST(CAnsiOutBuf, ANullBufferGivesANullBlock) {
  CAnsiOutBuf buffer(nullptr, 20);
  EXPECT_EQ(nullptr, GetFirstMember(buffer));
}

TEST(CAnsiOutBuf, ACountBelowOneTakesThePresentText) {
  GuardedBuffer wide(5, u"abc");
  {
    CAnsiOutBuf buffer(wide.data(), 0);
    EXPECT_STREQ("abc", GetFirstMember(buffer));
    EXPECT_EQ(4, buffer.WideCount());
    std::strcpy(GetFirstMember(buffer), "xyz");
  }
  EXPECT_EQ(u"xyz", wide.text());
  EXPECT_EQ(u'#', wide.units[4]);
}

TEST(CAnsiOutBuf, ACountBelowOneNeverReadsOrWritesPastAnUnendedBuffer) {
  // Exactly the measuring reach, without a NUL: the sanitizers see any access behind it.
  std::vector<char16_t> unended(CAnsiOutBuf::kMeasureReach, u'q');
  {
    CAnsiOutBuf buffer(unended.data(), -1);
    EXPECT_STREQ("", GetFirstMember(buffer));
  }
  EXPECT_EQ(u'q', unended.front());  // nothing written back
}

TEST(CTextOutBuffer, GivesTheCallRoomForADoubleByteTextAndCutsTheWayBack) {
  GuardedBuffer wide(5, u"old");
  CTextOutBuffer buffer(wide.data(), 5);
  ASSERT_GE(buffer.CountForCall(), 10);
  EXPECT_EQ('\0', buffer.Ansi()[0]);
  std::memset(buffer.Ansi(), 'w', static_cast<size_t>(buffer.CountForCall() - 1));
  buffer.Ansi()[buffer.CountForCall() - 1] = '\0';
  EXPECT_EQ(4, buffer.Finish());
  EXPECT_TRUE(buffer.Truncated());
  EXPECT_EQ(buffer.CountForCall() - 1, buffer.FullLength());
  EXPECT_EQ(u"wwww", wide.text());
  EXPECT_EQ(u'#', wide.guard());
}

TEST(CTextOutBuffer, ConvertsTheCallsTextBack) {
  GuardedBuffer wide(10);
  CTextOutBuffer buffer(wide.data(), 10);
  std::strcpy(buffer.Ansi(), kGreetingAnsi);
  EXPECT_EQ(5, buffer.Finish());
  EXPECT_FALSE(buffer.Truncated());
  EXPECT_EQ(kGreeting, wide.text());
}

TEST(CTextOutBuffer, ANullBufferReachesTheCallAsNull) {
  CTextOutBuffer buffer(nullptr, 7);
  EXPECT_EQ(nullptr, buffer.Ansi());
  EXPECT_EQ(7, buffer.CountForCall());
  EXPECT_EQ(0, buffer.Finish());
}

TEST(CTextOutBuffer, ACountBelowOneReachesTheCallUnchanged) {
  GuardedBuffer wide(6, u"hello");
  CTextOutBuffer buffer(wide.data(), 0);
  EXPECT_EQ(0, buffer.CountForCall());
  EXPECT_EQ(0, buffer.Finish());  // the call wrote nothing: the text becomes empty
  EXPECT_EQ(u"", wide.text());
  EXPECT_EQ(u'#', wide.guard());

  std::vector<char16_t> unended(CAnsiOutBuf::kMeasureReach, u'q');
  CTextOutBuffer unknown(unended.data(), -5);
  EXPECT_EQ(-5, unknown.CountForCall());
  unknown.Finish();
  EXPECT_EQ(u'q', unended.front());
}

class CPlatformTextTest : public testing::Test {
 protected:
  void TearDown() override { ResetWindowsVersionForTest(); }
};

TEST_F(CPlatformTextTest, OnNtTheWideTextItself) {
  utiltest::ForcedVersion nt(u"WinNT");
  CPlatformText value;
  EXPECT_EQ(std::u16string(u""), static_cast<const char16_t*>(value.Get()));
  value.FromWide(kGreeting);
  EXPECT_EQ(kGreeting, value.Get());
  EXPECT_FALSE(value.Narrow());
  EXPECT_EQ(std::u16string(kGreeting), value.ToStr().Text());

  char16_t filled[] = u"Tempo";
  value.Wrap(filled);
  EXPECT_FALSE(value.Narrow());
  EXPECT_EQ(std::u16string(u"Tempo"), value.ToStr().Text());
}

TEST_F(CPlatformTextTest, On9xAnAnsiCopyUnlessKeptWide) {
  utiltest::Forced9x ansi;
  CPlatformText value;
  value.FromWide(kGreeting);
  EXPECT_TRUE(value.Narrow());
  EXPECT_STREQ(kGreetingAnsi, static_cast<const char*>(value.Get()));
  EXPECT_EQ(std::u16string(kGreeting), value.ToStr().Text());

  value.FromWide(kGreeting, true);
  EXPECT_EQ(kGreeting, value.Get());
  EXPECT_EQ(std::u16string(kGreeting), value.ToStr().Text());

  char filled[] = "Gr\xFC\xDF" "e";
  value.Wrap(filled);
  EXPECT_TRUE(value.Narrow());
  EXPECT_EQ(std::u16string(kGreeting), value.ToStr().Text());

  value.FromWide(nullptr);
  EXPECT_EQ(nullptr, value.Get());
  EXPECT_TRUE(value.ToStr().IsEmpty());
}

}  // namespace
