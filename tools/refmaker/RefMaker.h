// The reference maker: turns rendered glyph images into the engine's
// reference records through the engine's own feature code, and writes them
// as the engine reads them (and as JSON sources for tools/make_engine_data.py).
//
// Noteheads: a glyph is drawn at its staff space among the staff lines of a
// place (a line through it, lines above and below, one line on one side, as
// beside a ledger line), cropped as the notehead finder crops a candidate of
// the class's model, and its margin-0 edge features are taken. The samples
// of one class and place, over staff spaces and small shifts of the edges the
// finder would find, become one reference: the rounded mean of each feature,
// with a weight row that matches the feature's spread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Muslref.h"

namespace refmaker {

// A 1-bit glyph image: one byte per pixel (1 ink), rows of width bytes; the
// glyph's origin (for a notehead its vertical centre and left side).
struct GlyphImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t originRow = 0;
  int32_t originColumn = 0;
  std::vector<uint8_t> pixels;
  bool Ink(int32_t y, int32_t x) const {
    return y >= 0 && y < height && x >= 0 && x < width && pixels[static_cast<size_t>(y) * width + x] != 0;
  }
};

// Reads a binary PBM ("P4") written by tools/render_glyphs.py, with its
// "# origin ROW COLUMN" comment (0 0 when absent). false with a message that
// names the file when it cannot be read or is not such an image.
bool ReadGlyphImage(const std::u16string& path, GlyphImage* out, std::string* error);

// Where a head stands among the lines and the other heads of a chord (heads
// a third above or below it, on the same column).
enum class HeadPlace : int32_t {
  kOnLine = 0,       // a line through its middle
  kInSpace = 1,      // lines half a staff space above and below
  kLineBelow = 2,    // in the space just beyond a ledger line or the staff, the line below
  kLineAbove = 3,    // the line above
  kOnLineInChord = 4,     // on a line, heads above and below
  kInSpaceInChord = 5,    // in a space, heads above and below
  kOnLineHeadAbove = 6,   // on a line, a head above
  kOnLineHeadBelow = 7,   // on a line, a head below
  kInSpaceHeadAbove = 8,  // in a space, a head above
  kInSpaceHeadBelow = 9,  // in a space, a head below
  // Beyond the staff, among ledger lines as engravers draw them: as wide as
  // the head and a quarter of a staff space more on each side.
  kOnLedgerBelowStaff = 10,   // a ledger line through it, the staff's line a space above
  kOnLedgerAboveStaff = 11,   // a ledger line through it, the staff's line a space below
  kBelowLedger = 12,          // in the space just below a ledger line
  kAboveLedger = 13,          // in the space just above a ledger line
  // With a stem 3.5 staff spaces long, as thick as the engravers draw it
  // (StemThicknessFor): up from the head's right edge, down from its left.
  kOnLineStemUp = 14,
  kInSpaceStemUp = 15,
  kOnLineStemDown = 16,
  kInSpaceStemDown = 17,
};
constexpr int32_t kHeadPlaceCount = 18;
// The places the references are made at unless the options ask for more:
// the first ten (the ledger places are the shipped sets' own).
constexpr int32_t kDefaultHeadPlaceCount = 10;
constexpr int32_t kFirstLedgerPlace = kDefaultHeadPlaceCount;
constexpr int32_t kFirstStemPlace = 14;

// What a place puts round the head. Steps count half staff spaces down a
// five-line stave: 0 its top line, 8 its bottom line, odd steps its spaces,
// below 0 and above 8 beyond it, where ledger lines run from the stave out
// to the head. A drawn stave stands the head at the first step and draws the
// stave's lines within a staff space of it; an engraved stave takes the
// steps in turn along it.
struct HeadPlaceLayout {
  int32_t steps[4];
  int32_t stepCount;
  bool headAbove;  // a head a third above, on the same column
  bool headBelow;  // and below
  int32_t stem;    // +1 up from the right edge, -1 down from the left edge, 0 none
};
const HeadPlaceLayout& LayoutOfHeadPlace(HeadPlace place);
// Whether heads of the class stand at the place (a whole head has no stem).
bool HeadClassStandsAt(int32_t headClass, HeadPlace place);
// A stem's thickness in pixels at the staff space (pixels).
int32_t StemThicknessFor(int32_t staffSpace);

