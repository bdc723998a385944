// The appendage step on a stave drawn with the Emmentaler glyphs: the
// accidentals before heads on lines and spaces, a sharp two notes could
// claim, single and double dots, notes near the page's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "stages/AppendageStep.h"
#include "tests/stages/DebugBoxHost.h"
#include "tests/stages/SymbolArt.h"

namespace {

constexpr int kSpace = 20;

// A stave (lines at top .. top + 80) on the page and on its working copy,
// which has the glyphs but not the lines.
class AppendageScene {
 public:
  explicit AppendageScene(int top = 100, int width = 900, int height = 320)
      : scene_(width, height, kSpace), copy_(width, height), top_(top) {
    scene_.AddStave(top, 20, width - 20);
  }
  int NoteY(int step) const { return top_ + (20 - step) * kSpace / 2; }
  ArtBox Stamp(const refmaker::GlyphImage& glyph, int x, int y) {
    StampGlyph(copy_, glyph, x, y);
    return StampGlyph(scene_.page, glyph, x, y);
  }
  // A black head at x on the step; its record.
  NoteRecord Head(int step, int x) {
    const int y = NoteY(step);
    const ArtBox box = StampGlyph(scene_.page, FixtureGlyph("head-black-20"), x, y);
    StampGlyph(copy_, FixtureGlyph("head-black-20"), x, y);
    NoteRecord n{};
    n.left = static_cast<int16_t>(box.left);
    n.right = static_cast<int16_t>(box.right);
    n.top = static_cast<int16_t>(box.top);
    n.bottom = static_cast<int16_t>(box.bottom);
    n.step = static_cast<int16_t>(step);
    n.kind = kNoteCrotchet;
    n.origin = 100;
    n.space = kSpace;
    n.staveTopY = static_cast<int16_t>(top_);
    return n;
  }
  // The engine's objects, as boxes of the page (the stave's row is 0).
  std::vector<ArtBox> engineObjects;
  std::vector<int> askedRows;
  std::function<void(int32_t, int32_t, int32_t, int32_t)> outline;
  void FillRect(int x0, int y0, int x1, int y1) {
    scene_.page.FillRect(x0, y0, x1, y1);
    copy_.FillRect(x0, y0, x1, y1);
  }
  int Read(std::vector<NoteRecord>& notes, std::vector<SymbolRecord>& symbols) {
    AppendagePage page;
    page.engineObjectIn = [this](int row, int32_t left, int32_t top, int32_t right, int32_t bottom) {
      askedRows.push_back(row);
      for (const ArtBox& b : engineObjects)
        if (left < b.right && right >= b.left && top < b.bottom && bottom >= b.top) return true;
      return false;
    };
    page.outlineWindow = outline;
    page.image = scene_.page.Bits();
    page.copy = copy_.Bits();
    page.strideWords = static_cast<uint32_t>(scene_.page.strideWords);
    page.width = scene_.page.width;
    page.height = scene_.page.height;
    page.rows = scene_.rows.data();
    page.rowCount = 1;
    page.firstRow = 0;
    page.geometry = &scene_.geometry;
    uint32_t noteCount = static_cast<uint32_t>(notes.size());
    uint32_t symbolCount = static_cast<uint32_t>(symbols.size());
    notes.resize(notes.size() + 4);
    symbols.resize(symbols.size() + 4);
    const int r = ReadAppenditures(page, notes.data(), noteCount, symbols.data(), symbolCount, ShippedShapeDatabase());
    notes.resize(noteCount);
    symbols.resize(symbolCount);
    return r;
  }

