// The score page painter on fixture scores built from listings
// (tests/render/scores/*.txt): drawing lists against reviewed goldens, the
// item index of a layout-only pass against a paint's, and the walk's edges.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DrawingSetUp.h"
#include "ScoreListing.h"
#include "export/ExportEntries.h"
#include "export/ExportLayout.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "platform/Settings.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/PrintFit.h"
#include "render/RecordingDevice.h"
#include "render/ScoreText.h"
#include "render/ScorePagePainter.h"
#include "render/SymbolRoutines.h"
#include "score/BarRhythmCheck.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestFiles.h"

#ifndef KV_RENDER_SCORES_DIR
#define KV_RENDER_SCORES_DIR "tests/render/scores"
#endif

namespace {

std::string ScorePath(const std::string& name) { return std::string(KV_RENDER_SCORES_DIR) + "/" + name; }

class ScorePagePainterTest : public testing::Test {
 protected:
  void SetUp() override {
    StartScorePainting(1200, 1600);
    DrawingState().dc = &device;
    DrawingState().scale = 1.0;
  }
  void TearDown() override { EndScorePainting(); }
  void Load(const std::string& name) {
    std::string error;
    ASSERT_TRUE(BuildScoreFromListingFile(ScorePath(name), &error)) << error;
  }
  void Paint() {
    device.Clear();
    DrawingState().dc = &device;
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1600}, 0, 0);
  }
  std::vector<ItemIndexRow> Rows() const {
    const ItemIndex& index = TheScoreViewItems().index;
    return std::vector<ItemIndexRow>(index.rows, index.rows + index.count);
  }
  RecordingDevice device;
};

std::string RowsText(const std::vector<ItemIndexRow>& rows) {
  std::string out;
  for (const ItemIndexRow& r : rows) {
    out += std::to_string(r.left) + " " + std::to_string(r.right) + " " + std::to_string(r.top) + " " +
           std::to_string(r.bottom) + " p" + std::to_string(r.part) + " @" + std::to_string(r.offset) + " s" +
           std::to_string(r.staff) + "\n";
  }
  return out;
}

// The drawing list and the index rows of a fixture against its golden file;
// KV_UPDATE_GOLDENS=1 writes the golden instead (review it before committing).
void CompareWithGolden(const std::string& name, const std::string& actual) {
  const std::string path = ScorePath(name);
  if (const char* update = std::getenv("KV_UPDATE_GOLDENS"); update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  const std::string expected = ReadTextFile(path);
  ASSERT_FALSE(expected.empty()) << "no golden " << path;
  if (actual == expected) return;
  std::istringstream a(actual), e(expected);
  std::string la, le;
  int line = 1;
  while (std::getline(a, la) && std::getline(e, le) && la == le) ++line;
  ADD_FAILURE() << "drawing of " << name << " differs from its golden at line " << line << ": \"" << la
                << "\" against \"" << le << "\"";
}

TEST_F(ScorePagePainterTest, FixturesDrawAsTheirGoldens) {
#ifdef _WIN32
  GTEST_SKIP() << "the goldens are compared natively";
#endif
  for (const std::string fixture : {"kinds", "braced", "damaged"}) {
    SCOPED_TRACE(fixture);
    ResetPainterTables();
    Load(fixture + ".txt");
    // Each fixture on a device of its own, with no fonts made yet.
    DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
    DeleteMusicFonts(&device);
    ResetMusicFontSet();
    RecordingDevice own;
    DrawingState().dc = &own;
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1600}, 0, 0);
    DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
    DeleteMusicFonts(&own);
    ResetMusicFontSet();
    DrawingState().dc = &device;
    CompareWithGolden(fixture + ".golden", own.Text() + "-- rows\n" + RowsText(Rows()));
  }
}

TEST_F(ScorePagePainterTest, LayoutOnlyPassGivesThePaintsRows) {
  for (const std::string fixture : {"kinds.txt", "braced.txt", "damaged.txt", "dense.txt"}) {
    SCOPED_TRACE(fixture);
    ResetPainterTables();
    Load(fixture);
    Paint();
    const std::vector<ItemIndexRow> painted = Rows();
    const int32_t staffRows = PainterTables().staffRowCount;
    ASSERT_GT(painted.size(), 0u);
    device.Clear();
    RebuildItemIndexLayout();
    EXPECT_TRUE(device.Lines().empty()) << "a layout-only pass drew " << device.Lines().front();
    EXPECT_EQ(DrawingState().LayoutOnlyFlag, 0u);
    EXPECT_EQ(RowsText(Rows()), RowsText(painted));
    EXPECT_EQ(PainterTables().staffRowCount, staffRows);
    // The editor may lay out with no device at all.
    DrawingState().dc = nullptr;
    RebuildItemIndexLayout();
    DrawingState().dc = &device;
    EXPECT_EQ(RowsText(Rows()), RowsText(painted));
  }
}

TEST_F(ScorePagePainterTest, StructureMarksTakeNoRowNumber) {
  Load("kinds.txt");
  RebuildItemIndexLayout();
  // Every item but the structure marks and bar style 5 takes one row, in walk order.
  int expected = 0;
  for (int slot = 0; slot < PartCount; ++slot) {
    const uint8_t* s = StreamBytes(ScoreStream, slot);
    if (!s) continue;
    WalkStream(s, ScoreStream.used[slot], ScoreFormatVersion, [&](uint32_t, const uint8_t* item, uint32_t) {
      if (!IsStructureMark(item) && !(IsBarLine(item) && BarCode(item) >= 10) && !(IsBarLine(item) && BarCode(item) == 5)) ++expected;
      return true;
    });
  }
  EXPECT_EQ(TheScoreViewItems().index.count, expected);
  // The tablature staff's rows lie on staff row 2, slot 3.
  const ItemIndexRow& last = TheScoreViewItems().index.rows[TheScoreViewItems().index.count - 1];
  EXPECT_EQ(last.part, 0u);  // page texts are walked last
  EXPECT_EQ(PainterTables().staffRowCount, 3);
  // The painted extent reaches the longest staff and below the last one.
  EXPECT_GT(PainterTables().extentRight, 1000);
  EXPECT_GT(PainterTables().extentBottom, TheScoreViewItems().staves.rows[2].bottom);
}