// The head model whose crop a head class is compared through (0, 1, 2, 4).
int32_t ModelOfHeadClass(int32_t headClass);

// A small bilevel drawing: one byte per pixel.
struct Canvas {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
  Canvas(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}
  void FillRect(int32_t y0, int32_t x0, int32_t y1, int32_t x1);  // half-open, clipped
  // The glyph with its origin at (row, column).
  void Stamp(const GlyphImage& glyph, int32_t row, int32_t column);
  // A horizontal line of the thickness centred on row (rounded as the page
  // synthesiser draws staff lines).
  void Line(double row, int32_t thickness);
  // The same line from column x0 up to x1 (half-open).
  void Segment(double row, int32_t thickness, int32_t x0, int32_t x1);
};

// One way a scan spoils a drawing: skewed about its centre, seeded grey
// noise, blurred then thresholded, and a pixel thinner or thicker. The same
// steps, in the same order, as the music benchmark's degraded pages.
struct Degradation {
  uint64_t seed = 0;
  double skewDegrees = 0;  // within -2 .. 2
  double noise = 0;        // the noise's spread in grey (paper 0, ink 1)
  int32_t thickness = 0;   // -1 a pixel thinner, 0, +1 a pixel thicker
};
// count degradations from the seed: skews drawn within +-2 degrees, the
// thickness cycling thinner, as drawn, thicker. Nothing from the clock.
std::vector<Degradation> MakeDegradations(uint64_t seed, int32_t count);
// Degrades the drawing in place.
void DegradeCanvas(Canvas* canvas, const Degradation& degradation);

// Seeded k-means over rows of n features (one byte each): at most k groups
// of row indices, each in ascending order, the groups ordered by their first
// row; groups left empty are dropped. The start is k-means++ from the seed;
// the same rows and seed give the same groups.
std::vector<std::vector<int32_t>> ClusterRows(const std::vector<uint8_t>& rows, int32_t n, int32_t k,
                                              uint64_t seed);

// The features the notehead finder takes of the glyph drawn at the place:
// staff space in pixels, line thickness in pixels, the class's crop; dLeft
// and dRight shift the head's found edges and dRow its found centre (the
// finder's own small errors). false when the finder would refuse the patch.
bool HeadGlyphFeatures(const GlyphImage& glyph, int32_t headClass, HeadPlace place, int32_t staffSpace,
                       int32_t lineThickness, int32_t dLeft, int32_t dRight, int32_t dRow,
                       uint8_t features[kEdgeFeatureCount], const Degradation* degradation = nullptr);

// The glyph drawn at the place on a drawn stave of the staff space and line
// thickness (pixels), two staff spaces of margin round it: the canvas, and
// the head's centre row and left column on it.
Canvas DrawHeadAtPlace(const GlyphImage& glyph, HeadPlace place, int32_t staffSpace, int32_t lineThickness,
                       int32_t* centre, int32_t* left);

// The notehead finder's crop of a head drawn on a canvas (its centre row,
// its first ink column left and the first white column after it right) at
// the staff space (pixels x1024), at each shift of those edges and the
// centre (dLeft, dRight, dRow): the margin-0 edge features of each crop the
// finder would take, appended to rows; the number of them.
int32_t HeadCanvasFeatures(const Canvas& canvas, int32_t headClass, int32_t staffSpace1024, int32_t centre,
                           int32_t left, int32_t right, const int32_t (*shifts)[3], int32_t shiftCount,
                           std::vector<uint8_t>* rows);

// Feature samples of one reference (90 edge features, or the music
// classifier's 94).
class ReferenceSamples {
 public:
  explicit ReferenceSamples(int32_t features = kEdgeFeatureCount) : n_(features < kMaxFeatures ? features : kMaxFeatures) {}
  void Add(const uint8_t* features);
  int32_t count() const { return count_; }
  // The rounded means and weight rows (value, weight-row pairs, 2n bytes):
  // weight 2 sqrt(s^2 - 9) for a spread s raised to at least spreadFloor,
  // within 0..255, so that the cost table's scale matches the spread.
  void Make(uint8_t* pairs, double spreadFloor) const;