 private:
  StaveScene scene_;
  ArtPage copy_;
  int top_;
};

std::vector<int> Kinds(const NoteRecord& n) {
  std::vector<int> kinds;
  for (int k = 0; k < n.appenditureCount; ++k) kinds.push_back(n.appenditures[k].kind);
  return kinds;
}

// The double sharp matches no sharp, flat or natural sample (and its own
// samples are never matched): its shape is read where no sample came close.
TEST(AppendageStep, AccidentalsBeforeHeadsOnLinesAndSpaces) {
  const struct {
    const char* glyph;
    int kind;
  } accidentals[] = {{"sharp", 129}, {"flat", 130}, {"natural", 128}, {"double-sharp", 131}};
  for (const auto& a : accidentals) {
    for (int step : {16, 17, 14, 19}) {
      AppendageScene scene;
      std::vector<NoteRecord> notes = {scene.Head(step, 300)};
      scene.Stamp(SymbolGlyph(a.glyph, kSpace), 300 - 32, scene.NoteY(step));
      std::vector<SymbolRecord> symbols;
      ASSERT_EQ(scene.Read(notes, symbols), 1);
      ASSERT_EQ(notes.size(), 1u);
      EXPECT_EQ(Kinds(notes[0]), std::vector<int>{a.kind}) << a.glyph << " at step " << step;
      if (notes[0].appenditureCount == 1) {
        const Appenditure& item = notes[0].appenditures[0];
        EXPECT_LT(item.right, notes[0].left) << a.glyph;
        EXPECT_LT(item.quality, 6);
      }
    }
  }
}

// The engine already attached the sharp to the head: the step does not
// attach it a second time.
TEST(AppendageStep, AnAccidentalTheEngineAttachedIsNotAddedAgain) {
  AppendageScene scene;
  std::vector<NoteRecord> notes = {scene.Head(16, 300)};
  scene.Stamp(SymbolGlyph("sharp", kSpace), 300 - 32, scene.NoteY(16));
  std::vector<SymbolRecord> symbols;
  ASSERT_EQ(scene.Read(notes, symbols), 1);
  ASSERT_EQ(Kinds(notes[0]), std::vector<int>{129});
  ASSERT_EQ(scene.Read(notes, symbols), 1);  // read again: the sharp is held
  EXPECT_EQ(Kinds(notes[0]), std::vector<int>{129});
}

TEST(AppendageStep, AHeadWithoutAccidentalGetsNone) {
  AppendageScene scene;
  std::vector<NoteRecord> notes = {scene.Head(16, 300), scene.Head(18, 400)};
  std::vector<SymbolRecord> symbols;
  ASSERT_EQ(scene.Read(notes, symbols), 1);
  for (const NoteRecord& n : notes) EXPECT_EQ(n.appenditureCount, 0);
}

TEST(AppendageStep, OneSharpTwoNotesCouldClaimStaysOnOne) {
  AppendageScene scene;
  // A third apart in one chord; the sharp stands before the lower head.
  std::vector<NoteRecord> notes = {scene.Head(15, 300), scene.Head(17, 300)};
  scene.Stamp(SymbolGlyph("sharp", kSpace), 300 - 32, scene.NoteY(15));
  std::vector<SymbolRecord> symbols;
  ASSERT_EQ(scene.Read(notes, symbols), 1);
  ASSERT_EQ(notes.size(), 2u);
  int sharps = 0;
  for (const NoteRecord& n : notes)
    for (int kind : Kinds(n)) sharps += kind == 129;
  EXPECT_EQ(sharps, 1);
}

TEST(AppendageStep, SingleAndDoubleDots) {
  const struct {
    int step;   // the head's step
    int dots;
    uint16_t kind;
    int dotStep;  // where the dots stand
    int16_t origin;
  } cases[] = {
      {17, 1, kOneDot, 17, 100},   // in a space: the dot beside it
      {17, 2, kTwoDots, 17, 100},  // two dots: dots 2 and one item of kind 33
      {17, 2, kTwoDots, 17, 6},    // the same for a head of the own search
      {16, 1, kOneDot, 17, 6},     // on a line: the dot in the space above
      {14, 2, kTwoDots, 13, 100},  // on a line: the space below
  };
  for (const auto& c : cases) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(c.step, 300)};
    notes[0].origin = c.origin;
    notes[0].dots = c.origin == 100 ? 3 : 0;  // an engine count that the search replaces
    const int dotX = notes[0].right + 7;
    for (int d = 0; d < c.dots; ++d) scene.Stamp(SymbolGlyph("dot", kSpace), dotX + 12 * d, scene.NoteY(c.dotStep));
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].dots, c.dots) << "step " << c.step;
    ASSERT_EQ(notes[0].appenditureCount, 1) << "step " << c.step;
    EXPECT_EQ(notes[0].appenditures[0].kind, c.kind);
    EXPECT_GE(notes[0].appenditures[0].left, dotX - 1);
    EXPECT_EQ(notes[0].appenditures[0].quality, -5);
  }
  // An undotted head ends with no dots whatever the engine said.
  AppendageScene scene;
  std::vector<NoteRecord> notes = {scene.Head(17, 300)};
  notes[0].dots = 1;
  std::vector<SymbolRecord> symbols;
  ASSERT_EQ(scene.Read(notes, symbols), 1);
  EXPECT_EQ(notes[0].dots, 0);
}

