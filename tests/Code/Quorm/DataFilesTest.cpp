#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Muslfile.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/Userdict.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"

namespace {

// Frees what a test loaded.
class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    // As inside a run: an exhausted heap unwinds.
    SetEngineHeapHook(OnEngineHeapExhausted);
    SetNamedHeapHook(OnEngineSafeHeapExhausted);
  }
  void TearDown() override {
    FailEngineAllocationAfter(0);
    FreeMusicReferences();
    FreeTextReferences();
    FreeUserDictionary();
    FreeSpelling();
  }
  RecordingEngineHost host;
};

// A loader's answer, or "unwound: code" when it ran out of memory.
template <class Loader>
std::string Answer(Loader load) {
  try {
    EngineCode code = load();
    return code ? code : "null";
  } catch (const EngineFailure& failure) {
    return std::string("unwound: ") + failure.code();
  }
}

// ---- Serialisers of the loaded stores, for byte comparisons ----

Bytes MusicFileOf(const MusicReferenceStore& s) {
  Bytes out;
  PutInt32(out, s.musicCount);
  for (int32_t r = 0; r < s.musicCount; ++r) {
    const MusicReference& m = s.music[r];
    PutInt32(out, m.word0);
    PutInt32(out, m.word1);
    PutBytes(out, m.label, 32);
    PutInt32(out, m.type);
    PutBytes(out, m.edgeRefs, 180);
    PutBytes(out, m.extraRefs, 8);
    for (int32_t v : {m.minWidth, m.maxWidth, m.minHeight, m.maxHeight}) PutInt32(out, v);
  }
  return out;
}

Bytes NoteheadFileOf(const MusicReferenceStore& s) {
  Bytes out;
  PutInt32(out, s.noteheadCount);
  for (int32_t r = 0; r < s.noteheadCount; ++r) {
    const NoteheadReference& n = s.noteheads[r];
    for (int32_t v : {n.headClass, n.word1, n.variant, n.words3to5[0], n.words3to5[1], n.words3to5[2]})
      PutInt32(out, v);
    PutBytes(out, n.edgeRefs, 180);
  }
  return out;
}

void PutPadded(Bytes& out, int32_t byte) {
  out.push_back(static_cast<uint8_t>(byte));
  out.insert(out.end(), 3, 0);
}

// The "on" bytes are the loader's own (from the character table), so the
// file's are compared only where they agree by construction.
Bytes TextFileOf(const TextReferenceStore& s, const std::string& file) {
  Bytes out;
  const TextRefHeader& h = s.header;
  for (int32_t v : {h.word0, h.classCount, h.word2, h.mainCount, h.fastCount, h.veryFastCount}) PutInt32(out, v);
  out.insert(out.end(), file.begin() + 24, file.begin() + 104);
  for (int32_t i = 0; i < h.classCount; ++i) {
    PutPadded(out, s.classes[i].words[0]);
    for (int k = 1; k < 28; ++k) PutInt32(out, s.classes[i].words[k]);
  }
  auto onByte = [&](int32_t) { return static_cast<int32_t>(static_cast<uint8_t>(file[out.size()])); };
  for (int32_t i = 0; i < h.mainCount; ++i) {
    const TextMainPattern& m = s.main[i];
    PutInt32(out, m.words[0]);
    PutInt32(out, m.words[1]);
    PutPadded(out, m.words[2]);
    for (int k = 3; k < 12; ++k) PutInt32(out, m.words[k]);
    PutBytes(out, m.features, 192);
    PutPadded(out, onByte(m.on));
  }
  for (int32_t i = 0; i < h.fastCount; ++i) {
    for (int32_t w : s.fast[i].words) PutInt32(out, w);
    PutBytes(out, s.fast[i].features, 80);
    PutPadded(out, onByte(s.fast[i].on));
  }
  for (int32_t i = 0; i < h.veryFastCount; ++i) {
    for (int32_t w : s.veryFast[i].words) PutInt32(out, w);
    PutBytes(out, s.veryFast[i].features, 24);
    PutPadded(out, onByte(s.veryFast[i].on));
  }
  return out;
}