 private:
  int32_t n_;
  int32_t count_ = 0;
  // Room for the longest vectors: the music features and the text
  // classifier's 96 main features.
  static constexpr int kMaxFeatures = 96;
  double sum_[kMaxFeatures] = {};
  double squares_[kMaxFeatures] = {};
};

// The glyphs of one head class at several staff spaces.
struct HeadGlyphs {
  int32_t headClass = 0;
  std::vector<int32_t> staffSpaces;
  std::vector<GlyphImage> images;  // one per staff space
};

struct HeadReferenceOptions {
  double spreadFloor = 6.0;
  // A head class's own spread floor (index: the class, 0..4); 0 uses
  // spreadFloor. The calibration sets them (see ReadCalibration).
  double classSpreadFloor[5] = {0, 0, 0, 0, 0};
  double FloorOf(int32_t headClass) const {
    return headClass >= 0 && headClass < 5 && classSpreadFloor[headClass] > 0 ? classSpreadFloor[headClass]
                                                                               : spreadFloor;
  }
  // Shifts of the found edges and centre sampled around each glyph.
  int32_t edgeJitter = 1;
  // References per head class (index: the class) made by clustering all
  // its samples; 0 makes one reference per place instead.
  int32_t clusters[5] = {0, 0, 0, 0, 0};
  // References per head class made by clustering the samples cut from
  // engraved pages (CutSample), beside those of the glyphs; 0 makes none.
  int32_t engravedClusters[5] = {0, 0, 0, 0, 0};
  // The head stands at this many blank stretches of each engraved stave
  // (StavePage), at every place, beside the glyph's own drawn staves; 0 none.
  int32_t engravedStaveColumns = 0;
  // Degraded copies drawn of each sample besides the clean one.
  int32_t degradedCopies = 0;
  // The places made (the ledger and stem places are off unless asked for).
  bool places[kHeadPlaceCount] = {true, true, true, true, true, true, true, true, true, true};
  // The classes that stand at the stemmed places (index: the class; a whole
  // head never does, HeadClassStandsAt).
  bool stemClasses[5] = {true, true, true, true, true};
  // Whether a class's references take samples at the place.
  bool Takes(int32_t headClass, HeadPlace place) const;
};

// The references of each head class (variant 0), classes in the order
// given: one per place, or, when the options cluster the class, one per
// cluster of all its samples (word1 the place or the cluster). Words 3..5
// hold the sample count, the spread floor x 100 and the degraded copies of
// each sample. extra holds samples cut from engraved pages: a class the
// options give engraved clusters gets references of its own from them
// (word1 100 and up).
struct CutSample;
struct StavePage;
std::vector<NoteheadReference> MakeHeadReferences(const std::vector<HeadGlyphs>& glyphs,
                                                  const HeadReferenceOptions& options,
                                                  const std::vector<CutSample>* extra = nullptr,
                                                  const std::vector<StavePage>* staves = nullptr);
// The line thickness the references draw at a staff space.
int32_t LineThicknessFor(int32_t staffSpace);

// The rendered head glyphs the references are made from: one file per head
// class and staff space, FOLDER/head-NAME-S.pbm (see
// tests/Code/Quorm/fixtures/glyphs/README.md).
struct HeadGlyphSource {
  int32_t headClass;
  const char* name;
};
const std::vector<HeadGlyphSource>& HeadGlyphSources();  // black 0, half 1, whole 2, small 4
const std::vector<int32_t>& HeadReferenceStaffSpaces();  // 12 .. 45 pixels
// The staff spaces the shipped sets are made at: 10 .. 50 pixels.
const std::vector<int32_t>& ShippedHeadStaffSpaces();
const std::vector<int32_t>& ShippedSymbolStaffSpaces();
std::u16string HeadGlyphFile(const std::u16string& folder, const char* name, int32_t staffSpace);
// Reads every source at every staff space; false with a message naming the
// first file that cannot be read.
bool LoadHeadGlyphs(const std::u16string& folder, std::vector<HeadGlyphs>* out, std::string* error,
                    const std::vector<int32_t>& staffSpaces = HeadReferenceStaffSpaces());

