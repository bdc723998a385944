// The shipped instrument-name lists, read by both ways of reading them, and
// the name look-ups over them.
#include "score/InstrumentNameLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "score/ScoreStream.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

const char* const kInstrumentFiles[] = {"instrtext", "instrtextD", "instrtextI"};
const char* const kSectionFiles[] = {"insttypetext", "insttypetextD", "insttypetextI"};
const char* const kAllFiles[] = {"instrtext", "instrtextD", "instrtextI", "insttypetext", "insttypetextD",
                                 "insttypetextI"};

std::vector<uint8_t> ReadShipped(const std::string& name) {
  std::ifstream in(U8(SourcePath("resources/data/" + name)), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Entry names as the instrument table reads them: a name, then on to the
// byte 1 and the byte after it, two more when a 2 or 3 follows.
std::vector<std::string> ReadAsEntries(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> names;
  size_t at = 0;
  while (at < bytes.size() && bytes[at] != 0) {
    std::string name;
    while (at < bytes.size() && bytes[at] != 0) name += char(bytes[at++]);
    names.push_back(name);
    while (at < bytes.size() && bytes[at] != 1) ++at;
    at += 2;
    if (at < bytes.size() && (bytes[at] == 2 || bytes[at] == 3)) at += 2;
  }
  return names;
}

// Strings by section as the instrument dialog reads them: NUL-ended strings,
// 1 and 2 skipped with the byte after them, 3 ends a section, 0 the list.
std::vector<std::vector<std::string>> ReadAsSections(const std::vector<uint8_t>& bytes) {
  std::vector<std::vector<std::string>> sections(1);
  std::string current;
  for (size_t at = 0; at < bytes.size(); ++at) {
    uint8_t b = bytes[at];
    if (b == 1 || b == 2) {
      ++at;
    } else if (b == 3) {
      sections.emplace_back();
    } else if (b == 0) {
      if (current.empty()) break;
      sections.back().push_back(current);
      current.clear();
    } else {
      current += char(b);
    }
  }
  if (sections.back().empty()) sections.pop_back();
  return sections;
}

TEST(InstrumentNameLists, BothReadingsSeeTheSameRows) {
  std::vector<std::string> english;
  size_t rows = 0;
  for (int language = 0; language < kInstrumentLanguages; ++language) {
    std::vector<uint8_t> bytes = ReadShipped(kInstrumentFiles[language]);
    ASSERT_FALSE(bytes.empty()) << kInstrumentFiles[language];
    std::vector<std::string> entries = ReadAsEntries(bytes);
    std::vector<std::vector<std::string>> sections = ReadAsSections(bytes);
    ASSERT_EQ(sections.size(), size_t(kInstrumentSections)) << kInstrumentFiles[language];
    std::vector<std::string> names;
    for (const auto& section : sections) {
      ASSERT_FALSE(section.empty());
      ASSERT_EQ(section.size() % 2, 0u) << "name and short form";
      for (size_t i = 0; i < section.size(); i += 2) names.push_back(section[i]);
    }
    EXPECT_EQ(entries, names) << kInstrumentFiles[language];
    if (language == 0) rows = entries.size();
    EXPECT_EQ(entries.size(), rows) << "rows line up over the languages";
    for (const std::string& name : entries) EXPECT_LE(name.size(), size_t(kPartNameUnits - 1));

    std::vector<std::vector<std::string>> sectionNames = ReadAsSections(ReadShipped(kSectionFiles[language]));
    ASSERT_EQ(sectionNames.size(), 1u);
    EXPECT_EQ(sectionNames[0].size(), size_t(kInstrumentSections)) << kSectionFiles[language];
  }
  EXPECT_GT(rows, 50u);
}

class NameListTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadInstrumentNameListsFrom(SourcePath("resources/data/").c_str())); }
  void TearDown() override {
    FreeInstrumentNameLists();
    ResetPartRecords();
  }
  static std::u16string ListName(const std::string& name, int* found) {
    char16_t buffer[kPartNameUnits] = {};
    std::u16string text = U16(name);
    std::copy(text.begin(), text.end(), buffer);
    *found = FindInstrumentListName(buffer, kPartNameUnits);
    return buffer;
  }
};

TEST_F(NameListTest, PartNamesInThreeLanguagesFindTheEnglishName) {
  struct Case {
    const char* part;
    const char* english;
  };
  const Case cases[] = {
      {"Violin", "Violin"},
      {"Violine 1", "Violin"},
      {"Violino II", "Violin"},
      {"Violoncello", "Cello"},
      {"Flauto", "Flute"},
      {"2. Klarinette in A", "Clarinet in A"},
      {"Clarinetto basso", "Bass clarinet"},
      {"Corno inglese", "Cor anglais"},
      {"Englischhorn", "Cor anglais"},
      {"Große Trommel", "Bass drum"},
      {"fagotto II", "Bassoon"},
      {"Alto Saxophone", "Alto sax"},
      {"Tromba in Sib", "Trumpet"},
      {"Posaune 1+2", "Trombone"},
      {"(Pauken)", "Timpani"},
      {"Flöte", "Flute"},
      {"FLÖTE", "Flute"},
      {"Sopran", "Soprano"},
      {"Kontrabass", "Double bass"},
  };
  for (const Case& c : cases) {
    int found = -1;
    EXPECT_EQ(ListName(c.part, &found), U16(c.english)) << c.part;
    EXPECT_EQ(found, 1) << c.part;
  }
}

TEST_F(NameListTest, ANameNotFoundIsLeftAsItWas) {
  for (const char* part : {"Kazoo", "Superviolin", "Kazoo concertino", ""}) {
    int found = -1;
    EXPECT_EQ(ListName(part, &found), U16(part)) << part;  // not upper-cased
    EXPECT_EQ(found, 0) << part;
  }
}