Bytes SylngramFileOf(const LanguageData& d) {
  Bytes out;
  PutInt32(out, 27);
  PutBytes(out, d.firstMap, 256);
  PutBytes(out, d.symbolOf, 256);
  PutBytes(out, d.unigram, 27);
  out.insert(out.end(), 3, 0);
  PutBytes(out, d.bigram, sizeof d.bigram);
  out.push_back(0);
  PutBytes(out, d.trigram, sizeof d.trigram);
  out.insert(out.end(), 3, 0);
  return out;
}

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// ---- The shipped set ----

// The music and notehead sets ship as the reference tool made them
// (ShippedSetsTest checks what they hold), the text set as the text
// reference maker made it (ShippedTextReferencesTest); the language
// data ships made from the word lists (LanguageDataTest checks its tables).
TEST_F(DataFiles, TheShippedFilesAreValidAndTheMusicSetsHoldTheMadeReferences) {
  EngineDataFolder folder;
  ASSERT_EQ(LoadMusicReferences(), nullptr);
  EXPECT_GT(LoadedMusicReferences().musicCount, 0);
  EXPECT_GT(LoadedMusicReferences().noteheadCount, 0);
  ASSERT_EQ(LoadTextReferences(), nullptr);
  EXPECT_GT(LoadedTextReferences().header.classCount, 0);
  EXPECT_GT(LoadedTextReferences().header.mainCount, 0);
  ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  EXPECT_GT(GetUserWordCount(), 0);
  EXPECT_EQ(LoadedSpelling().language.symbolOf['a'], 0);
  EXPECT_TRUE(IsLetterChar('a'));
  EXPECT_TRUE(IsDigitChar('7'));
  EXPECT_TRUE(host.FramePosts().empty());
}

// ---- The sample set: what the writer wrote is what the loaders hold ----

TEST_F(DataFiles, MusicAndNoteheadReferencesRoundTripByteForByte) {
  EngineDataFolder folder(true);
  ASSERT_EQ(LoadMusicReferences(), nullptr);
  const MusicReferenceStore& s = LoadedMusicReferences();
  ASSERT_EQ(s.musicCount, 3);
  ASSERT_EQ(s.noteheadCount, 2);
  EXPECT_EQ(s.music[0].type, 80);
  EXPECT_EQ(s.music[1].type, 402);
  EXPECT_EQ(s.music[2].maxWidth, 9990);
  EXPECT_EQ(s.noteheads[1].headClass, 7);
  EXPECT_EQ(s.noteheads[1].variant, 3);
  EXPECT_EQ(MusicFileOf(s), AsBytes(ReadFileBytes(folder.File(u"Learned\\fssOLD"))));
  EXPECT_EQ(NoteheadFileOf(s), AsBytes(ReadFileBytes(folder.File(u"Learned\\nhOLD"))));
}

TEST_F(DataFiles, TextReferencesRoundTripAndSwitchPatternsByTheCharacterTable) {
  EngineDataFolder folder(true);
  ASSERT_EQ(LoadTextReferences(), nullptr);
  const TextReferenceStore& s = LoadedTextReferences();
  std::string file = ReadFileBytes(folder.File(u"Learned\\Text"));
  EXPECT_EQ(TextFileOf(s, file), AsBytes(file));
  ASSERT_EQ(s.header.mainCount, 4);
  // Main patterns "a", "B", "7" are allowed, "%" is not.
  EXPECT_EQ(s.main[0].on, 1);
  EXPECT_EQ(s.main[2].on, 1);
  EXPECT_EQ(s.main[3].on, 0);
  EXPECT_EQ(s.fast[1].on, 1);
  EXPECT_EQ(s.veryFast[0].on, 1);
  EXPECT_EQ(s.veryFast[1].on, 0);  // its range of fast patterns is empty
  EXPECT_EQ(GetClassOfCharacter('a'), 0);
  EXPECT_EQ(GetClassOfCharacter('7'), 2);
  EXPECT_EQ(GetClassOfCharacter('z'), -1);
  EXPECT_EQ(GetClassCharacter(1), 'B');
  EXPECT_EQ(GetClassCharacter(99), 0);
  int32_t words[4];
  GetClassRefB(2, words);
  EXPECT_EQ(words[0], s.classes[2].words[5]);
  EXPECT_THROW(GetClassRefA(3, words), EngineFailure);
  // A second load without freeing keeps the first data.
  EXPECT_STREQ(LoadTextReferences(), "Xnewldocr");
  EXPECT_EQ(LoadedTextReferences().header.mainCount, 4);
}

