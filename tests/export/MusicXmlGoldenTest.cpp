// Small scores, one per feature, exported as MusicXML and compared with the
// reviewed documents in tests/export/golden. KV_UPDATE_GOLDEN=1 writes the
// documents instead of comparing (review each by hand before committing).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/ExportEntries.h"
#include "platform/FileLayer.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"
#include "tests/export/MusicXmlScores.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

constexpr uint8_t C5 = 17, E4 = 12, G4 = 14, A4 = 15, F5 = 20;

// Treble clef, no key, 4/4.
StreamBytesList Opening() { return JoinItems({ClefItem(kClefTreble), KeyItem(0), TimeItem(4, 5)}); }
StreamBytesList Quarter(uint8_t position, uint8_t voice = 0) { return Notes(kDurationQuarter, {position}, voice); }
StreamBytesList FourQuarters(uint8_t position) {
  return JoinItems({Quarter(position), Quarter(position), Quarter(position), Quarter(position)});
}
StreamBytesList Closing() { return JoinItems({Bar(kBarFinal), EndMark()}); }

// The rest stands at its voice's own time.
StreamBytesList AtVoiceTime(StreamBytesList rest) {
  rest[0] |= 0x80;
  return rest;
}

struct GoldenScore {
  GoldenScore(const char* n, std::vector<StreamBytesList> p, StreamBytesList texts = {}, int16_t tab = 0,
              uint32_t lines = kOrdinaryStaveLines)
      : name(n), parts(std::move(p)), pageTexts(std::move(texts)), tablature(tab), lineCount(lines) {}
  const char* name;
  std::vector<StreamBytesList> parts;  // slots 1, 2 ...
  StreamBytesList pageTexts;           // slot 0
  int16_t tablature;                   // of part 1
  uint32_t lineCount;                  // of part 1
};

// A quarter C5 changed by f (marks, heads, grace and cue bits).
template <class Change>
StreamBytesList Marked(Change change) {
  StreamBytesList item = Notes(kDurationQuarter, {17});
  change(item.data());
  return item;
}

// A fret on a string (0 the lowest) of a tablature part.
uint8_t Fret(int string, int fret) { return uint8_t(string << 5 | fret); }