TEST_F(ScorePagePainterTest, EmptyScoreOrPageBeyondTheCountLeavesAnEmptyIndex) {
  Load("kinds.txt");
  ScorePages.current = ScorePages.count + 1;
  Paint();
  EXPECT_EQ(TheScoreViewItems().index.count, 0);
  PartCount = 0;
  ScorePages.current = 1;
  Paint();
  EXPECT_EQ(TheScoreViewItems().index.count, 0);
  EXPECT_EQ(PainterTables().pageStaffCount, 0);
}

TEST_F(ScorePagePainterTest, MoreThanTheTableHoldsOverwritesTheLastRow) {
  // 4,100 chords on one staff.
  std::string listing = "parts 2\nslot 1\nclef 1\n";
  for (int i = 0; i < 4099; ++i) listing += (i == 4098 ? "chord 5 notes 20\n" : "chord 5 notes 16\n");
  listing += "staff-end\n";
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing(listing, &error)) << error;
  RebuildItemIndexLayout();
  const ItemIndex& index = TheScoreViewItems().index;
  EXPECT_EQ(index.count, kItemIndexCapacity);
  // The last chord (a note higher than the others) went into the last row.
  EXPECT_LT(index.rows[kItemIndexCapacity - 1].top, index.rows[kItemIndexCapacity - 2].top);
}

TEST_F(ScorePagePainterTest, StaffRowsStopAtTheTables) {
  // 130 staves of one note each.
  std::string listing = "parts 2\nslot 1\n";
  for (int i = 0; i < 130; ++i) listing += "clef 1\nchord 5 notes 16\nbar 0\nstaff-end\n";
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing(listing, &error)) << error;
  PainterSettings().barAlignmentRequest = true;
  RebuildItemIndexLayout();
  EXPECT_EQ(PainterTables().staffRowCount, kStaffRowCapacity);
  EXPECT_EQ(TheScoreViewItems().index.count, 130 * 3);
  // Rows beyond the tables have no staff row.
  EXPECT_EQ(TheScoreViewItems().index.rows[130 * 3 - 1].staff, -1);
  EXPECT_EQ(TheScoreViewItems().index.rows[0].staff, 0);
}

TEST_F(ScorePagePainterTest, EndOfStaffFollowingAnotherStartsNoRow) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nstaff-end\nstaff-end\nclef 1\nstaff-end\n", &error));
  RebuildItemIndexLayout();
  EXPECT_EQ(PainterTables().staffRowCount, 2);
}

TEST_F(ScorePagePainterTest, BarLinesOfASystemAlign) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 3\n"
                                    "slot 1\nclef 1\nchord 5 notes 16\nbar 0\nchord 5 notes 16\nbar 0\nstaff-end\n"
                                    "slot 2\nclef 1\nchord 5 notes 16\nchord 5 notes 16\nchord 5 notes 16\nbar 0\n"
                                    "chord 5 notes 16\nbar 0\nstaff-end\n",
                                    &error));
  PainterSettings().barAlignmentRequest = true;
  RebuildItemIndexLayout();
  const ItemIndex& index = TheScoreViewItems().index;
  // Rows: slot 1 clef, chord, bar, chord, bar; slot 2 clef, 3 chords, bar, chord, bar.
  ASSERT_EQ(index.count, 12);
  EXPECT_EQ(index.rows[2].left, index.rows[9].left);
  EXPECT_EQ(index.rows[4].left, index.rows[11].left);
  EXPECT_FALSE(PainterSettings().barAlignmentRequest);
  EXPECT_GT(PainterTables().passes, 1);
}

TEST_F(ScorePagePainterTest, MultiBarRestCountsBarsByTheTimeSignature) {
  // A slur of one 3/4 bar that a multi-bar rest completes: drawn.
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\ntime 3 5\nmark 1 96 64 140\nchord 5 notes 16\n"
                                    "multirest 4\nchord 5 notes 16\nstaff-end\n",
                                    &error));
  Paint();
  bool curve = false;
  for (const std::string& l : device.Lines()) curve |= l.rfind("curve", 0) == 0;
  EXPECT_TRUE(curve);
}

TEST_F(ScorePagePainterTest, CodaStandsOnItsOwnStaff) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 3\nslot 1\nclef 1\nchord 5 notes 16\nstaff-end\n"
                                    "slot 2\nclef 1\ntext 9 0 0 \"\"\nchord 5 notes 16\nstaff-end\n",
                                    &error));
  RebuildItemIndexLayout();
  const ItemIndex& index = TheScoreViewItems().index;
  ASSERT_EQ(index.count, 5);
  // The coda's row lies by the lower staff, not at the page top.
  EXPECT_EQ(index.rows[3].staff, 1);
  EXPECT_GT(index.rows[3].bottom, index.rows[1].bottom);
}

TEST(SymbolRoutines, TupletStandardLengthsAndText) {
  EXPECT_EQ(TupletMarkText(3, 256, 384), u"3");
  EXPECT_EQ(TupletMarkText(3, 512, 384), u"3:4");
  EXPECT_EQ(TupletMarkText(3, 256, 0), u"3");
  EXPECT_EQ(TupletMarkText(1, 256, 384), u"");
  EXPECT_EQ(TupletMarkText(0, 256, 384), u"");
}