TEST_F(DataFiles, LanguageDataHoldsWhatTheWriterWrote) {
  EngineDataFolder folder(true);
  ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  const SpellingTables& t = LoadedSpelling();
  EXPECT_EQ(t.charTypes['a'] & (kKnownSymbols | kWordStart | kMustBeWord | kLowerCase),
            kKnownSymbols | kWordStart | kMustBeWord | kLowerCase);
  EXPECT_EQ(t.charTypes['.'] & (kNotAStart | kNotAnEnd), kNotAStart | kNotAnEnd);
  EXPECT_EQ(t.charTypes['7'] & kNotAStart, 0u);
  EXPECT_EQ(ToLowerCase('Q'), 'q');
  EXPECT_EQ(ToLowerCase(0xC9), 0xE9);
  EXPECT_EQ(ToLowerCase(0x81), 0x82);
  EXPECT_EQ(t.punctuationCount[kAfterWord], 5);
  EXPECT_STREQ(t.punctuation[kAfterWord][0], "!");  // sorted
  EXPECT_STREQ(t.punctuation[kBeforeWord][0], "\"");
  EXPECT_EQ(t.costs[kNotInDictCost], 0);
  EXPECT_EQ(t.costs[kBadPuncPer1Cost], 180);
  // len4 + (n - 4) x per1 - notindict: -20 + (31 - 4) x -10 - 0
  EXPECT_EQ(t.frequencyCost[31], -20 - 270);
  EXPECT_EQ(t.loneCost['&'], 255);
  EXPECT_EQ(t.loneCost[0xE9], 9);
  EXPECT_EQ(t.unsafeSegmentCount, 4);
  EXPECT_STREQ(t.unsafeSegments[0], "cl");
  EXPECT_EQ(t.unsafeInGoodWordCount, 2);
  EXPECT_EQ(t.language.symbolOf['c'], 2);
  EXPECT_EQ(t.language.symbolOf['\''], 26);
  EXPECT_EQ(SylngramFileOf(t.language), AsBytes(ReadFileBytes(folder.File(u"Langs\\English\\sylngram.bin"))));
}

TEST_F(DataFiles, UserDictionarySortsTrimsAndDropsExactDuplicates) {
  EngineDataFolder folder(true);
  ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  std::vector<std::string> words;
  for (int32_t i = 0; i < GetUserWordCount(); ++i) words.push_back(GetUserWord(i));
  EXPECT_EQ(words, (std::vector<std::string>{"a", "Bach", "don't", "hello", "The", "the", "ZZtop"}));
  struct Case {
    const char* word;
    int kind, in;
  };
  const Case cases[] = {{"the", 0, 1},  {"The", 1, 1},  {"THE", 2, 1},   {"bach", 0, 0},  {"Bach", 1, 1},
                        {"BACH", 2, 1}, {"zztop", 2, 1}, {"zztop", 0, 0}, {"hello", 0, 1}, {"hellos", 0, 0},
                        {"7", 3, 0},    {"a", 4, 1}};
  for (const Case& c : cases) EXPECT_EQ(InUserDictionary(c.word, c.kind), c.in) << c.word << " " << c.kind;
  EXPECT_THROW(InUserDictionary("the", 5), EngineFailure);
  EXPECT_EQ(FindUserWord("hellp", 0), -1);
  EXPECT_EQ(FindUserWord("hellp", 1), 3);
  EXPECT_EQ(FindUserWord("HELLO", 0), 3);
}