// ---- Engraved staves ----

// One stave of an engraved page: its five line centres (rows, top first) and
// the first and last column of its lines.
struct EngravedStave {
  double rows[5] = {};
  int32_t left = 0;
  int32_t right = 0;
  double Space() const { return (rows[4] - rows[0]) / 4.0; }
};
// A blank stave page the project engraves (tools/refmaker/staves): the page
// and its staves.
struct StavePage {
  std::string name;
  Canvas image{0, 0};
  std::vector<EngravedStave> staves;
};
// The staves of each page, from the layout file that remakes the pages
// writes (staves.txt: "PAGE ROW0 ROW1 ROW2 ROW3 ROW4 LEFT RIGHT", '#' starts
// a comment), pages in their order of first mention, images left empty.
// false with a message naming the file and line when a line is not of that
// form (rows rising, columns in order).
bool ReadStaveLayout(const std::u16string& path, std::vector<StavePage>* out, std::string* error);
// Columns where a window of the width stands on the stave's lines alone:
// from three staff spaces above the stave to three below, no ink but the
// lines' (each column's ink within a pixel of what most of the stave's
// columns hold). At most count window lefts, spread evenly over those found, in
// ascending order.
std::vector<int32_t> BlankStaveColumns(const Canvas& page, const EngravedStave& stave, int32_t width,
                                       int32_t count);
// The thickness of the stave line through the row on the page's column: its
// ink within half a staff space of the row, at least 1.
int32_t StaveLineThickness(const Canvas& page, double lineRow, int32_t column, int32_t staffSpace);
// The notehead finder's crops of the head glyph stood at the place on the
// engraved stave with its left side at the column (as HeadCanvasFeatures, at
// the stave's own staff space): on a line or in a space of the stave (which
// one: variant, cycling through the stave's inner lines and its spaces),
// beside its outer lines, on and beside ledger lines drawn as thick as its
// lines, with heads a third above or below in chords, with a stem up or
// down (LayoutOfHeadPlace, as on drawn staves). Degraded when asked.
// The number of crops appended to rows.
int32_t EngravedStaveHeadFeatures(const Canvas& page, const EngravedStave& stave, const GlyphImage& glyph,
                                  int32_t headClass, HeadPlace place, int32_t column, int32_t variant,
                                  const int32_t (*shifts)[3], int32_t shiftCount, const Degradation* degradation,
                                  std::vector<uint8_t>* rows);

// ---- Fixed-size symbols ----

// The rendered symbol glyphs: FOLDER/sym-NAME-S.pbm, one per symbol type.
struct SymbolGlyphSource {
  int32_t type;  // FixedSymbolType
  const char* name;
};
const std::vector<SymbolGlyphSource>& SymbolGlyphSources();
const std::vector<int32_t>& SymbolReferenceStaffSpaces();  // 14, 20, 28, 37
std::u16string SymbolGlyphFile(const std::u16string& folder, const char* name, int32_t staffSpace);

struct SymbolGlyphs {
  int32_t type = 0;
  std::string name;
  std::vector<int32_t> staffSpaces;
  std::vector<GlyphImage> images;
};
// Every source at the given staff spaces; false with a message naming the
// first file that cannot be read.
bool LoadSymbolGlyphs(const std::u16string& folder, const std::vector<int32_t>& staffSpaces,
                      std::vector<SymbolGlyphs>* out, std::string* error);

// The 94 features the music classifier takes of the glyph's ink box at the
// staff space (pixels), with trim pixels cut from each side given (left,
// top, right, bottom: the atom's box a pixel off).
void SymbolGlyphFeatures(const GlyphImage& glyph, int32_t staffSpace, const int32_t trim[4],
                         uint8_t features[kMusicFeatureCount]);
// The glyph degraded (on a canvas a few pixels wider each side), cut to the
// ink box of what is left; false when nothing is left.
bool DegradeGlyph(const GlyphImage& glyph, const Degradation& degradation, GlyphImage* out);

