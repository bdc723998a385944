#include "Code/Unicode/Utils/Str.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"

namespace {

const char16_t kMissingCodePage[] =
    u"WideCharToMultiByte failed - code page not present on machine?";

std::string Bytes(const char* data, int n) { return std::string(data, static_cast<size_t>(n)); }

TEST(CStr, NullEmptyAndDefaultShareTheEmptyRecord) {
  CStr byDefault;
  CStr fromNull(nullptr);
  CStr fromEmpty(u"");
  EXPECT_TRUE(byDefault.SharesRecordWith(fromNull));
  EXPECT_TRUE(byDefault.SharesRecordWith(fromEmpty));
  EXPECT_TRUE(byDefault.SharesRecordWith(CStr::EmptyStr()));
  EXPECT_EQ(0u, byDefault.Length());
  EXPECT_EQ(u'\0', byDefault.Text()[0]);
  EXPECT_TRUE(CStr(u"a").Concat(nullptr).Concat(u"").Length() == 1);
  EXPECT_TRUE((CStr() + CStr()).SharesRecordWith(byDefault));

  CStrA narrowDefault;
  EXPECT_TRUE(narrowDefault.Text() == CStrA(nullptr).Text());
  EXPECT_TRUE(narrowDefault.Text() == CStrA("").Text());
  EXPECT_TRUE(narrowDefault.Text() == CStrA::EmptyStr().Text());
}

TEST(CStr, CopiesShareTheRecordAndNeverCopyCharacters) {
  CStr original(u"Allegro");
  CStr copy(original);
  CStr assigned;
  assigned = original;
  EXPECT_TRUE(copy.SharesRecordWith(original));
  EXPECT_TRUE(assigned.SharesRecordWith(original));
  EXPECT_EQ(original.Text(), copy.Text());

  assigned = assigned;  // assignment to itself changes nothing
  EXPECT_EQ(std::u16string(u"Allegro"), assigned.Text());
}

TEST(CStr, NewStringIsOneBlockWithInlineCharacters) {
  StrRep* rep = StrRep::Allocate(5);
  EXPECT_EQ(reinterpret_cast<char16_t*>(rep + 1), rep->chars);
  EXPECT_EQ(1u, rep->isInline);
  EXPECT_EQ(0u, rep->isStatic);
  EXPECT_EQ(1u, rep->references);
  std::memcpy(rep->chars, u"Largo", 6 * sizeof(char16_t));
  rep->Update();
  EXPECT_EQ(5u, rep->length);
  StrRep::Free(rep);
}

TEST(CStr, LengthAndHash) {
  CStr ab(u"AB");
  EXPECT_EQ(2u, ab.Length());
  EXPECT_EQ(0x41u ^ 0x42u, ab.Hash());
  // Narrow bytes count sign-extended.
  EXPECT_EQ(0xFFFFFF80u ^ 0x41u, CStrA("\x80" "A").Hash());
  EXPECT_EQ(3u, WideLength(u"abc"));
  EXPECT_EQ(0u, WideLength(nullptr));
  EXPECT_EQ(3u, NarrowLength("abc"));
  EXPECT_EQ(0u, NarrowLength(nullptr));
}

TEST(CStr, Equality) {
  CStr a(u"Presto");
  CStr b(u"Presto");
  EXPECT_FALSE(a.SharesRecordWith(b));
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a.Equals(u"Presto"));

  // Same length, same XOR hash, different characters.
  CStr ab(u"ab");
  CStr ba(u"ba");
  ASSERT_EQ(ab.Length(), ba.Length());
  ASSERT_EQ(ab.Hash(), ba.Hash());
  EXPECT_FALSE(ab == ba);
  EXPECT_TRUE(ab != ba);
  EXPECT_FALSE(CStr(u"abc") == CStr(u"ab"));
  EXPECT_TRUE(CStr().Equals(nullptr));
}