TEST_F(DataFiles, LongUserWordsAreReadInPiecesOf31) {
  EngineDataFolder folder;
  folder.Write(u"User\\dict.txt", std::string(40, 'x') + "\n");
  ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  ASSERT_EQ(GetUserWordCount(), 2);
  EXPECT_EQ(std::string(GetUserWord(0)), std::string(9, 'x'));
  EXPECT_EQ(std::string(GetUserWord(1)), std::string(31, 'x'));
}

TEST_F(DataFiles, ManyUserWordsGrowTheStore) {
  EngineDataFolder folder;
  std::string text;
  for (int i = 0; i < 7000; ++i) text += "w" + std::to_string(i) + "\n";
  folder.Write(u"User\\dict.txt", text);
  ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  EXPECT_EQ(GetUserWordCount(), 7000);
  EXPECT_EQ(InUserDictionary("w6999", 0), 1);
}

// ---- Hostile files: each fails its loader with its code, nothing stays loaded ----

struct HostileReference {
  const char* what;
  const char16_t* file;
  Bytes bytes;
};

TEST_F(DataFiles, HostileReferenceFilesFailWithXrdomrdat) {
  const Bytes good = MusicRecordBytes(80, 100, 200, 100, 200);
  const Bytes head = NoteheadRecordBytes(2, 1);
  Bytes truncated = ReferenceFile(1, {good});
  truncated.pop_back();
  Bytes trailing = ReferenceFile(1, {good});
  trailing.push_back(0);
  const HostileReference cases[] = {
      {"empty file", u"Learned\\fssOLD", {}},
      {"three bytes", u"Learned\\fssOLD", {1, 0, 0}},
      {"negative count", u"Learned\\fssOLD", ReferenceFile(-1, {})},
      {"count without records", u"Learned\\fssOLD", ReferenceFile(1, {})},
      {"huge count", u"Learned\\fssOLD", ReferenceFile(0x7FFFFFFF, {good})},
      {"count past the records", u"Learned\\fssOLD", ReferenceFile(2, {good})},
      {"short record", u"Learned\\fssOLD", truncated},
      {"bytes after the records", u"Learned\\fssOLD", trailing},
      {"type below the symbols", u"Learned\\fssOLD", ReferenceFile(1, {MusicRecordBytes(31, 1, 2, 1, 2)})},
      {"type above the symbols", u"Learned\\fssOLD", ReferenceFile(1, {MusicRecordBytes(2000, 1, 2, 1, 2)})},
      {"widths crossed", u"Learned\\fssOLD", ReferenceFile(2, {good, MusicRecordBytes(80, 300, 200, 1, 2)})},
      {"negative height", u"Learned\\fssOLD", ReferenceFile(1, {MusicRecordBytes(80, 1, 2, -1, 2)})},
      {"giant width", u"Learned\\fssOLD", ReferenceFile(1, {MusicRecordBytes(80, 1, 10001, 1, 2)})},
      {"head class 8", u"Learned\\nhOLD", ReferenceFile(1, {NoteheadRecordBytes(8, 0)})},
      {"head class -1", u"Learned\\nhOLD", ReferenceFile(1, {NoteheadRecordBytes(-1, 0)})},
      {"variant 4", u"Learned\\nhOLD", ReferenceFile(2, {head, NoteheadRecordBytes(0, 4)})},
      {"notehead count past the records", u"Learned\\nhOLD", ReferenceFile(3, {head, head})},
  };
  for (const HostileReference& c : cases) {
    EngineDataFolder folder;
    // An empty music set before a bad notehead set: nothing is allocated
    // before the notehead file's check either.
    folder.Write(u"Learned\\fssOLD", ReferenceFile(0, {}));
    folder.Write(c.file, c.bytes);
    FailEngineAllocationAfter(1);  // nothing may be allocated before the check
    EXPECT_EQ(Answer(LoadMusicReferences), "Xrdomrdat") << c.what;
    FailEngineAllocationAfter(0);
    if (std::u16string(c.file) == u"Learned\\nhOLD") {
      // A good music set before a bad notehead set does not stay loaded.
      folder.Write(u"Learned\\fssOLD", ReferenceFile(1, {good}));
      EXPECT_EQ(Answer(LoadMusicReferences), "Xrdomrdat") << c.what;
    }
    EXPECT_EQ(LoadedMusicReferences().musicCount, 0) << c.what;
    EXPECT_EQ(LoadedMusicReferences().music, nullptr) << c.what;
    EXPECT_EQ(LoadedMusicReferences().noteheadCount, 0) << c.what;
  }
}