TEST(SymbolRoutines, BeamLineFit) {
  struct Case {
    std::vector<double> x, y;
    bool mixed;
    double slope;
    bool changed;
  };
  const Case cases[] = {
      {{100, 120}, {-50, -50}, false, 0.0, false},
      {{100, 120, 140}, {-50, -40, -30}, false, 1.0 / 6, true},   // steep: limited
      {{100, 120, 140}, {-50, -40, -30}, true, 1.0 / 3, true},
      {{100, 140}, {-50, -49}, false, 0.0, true},                 // too flat: level
  };
  for (const Case& c : cases) {
    const BeamLine line = FitBeamLine(c.x.data(), c.y.data(), static_cast<int>(c.x.size()), c.mixed);
    EXPECT_NEAR(line.slope, c.slope, 1e-9);
    EXPECT_EQ(line.slopeChanged, c.changed);
  }
  const double x[2] = {100, 120}, y[2] = {-50, -50};
  EXPECT_NEAR(FitBeamLine(x, y, 2, false).intercept, -50, 1e-9);
}

TEST(SymbolRoutines, ClefLayoutAndAccidentalWidths) {
  ResetDrawingState();
  EXPECT_STREQ(GetClefLayout(kClefTreble, 0, 0, 24, 1, false).glyph, "tclef");
  EXPECT_STREQ(GetClefLayout(kClefAlto, 0, 0, 24, 1, false).glyph, "aclef");
  EXPECT_STREQ(GetClefLayout(kClefBass, 0, 0, 24, 1, false).glyph, "bclef");
  // The line a clef stands on, from the top line (spacing 6).
  EXPECT_EQ(ClefLineY(GetClefLayout(kClefTreble, 0, 100, 124, 1, false), 100, 6), 118);
  EXPECT_EQ(ClefLineY(GetClefLayout(kClefFrenchTreble, 0, 100, 124, 1, false), 100, 6), 124);
  EXPECT_EQ(ClefLineY(GetClefLayout(kClefSoprano, 0, 100, 124, 1, false), 100, 6), 124);
  EXPECT_EQ(ClefLineY(GetClefLayout(kClefTenor, 0, 100, 124, 1, false), 100, 6), 106);
  EXPECT_EQ(ClefLineY(GetClefLayout(kClefBass, 0, 100, 124, 1, false), 100, 6), 106);
  EXPECT_EQ(ClefLineY(GetClefLayout(kClefBaritone, 0, 100, 124, 1, false), 100, 6), 112);
  const int widths[8] = {0, 7, 8, 7, 10, 13, 14, 14};
  for (int code = 0; code < 8; ++code) EXPECT_EQ(AccidentalWidth(code), widths[code]);
  EXPECT_EQ(AccidentalWidth(9), 0);
}

}  // namespace

namespace {

TEST_F(ScorePagePainterTest, PrintingFitsThePageAndRestoresTheScreen) {
  Load("braced.txt");
  ScorePageSize = ScorePageSizes{1000, 1400, 42, 900};
  ScorePrintUnit = 4;
  RecordingDevice printer;
  SetPrinterSheet(PrinterCaps{4960, 7016, 4760, 6816, 100, 100});
  PainterSettings().showVoiceNumbers = true;
  PaintScorePage(1, 1, &printer, DeviceRect{0, 0, 1200, 1600}, 1, 0);
  EXPECT_GT(printer.Lines().size(), 50u);
  EXPECT_EQ(printer.Lines().front().rfind("mapping", 0), 0u) << printer.Lines().front();
  EXPECT_EQ(DrawingState().printing, 0u);
  EXPECT_EQ(DrawingState().dc, &device);
  EXPECT_DOUBLE_EQ(DrawingState().scale, 1.0);
  EXPECT_TRUE(PainterSettings().showVoiceNumbers);
  EXPECT_FALSE(MusicFontSet().made);
  // The screen paints as before.
  Paint();
  EXPECT_GT(device.Lines().size(), 50u);
}

TEST_F(ScorePagePainterTest, NoPageSizeOrPrintUnitRefusesToPrintAndHasNoOverview) {
  Load("braced.txt");
  RecordingDevice printer;
  SetPrinterSheet(PrinterCaps{4960, 7016, 4760, 6816, 100, 100});
  struct Case {
    uint32_t width, height;
    int32_t unit;
  };
  for (const Case c : {Case{0, 1400, 4}, Case{1000, 0, 4}, Case{1000, 1400, 0}}) {
    ScorePageSize = ScorePageSizes{c.width, c.height, 42, 900};
    ScorePrintUnit = c.unit;
    printer.Clear();
    PaintScorePage(1, 1, &printer, DeviceRect{0, 0, 1200, 1600}, 1, 0);
    EXPECT_TRUE(printer.Lines().empty());
    EXPECT_EQ(DrawingState().printing, 0u);
  }
  ScorePrintUnit = 1;
  // The page view of a page of no size draws its caption but no overview.
  ScorePageSize = ScorePageSizes{0, 0, 1, 1};
  PainterSettings().pageViewMode = true;
  PainterSettings().lastVisibleRow = 10;
  Paint();
  bool frame = false;
  for (const std::string& l : device.Lines()) frame |= l.rfind("rect 4 ", 0) == 0;
  EXPECT_FALSE(frame);
  ScorePageSize = ScorePageSizes{1000, 1400, 42, 900};
  Paint();
  for (const std::string& l : device.Lines()) frame |= l.rfind("rect 4 ", 0) == 0;
  EXPECT_TRUE(frame);
}

TEST(PrintFitTest, PageWithMarginsFitsTheSheet) {
  ResetDrawingState();
  ScorePageSize = ScorePageSizes{1000, 1400, 42, 900};
  ScorePrintUnit = 4;
  DrawingState().printing = 1;
  PrintFit fit{};
  ASSERT_TRUE(FitPrintPage(PrinterCaps{4960, 7016, 4760, 6816, 100, 100}, &fit));
  EXPECT_DOUBLE_EQ(fit.ratio, 6.0);
  // r 6: margins 435, 555, 435, 390; page 6000.5 - 870 by 8403.5 - 945 print units.
  EXPECT_EQ(fit.windowExtent.cx, static_cast<int32_t>(16 * 5130.5));
  EXPECT_EQ(fit.windowExtent.cy, static_cast<int32_t>(16 * 7458.5));
  EXPECT_LE(fit.viewportExtent.cx, 4760);
  EXPECT_LE(fit.viewportExtent.cy, 6816);
  EXPECT_LT(fit.originX, 0);
  ScorePrintUnit = 0;
  EXPECT_FALSE(FitPrintPage(PrinterCaps{4960, 7016, 4760, 6816, 100, 100}, &fit));
  ScorePrintUnit = 1;
  ResetDrawingState();
}

}  // namespace