std::vector<GoldenScore> Scores() {
  return {
      {"notes", {JoinItems({Opening(), FourQuarters(C5), Closing()})}, PageText(kTextTitle, u"Sonata")},
      {"rests",
       {JoinItems({Opening(), RestOf(kDurationQuarter, 0, 0), RestOf(kDurationEighth, 0, 1),
                   Notes(kDurationEighth + 0, {C5}, 0, 0), Quarter(C5), Bar(), RestOf(7, 0, 0), Closing()})}},
      {"chords", {JoinItems({Opening(), Notes(kDurationWhole, {E4, G4, C5}), Closing()})}},
      {"voices",
       {JoinItems({Opening(), Notes(kDurationHalf, {C5}, 0), InColumn(Notes(kDurationWhole, {E4}, 1)),
                   Notes(kDurationHalf, {C5}, 0), Closing()})}},
      {"beams",
       {JoinItems({Opening(), Beamed(kDurationEighth, {C5}, true), Beamed(kDurationEighth, {C5}, false),
                   Beamed(kDurationEighth, {C5}, false), Beamed(kDurationEighth, {C5}, false), Quarter(C5),
                   Quarter(C5), Closing()})}},
      {"ties",
       {JoinItems({Opening(), Quarter(C5), Quarter(C5), Quarter(C5), TieMark(), Quarter(C5), Bar(), Quarter(C5),
                   TieMark(), Quarter(A4), Quarter(C5), Quarter(C5), Closing()})}},
      {"slurs", {JoinItems({Opening(), SlurMark(96), FourQuarters(C5), Closing()})}},
      // Slurs longer than the music left: each ends on the part's last note;
      // one that would start on that note is left out.
      {"slursatend",
       {JoinItems({Opening(), Quarter(C5), SlurMark(2000), Quarter(C5), SlurMark(2000, 1),
                   InColumn(Notes(kDurationHalf, {E4}, 1)), Quarter(C5), SlurMark(500), Quarter(C5), Closing()})}},
      {"tuplets",
       {JoinItems({Opening(), Tuplet(3, 15, 32), Notes(kDurationEighth, {C5}), Notes(kDurationEighth, {E4, C5}),
                   Notes(kDurationEighth, {C5}), Quarter(C5), Notes(kDurationHalf, {C5}), Closing()})}},
      {"clefs",
       {JoinItems({ClefItem(kClefBass), KeyItem(0), TimeItem(4, 5), Quarter(E4), ClefItem(kClefAlto), Quarter(E4),
                   ClefItem(kClefTreble, kOctaveDown), Quarter(E4), ClefItem(kClefTreble, kOctaveUp), Quarter(E4),
                   Closing()})}},
      {"keys",
       {JoinItems({ClefItem(kClefTreble), KeyItem(2), TimeItem(4, 5), Notes(kDurationHalf, {F5}),
                   Notes(kDurationHalf, {Note(F5, kAccidentalNatural)}), Bar(), KeyItem(-3), Notes(kDurationWhole, {E4}),
                   Closing()})}},
      {"times",
       {JoinItems({ClefItem(kClefTreble), TimeSymbolItem(4, 5), FourQuarters(C5), Bar(), TimeItem(3, 5),
                   Quarter(C5), Quarter(C5), Quarter(C5), Bar(), TimeSymbolItem(2, 6), Notes(kDurationWhole, {C5}),
                   Bar(), TimeItem(6, 4), Notes(kDurationHalf, {C5}, 0, 1), Closing()})}},
      {"barlines",
       {JoinItems({Opening(), Notes(kDurationWhole, {C5}), Bar(kBarStartRepeat), Notes(kDurationWhole, {C5}),
                   Bar(kBarEndStartRepeat), Notes(kDurationWhole, {C5}), Bar(kBarEndRepeat),
                   Notes(kDurationWhole, {C5}), Bar(kBarDouble), Notes(kDurationWhole, {C5}), Closing()})}},
      {"texts",
       {JoinItems({Opening(), Quarter(C5), StaffText(kTextStaff, u"dolce & <espr.>", 8, -12), Quarter(C5),
                   StaffText(kTextRehearsal, u"A"), Quarter(C5), StaffText(kTextTechnique, u"pizz."), Quarter(C5),
                   Closing()})},
       JoinItems({PageText(kTextTitle, u"Sonate"), PageText(kTextTitle, u"Second title"),
                  PageText(kTextComposer, u"Dvo\u0159\u00e1k"), PageText(kTextLyricist, u"Anon"),
                  PageText(kTextCopyright, u"Public domain"), PageText(kTextSubtitle, u"Op. 1")})},
      {"lyrics",
       {JoinItems({Opening(), Notes(kDurationHalf, {E4, G4, C5}), StaffText(kTextLyric, u"one", 0, 20),
                   StaffText(kTextLyric, u"two", 0, 10), Notes(kDurationHalf, {C5}), StaffText(kTextLyric, u"la"),
                   Closing()})}},
      {"chordsymbols",
       {JoinItems({Opening(), Quarter(C5), ChordSymbol(0, 19, 0), Quarter(C5), ChordSymbol(3, 12, 8), Quarter(C5),
                   ChordSymbol(15, 33, 15), Quarter(C5), ChordSymbol(13, 0, 13), Closing()})}},
      // Diagrams: C in the first position, a hidden-name barre chord from the
      // fifth fret, and a diagram without a played string (the name only).
      {"chorddiagrams",
       {JoinItems({Opening(), Quarter(C5), ChordDiagram(0, 0, {0, 7, 3, 2, 0, 1, 0}), Quarter(C5),
                   ChordDiagram(13, 1, {4, 1, 3, 3, 1, 1, 1}, false), Quarter(C5),
                   ChordDiagram(10, 0, {0, 7, 7, 7, 7, 7, 7}), Quarter(C5), Closing()})}},
      {"dynamics",
       {JoinItems({Opening(), Quarter(C5), StaffText(kTextDynamic, u"mf"), Quarter(C5),
                   StaffText(kTextDynamic, u"sp"), Quarter(C5), StaffText(kTextDynamic, u"cresc"), Quarter(C5),
                   StaffText(kTextDynamic, u"molto"), Closing()})}},
      {"hairpins",
       {JoinItems({Opening(), Quarter(C5), Hairpin(kTextHairpin18), Quarter(C5), Quarter(C5),
                   Hairpin(kTextHairpin19), Quarter(C5), Bar(), Notes(kDurationHalf, {C5}), Hairpin(kTextHairpin18),
                   Notes(kDurationHalf, {C5}), Closing()})}},
      // Spread 0 where a wedge is closed, the open height / 10 where it is
      // open; a hairpin that starts too far from its note is left out.
      {"hairpinspread",
       {JoinItems({Opening(), Quarter(C5), Hairpin(kTextHairpin18, -4, 40), Quarter(C5), Quarter(C5),
                   Hairpin(kTextHairpin19, 10, 30), Quarter(C5), Bar(), Notes(kDurationHalf, {C5}),
                   Hairpin(kTextHairpin18, 52, 40), Notes(kDurationHalf, {C5}), Closing()})}},
      {"tempo",
       {JoinItems({Opening(), Notes(kDurationWhole, {C5}), StaffText(kTextTempo, u"Allegro"), Bar(),
                   Notes(kDurationWhole, {C5}), StaffText(kTextTempo, u"Allegro"), Bar(),
                   Notes(kDurationWhole, {C5}), StaffText(kTextTempo, u"Pi\u00f9 mosso"), Bar(),
                   Notes(kDurationWhole, {C5}), StaffText(kTextTempo, u"q = 96"), Closing()})}},
      // A whole-bar rest after music of its bar is left out; one at its
      // voice's own time stands while that voice is still silent.
      {"wholebarrests",
       {JoinItems({Opening(), FourQuarters(C5), RestOf(7, 0, 0), Bar(), RestOf(7, 0, 0), AtVoiceTime(RestOf(7, 1, 0)),
                   Bar(), Notes(kDurationWhole, {C5}), AtVoiceTime(RestOf(7, 1, 0)), Closing()})}},
      {"multibarrest",
       {JoinItems({Opening(), BarsRest(3), Bar(), Notes(kDurationWhole, {C5}), Closing()})}},
      {"beforeclef", {JoinItems({Quarter(C5), Quarter(E4), Bar(), ClefItem(kClefBass), FourQuarters(E4), Closing()})}},
      {"nonbmp",
       {JoinItems({Opening(), Notes(kDurationWhole, {C5}),
                   StaffText(kTextStaff, u"clef \U0001D11E bell\u0007"), Closing()})}},
      {"overfull", {JoinItems({Opening(), FourQuarters(C5), Quarter(C5), Bar(), FourQuarters(C5), Closing()})}},
      {"noendmark", {JoinItems({Opening(), FourQuarters(C5), Bar(), Quarter(C5), Quarter(C5), SlurMark(64)})}},
      {"incomplete", {JoinItems({Opening(), Quarter(C5), Notes(kDurationEighth, {C5}), Closing()})}},
      {"twoparts",
       {JoinItems({Opening(), FourQuarters(C5), Bar(), FourQuarters(C5), Bar(), SystemMark(), FourQuarters(C5),
                   Closing()}),
        JoinItems({ClefItem(kClefBass), KeyItem(0), TimeItem(4, 5), Notes(kDurationWhole, {E4}), Bar(), SystemMark(),
                   Notes(kDurationWhole, {E4}), Closing()})}},
      {"tablature",
       {JoinItems({ClefItem(kClefTablature), TimeItem(4, 5), Notes(kDurationHalf, {Fret(0, 3), Fret(2, 2)}),
                   Notes(kDurationHalf, {Fret(5, 0)}), Closing()})},
       {},
       1,
       6},
      {"drums",
       {JoinItems({ClefItem(kClefPercussion), TimeItem(4, 5), Quarter(7), Quarter(3), Quarter(7),
                   Notes(kDurationQuarter, {3, 7}), Closing()})},
       {},
       0,
       1},
      {"marks",
       {JoinItems({Opening(),
                   Marked([](uint8_t* c) {
                     SetChordArticulation(c, kArticulationStaccato);
                     SetChordMarkFlags(c, kMarkAccent | kMarkTenuto | kMarkUpBow);
                   }),
                   Marked([](uint8_t* c) { SetChordArticulation(c, kArticulationFermata); }),
                   Marked([](uint8_t* c) { SetChordNotehead(c, 1); }),
                   Marked([](uint8_t* c) { SetChordNotehead(c, 2); }), Bar(),
                   Marked([](uint8_t* c) { c[4] |= 0x04 | 0x20; c[3] |= 0x80; SetChordDuration(c, kDurationEighth, 0); }),
                   Marked([](uint8_t* c) { c[3] |= 0x80; }), Closing()})}},
      // Texts behind notes of the second and third voices stand at those
      // notes' times, not where the previous voice ended.
      {"voicetexts",
       {JoinItems({Opening(), Notes(kDurationHalf, {C5}, 0), InColumn(Notes(kDurationWhole, {E4}, 1)),
                   StaffText(kTextDynamic, u"mf"), Hairpin(kTextHairpin18), InColumn(Notes(kDurationWhole, {G4}, 2)),
                   StaffText(kTextStaff, u"espr."), ChordSymbol(0, 19, 0), Notes(kDurationHalf, {C5}, 0), Bar(),
                   Notes(kDurationWhole, {C5}, 0), InColumn(Notes(kDurationHalf, {E4}, 1)), AtVoiceTime(RestOf(7, 2, 0)),
                   StaffText(kTextTechnique, u"tacet"), Notes(kDurationHalf, {E4}, 1), StaffText(kTextDynamic, u"p"),
                   Closing()})}},
      // Inside a part a copyright notice is words and a general text is left
      // out (it belongs to the page); the words of growing and falling
      // loudness are words, not dynamics marks.
      {"parttexts",
       {JoinItems({Opening(), Quarter(C5), PageText(kTextCopyright, u"Copyright 2026"), Quarter(C5),
                   PageText(kTextGeneral, u"Page note"), Quarter(C5), StaffText(kTextDynamic, u"crescendo"),
                   Quarter(C5), StaffText(kTextDynamic, u"diminuendo"), Bar(), Quarter(C5),
                   StaffText(kTextDynamic, u"dim"), Quarter(C5), StaffText(kTextDynamic, u"fp"),
                   Notes(kDurationHalf, {C5}), Closing()})}},
      // The header texts are those of the first page: the walk ends at the
      // first page mark.
      {"headerpages",
       {JoinItems({Opening(), FourQuarters(C5), Closing()})},
       JoinItems({PageText(kTextTitle, u"Sonata"), PageMarkItem(), PageText(kTextComposer, u"Later page"),
                  PageText(kTextTitle, u"Second page title"), PageMarkItem()})},
      {"pedalsegno",
       {JoinItems({Opening(), PedalMark(0), StaffText(kTextSegno, u"Segno"), Quarter(C5), OrnamentMark(0),
                   Quarter(C5), PedalMark(1), Quarter(C5), Quarter(C5), Closing()})}},
  };
}