// The line removal cuts the tip off a flag hanging beside its head: a speck
// a fifth of a space across is no dot; a dot half a space across is.
TEST(AppendageStep, AFlagsCutOffTipIsNoDot) {
  for (int side : {4, 9}) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(17, 300)};
    const int x = notes[0].right + 6, y = scene.NoteY(17) - side / 2;
    scene.FillRect(x, y, x + side - 1, y + side - 1);
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    EXPECT_EQ(notes[0].dots, side == 4 ? 0 : 1) << side << " pixels across";
  }
}

// A dot belongs to the head just before it: a note a step higher in a
// falling line (the dot of a note on a line stands in that note's space)
// does not reach over the next head for it, whichever is read first.
TEST(AppendageStep, ADotBehindTheNextHeadIsThatHeadsDot) {
  for (bool laterFirst : {false, true}) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(17, 300), scene.Head(16, 330)};
    scene.Stamp(SymbolGlyph("dot", kSpace), notes[1].right + 8, scene.NoteY(17));
    if (laterFirst) std::swap(notes[0], notes[1]);
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    ASSERT_EQ(notes.size(), 2u);
    const NoteRecord& first = laterFirst ? notes[1] : notes[0];
    const NoteRecord& second = laterFirst ? notes[0] : notes[1];
    EXPECT_EQ(first.dots, 0) << "later head read first: " << laterFirst;
    EXPECT_EQ(first.appenditureCount, 0) << "later head read first: " << laterFirst;
    EXPECT_EQ(second.dots, 1) << "later head read first: " << laterFirst;
  }
}

// Between a bar line and the key change right after it stand the naturals
// cancelling the old key: a head the search found there is one of them, and
// goes before it can claim the natural in front as its accidental.
TEST(AppendageStep, SearchedHeadsBetweenABarLineAndAKeyChangeGo) {
  const struct {
    const char* what;
    int headX;
    int16_t origin;
    int keyLeft;  // 0: no key signature
    bool stays;
  } cases[] = {
      {"a searched head before the key", 240, 6, 300, false},
      {"the engine's head there", 240, 100, 300, true},
      {"no key after the bar line", 240, 6, 0, true},
      {"a key after seven cancelling naturals", 240, 6, 200 + 12 * kSpace, false},
      {"a key too far after the bar line", 240, 6, 200 + 16 * kSpace, true},
      {"a head before the bar line", 140, 6, 300, true},
  };
  for (const auto& c : cases) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(18, c.headX)};
    notes[0].origin = c.origin;
    scene.Stamp(SymbolGlyph("natural", kSpace), c.headX - 30, scene.NoteY(18));
    SymbolRecord bar{};
    bar.type = kSymbolBarline;
    bar.left = 198;
    bar.right = 200;
    bar.stepTop = 4;
    bar.stepBottom = 12;
    std::vector<SymbolRecord> symbols = {bar};
    if (c.keyLeft) {
      SymbolRecord key{};
      key.type = kSymbolFlatKey;
      key.count = 3;
      key.left = static_cast<int16_t>(c.keyLeft);
      key.right = static_cast<int16_t>(c.keyLeft + 40);
      key.stepTop = 0;
      key.stepBottom = 15;
      symbols.push_back(key);
    }
    ASSERT_EQ(scene.Read(notes, symbols), 1) << c.what;
    EXPECT_EQ(notes.size(), c.stays ? 1u : 0u) << c.what;
  }
}

TEST(AppendageStep, NotesNearThePagesTopAndBottomStayInside) {
  // Staves close to both page edges; heads far above and below them.
  for (int top : {12, 250}) {
    AppendageScene scene(top, 600, 300);
    std::vector<NoteRecord> notes;
    for (int step : {30, 26, 4, -2}) {
      const int y = scene.NoteY(step);
      if (y < -20 || y > 320) continue;
      notes.push_back(scene.Head(step, 100 + 60 * static_cast<int>(notes.size())));
      scene.Stamp(SymbolGlyph("sharp", kSpace), notes.back().left - 30, y);
      scene.Stamp(SymbolGlyph("dot", kSpace), notes.back().right + 8, y);
    }
    std::vector<SymbolRecord> symbols;
    EXPECT_EQ(scene.Read(notes, symbols), 1);
    for (const NoteRecord& n : notes)
      for (int k = 0; k < n.appenditureCount; ++k) {
        EXPECT_GE(n.appenditures[k].top, 0);
        EXPECT_LT(n.appenditures[k].bottom, 300);
      }
  }
}