// The columns a flag (types 61..64 and 71..74, its stem on the left) loses
// on its stem side when the engine erases the stem it hangs on: the erasure
// takes the stem's found width and a pixel beyond it, and inside the staff
// the found centre may lie a pixel towards the flag, so a flag keeps its
// glyph less 2 to 5 pixels at a staff space of 21 pixels (measured on pages
// of both engravers). The cuts at the staff space, in pixels, each once: 1
// plus 5, 10, 15 and 20 per cent of the space; none for other types.
std::vector<int32_t> FlagStemCuts(int32_t type, int32_t staffSpace);

struct SymbolReferenceOptions {
  double spreadFloor = 6.0;
  // The size limits widen the observed extents by this share on each side.
  double sizeMargin = 0.2;
  // References per type made by clustering its samples; 0 makes one.
  int32_t clusters = 0;
  // Degraded copies drawn of each glyph besides the clean one.
  int32_t degradedCopies = 0;
  // Besides the glyph alone, the glyph stood on a drawn stave at this many of
  // its type's steps (SymbolStaffSteps), read through the engine's staff-line
  // removal and components (StandSymbolOnStave); 0 takes the glyph alone.
  int32_t staffPlaces = 0;
  // The glyph also stood on the engraved stave pages (StavePage) at this
  // many blank stretches of each stave whose staff space its size is the
  // nearest to, at the same stands (StandSymbolsOnEngravedStave); 0 none.
  int32_t engravedStaveColumns = 0;
  // Only the accidentals (types 90 to 96) stand on the engraved staves.
  bool engravedAccidentalsOnly = false;
  // Accidentals also stood before a black head and dots after one, on the
  // stave and beside the ledger lines of a head beyond it (SymbolStands).
  bool neighbourPlaces = false;
};

// The steps (0 the top line of a stave, 8 its bottom line, odd steps the
// spaces) at which a symbol type's glyph origin stands on a stave, the usual
// ones first: clefs on their lines, rests where a voice puts them, time
// digits in either half, accidentals and others on lines and spaces round
// the middle, dots in the spaces. At most count of them.
std::vector<int32_t> SymbolStaffSteps(int32_t type, int32_t count);

// Where a symbol stands on a stave: its origin at the step (0 the top line,
// 8 the bottom one, odd steps the spaces, below 0 above the stave and over 8
// below it), and, beside an accidental or a dot, the black head it belongs
// to at headStep, the usual gap away (an accidental before the head, a dot
// after it), with the ledger lines a head that far beyond the stave stands
// on or beside, drawn through the head only.
struct SymbolStand {
  enum Head : int32_t { kNoHead = 0, kHeadAfter = 1, kHeadBefore = 2 };
  int32_t step = 0;
  Head head = kNoHead;
  int32_t headStep = 0;
};
// The stands of a type: its steps (SymbolStaffSteps, count of them) alone,
// and with neighbours, for an accidental (IsAccidentalType) the same steps
// (at least one) with a head after it and the head on the first ledger line
// above and below the stave; for a dot, the same space steps after a head,
// and after a head on either first ledger line, in the space above it.
std::vector<SymbolStand> SymbolStands(int32_t type, int32_t count, bool neighbours);

// The gaps between a head and its accidental (a quarter of a staff space)
// and its dot (a half), in pixels at the staff space.
int32_t AccidentalGap(double staffSpace);
int32_t DotGap(double staffSpace);
// How far a ledger line reaches beyond its head on either side: a quarter of
// a staff space, in pixels.
int32_t LedgerReach(double staffSpace);