namespace {

bool SecondStaveJoined(int32_t staff) { return staff == 1; }

TEST_F(ScorePagePainterTest, JoinedLowerStaffTakesTheUpperBarLinesOwnX) {
  // The lower staff of the part has a key signature more before its bar
  // line; joined to the upper one, its bar line stands where the upper's does.
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 3\n"
                                    "slot 1\nclef 1\nchord 5 notes 16\nbar 0\nchord 5 notes 16\nbar 7\nstaff-end\n"
                                    "slot 2\nclef 7\nkey 3 sharps\nchord 5 notes 12\nbar 0\nchord 5 notes 12\nbar 7\nstaff-end\n",
                                    &error));
  SetStavesJoinedRule(SecondStaveJoined);
  RebuildItemIndexLayout();
  SetStavesJoinedRule(nullptr);
  const ItemIndex& index = TheScoreViewItems().index;
  ASSERT_EQ(index.count, 11);
  EXPECT_EQ(index.rows[2].left, index.rows[8].left);
  EXPECT_EQ(index.rows[4].left, index.rows[10].left);
  // Unjoined, the lower bar line lies further right.
  RebuildItemIndexLayout();
  EXPECT_GT(index.rows[8].left, index.rows[2].left);
}

}  // namespace

namespace {

// The rows the layout-only pass gives one staff of items (slot 1).
std::vector<ItemIndexRow> RowsOfStaff(const std::string& items, const std::string& part = "") {
  std::string error;
  EXPECT_TRUE(BuildScoreFromListing("parts 2\n" + part + "slot 1\n" + items + "staff-end\n", &error)) << error;
  RebuildItemIndexLayout();
  const ItemIndex& index = TheScoreViewItems().index;
  return std::vector<ItemIndexRow>(index.rows, index.rows + index.count);
}

TEST_F(ScorePagePainterTest, ItemSpacingAndBoxes) {
  struct Case {
    const char* items;
    const char* part;
    int row;          // the row looked at
    int left, right;  // its box (-1: not checked)
    int top, bottom;
    int nextLeft;     // the next row's left (-1: none)
  };
  const Case cases[] = {
      // A single bar line on a 5-line staff: 24 long, the next item 12 right.
      // (The box is at least 2 units wide.)
      {"bar 0\nclef 1\n", "", 0, 68, 70, 60, 84, 80},
      // On a 3-line staff the length doubles: (3 - 1) x 6 x 2.
      {"bar 0\nclef 1\n", "part 1 lines 3\n", 0, 68, 70, 60, 84, 80},
      // Double, final and repeat bar lines advance by their own widths.
      {"bar 6\nclef 1\n", "", 0, 68, -1, 60, 84, 83},
      {"bar 7\nclef 1\n", "", 0, 68, -1, 60, 84, 87},
      {"bar 4\nclef 1\n", "", 0, 68, -1, 60, 84, 97},
      // Style 5 takes no row number.
      {"bar 5\nclef 1\n", "", 0, 68, 89, -1, -1, -1},
      // A chord of no notes: one row, 8 units.
      {"chord 5 notes\nclef 1\n", "", 0, 68, 76, 60, 84, 76},
      // A dotted crotchet: the box widens by 5, x advances by 18 + 4.
      {"chord 5 dots 1 notes 16\nclef 1\n", "", 0, 67, 82, -1, -1, 90},
      // A hidden key or time signature takes a row but no room.
      {"key 2 sharps hidden\nclef 1\n", "", 0, 68, -1, 60, 84, 68},
      {"time 3 5 hidden\nclef 1\n", "", 0, 68, -1, 60, 84, 68},
      // Symbol form with numerator 3: nothing drawn, its row, 28 units.
      {"time 3 5 symbol\nclef 1\n", "", 0, 68, 79, 60, 84, 96},
      // A quarter rest of voice 1 stands 2 steps below the middle line.
      {"rest 5 voice 1\n", "", 0, 68, 75, 72, 96, -1},
      {"rest 5\n", "", 0, 68, 75, 60, 84, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    const std::vector<ItemIndexRow> rows = RowsOfStaff(c.items, c.part);
    ASSERT_GT(rows.size(), static_cast<size_t>(c.row));
    const ItemIndexRow& r = rows[c.row];
    EXPECT_EQ(r.left, c.left);
    if (c.right >= 0) EXPECT_EQ(r.right, c.right);
    if (c.top >= 0) EXPECT_EQ(r.top, c.top);
    if (c.bottom >= 0) EXPECT_EQ(r.bottom, c.bottom);
    if (c.nextLeft >= 0) {
      ASSERT_GT(rows.size(), static_cast<size_t>(c.row + 1));
      EXPECT_EQ(rows[c.row + 1].left, c.nextLeft);
    }
  }
}

TEST_F(ScorePagePainterTest, CancellingKeyWithoutAnEarlierKeyDrawsNaturalsOnScreenOnly) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nkey 0 sharps\nstaff-end\n", &error));
  auto naturals = [&] {
    int n = 0;
    const char16_t code = FindGlyph("natural")->code;
    const std::string text = std::string("text ");
    for (const std::string& l : device.Lines()) {
      if (l.rfind(text, 0) == 0 && l.size() >= 3 && l[l.size() - 2] == static_cast<char>(code)) ++n;
    }
    return n;
  };
  Paint();
  EXPECT_EQ(naturals(), 7);
  PainterSettings().pageViewMode = true;
  PainterSettings().lastVisibleRow = 5;
  Paint();
  EXPECT_EQ(naturals(), 0);
}

}  // namespace