// Where the engine already recognised something, the accidental scan stops
// and a dot is not taken; objects elsewhere change nothing.
TEST(AppendageStep, EngineObjectsStopTheScanAndRefuseDots) {
  const struct {
    const char* what;
    ArtBox object;  // relative to the head's left edge and the note's y
    int sharps, dots;
  } cases[] = {
      {"nothing", {0, 0, 0, 0}, 1, 1},
      {"an object far away", {-300, -100, -280, -90}, 1, 1},
      {"an object over the sharp", {-30, -5, -20, 5}, 0, 1},
      {"an object over the dot", {32, -12, 38, -4}, 1, 0},
  };
  for (const auto& c : cases) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(16, 300)};
    const int y = scene.NoteY(16);
    scene.Stamp(SymbolGlyph("sharp", kSpace), 300 - 32, y);
    scene.Stamp(SymbolGlyph("dot", kSpace), notes[0].right + 7, scene.NoteY(17));
    if (c.object.right > c.object.left)
      scene.engineObjects.push_back({300 + c.object.left, y + c.object.top, 300 + c.object.right, y + c.object.bottom});
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    ASSERT_EQ(notes.size(), 1u);
    int sharps = 0;
    for (int kind : Kinds(notes[0])) sharps += kind == 129;
    EXPECT_EQ(sharps, c.sharps) << c.what;
    EXPECT_EQ(notes[0].dots, c.dots) << c.what;
    EXPECT_FALSE(scene.askedRows.empty()) << c.what;
    for (int row : scene.askedRows) EXPECT_EQ(row, 0) << c.what;
  }
}

// A crotchet or quaver rest of the stages' own search over a dot (a dot and
// what follows it easily pass for one) yields: the dot is read and the rest
// goes. The engine's rests (score 100) and other symbols keep the dot out.
TEST(AppendageStep, ASearchedShortRestOverADotYieldsToIt) {
  const struct {
    int type;
    int16_t score;
    int dots;
    bool restStays;
  } cases[] = {
      {68, 0, 1, false},   // a searched quaver rest
      {69, 60, 1, false},  // a searched crotchet rest
      {68, 100, 0, true},  // the engine's quaver rest
      {70, 0, 0, true},    // a minim rest
  };
  for (const auto& c : cases) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(17, 300)};
    const ArtBox dot = scene.Stamp(SymbolGlyph("dot", kSpace), notes[0].right + 7, scene.NoteY(17));
    SymbolRecord rest{};
    rest.type = static_cast<int16_t>(c.type);
    rest.left = notes[0].right;
    rest.right = static_cast<int16_t>(dot.right + 30);
    rest.stepTop = 4;  // the stave's top line to its bottom line
    rest.stepBottom = 12;
    rest.score = c.score;
    std::vector<SymbolRecord> symbols = {rest};
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    EXPECT_EQ(notes[0].dots, c.dots) << "type " << c.type << " score " << c.score;
    EXPECT_EQ(symbols.size(), c.restStays ? 1u : 0u) << "type " << c.type << " score " << c.score;
  }
}

// A stem or bar line that the dot window cuts at its edge is no dot: the
// blob must have paper below it beyond the window as well.
TEST(AppendageStep, AStrokeRunningOutOfTheDotWindowIsNoDot) {
  for (int fromStep : {17, 16}) {  // from the dot's space down, and from the line below it
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(17, 300)};
    const int x = notes[0].right + 9;
    scene.FillRect(x, scene.NoteY(fromStep), x + 2, scene.NoteY(fromStep) + 3 * kSpace);
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    EXPECT_EQ(notes[0].dots, 0) << "stroke from step " << fromStep;
    EXPECT_EQ(notes[0].appenditureCount, 0) << "stroke from step " << fromStep;
  }
}