TEST(CStr, Concatenation) {
  CStr head(u"Sonata");
  EXPECT_EQ(std::u16string(u"Sonata No. 1"), (head + CStr(u" No. 1")).Text());
  EXPECT_EQ(std::u16string(u"Sonata op."), head.Concat(u" op.").Text());
  EXPECT_EQ(std::u16string(u"Piano Sonata"), PrependText(u"Piano ", head).Text());
  CStr grown = head;
  grown += CStr(u"!");
  EXPECT_EQ(std::u16string(u"Sonata!"), grown.Text());
  EXPECT_EQ(std::u16string(u"Sonata"), head.Text());  // the shared record was not changed
  EXPECT_EQ(7u, grown.Length());
  EXPECT_EQ(head.Hash() ^ u'!', grown.Hash());
}

TEST(CStr, AssignAnsi) {
  CStr text(u"kept");
  text.AssignAnsi(nullptr);
  EXPECT_EQ(std::u16string(u"kept"), text.Text());
  text.AssignAnsi("Caf\xE9");  // é in the ANSI code page (1252 here)
  EXPECT_EQ(std::u16string(u"Caf\u00E9"), text.Text());
  text.AssignAnsi("");
  EXPECT_TRUE(text.SharesRecordWith(CStr()));
}

TEST(CStr, ExceptionCopiesBothFields) {
  Exception original(CStr(u"message"), 7);
  Exception copy(original);
  EXPECT_TRUE(copy.Message() == original.Message());
  EXPECT_EQ(7u, copy.Code());
}