namespace {

TEST_F(ScorePagePainterTest, StoredBoxesPlaceItemsAtTheirPageX) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nchord 5 notes 16\nchord 5 notes 16\nbar 0\n"
                                    "chord 5 notes 16\nstaff-end\n",
                                    &error));
  // A first pass finds the staff rows; the boxes count from then on.
  RebuildItemIndexLayout();
  const StoredItemBoxes boxes({70, 120, 110, 300, 400});  // the third lies left of the second
  PainterSettings().pageBoxPercent = 50;
  RebuildItemIndexLayout();
  const ItemIndex& index = TheScoreViewItems().index;
  ASSERT_EQ(index.count, 5);
  EXPECT_EQ(index.rows[0].left, 35);       // clef at 70 x 0.5
  EXPECT_EQ(index.rows[1].left, 60 + 1 - 2);  // chord at 60: head x + 1, box from head x - 2
  EXPECT_EQ(index.rows[2].left, 60 + 1 - 2);  // not left of the chord before it
  EXPECT_EQ(index.rows[3].left, 150);
  EXPECT_EQ(index.rows[4].left, 200 + 1 - 2);
}

}  // namespace

namespace {

// The text lines of a recording, as their y (device units).
std::vector<int> TextYs(const RecordingDevice& device) {
  std::vector<int> ys;
  for (const std::string& l : device.Lines()) {
    int x = 0, y = 0;
    if (std::sscanf(l.c_str(), "text %d %d", &x, &y) == 2) ys.push_back(y);
  }
  return ys;
}

TEST_F(ScorePagePainterTest, TupletMarksStandAboveForVoice0AndBelowForVoice1) {
  SetVisibleWorldRect({0, 0, 1200, 1600});
  TupletMark mark = TripletOnTheStaff();
  mark.number |= 128;
  mark.colour = 7;
  DrawTupletMark(mark, 0);
  const std::vector<int> above = TextYs(device);
  device.Clear();
  DrawTupletMark(mark, 1);
  const std::vector<int> below = TextYs(device);
  ASSERT_EQ(above.size(), 1u);
  ASSERT_EQ(below.size(), 1u);
  EXPECT_LT(above[0], 2 * 60);        // over the top line
  EXPECT_GT(below[0], 2 * (60 + 24));  // under the bottom line
  // Counts below 2 draw nothing.
  device.Clear();
  mark.number = 1;
  DrawTupletMark(mark, 0);
  mark.number = 0;
  DrawTupletMark(mark, 0);
  EXPECT_TRUE(device.Lines().empty());
}

TEST_F(ScorePagePainterTest, BeamGroupsDrawFullAndPartialBeams) {
  SetVisibleWorldRect({0, 0, 1200, 1600});
  auto group = std::make_unique<BeamGroup>();
  // A quaver and a semiquaver, stems up at the same height.
  group->count = 2;
  const double xs[2] = {100, 120};
  for (int i = 0; i < 2; ++i) {
    group->stemX[i] = xs[i];
    group->stemEndY[i] = -50;
    group->down[i] = 0;
    group->colour[i] = 7;
    group->hidden[i] = 0;
  }
  group->beams[0] = 1;
  group->beams[1] = 2;
  DrawBeamGroup(*group, 7);
  EXPECT_EQ(group->count, 0);
  // Two stems to the beam line, one full beam, one partial beam 8 long
  // ending at the semiquaver's stem.
  std::vector<std::pair<int, int>> strokes;  // (from x, to x) of the moves and lines
  int moveX = 0, moveY = 0;
  int full = 0, partial = 0, stems = 0;
  for (const std::string& l : device.Lines()) {
    int x = 0, y = 0;
    if (std::sscanf(l.c_str(), "move %d %d", &x, &y) == 2) {
      moveX = x;
      moveY = y;
    } else if (std::sscanf(l.c_str(), "line %d %d", &x, &y) == 2) {
      if (x == moveX) ++stems;
      else if (moveX == 200 && x == 240) ++full;
      else if (moveX == 224 && x == 240) ++partial;
      (void)moveY;
    }
  }
  EXPECT_EQ(stems, 2);
  EXPECT_EQ(full, 1);
  EXPECT_EQ(partial, 1);
}

}  // namespace

namespace {

TEST_F(ScorePagePainterTest, PartOfTwoStavesHasOneBraceAndOneLabel) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 3\npart 1 name Piano\npart 2 name Piano\n"
                                    "slot 1\nclef 1\nchord 5 notes 16\nbar 7\nstaff-end\n"
                                    "slot 2\nclef 7\nchord 5 notes 12\nbar 7\nstaff-end\n",
                                    &error));
  SetStavesJoinedRule(SecondStaveJoined);
  Paint();
  SetStavesJoinedRule(nullptr);
  int braces = 0, labels = 0;
  const std::string brace = std::string("\"") + static_cast<char>(FindGlyph("bracket1")->code) + "\"";
  for (const std::string& l : device.Lines()) {
    if (l.size() > brace.size() && l.compare(l.size() - brace.size(), brace.size(), brace) == 0) ++braces;
    if (l.find("\"Pia") != std::string::npos || l.find("\"Piano\"") != std::string::npos) ++labels;
  }
  EXPECT_EQ(braces, 1) << device.Text();
  EXPECT_EQ(labels, 1);
}

}  // namespace