// Heads standing in the accidental's box: a sharp is kept over heads of
// quavers or longer with short stems, not over a semiquaver's head, a long
// stem or three heads stacked across; the heads may be of any stave.
TEST(AppendageStep, HeadsInTheAccidentalsBoxDecideWhetherItStays) {
  const struct {
    const char* what;
    uint32_t kind;
    int16_t stem;
    int stacked;
    int16_t stave;
    int sharps;
  } cases[] = {
      {"a crotchet", kNoteCrotchet, 0, 1, 0, 1},
      {"a crotchet of the stave below", kNoteCrotchet, 0, 1, 1, 1},
      {"a semiquaver", kNoteSemiquaver, 0, 1, 0, 0},
      {"a semiquaver of the stave below", kNoteSemiquaver, 0, 1, 1, 0},
      {"a crotchet with a long stem", kNoteCrotchet, 4, 1, 0, 0},
      {"three crotchets stacked", kNoteCrotchet, 0, 3, 0, 0},
  };
  for (const auto& c : cases) {
    AppendageScene scene;
    std::vector<NoteRecord> notes = {scene.Head(16, 300)};
    const int y = scene.NoteY(16);
    scene.Stamp(SymbolGlyph("sharp", kSpace), 300 - 32, y);
    // Above the scan's window, inside the accidental's box (which reaches a
    // space and a half above the note's position).
    for (int k = 0; k < c.stacked; ++k) {
      NoteRecord other{};
      other.left = static_cast<int16_t>(262 + k);
      other.right = static_cast<int16_t>(288 + k);
      other.top = static_cast<int16_t>(y - 44);
      other.bottom = static_cast<int16_t>(y - 25);
      other.space = kSpace;
      other.step = 20;
      other.kind = c.kind;
      other.stave = c.stave;
      other.origin = 100;
      other.stemLength[0] = c.stem;
      notes.push_back(other);
    }
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    int sharps = 0;
    for (int kind : Kinds(notes[0])) sharps += kind == 129;
    EXPECT_EQ(sharps, c.sharps) << c.what;
  }
}

// The dot windows are outlined on the page view through the reading host,
// under its drawing lock, in colour 11, and only while debug drawing is on.
TEST(AppendageStep, DotWindowsAreOutlinedOnlyWithDebugDrawingOn) {
  EXPECT_FALSE(DebugWindowOutline());  // off by default
  {
    DebugBoxHost off(false);
    EXPECT_FALSE(DebugWindowOutline());
  }
  DebugBoxHost host;
  AppendageScene scene;
  std::vector<NoteRecord> notes = {scene.Head(17, 300)};
  const ArtBox dot = scene.Stamp(SymbolGlyph("dot", kSpace), notes[0].right + 7, scene.NoteY(17));
  scene.outline = DebugWindowOutline();
  ASSERT_TRUE(scene.outline);
  std::vector<SymbolRecord> symbols;
  ASSERT_EQ(scene.Read(notes, symbols), 1);
  EXPECT_EQ(notes[0].dots, 1);
  ASSERT_FALSE(host.drawn.empty());
  EXPECT_EQ(host.locks, static_cast<int>(host.drawn.size()));
  for (const DebugBoxHost::Drawn& d : host.drawn) {
    EXPECT_TRUE(d.locked);
    EXPECT_EQ(d.surface, DebugSurface::kPageView);
    EXPECT_EQ(d.box.colour, kAppendageDebugColour);
  }
  const DebugBox& w = host.drawn.back().box;  // the window that gave the dot
  EXPECT_LE(w.x0, dot.left);
  EXPECT_GE(w.x1, dot.right);
  EXPECT_LE(w.y0, dot.top);
  EXPECT_GE(w.y1, dot.bottom);
}

Appenditure Item(int kind, int left, int right, int top, int bottom) {
  Appenditure a{};
  a.kind = static_cast<uint16_t>(kind);
  a.left = static_cast<int16_t>(left);
  a.right = static_cast<int16_t>(right);
  a.top = static_cast<int16_t>(top);
  a.bottom = static_cast<int16_t>(bottom);
  return a;
}