TEST_F(DataFiles, MissingReferenceFilesFail) {
  EngineDataFolder folder;
  folder.Remove(u"Learned\\nhOLD");
  EXPECT_STREQ(LoadMusicReferences(), "Xrdomrdat");
  folder.Remove(u"Learned\\fssOLD");
  EXPECT_STREQ(LoadMusicReferences(), "Xrdomrdat");
  // The other sets are not read with the default options.
  folder.Remove(u"Learned\\fssSTD");
  folder.Write(u"Learned\\fssOLD", ReferenceFile(0, {}));
  folder.Write(u"Learned\\nhOLD", ReferenceFile(0, {}));
  EXPECT_EQ(LoadMusicReferences(), nullptr);
}

Bytes TextHeader(int32_t nc, int32_t nm, int32_t nf, int32_t nv) {
  Bytes out;
  for (int32_t v : {0, nc, 0, nm, nf, nv}) PutInt32(out, v);
  out.insert(out.end(), 80, 0);
  return out;
}

Bytes RangePattern(int32_t first, int32_t end, size_t featureBytes) {
  Bytes out;
  for (int32_t v : {first, end, 0, 0, 0}) PutInt32(out, v);
  out.insert(out.end(), featureBytes + 4, 0);
  return out;
}

Bytes TextFile(int32_t nm, std::vector<Bytes> fast, std::vector<Bytes> veryFast) {
  Bytes out = TextHeader(0, nm, static_cast<int32_t>(fast.size()), static_cast<int32_t>(veryFast.size()));
  out.insert(out.end(), static_cast<size_t>(244 * nm), 0);
  for (const Bytes& b : fast) out.insert(out.end(), b.begin(), b.end());
  for (const Bytes& b : veryFast) out.insert(out.end(), b.begin(), b.end());
  return out;
}

TEST_F(DataFiles, HostileTextReferenceFilesFailWithXrdocrdat) {
  Bytes trailing = TextHeader(0, 0, 0, 0);
  trailing.push_back(1);
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty file", {}},
      {"short header", Bytes(103, 0)},
      {"negative class count", TextHeader(-1, 0, 0, 0)},
      {"counts past the file", TextHeader(1, 1, 1, 1)},
      {"huge counts", TextHeader(0x7FFFFFFF, 0x7FFFFFFF, 0, 0)},
      {"bytes after the records", trailing},
      {"fast range past the main patterns", TextFile(2, {RangePattern(0, 3, 80)}, {})},
      {"fast range backwards", TextFile(2, {RangePattern(2, 1, 80)}, {})},
      {"negative fast range", TextFile(2, {RangePattern(-1, 1, 80)}, {})},
      {"very-fast range past the fast patterns", TextFile(2, {RangePattern(0, 2, 80)}, {RangePattern(0, 2, 24)})},
  };
  for (const auto& c : cases) {
    EngineDataFolder folder;
    folder.Write(u"Learned\\Text", c.bytes);
    FailEngineAllocationAfter(1);
    EXPECT_EQ(Answer(LoadTextReferences), "Xrdocrdat") << c.what;
    FailEngineAllocationAfter(0);
    EXPECT_EQ(LoadedTextReferences().main, nullptr) << c.what;
  }
  EngineDataFolder folder;
  folder.Write(u"Learned\\Text", TextFile(2, {RangePattern(0, 2, 80)}, {RangePattern(0, 1, 24)}));
  EXPECT_EQ(LoadTextReferences(), nullptr);
  FreeTextReferences();
  folder.Remove(u"Learned\\Text");
  EXPECT_STREQ(LoadTextReferences(), "Xreaddat");
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string Lines(const std::string& line, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += line + "\r\n";
  return out;
}

