// The whole page reading of the engraved melody (fixtures/melody.ly), with the
// head and symbol references the tests build from the glyph fixtures, written
// out as a canonical text of its page description and compared with the
// reviewed text beside the fixture. Both builds compare with the same text,
// so the native and the Windows engine read the page alike; a change of the
// reading shows here line by line (KV_UPDATE_GOLDENS=1 writes the text anew:
// review it before committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/HeadArt.h"
#include "tools/refmaker/RefMaker.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

std::string Words(const int32_t* words, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += (i ? " " : "") + std::to_string(words[i]);
  return out;
}

void DumpGroup(std::ostringstream& out, const MscriptNoteGroup& g) {
  out << "    group x " << g.x << " dots " << g.dots << " flags " << g.flagCount << " beam " << g.beamGroup << "/"
      << g.beamGroupSize << " beams " << g.leftBeams << "," << g.rightBeams << " stem " << g.stemDirection << " "
      << g.stemEnd << " marks " << g.markFlags << " tuplet " << g.tupletNumber << " "
      << g.tupletScaleNumerator << "/" << g.tupletScaleDenominator << "\n";
  for (int k = 0; k < g.noteCount && k < kMaxGroupNotes; ++k) {
    const MscriptNote& n = g.notes[k];
    out << "      note " << n.type << " step " << n.step << " place " << n.place << " x " << n.x << " acc "
        << n.accidental << "\n";
  }
}

// Every system, stave, time slot and event, with the slurs and the marks.
std::string DumpPageDescription() {
  std::ostringstream out;
  const int systems = GetPageSystemCount(0);
  for (int s = 0; s < systems; ++s) {
    out << "system " << s << " slurs " << GetSystemSlurCount(0, s) << "\n";
    for (int i = 0; i < GetSystemSlurCount(0, s); ++i) {
      const MscriptSlur slur = GetSystemSlur(0, s, i);
      out << "  slur " << slur.leftY << "," << slur.leftX << " " << slur.rightY << "," << slur.rightX << " "
          << slur.curvature << "\n";
    }
    for (int t = 0; t < GetSystemStaveCount(0, s); ++t) {
      out << "  stave " << t << "\n";
      for (int slot = 0; slot < GetStaveTimeSlotCount(0, s, t); ++slot) {
        out << "   slot " << slot << "\n";
        int n = 0;
        const auto clefs = GetTimeSlotClefs(0, s, t, slot, &n);
        for (int k = 0; k < n; ++k) out << "    clef " << Words(clefs[k], 3) << "\n";
        const auto keys = GetTimeSlotKeySignatures(0, s, t, slot, &n);
        for (int k = 0; k < n; ++k) out << "    key " << Words(keys[k], 3) << "\n";
        int32_t time[kTimeSignatureWords] = {};
        int32_t found = 0;
        GetTimeSlotTimeSignature(0, s, t, slot, time, &found);
        if (found) out << "    time " << Words(time, 5) << "\n";
        const MscriptNoteGroup* groups = GetTimeSlotNotes(0, s, t, slot, &n);
        for (int k = 0; k < n; ++k) DumpGroup(out, groups[k]);
        int32_t bar[kBarlineWords] = {};
        GetTimeSlotBarline(0, s, t, slot, bar, &found);
        if (found) out << "    bar " << Words(bar, 3) << "\n";
      }
      for (int k = 0; k < GetStaveDynamicCount(0, s, t); ++k) {
        const MscriptDynamic d = GetStaveDynamic(0, s, t, k);
        out << "   dynamic " << d.code << " " << d.place << "," << d.centreX << "\n";
      }
      for (int k = 0; k < GetStaveRepeatMarkCount(0, s, t); ++k)
        out << "   repeat " << GetStaveRepeatMark(0, s, t, k).code << "\n";
      for (int k = 0; k < GetStavePedalOrnamentCount(0, s, t); ++k)
        out << "   pedal/ornament " << GetStavePedalOrnament(0, s, t, k).code << "\n";
    }
  }
  return out.str();
}

TEST(PageDescriptionDump, TheMelodyReadsAsItsReviewedDescription) {
  EngravedPage engraved;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/melody.tif"));
  ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
  const std::vector<uint8_t> symbols = TestSymbolReferenceFile();
  EngineDataFolder folder;  // the head and symbol references the tests build
  folder.Write(u"Learned\\fssOLD", symbols);
  folder.Write(u"Learned\\nhOLD", refmaker::NoteheadReferenceFileBytes(TestHeadReferences()));
  FreeEngine();
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(GetStaffCount(), 4);
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  ASSERT_EQ(LoadMusicReferences(), kEngineOk);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
  ASSERT_EQ(LastEngineFailure(), nullptr);
  const std::string actual = DumpPageDescription();
  FreeEngine();

  // The reading holds the page's four systems of one stave, in bars with notes.
  EXPECT_NE(actual.find("system 3"), std::string::npos);
  EXPECT_NE(actual.find("note 3 "), std::string::npos);  // solid heads
  EXPECT_NE(actual.find("bar "), std::string::npos);

  const std::string golden = U8(SourcePath("tests/Code/Quorm/fixtures/melody.description.txt"));
  if (const char* update = std::getenv("KV_UPDATE_GOLDENS"); update && std::string(update) == "1") {
    std::ofstream(golden, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(golden, std::ios::binary);
  ASSERT_TRUE(in) << "no reviewed description " << golden;
  std::ostringstream expected;
  expected << in.rdbuf();
  if (actual == expected.str()) return;
  std::istringstream a(actual), e(expected.str());
  std::string la, le;
  int line = 1;
  while (std::getline(a, la) && std::getline(e, le) && la == le) ++line;
  ADD_FAILURE() << "the page description differs from " << golden << " at line " << line << ": \"" << la
                << "\" against \"" << le << "\"";
}

}  // namespace