// A glyph stood on a stave, as the engine reads it: the atom patch
// (1 for ink, row by row) of the components the staff-line removal leaves
// over the glyph's box, its size and the stave's staff space (1/1024 pixel)
// as the staff finder measured it, and the patch's music features.
struct StavedSymbol {
  int32_t step = 0;
  SymbolStand::Head head = SymbolStand::kNoHead;
  int32_t job = 0;  // StandSymbolsOnEngravedStave: the job it belongs to
  int32_t width = 0;
  int32_t height = 0;
  int32_t staffSpace1024 = 0;
  std::vector<uint8_t> patch;
  uint8_t features[kMusicFeatureCount] = {};
};
// Draws a page with one five-line stave of the staff space (lines as thick
// as the page synthesiser draws them) and the glyph's origin at each stand's step,
// the places a few staff spaces apart; runs the engine's staff finder, its
// staff-line removal and its connected components on that page, and takes
// each place's components as the fixed-symbol stage draws an atom group,
// through ClassifyMusicPatch at the stave's found staff space. A place whose
// ink the removal took whole is left out. Uses (and frees) the engine's page
// state: call it with no page loaded. false when the finder finds no stave.
// head is the black head glyph drawn beside the glyph where a stand asks for
// one (drawn at the glyph's staff space; stands with a head are left out
// without one).
bool StandSymbolOnStave(const GlyphImage& glyph, const GlyphImage* head, int32_t staffSpace,
                        const std::vector<SymbolStand>& stands, std::vector<StavedSymbol>* out);

// Runs the engine over a page drawn on the canvas as RecognisePage does
// (LoadPageImage, the staff stage, EraseStaffLines, FindConnectedComponents)
// and, for each box (left, top, right, bottom, half-open), draws the
// components over it into one patch as the fixed-symbol stage draws an atom
// group, through ClassifyMusicPatch at the staff space of the staff nearest
// it (staffSpace1024 when there is none). out holds one entry a box, width
// 0 where nothing is left over it. Uses (and frees) the engine's page state.
// false when the staff finder finds no stave.
bool ReadStavePatches(const Canvas& canvas, const std::vector<std::array<int32_t, 4>>& boxes,
                      int32_t staffSpace1024, std::vector<StavedSymbol>* out);

// One glyph to stand on an engraved stave: at each stand, the head glyph
// beside it where a stand asks for one.
struct SymbolJob {
  const GlyphImage* glyph = nullptr;
  const GlyphImage* head = nullptr;
  std::vector<SymbolStand> stands;
};
// Stands every job's glyph at each stand on the engraved stave at stretches
// of its blank stretches (BlankStaveColumns): each glyph in a strip of the
// page's own stave there, the strips laid side by side into staves of a page
// of strips, with ledger lines as thick as the stave's lines, and reads it
// all through ReadStavePatches at once. out gets what is left of each glyph
// (job the job's index). false when the stave has no blank stretch wide
// enough or the engine finds no stave.
bool StandSymbolsOnEngravedStave(const StavePage& page, const EngravedStave& stave, const std::vector<SymbolJob>& jobs,
                                 int32_t stretches, std::vector<StavedSymbol>* out);

// A feature sample cut from an engraved page: a head class or a symbol type,
// the features (90 for a head, 94 for a symbol) and, for a symbol, its ink
// box in per cent of the staff space.
struct CutSample {
  bool head = true;
  int32_t code = 0;  // head class, or FixedSymbolType
  int32_t widthPercent = 0;
  int32_t heightPercent = 0;
  std::vector<uint8_t> features;
};
// Reads a file of cut samples (tools/refmaker/engraved-samples.txt): lines
// "head CLASS HEX" and "symbol TYPE WIDTH HEIGHT HEX", HEX the features as
// two hex digits each ('#' starts a comment). false with a message naming
// the file and line when a line is not one of these, with a searched head
// class or a type the classifier reports.
bool ReadCutSamples(const std::u16string& path, std::vector<CutSample>* out, std::string* error);
// One line of that file.
std::string CutSampleLine(const CutSample& sample);
// The calibrated options of both sets, read from a text file of lines
// "head-spread-floor CLASS VALUE", "symbol-spread-floor VALUE",
// "head-clusters CLASS K", "head-engraved-clusters CLASS K" (1 to 16),
// "symbol-clusters K" (1 to 8),
// "head-degraded-copies N" and "symbol-degraded-copies N" (0 to 16),
// "head-engraved-staves N" (0 to 8: the blank stretches of each engraved
// stave the heads stand at),
// "head-ledger-places 0|1" (the ledger places too),
// "head-stem-places 0|1|up|down" (the stemmed places too: both sides or one),
// "head-stem-classes CLASS..." (the classes that take them: 0, 1, 4),
// "symbol-staff-places N" (0 to 9), "symbol-engraved-staves N" (0 to 8: the
// blank stretches of each engraved stave the symbols stand at),
// "symbol-engraved-types all|accidentals" (every type stands there, or the
// accidentals alone),
// "symbol-neighbour-places 0|1" (accidentals and dots beside heads)
// ('#' starts a comment; what the
// file does not set keeps its default). false with a message naming the
// file and line when it cannot be read or a line is not one of these with a
// class the finder searches and a floor from 3 to 60.
struct SymbolReferenceOptions;
bool ReadCalibration(const std::u16string& path, HeadReferenceOptions* heads, SymbolReferenceOptions* symbols,
                     std::string* error);