namespace {

int RedDottedLines(const RecordingDevice& device) {
  int n = 0;
  for (const std::string& l : device.Lines())
    if (l.rfind("line ", 0) == 0 && l.find(" dot ") != std::string::npos && l.find("#0000FF") != std::string::npos) ++n;
  return n;
}

}  // namespace

TEST_F(ScorePagePainterTest, BadTimingMarksFaultyAndOpenBarsOnScreenOnly) {
  Load("kinds.txt");
  const bool savedSetting = Global().showBadTiming;
  Global().showBadTiming = true;
  std::vector<BarRhythmMark> marks;
  CheckBarRhythms(1, nullptr, nullptr, nullptr, -1, &marks);
  int expected = 0;
  for (const BarRhythmMark& m : marks) expected += m.ownBarLine ? (m.faulty ? 4 : 0) : 2;
  ASSERT_GT(expected, 0);
  Paint();
  const int without = RedDottedLines(device);
  PainterSettings().showBadTiming = true;
  Paint();
  EXPECT_EQ(RedDottedLines(device) - without, expected);
  // The whole-page view draws no marks.
  PainterSettings().pageViewMode = true;
  Paint();
  const int pageView = RedDottedLines(device);
  PainterSettings().showBadTiming = false;
  Paint();
  EXPECT_EQ(pageView, RedDottedLines(device));
  Global().showBadTiming = savedSetting;
}

namespace {

// The hairpin nodes of a NIFF file: its "hrpn" chunks (the name appears once
// more, in the chunk length table).
int HairpinNodesInFile(const std::u16string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  int count = -1;
  for (size_t at = text.find("hrpn"); at != std::string::npos; at = text.find("hrpn", at + 4)) ++count;
  return count;
}

// A crescendo before four crotchets, its length beyond the chord it is drawn at.
std::string HairpinStaff(int length) {
  char hairpin[64];
  std::snprintf(hairpin, sizeof hairpin, "payload 18 0 0 0 %x %x 0\n", length & 255, length >> 8);
  return std::string("clef 1\n") + hairpin + "chord 5 notes 16\nchord 5 notes 16\nchord 5 notes 16\nchord 5 notes 16\nbar 0\n";
}

TEST_F(ScorePagePainterTest, ANiffHairpinEndsAtTheChordUnderTheEndThePainterDrew) {
  const std::vector<ItemIndexRow> rows = RowsOfStaff(HairpinStaff(0));
  ASSERT_EQ(rows.size(), 7u);  // the clef, the hairpin, four chords, the bar line
  const int toThird = rows[4].left - rows[2].left;
  ASSERT_GT(toThird, 0);
  ScratchFolder folder;
  const std::u16string path = folder.File(u"hairpin.nif");
  struct Case {
    int length;
    int nodes;
  };
  for (const Case& c : {Case{0, 1}, Case{toThird, 3}}) {
    SCOPED_TRACE(c.length);
    RowsOfStaff(HairpinStaff(c.length));
    ScorePageSize = ScorePageSizes{1000, 1400, 42, 900};
    const CItemIndexPositions positions(TheScoreViewItems().index);
    ASSERT_EQ(ExportNiff(path.c_str(), &positions), 1);
    EXPECT_EQ(HairpinNodesInFile(path), c.nodes);
  }
  // Without a layout the hairpin takes the next two chords.
  ASSERT_EQ(ExportNiff(path.c_str()), 1);
  EXPECT_EQ(HairpinNodesInFile(path), 2);
}

// The export lays out every page, not only the one shown: a hairpin on the
// second page ends where the painter drew it while the first page is shown.
TEST_F(ScorePagePainterTest, ANiffHairpinOnAPageNotShownEndsAtItsDrawnChord) {
  const std::vector<ItemIndexRow> rows = RowsOfStaff(HairpinStaff(0));
  const int toThird = rows[4].left - rows[2].left;
  const std::string pageOne = "chord 5 notes 16\nchord 5 notes 16\nbar 0\n";
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\npages 2\ncurrent 1\nslot 1\nclef 1\n" + pageOne + "staff-end\npage-mark\n" +
                                        HairpinStaff(toThird) + "staff-end\n",
                                    &error))
      << error;
  ScorePageSize = ScorePageSizes{1000, 1400, 42, 900};
  ScratchFolder folder;
  const std::u16string path = folder.File(u"second.nif");
  // The shown page alone does not place the hairpin: the next two chords.
  RebuildItemIndexLayout();
  const int shownRows = TheScoreViewItems().index.count;
  {
    const CItemIndexPositions shownOnly(TheScoreViewItems().index);
    ASSERT_EQ(ExportNiff(path.c_str(), &shownOnly), 1);
    EXPECT_EQ(HairpinNodesInFile(path), 2);
  }
  CCollectedPositions every;
  LayOutEveryScorePage(RebuildItemIndexLayout, TheScoreViewItems().index, &every);
  ASSERT_EQ(ExportNiff(path.c_str(), &every), 1);
  EXPECT_EQ(HairpinNodesInFile(path), 3);
  // The page shown is shown and laid out again afterwards.
  EXPECT_EQ(ScorePages.current, 1);
  EXPECT_EQ(TheScoreViewItems().index.count, shownRows);
}

}  // namespace