TEST_F(DataFiles, HostileLanguageDataFailsWithXspllinit) {
  const std::string good = ReadFileBytes(SampleEngineFolder() + u"\\Langs\\English\\langdata.txt");
  ASSERT_FALSE(good.empty());
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"misspelled start", Replace(good, "SymbolTypesStart", "SymbolTypeStart")},
      {"types out of order", Replace(good, "wordstart", "wordend")},
      {"type list too long", Replace(good, "wordseparator /", "wordseparator " + std::string(300, '/'))},
      {"a cost line missing", Replace(good, "wierdcost 70\r\n", "")},
      {"a cost that is no number", Replace(good, "wierdcost 70", "wierdcost seventy")},
      {"a cost beyond 32 bits", Replace(good, "wierdcost 70", "wierdcost 99999999999")},
      {"a lone token of two characters", Replace(good, "& 255", "&& 255")},
      {"a lone cost above a byte", Replace(good, "& 255", "& 256")},
      {"a known symbol without a lone cost", Replace(good, "A 1\r\n", "")},
      {"a punctuation string of five", Replace(good, "afterword\r\n", "afterword\r\n.....\r\n")},
      {"251 punctuation strings", Replace(good, "afterword\r\n", "afterword\r\n" + Lines(".", 246))},
      {"an unsafe segment of four", Replace(good, "unsafesegs\r\n", "unsafesegs\r\nabcd\r\n")},
      {"65 unsafe segments", Replace(good, "unsafesegs\r\n", "unsafesegs\r\n" + Lines("ab", 61))},
      {"33 unsafe strings in good words", Replace(good, "unsafeingoodword\r\n", "unsafeingoodword\r\n" + Lines("x", 31))},
      {"the end marker one s short", Replace(good, "UnsafeStringSegsEnd", "UnsafeStringSegEnd")},
      {"ends inside the costs", good.substr(0, good.find("wierdcost"))},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    EngineDataFolder folder(true);
    folder.Write(u"Langs\\English\\langdata.txt", c.text);
    EXPECT_STREQ(InitialiseSpelling("English"), "Xspllinit") << c.what;
  }
  EngineDataFolder folder(true);
  // The last section may end with the file.
  folder.Write(u"Langs\\English\\langdata.txt", Replace(good, "UnsafeStringSegsEnd", ""));
  EXPECT_EQ(InitialiseSpelling("English"), nullptr);
  folder.Remove(u"Langs\\English\\langdata.txt");
  EXPECT_STREQ(InitialiseSpelling("English"), "Xspllinit");
  EXPECT_STREQ(InitialiseSpelling("Klingon"), "Xspllinit");
}

TEST_F(DataFiles, HostileTrigramFilesFailWithXspllinit) {
  const std::string good = ReadFileBytes(SampleEngineFolder() + u"\\Langs\\English\\sylngram.bin");
  ASSERT_EQ(good.size(), 20962u);
  std::string count26 = good, badSymbol = good;
  count26[0] = 26;
  badSymbol[4 + 256 + 'a'] = 27;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"symbol count 26", count26},
      {"a symbol index of 27", badSymbol},
      {"one byte short", good.substr(0, good.size() - 1)},
      {"one byte more", good + "x"},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    EngineDataFolder folder(true);
    folder.Write(u"Langs\\English\\sylngram.bin", c.bytes);
    EXPECT_STREQ(InitialiseSpelling("English"), "Xspllinit") << c.what;
  }
}

TEST_F(DataFiles, AMissingUserDictionaryFailsWithXudicinit) {
  EngineDataFolder folder;
  folder.Remove(u"User\\dict.txt");
  EXPECT_STREQ(InitialiseSpelling("English"), "Xudicinit");
}

}  // namespace