// Copies of one string, and the shared empty record, are used by many
// threads at once: the counts must not lose updates nor free a record early.
TEST(CStr, ReferenceCountsSurviveManyThreads) {
  const uint32_t emptyBefore = StrRep::Empty()->references;
  CStr shared(u"shared");
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&shared] {
      for (int i = 0; i < 20000; ++i) {
        CStr empty;
        CStr copy(shared);
        CStr another = copy;
        CStrA narrow;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(emptyBefore, StrRep::Empty()->references);
  EXPECT_EQ(std::u16string(u"shared"), shared.Text());
  CStr copy(shared);  // the record is still counted right: one more, one less
  EXPECT_TRUE(copy.SharesRecordWith(shared));
}

TEST(CStr, EmptyRecordIsNeverFreed) {
  StrRep* empty = StrRep::Empty();
  StrRep::Free(empty);  // a static record is not released
  CStr again;
  EXPECT_EQ(u'\0', again.Text()[0]);
  EXPECT_EQ(1u, empty->isStatic);
}

TEST(CodePages, ByIndex) {
  EXPECT_EQ(1252u, CodePageFromIndex(0));
  EXPECT_EQ(10000u, CodePageFromIndex(1));
  EXPECT_EQ(932u, CodePageFromIndex(2));
  EXPECT_EQ(10001u, CodePageFromIndex(3));
  EXPECT_EQ(static_cast<unsigned>(platform::kAnsiCodePage), CodePageFromIndex(-1));
  EXPECT_EQ(static_cast<unsigned>(platform::kAnsiCodePage), CodePageFromIndex(kCodePageAnsi));
}

TEST(CodePages, SymbolCharactersPassAsTheirLowByte) {
  const char16_t text[] = u"AB\uF041CD";
  char out[16] = {};
  int size = sizeof out;
  uint64_t before = CodePageConversionCalls();
  WideToCodePageSymbols(0, text, out, &size);
  EXPECT_EQ(2u, CodePageConversionCalls() - before);  // each ordinary run once
  EXPECT_EQ("\x41\x42\x41\x43\x44", Bytes(out, size));

  int needed = 123;
  before = CodePageConversionCalls();
  WideToCodePageSymbols(0, text, nullptr, &needed);
  EXPECT_EQ(5, needed);
  EXPECT_EQ(2u, CodePageConversionCalls() - before);
}

TEST(CodePages, OnlySymbolsNeedNoConversionCall) {
  char out[8] = {};
  int size = sizeof out;
  uint64_t before = CodePageConversionCalls();
  WideToCodePageSymbols(2, u"\uF000\uF041\uF0FF", out, &size);
  EXPECT_EQ(0u, CodePageConversionCalls() - before);
  EXPECT_EQ(std::string("\x00\x41\xFF", 3), Bytes(out, size));
}

// Whatever the capacity, the output is the start of the full conversion and
// nothing is written or reported beyond the capacity.
TEST(CodePages, NeverWritesOrReportsPastTheCapacity) {
  const std::string full = "ABACD";
  for (int capacity = 0; capacity <= 6; ++capacity) {
    SCOPED_TRACE(capacity);
    char out[16];
    std::memset(out, '~', sizeof out);
    int size = capacity;
    WideToCodePageSymbols(0, u"AB\uF041CD", out, &size);
    int expected = capacity < 5 ? capacity : 5;
    EXPECT_EQ(expected, size);
    EXPECT_EQ(full.substr(0, static_cast<size_t>(expected)), Bytes(out, size));
    for (int i = capacity; i < static_cast<int>(sizeof out); ++i) EXPECT_EQ('~', out[i]) << i;
  }
  // A symbol at the end of the capacity is dropped.
  char out[4] = {'~', '~', '~', '~'};
  int size = 1;
  WideToCodePageSymbols(0, u"\uF041\uF042", out, &size);
  EXPECT_EQ(1, size);
  EXPECT_EQ('A', out[0]);
  EXPECT_EQ('~', out[1]);
}

TEST(CodePages, CutRunKeepsWholeDoubleByteCharacters) {
  if (platform::WideToMultiByte(932, u"\u3042", 1, nullptr, 0) != 2)
    GTEST_SKIP() << "code page 932 is not present here";
  char out[8];
  std::memset(out, '~', sizeof out);
  int size = 3;
  WideToCodePageSymbols(2, u"\u3042\u3044", out, &size);  // two 2-byte characters
  EXPECT_EQ("\x82\xA0", Bytes(out, size));
  EXPECT_EQ('~', out[2]);
}

TEST(CodePages, FromWide) {
  CStrA converted = CStrA::FromWide(u"AB\uF041CD", 0);
  EXPECT_STREQ("ABACD", converted.Text());
  EXPECT_EQ(5u, converted.Length());
  EXPECT_STREQ("Caf\xE9", CStrA::FromWide(u"Caf\u00E9", 0).Text());
  EXPECT_STREQ("Caf\x8E", CStrA::FromWide(u"Caf\u00E9", 1).Text());  // Mac Roman
  EXPECT_TRUE(CStrA::FromWide(nullptr, 0).Text() == CStrA().Text());
}

TEST(CodePages, OutputWithoutRoomIsAFailureNotAMeasure) {
  char out[4] = {'~', '~', '~', '~'};
  int written = -1;
  EXPECT_THROW(WideToCodePage(0, u"AB", 2, out, 0, &written), Exception);
  EXPECT_EQ('~', out[0]);
  WideToCodePage(0, u"AB", 2, nullptr, 0, &written);
  EXPECT_EQ(2, written);
  WideToCodePage(0, u"AB", 2, out, 4, &written);
  EXPECT_EQ("AB", Bytes(out, written));
}

TEST(CodePages, MissingCodePageThrows) {
  if (platform::WideToMultiByte(CodePageFromIndex(3), u"A", 1, nullptr, 0) != 0)
    GTEST_SKIP() << "all four code pages are present on this system";
  try {
    CStrA::FromWide(u"Adagio", 3);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(std::u16string(kMissingCodePage), e.Message().Text());
    EXPECT_EQ(0u, e.Code());
  }
  int written = 0;
  EXPECT_THROW(WideToCodePage(3, u"A", 1, nullptr, 0, &written), Exception);
  char out[8];
  int size = sizeof out;
  EXPECT_THROW(WideToCodePageSymbols(3, u"A\uF041", out, &size), Exception);
  // Symbols alone need no code page.
  size = sizeof out;
  EXPECT_NO_THROW(WideToCodePageSymbols(3, u"\uF041", out, &size));
  EXPECT_EQ(1, size);
}

}  // namespace