namespace {

// The offset of the n-th staff-start item of a slot's stream.
uint32_t StaffStartOffset(int slot, int n) {
  uint32_t found = 0;
  int seen = 0;
  WalkStream(StreamBytes(ScoreStream, slot), ScoreStream.used[slot], ScoreFormatVersion,
             [&](uint32_t at, const uint8_t* item, uint32_t) {
               if (KindOf(item) == kItemText && TextSubKindOf(item) == kTextStaffStart && seen++ == n) {
                 found = at;
                 return false;
               }
               return true;
             });
  return found;
}

TEST_F(ScorePagePainterTest, BarNumbersCountTheBarLinesBeforeAStaff) {
  struct Case {
    const char* name;
    const char* listing;  // slot 1's second staff starts with a staff start
    int slot;
    int32_t number;
  } cases[] = {
      {"two bars before", "parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 0\nchord 5 notes 16\nbar 0\nstaff-end\n"
                          "staffstart 40 260\nchord 5 notes 16\nstaff-end\n", 1, 3},
      {"no bar line before", "parts 2\nslot 1\nclef 1\nchord 5 notes 16\nstaff-end\nstaffstart 40 260\n"
                             "chord 5 notes 16\nstaff-end\n", 1, 1},
      {"a start repeat opening a staff ends no bar",
       "parts 2\nslot 1\nclef 1\nbar 2\nchord 5 notes 16\nbar 0\nstaff-end\nstaffstart 40 260\nchord 5 notes 16\n"
       "staff-end\n", 1, 2},
      {"a start repeat after a note does",
       "parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 2\nchord 5 notes 16\nbar 0\nstaff-end\nstaffstart 40 260\n"
       "chord 5 notes 16\nstaff-end\n", 1, 3},
      {"a staff the part leaves out takes the other part's bar lines",
       "parts 3\nslot 1\nclef 1\nchord 5 notes 16\nbar 0\nstaff-end\nstaff-end\nstaffstart 40 260\n"
       "chord 5 notes 16\nstaff-end\n"
       "slot 2\nclef 7\nchord 5 notes 16\nbar 0\nstaff-end\nbar 2\nchord 5 notes 16\nbar 0\nchord 5 notes 16\nbar 3\n"
       "staff-end\nstaffstart 40 260\nchord 5 notes 16\nstaff-end\n", 1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    ASSERT_TRUE(BuildScoreFromListing(c.listing, &error)) << error;
    const uint32_t at = StaffStartOffset(c.slot, 0);
    ASSERT_GT(at, 0u);
    EXPECT_EQ(CountBarLineItems(c.slot, at), c.number);
  }
}

TEST_F(ScorePagePainterTest, StaffStartsShowTheirFirstBarsNumber) {
  Load("braced.txt");
  Paint();
  // Two bars before the second system: "3" in the small italic face over
  // each staff start (left end 40), 14 above the top line; none on the first.
  int numbers = 0;
  for (const std::string& l : device.Lines()) {
    int x = 0, y = 0;
    if (std::sscanf(l.c_str(), "text %d %d", &x, &y) == 2 && l.find("\"3\"") != std::string::npos) {
      EXPECT_EQ(x, 80);
      ++numbers;
    }
  }
  EXPECT_EQ(numbers, 3);
  // A layout-only pass draws none.
  device.Clear();
  RebuildItemIndexLayout();
  EXPECT_TRUE(device.Lines().empty());
}

TEST(PageTextFit, MovesATextWhoseWidthIsOffItsBox) {
  struct Case {
    const char* name;
    int32_t left, right, measured, pageWidth;
    bool moved;
    int32_t newLeft;
  } cases[] = {
      {"centred, 3 off", 400, 600, 203, 1000, false, 400},
      {"centred, 4 wider", 400, 600, 204, 1000, true, 398},
      {"centred, 10 narrower", 400, 600, 190, 1000, true, 405},
      {"flush right", 700, 900, 220, 1000, true, 680},
      {"flush left", 100, 300, 260, 1000, true, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PageTextFit fit = FitPageTextToBox(c.left, c.right, c.measured, c.pageWidth);
    EXPECT_EQ(fit.moved, c.moved);
    EXPECT_EQ(fit.left, c.newLeft);
  }
}

TEST_F(ScorePagePainterTest, PageTextFitsItsStoredBoxOnScreen) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nchord 5 notes 16\nstaff-end\n"
                                    "slot 0\npagetext 5 300 0 \"Korvalinde\"\nstaff-end\n",
                                    &error))
      << error;
  RebuildItemIndexLayout();
  // The title's width in box units (one box unit a world unit here).
  const int32_t measured =
      static_cast<int32_t>(MeasureFormattedText(u"Korvalinde", 16, true) / (DeviceScale() * DrawingState().scale));
  ASSERT_GT(measured, 20);
  uint8_t* title = StreamBytes(ScoreStream, 0);
  auto titleX = [&] { return static_cast<int32_t>(TextWordAt(title, ScoreFormatVersion, 0)); };
  // 3 narrower than its centred box: left where it stands.
  StoredTitleBoxes boxes(400, static_cast<int16_t>(400 + measured + 3));
  Paint();
  EXPECT_EQ(titleX(), 300);
  // 10 narrower: centred in the box, and drawn there.
  boxes.SetTitleRight(static_cast<int16_t>(400 + measured + 10));
  Paint();
  EXPECT_EQ(titleX(), 405);
  bool drawnThere = false;
  for (const std::string& l : device.Lines()) {
    drawnThere |= l.rfind("text " + std::to_string(WorldToLogicalX(405)) + " ", 0) == 0 &&
                  l.find("Korvalinde") != std::string::npos;
  }
  EXPECT_TRUE(drawnThere);
  // A layout-only pass (the editor's) leaves it alone.
  boxes.SetTitleRight(static_cast<int16_t>(400 + measured + 30));
  RebuildItemIndexLayout();
  EXPECT_EQ(titleX(), 405);
}

}  // namespace