TEST_F(NameListTest, AnEntryCountsOnlyAtAWordStart) {
  int found = -1;
  EXPECT_EQ(ListName("Solo Tuba", &found), u"Tuba");  // the second word
  EXPECT_EQ(found, 1);
  EXPECT_EQ(ListName("Kontratuba", &found), u"Kontratuba");  // inside a word
  EXPECT_EQ(found, 0);
}

TEST_F(NameListTest, TheEnglishNameIsCutToTheBuffer) {
  char16_t small[5] = u"Oboe";
  EXPECT_EQ(FindInstrumentListName(small, 5), 1);
  EXPECT_EQ(std::u16string(small), u"Oboe");
  char16_t tiny[4] = u"Vla";
  std::u16string viola = u"Viola";
  char16_t name[8] = {};
  std::copy(viola.begin(), viola.end(), name);
  EXPECT_EQ(FindInstrumentListName(name, 4), 1);
  EXPECT_EQ(std::u16string(name), u"Vio");
  EXPECT_EQ(FindInstrumentListName(nullptr, 4), 0);
  EXPECT_EQ(FindInstrumentListName(tiny, 0), 0);
}

TEST_F(NameListTest, ShortForms) {
  struct Case {
    const char* part;
    const char* shortForm;
  };
  const Case cases[] = {
      {"Violine 1", "Vl. 1"},        {"Solo Flute", "Solo Fl."},     {"Violoncello", "Vc."},
      {"2.Oboe", "2.Ob."},           {"Kazoo ensemble", "Kaz. ens."}, {"Kazoo-Drone X", "Kaz.-Dro. X"},
      {"Tuba", "Tba."},              {"Trompete in B", "Trp. in B"},  {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::u16string(FindInstrumentName(U16(c.part).c_str()).Text()), U16(c.shortForm)) << c.part;
  }
}

TEST_F(NameListTest, ThePartNameCacheLooksAnUnchangedNameUpOnce) {
  std::u16string name = u"Violin 2";
  std::copy(name.begin(), name.end(), PartNameTable[1]);
  EXPECT_EQ(std::u16string(LookupPartInstrumentName(1)), u"Vln. 2");

  // Other lists, in which the violin's short form differs: the unchanged
  // name still gives what was found for it.
  ScratchFolder scratch;
  const char list[] = "Violin\0Vi.\0\3\1\51\0";
  for (const char* file : kAllFiles) {
    std::ofstream out(U8(scratch.File(U16(file))), std::ios::binary);
    out.write(list, sizeof(list) - 1);
  }
  ASSERT_TRUE(LoadInstrumentNameListsFrom(scratch.File(u"").c_str()));
  EXPECT_EQ(std::u16string(LookupPartInstrumentName(1)), u"Vln. 2");

  name = u"Violin 3";
  std::copy(name.begin(), name.end(), PartNameTable[1]);
  EXPECT_EQ(std::u16string(LookupPartInstrumentName(1)), u"Vi. 3");
  EXPECT_EQ(std::u16string(LookupPartInstrumentName(-1)), u"");
  EXPECT_EQ(std::u16string(LookupPartInstrumentName(kPartSlots)), u"");
}

TEST(InstrumentNameLists, AMissingListIsReported) {
  ScratchFolder scratch;
  EXPECT_FALSE(LoadInstrumentNameListsFrom(scratch.File(u"").c_str()));
  FreeInstrumentNameLists();
  size_t size = 99;
  EXPECT_EQ(InstrumentList(kEnglishList, &size), nullptr);
  EXPECT_EQ(size, 0u);
  char16_t name[kPartNameUnits] = u"Violin";
  EXPECT_EQ(FindInstrumentListName(name, kPartNameUnits), 0);
}

TEST(InstrumentNameLists, MalformedListsAreReadOnlyWithinTheirSize) {
  ScratchFolder scratch;
  // An unended name, a 1 without its data byte, a list without its final 0.
  const std::string lists[] = {std::string("Viol", 4), std::string("Violin\0Vl.\0\1", 12),
                               std::string("Oboe\0Ob.\0\1\2\2", 13)};
  for (const std::string& list : lists) {
    for (const char* file : kAllFiles) {
      std::ofstream out(U8(scratch.File(U16(file))), std::ios::binary);
      out.write(list.data(), std::streamsize(list.size()));
    }
    ASSERT_TRUE(LoadInstrumentNameListsFrom(scratch.File(u"").c_str()));
    char16_t name[kPartNameUnits] = u"violin oboe";
    FindInstrumentListName(name, kPartNameUnits);
    FindInstrumentName(u"violin oboe");
  }
  FreeInstrumentNameLists();
}

TEST(MakeUpperWide, UpperCasesInPlace) {
  char16_t text[] = u"flöte ßä ÿ ĳ ž αβγ щ";
  EXPECT_EQ(MakeUpperWide(text), 20u);
  EXPECT_EQ(std::u16string(text), u"FLÖTE ßÄ Ÿ Ĳ Ž ΑΒΓ Щ");
}

}  // namespace

TEST(InstrumentNameListFiles, NameTheSixShippedLists) {
  std::vector<std::u16string> names;
  for (int i = 0; i < kInstrumentNameListFiles; ++i) {
    ASSERT_NE(InstrumentNameListFile(i), nullptr) << i;
    names.push_back(InstrumentNameListFile(i));
    EXPECT_FALSE(ReadShipped(U8(names.back())).empty()) << U8(names.back());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
  EXPECT_EQ(InstrumentNameListFile(kInstrumentNameListFiles), nullptr);
  EXPECT_EQ(InstrumentNameListFile(-1), nullptr);
}