// The clean-up after the accidentals, on sub-items the records already hold
// (the page itself is blank: the scan adds nothing).
TEST(AppendageStep, CleanUpOfAccidentalsAlreadyHeld) {
  AppendageScene scene;
  auto head = [&](int step, int left, int16_t origin, uint32_t kind = kNoteCrotchet) {
    NoteRecord n{};
    n.left = static_cast<int16_t>(left);
    n.right = static_cast<int16_t>(left + 24);
    n.top = static_cast<int16_t>(scene.NoteY(step) - 10);
    n.bottom = static_cast<int16_t>(scene.NoteY(step) + 10);
    n.step = static_cast<int16_t>(step);
    n.kind = kind;
    n.origin = origin;
    n.space = kSpace;
    return n;
  };
  // A searched note whose accidental stands three spaces off with nothing
  // beside it loses it; an engine note keeps its own.
  {
    std::vector<NoteRecord> notes = {head(16, 300, 6), head(20, 300, 100)};
    notes[0].appenditures[0] = Item(129, 220, 236, 110, 170);
    notes[0].appenditureCount = 1;
    notes[1].appenditures[0] = Item(130, 220, 236, 40, 80);
    notes[1].appenditureCount = 1;
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    EXPECT_EQ(notes[0].appenditureCount, 0);
    EXPECT_EQ(notes[1].appenditureCount, 1);
  }
  // In a column of accidentals before a chord it stays.
  {
    std::vector<NoteRecord> notes = {head(16, 300, 6), head(19, 300, 100)};
    notes[0].appenditures[0] = Item(129, 220, 236, 110, 170);
    notes[0].appenditureCount = 1;
    notes[1].appenditures[0] = Item(130, 250, 270, 80, 125);
    notes[1].appenditureCount = 1;
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    EXPECT_EQ(notes[0].appenditureCount, 1);
  }
  // A natural-sharp two notes share splits into a natural and a sharp.
  {
    std::vector<NoteRecord> notes = {head(16, 300, 100), head(15, 300, 100)};
    notes[0].appenditures[0] = Item(133, 250, 290, 120, 160);
    notes[1].appenditures[0] = Item(133, 252, 290, 125, 165);
    notes[0].appenditureCount = notes[1].appenditureCount = 1;
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    std::vector<int> kinds;
    for (const NoteRecord& n : notes)
      for (int k : Kinds(n)) kinds.push_back(k);
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(kinds, (std::vector<int>{128, 129}));
  }
  // A searched hollow head inside another note's flat goes; one of the
  // engine stays.
  {
    std::vector<NoteRecord> notes = {head(16, 300, 100), head(17, 262, 6, kNoteMinim), head(15, 262, 100, kNoteMinim)};
    notes[0].appenditures[0] = Item(130, 255, 290, 100, 160);
    notes[0].appenditureCount = 1;
    std::vector<SymbolRecord> symbols;
    ASSERT_EQ(scene.Read(notes, symbols), 1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1].origin, 100);
  }
}

int StopAtOnce() { return 0; }

TEST(AppendageStep, AStopEndsThePage) {
  StaveScene scene(300, 200, kSpace);
  scene.AddStave(60, 10, 290);
  std::vector<NoteRecord> notes(1);
  notes[0].left = 100;
  notes[0].right = 120;
  std::vector<SymbolRecord> symbols(1);
  AppendagePage page;
  page.image = page.copy = scene.page.Bits();
  page.strideWords = static_cast<uint32_t>(scene.page.strideWords);
  page.width = 300;
  page.height = 200;
  page.rows = scene.rows.data();
  page.rowCount = 1;
  page.geometry = &scene.geometry;
  page.keepGoing = StopAtOnce;
  uint32_t noteCount = 1, symbolCount = 0;
  EXPECT_EQ(ReadAppenditures(page, notes.data(), noteCount, symbols.data(), symbolCount, ShippedShapeDatabase()), 0);
}

TEST(DeleteAppenditure, MovesTheLaterItemsDown) {
  std::vector<NoteRecord> notes(1);
  for (int k = 0; k < 3; ++k) notes[0].appenditures[k].kind = static_cast<uint16_t>(128 + k);
  notes[0].appenditureCount = 3;
  DeleteAppenditure(notes.data(), 0, 0);
  EXPECT_EQ(Kinds(notes[0]), (std::vector<int>{129, 130}));
  DeleteAppenditure(notes.data(), 0, 5);
  EXPECT_EQ(notes[0].appenditureCount, 2);
}

}  // namespace
