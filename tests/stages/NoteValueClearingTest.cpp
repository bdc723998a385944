// Clearing heads and symbols that lie under a stem's beams or flags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reading/ReadingThread.h"
#include "stages/MarkClearing.h"
#include "tests/stages/StemPageFixture.h"

namespace {

constexpr int kTestedUpRight[4] = {1, 0, 3, 2};

// A crotchet on the stave at 400 whose up-stem carries one beam at y 300..310
// reaching 100 pixels to the right of the head (from x 512).
struct BeamedHead {
  StemPage page;
  StemArrays stems;
  int head = 0;
  explicit BeamedHead(int beamLength = 100) {
    const int stave = page.Staff(400);
    head = page.Head(stave, 13, 500, kNoteCrotchet, false);
    page.Stem(head, 1, 170, false);
    StemSide& side = stems.at(1, head).right;
    side.markCount = 1;
    side.stubCount = 1;
    side.markTop[0] = 300;
    side.markBottom[0] = 310;
    side.markLength[0] = static_cast<uint16_t>(beamLength);
    stems.at(1, head).sideFlags = kRightSideBeams;
  }
  // A false head (a piece of the beam) centred at x, y.
  int FalseHead(int x, int y) {
    const int i = page.Head(0, 16, x, kNoteCrotchet, false);
    NoteRecord& n = page.note(i);
    n.top = static_cast<int16_t>(y - 7);
    n.bottom = static_cast<int16_t>(y + 7);
    return i;
  }
  SymbolRecord& Symbol(int type, int left, int stepTop, int stepBottom) {
    SymbolRecord& s = page.symbols()[page.symbolCount()++];
    s = SymbolRecord{};
    s.type = static_cast<int16_t>(type);
    s.left = static_cast<int16_t>(left);
    s.right = static_cast<int16_t>(left + 16);
    s.stepTop = static_cast<int16_t>(stepTop);
    s.stepBottom = static_cast<int16_t>(stepBottom);
    return s;
  }
  NoteValueWork Work() {
    NoteValueWork w = page.Work();
    stems.Attach(w);
    return w;
  }
};

TEST(NoteValueClearing, MarkingLeavesRecordsInPlaceAndDeletingRemovesThem) {
  BeamedHead b;
  const int under = b.FalseHead(560, 305);
  const int beside = b.FalseHead(700, 305);  // past the beam's end
  const int below = b.FalseHead(560, 340);
  b.stems.at(1, beside).right.markCount = 3;  // its stem records move with it
  b.Symbol(80, 570, -6, -5);                  // a small symbol in the beam: y 300..310
  b.Symbol(2, 590, -6, -5);                   // a clef is never taken
  NoteValueWork work = b.Work();
  ClearUnderFlags(work, kTestedUpRight, false);
  ASSERT_EQ(b.page.noteCount(), 4u);
  EXPECT_EQ(b.page.note(under).quality, kUnderMarkQuality);
  EXPECT_EQ(b.page.note(beside).quality, 0);
  EXPECT_EQ(b.page.note(below).quality, 0);
  EXPECT_EQ(b.page.symbols()[0].quality, kUnderMarkQuality);
  EXPECT_EQ(b.page.symbols()[1].quality, 0);

  // A marked record is not live for the next marking call.
  ClearUnderFlags(work, kTestedUpRight, false);
  EXPECT_EQ(b.page.note(under).quality, kUnderMarkQuality);

  b.page.note(under).quality = 0;
  b.page.symbols()[0].quality = 0;
  ClearUnderFlags(work, kTestedUpRight, true);
  ASSERT_EQ(b.page.noteCount(), 3u);
  EXPECT_EQ(b.page.note(1).left, 688);
  EXPECT_EQ(b.stems.at(1, 1).right.markCount, 3);
  ASSERT_EQ(b.page.symbolCount(), 1u);
  EXPECT_EQ(b.page.symbols()[0].type, 2);
}

TEST(NoteValueClearing, AShortBeamStubClearsNothing) {
  BeamedHead b(25);  // shorter than one and a half spaces
  b.FalseHead(520, 305);
  NoteValueWork work = b.Work();
  ClearUnderFlags(work, kTestedUpRight, true);
  EXPECT_EQ(b.page.noteCount(), 2u);
}

TEST(NoteValueClearing, ARestUnderABeamMeetsItsWholeHeight) {
  BeamedHead b;
  // Both touch the beam's bottom row; the rest is not narrowed, the other
  // symbol loses a third of its height at each end.
  b.Symbol(71, 560, -5, -3);  // y 310..330
  b.Symbol(90, 600, -5, -3);
  NoteValueWork work = b.Work();
  ClearUnderFlags(work, kTestedUpRight, true);
  ASSERT_EQ(b.page.symbolCount(), 1u);
  EXPECT_EQ(b.page.symbols()[0].type, 90);
}

class LineHost : public ReadingHost {
 public:
  std::vector<std::u16string> lines;
  void PostToFrame(unsigned) override {}
  void DebugLine(const char16_t* text) override { lines.emplace_back(text); }
  void LockDrawing() override {}
  void UnlockDrawing() override {}
};

TEST(NoteValueClearing, AFlagOnTheLeftIsReportedAsDebugOutputAndSkipped) {
  BeamedHead b;
  StemRecord& r = b.stems.at(1, b.head);
  r.left = r.right;
  r.right = StemSide{};
  r.sideFlags = 0;  // marks on the left, but not beams
  b.FalseHead(480, 305);
  LineHost host;
  SetReadingHost(&host);
  NoteValueWork work = b.Work();
  ClearUnderFlags(work, kTestedUpRight, true);
  SetReadingHost(nullptr);
  EXPECT_EQ(b.page.noteCount(), 2u);
  ASSERT_EQ(host.lines.size(), 2u);
  EXPECT_EQ(host.lines[0], u"Dodgy left-side flag detected!(1)\n");
  EXPECT_EQ(host.lines[1], u"Dodgy left-side flag detected!(2)\n");
}

}  // namespace