namespace {

// With the page's boxes, a bar line that closes the staff and stands within
// 16 units of its end (or past it) moves to the end less its style's width;
// one further in, or one that more items follow, stays at its box.
TEST_F(ScorePagePainterTest, AClosingBarLineMovesToTheStaffsEnd) {
  struct Case {
    const char* listing;
    int16_t barBox;  // page pixels; the view takes half
    int barRow;
    int16_t left;
  };
  const Case cases[] = {
      {"parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 7\nstaff-end\n", 980, 2, 494},  // 490: 500 - 6
      {"parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 7\nstaff-end\n", 1040, 2, 494},  // past the end
      {"parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 0\nstaff-end\n", 990, 2, 500},   // K 0
      {"parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 7\nstaff-end\n", 900, 2, 450},   // too far in
      {"parts 2\nslot 1\nclef 1\nbar 7\nchord 5 notes 16\nstaff-end\n", 980, 1, 490},   // a chord follows
  };
  const int savedMissing = PageBoxesMissing;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listing);
    std::string error;
    ASSERT_TRUE(BuildScoreFromListing(c.listing, &error)) << error;
    PageBoxesMissing = 1;
    viewPage.boxCount = 0;
    RebuildItemIndexLayout();
    PageBoxesMissing = 0;
    viewPage.boxCount = 3;
    viewPage.staveCount = 1;
    viewPage.staves[0].right = 1000;
    const int16_t lefts[3] = {70, 200, 600};
    for (int i = 0; i < 3; ++i) {
      viewPage.boxes[i][0] = lefts[i];
      viewPage.boxes[i][1] = static_cast<int16_t>(lefts[i] + 10);
    }
    viewPage.boxes[c.barRow][0] = c.barBox;
    PainterSettings().pageBoxPercent = 50;
    RebuildItemIndexLayout();
    const ItemIndex& index = TheScoreViewItems().index;
    ASSERT_EQ(index.count, 3);
    EXPECT_EQ(index.rows[c.barRow].left, c.left);
  }
  viewPage.boxCount = 0;
  viewPage.staveCount = 0;
  viewPage.staves[0].right = 0;
  PageBoxesMissing = savedMissing;
}

}  // namespace

namespace {

// A page beyond the painter's tables (more than 4096 items, more than 128
// staff rows) draws what fits; every item stays in the score's streams.
TEST_F(ScorePagePainterTest, APageBeyondTheTablesDrawsWhatFitsAndKeepsEveryItem) {
  struct Case {
    const char* name;
    int staves, chordsPerStave;
  };
  for (const Case c : {Case{"4,500 items", 10, 450}, Case{"140 staff rows", 140, 2}}) {
    SCOPED_TRACE(c.name);
    std::string listing = "parts 2\nslot 1\n";
    for (int s = 0; s < c.staves; ++s) {
      listing += "clef 1\n";
      for (int i = 0; i < c.chordsPerStave; ++i) listing += "chord 5 notes 16\n";
      listing += "staff-end\n";
    }
    std::string error;
    ASSERT_TRUE(BuildScoreFromListing(listing, &error)) << error;
    const std::vector<uint8_t> before(StreamBytes(ScoreStream, 1), StreamBytes(ScoreStream, 1) + ScoreStream.used[1]);
    Paint();
    EXPECT_LE(TheScoreViewItems().index.count, kItemIndexCapacity);
    EXPECT_LE(PainterTables().staffRowCount, kStaffRowCapacity);
    EXPECT_GT(device.Lines().size(), 100u) << "what fits is drawn";
    const std::vector<uint8_t> after(StreamBytes(ScoreStream, 1), StreamBytes(ScoreStream, 1) + ScoreStream.used[1]);
    EXPECT_EQ(before, after) << "the stream is the score's, untouched";
  }
}

}  // namespace

namespace {

// The logical y of the text drawn with `needle`, or INT32_MIN.
int32_t TextY(const RecordingDevice& device, const char* needle) {
  for (const std::string& l : device.Lines()) {
    int x = 0, y = 0;
    if (l.find(needle) != std::string::npos && std::sscanf(l.c_str(), "text %d %d", &x, &y) == 2) return y;
  }
  return INT32_MIN;
}

// A title read from the page stands above the first staff as it stood above
// the page's first stave: its stored y, a distance from the top of a page
// whose stave lies lower than the laid-out staff, would put it across that
// staff (the title of a 200 dpi page at 89 pixels, its stave at 170).
TEST_F(ScorePagePainterTest, AReadTitleStandsAboveTheFirstStaff) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nchord 5 notes 16\nstaff-end\n"
                                    "slot 0\npagetext 5 300 57 \"Korvalinde\"\nstaff-end\n",
                                    &error))
      << error;
  // Without the page's boxes the stored y holds: across the staff (60 to 84).
  Paint();
  EXPECT_EQ(TextY(device, "Korvalinde"), -WorldToLogicalY(-(57 + 13))) << device.Text();
  RebuildItemIndexLayout();
  const uint32_t savedStaves = viewPage.staveCount;
  const StaveRecord savedStave = viewPage.staves[0];
  {
    StoredTitleBoxes boxes(400, 500);
    viewPage.boxes[2][2] = 53;
    viewPage.boxes[2][3] = 89;
    viewPage.staveCount = 1;
    viewPage.staves[0].top = 170;
    viewPage.staves[0].bottom = 220;
    viewPage.staves[0].right = 1000;
    Paint();
    const ScorePainterTables& t = PainterTables();
    ASSERT_GT(t.staffRowCount, 0);
    const double middle = t.staffRows[0].middle;
    const double baseline = middle + (89 - 195) * 24.0 / 50;
    EXPECT_LT(baseline, middle - 12);  // above the staff's top line
    EXPECT_NEAR(TextY(device, "Korvalinde"), -WorldToLogicalY(-baseline), 1) << device.Text();
  }
  viewPage.staveCount = savedStaves;
  viewPage.staves[0] = savedStave;
}

}  // namespace
