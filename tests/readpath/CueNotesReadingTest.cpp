// A page of cue notes and a grace note, engraved by LilyPond (fixtures/cue.ly)
// and by MuseScore 3 (fixtures/cue-musescore.source.xml), read
// through the whole reading path: every note of the score must come out as
// engraved, the cue-size ones marked small in the score's chords and <cue/>
// in the MusicXML export; the grace note is no note of the score. The exports
// are left below the build tree (readpath/) for the DTD check that runs after
// this program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "PageReading.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/TestPaths.h"

namespace fs = std::filesystem;

namespace {

std::string Narrow(const std::u16string& path) { return std::string(path.begin(), path.end()); }

class ReadingPath : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ready_ = SetUpReadingPath(KV_PROGRAM_FOLDER); }
  void SetUp() override {
    ASSERT_TRUE(ready_) << "the classifier databases of the program folder did not load";
  }
  static std::string Fixture(const std::string& name) { return Narrow(SourcePath("tests/readpath/fixtures/" + name)); }
  static std::string Export(const std::string& name) {
    fs::create_directories(Narrow(BuildPath("readpath")));
    return Narrow(BuildPath("readpath/" + name));
  }
  static std::string Store() { return Narrow(BuildPath("readpath-store")); }

  static bool ready_;
};
bool ReadingPath::ready_ = false;

// The chords of the score's parts as "position/duration code", "s" for a
// small (cue-size) chord, "g" for a grace chord, and the rests as "r" and
// their duration code ("s" for a cue-size rest); bars apart by "|".
std::string ScoreChords() {
  std::ostringstream out;
  for (int slot = 0; slot < PartCount && slot < kPartSlots; ++slot) {
    const uint8_t* item = StreamBytes(ScoreStream, slot);
    const uint8_t* end = StreamUsedEnd(ScoreStream, slot);
    while (item && item < end) {
      if (IsBarLine(item)) out << "| ";
      if (KindOf(item) == kItemChord) {
        for (unsigned n = 0; n < ChordNoteCount(item); ++n) out << (n ? "+" : "") << int(NotePosition(item, n));
        out << '/' << int(ChordDurationCode(item)) << (ChordIsSmall(item) ? "s" : "")
            << (ChordIsGrace(item) ? "g" : "") << ' ';
      }
      if (KindOf(item) == kItemRest && !IsMultiBarRest(item))
        out << 'r' << int(RestDurationCode(item)) << (RestIsCue(item) ? "s" : "") << ' ';
      item += ItemLength(item);
    }
  }
  return out.str();
}

// The exported notes, bar by bar: "STEP OCTAVE TYPE" with " cue" or " grace".
std::vector<std::string> ExportedNotes(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  const std::string xml = text.str();
  std::vector<std::string> bars;
  auto field = [](const std::string& note, const std::string& tag) {
    const size_t a = note.find("<" + tag + ">");
    if (a == std::string::npos) return std::string();
    const size_t b = note.find("</" + tag + ">", a);
    return note.substr(a + tag.size() + 2, b - a - tag.size() - 2);
  };
  for (size_t m = xml.find("<measure"); m != std::string::npos; m = xml.find("<measure", m + 1)) {
    const size_t mEnd = xml.find("</measure>", m);
    std::string bar;
    for (size_t n = xml.find("<note", m); n != std::string::npos && n < mEnd; n = xml.find("<note", n + 1)) {
      const std::string note = xml.substr(n, xml.find("</note>", n) - n);
      if (!bar.empty()) bar += ", ";
      bar += note.find("<rest") != std::string::npos ? "rest" : field(note, "step") + field(note, "octave");
      bar += " " + field(note, "type");
      if (note.find("<cue/>") != std::string::npos) bar += " cue";
      if (note.find("<grace") != std::string::npos) bar += " grace";
    }
    bars.push_back(bar);
  }
  return bars;
}

TEST_F(ReadingPath, CueNotesAreReadCueSizeAndTheGraceNoteMakesNoNote) {
  const std::vector<std::string> expected = {
      "C5 quarter, D5 quarter, E5 quarter, F5 quarter",
      "G5 quarter cue, E5 quarter cue, C5 quarter cue, A4 quarter cue",
      "B4 quarter cue, D5 quarter cue, G4 quarter cue, B4 quarter cue",
      "C5 whole",
      "E5 quarter, D5 quarter, C5 half",
      "A4 quarter cue, B4 quarter cue, C5 quarter cue, E5 quarter cue",
      "D5 half, C5 half",
  };
  for (const std::string page : {"cue", "cue-musescore"}) {
    const ReadPageResult result = ReadPageFile(Fixture(page + ".tif"), Store(), Export(page + ".xml"));
    ASSERT_TRUE(result.read) << page;
    ASSERT_FALSE(result.musicXmlPath.empty()) << page;
    EXPECT_EQ(ExportedNotes(result.musicXmlPath), expected) << page;

    // The score itself: the cue-size chords are small, none is a grace chord.
    const std::string chords = ScoreChords();
    EXPECT_EQ(chords.find('g'), std::string::npos) << page << ": " << chords;
    size_t small = 0;
    for (char c : chords) small += c == 's';
    EXPECT_EQ(small, 12u) << page << ": " << chords;
  }
}

// Cue-size rests, half and whole notes beside full-size ones, and grace
// notes with and without a slash before a full-size note (fixtures/small.ly).
// The cue-size half notes the full-size head
// models find are exported <cue/>; a rest keeps its value whatever its size
// (its cue bit guides the rhythm search only); the grace notes make no note
// and leave their bar's notes as they stand. Not read yet, and so not
// checked: the cue-size crotchet rest of bar 2 and the cue-size whole note
// of bar 3 (no symbol finder finds the small crotchet rest, no head model
// the small whole head).
TEST_F(ReadingPath, CueSizeHalfNotesAreReadCueSizeBesideRestsAndGraceNotes) {
  const struct {
    const char* page;
    std::vector<std::pair<size_t, std::string>> bars;  // bar index, its notes
  } cases[] = {
      {"small",
       {{0, "C5 quarter, D5 quarter, E5 quarter, F5 quarter"},
        {3, "D5 quarter, rest quarter, C5 half"},
        {4, "rest half, A4 half cue"},
        {5, "A4 quarter, B4 quarter, C5 half"},
        {6, "C5 whole"}}},
  };
  for (const auto& c : cases) {
    const std::string page = c.page;
    const ReadPageResult result = ReadPageFile(Fixture(page + ".tif"), Store(), Export(page + ".xml"));
    ASSERT_TRUE(result.read) << page;
    ASSERT_FALSE(result.musicXmlPath.empty()) << page;
    const std::vector<std::string> bars = ExportedNotes(result.musicXmlPath);
    ASSERT_EQ(bars.size(), 7u) << page;
    for (const auto& [bar, notes] : c.bars) EXPECT_EQ(bars[bar], notes) << page << " bar " << bar + 1;
    if (page == "small") EXPECT_EQ(bars[1].find("G5 half cue"), 0u) << bars[1];
    const std::string chords = ScoreChords();
    EXPECT_EQ(chords.find('g'), std::string::npos) << page << ": " << chords;
  }
}

}  // namespace