// One reference per symbol type, or one per cluster of its samples when the
// options cluster: label the glyph name, words 0 and 1 the sample count and
// the spread floor x 100, size limits from the observed extents of the
// reference's samples in per cent of the staff space, widened by the margin.
// extra holds samples cut from engraved pages, added to the samples of
// their type when the types are clustered. staves are the engraved stave
// pages the options' engraved stands need, and heads the black head glyphs
// (class 0, LoadHeadGlyphs) the neighbour stands need: each glyph's head is
// the one of the staff space nearest its own.
std::vector<MusicReference> MakeSymbolReferences(const std::vector<SymbolGlyphs>& glyphs,
                                                 const SymbolReferenceOptions& options,
                                                 const std::vector<CutSample>* extra = nullptr,
                                                 const std::vector<StavePage>* staves = nullptr,
                                                 const HeadGlyphs* heads = nullptr);

// The join symbol (type 800, the brace of a grand staff): braces of several
// heights, as drawn at their size and stretched to a system's height,
// FOLDER/sym-NAME-S.pbm, gathered into one reference. Images the feature code
// cannot take (kEdgeImageLimit) are left out.
const std::vector<std::string>& JoinGlyphNames();
const std::vector<int32_t>& JoinReferenceStaffSpaces();  // 14, 20, 28
bool LoadJoinGlyphs(const std::u16string& folder, SymbolGlyphs* out, std::string* error);

// Whether a type may have a music reference: a fixed-size symbol type that
// the classifier reports (key signatures, dotted rests and the time
// signatures 1000 and up are built by the engine, never classified).
bool IsReferenceSymbolType(int32_t type);
// The head classes the notehead finder searches (0, 1, 2, 4).
const std::vector<int32_t>& SearchedHeadClasses();
// Refuses a pair of sets that lacks a reference of a searched head class
// (variant 0) or holds a symbol type unknown to the classifier; false with a
// message naming the first fault.
bool CheckReferenceSets(const std::vector<NoteheadReference>& heads, const std::vector<MusicReference>& symbols,
                        std::string* error);

// The notehead reference file as the engine reads it ("Learned\nhOLD"):
// count, then 204-byte records, little-endian, field by field.
std::vector<uint8_t> NoteheadReferenceFileBytes(const std::vector<NoteheadReference>& records);
// The music reference file ("Learned\fssOLD"): count, then 248-byte records.
std::vector<uint8_t> MusicReferenceFileBytes(const std::vector<MusicReference>& records);
// The JSON source of tools/make_engine_data.py's "notehead" kind.
std::string NoteheadReferenceJson(const std::vector<NoteheadReference>& records);
// The JSON source of tools/make_engine_data.py's "music" kind.
std::string MusicReferenceJson(const std::vector<MusicReference>& records);
// Writes bytes to a file; false when it cannot be written.
bool WriteFileBytes(const std::u16string& path, const std::vector<uint8_t>& bytes);

// Makes an engine folder's "Learned" subfolder and writes into it the
// notehead and music symbol references made from the glyph fixtures in
// glyphs (each set only when asked for; the other file is written empty).
// false with *error when the glyphs cannot be read or a file written.
bool WriteReferenceFolder(const std::u16string& glyphs, const std::u16string& engineFolder, bool heads,
                          bool symbols, std::string* error);

}  // namespace refmaker