std::string GoldenName(const ::testing::TestParamInfo<GoldenScore>& info) { return info.param.name; }

class MusicXmlGolden : public ScoreStreamTest, public ::testing::WithParamInterface<GoldenScore> {
 protected:
  // A stave size of 40 places texts at 50/40 tenths per stored unit.
  void SetUp() override {
    ScoreStreamTest::SetUp();
    savedSizes_ = ScorePageSize;
    ScorePageSize = ScorePageSizes{2000, 3000, 40, 1500};
  }
  void TearDown() override {
    ScorePageSize = savedSizes_;
    ScoreStreamTest::TearDown();
  }

 private:
  ScorePageSizes savedSizes_{};
};

TEST_P(MusicXmlGolden, MatchesTheReviewedDocument) {
  const GoldenScore& score = GetParam();
  SetPart(0, score.pageTexts);
  for (size_t i = 0; i < score.parts.size(); ++i) {
    const int slot = int(i) + 1;
    SetPart(slot, score.parts[i]);
    if (slot == 1) PartTablatureFlags[slot] = PartTablature{score.tablature, score.lineCount};
    const std::string name = i == 0 ? "Piano" : "Bass";
    for (size_t u = 0; u < name.size(); ++u) PartNameTable[slot][u] = char16_t(name[u]);
  }
  ScratchFolder folder;
  const std::u16string path = folder.File(u"score.xml");
  BoxRecorder boxes;
  ASSERT_EQ(ExportMusicXml(path.c_str()), 1);
  const std::vector<uint8_t> written = ReadBytes(path);
  ASSERT_FALSE(written.empty());

  const std::string golden = std::string("tests/export/golden/") + score.name + ".xml";
  const char* update = std::getenv("KV_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    WriteTestFile(SourcePath(golden), written);
    return;
  }
  const std::vector<uint8_t> expected = ReadBytes(SourcePath(golden));
  ASSERT_FALSE(expected.empty()) << golden << " is missing";
  EXPECT_EQ(std::string(written.begin(), written.end()), std::string(expected.begin(), expected.end()));
}

INSTANTIATE_TEST_SUITE_P(Features, MusicXmlGolden, ::testing::ValuesIn(Scores()), GoldenName);

}  // namespace
