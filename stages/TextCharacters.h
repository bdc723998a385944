// Printed characters in a small box of a one-bit image: the definitions of
// "TextChrs" (loaded once at start-up, read-only afterwards) and the matcher
// that scores them against a box. Each definition is up to eight components,
// a blob of ink or paper that must be found near a place of the box and whose
// traced edges must have the given directions, openings and extent.
#pragma once

#include <cstdint>

constexpr int kTextCharTableSize = 220;
constexpr int kTextCharDefBytes = 780;
constexpr int kTextCharComponentBytes = 76;
constexpr int kTextCharComponentSlots = 10;
constexpr int kTextCharMaxComponents = 8;  // the trace storage holds eight
constexpr char16_t kTextCharsFileName[] = u"TextChrs";
enum : unsigned {
  kTextTextDefinitionsFull = 11702,  // "Insufficient memory allocated to load all text definitions."
};

// Edge groups of a component, in file order.
enum TextEdge : int { kEdgeTop = 0, kEdgeBottom = 1, kEdgeLeft = 2, kEdgeRight = 3 };

struct TextEdgeGroup {
  uint8_t closedHard[2];   // percent, from and to
  uint8_t closedSoft[2];
  uint8_t openingHard[2];  // sixteenths of the box across the edge
  uint8_t openingSoft[2];
  uint8_t slopeClass;      // 0..4, 0 no test
  bool bridgesGaps;        // the scans that build this edge step over one-step gaps
};

// Missing-seed policy of a component.
enum : uint8_t { kComponentRequired = 0, kComponentVeto = 1, kComponentOptional = 2, kComponentRequiredToo = 3 };

struct TextCharComponent {
  uint8_t key[12];       // bytes 0-11 as stored: the seed-cache key with the colour and scan modes
  uint8_t seed[4];       // x from, x to, y from, y to (sixteenths)
  uint8_t trace[4];
  uint8_t minWidth, minHeight;
  uint8_t scanModes;     // bits 0-1 row scan, 2-3 column scan; 0 means the mean edges
  uint8_t centre[4];     // x from (inclusive), x to (exclusive), y from, y to
  TextEdgeGroup edges[4];
  bool ink;              // the colour sought
  uint8_t missingPolicy;
};

struct TextCharDef {
  uint8_t character;
  uint8_t priority;
  uint8_t componentCount;  // 1..8
  uint8_t minAspect[2];    // numerator, denominator of width / height
  uint8_t maxAspect[2];
  uint32_t firstPass;
  TextCharComponent components[kTextCharMaxComponents];
};

struct TextCharTable {
  int32_t count = 0;  // definitions in use: only these are ever matched
  TextCharDef defs[kTextCharTableSize];
};

// Decodes one 780-byte record; false (nothing usable) when its component
// count is 0 or above 8.
bool ParseTextCharDef(const uint8_t* bytes, TextCharDef* def);

// The definitions loaded at start-up (count 0 before, or without the file).
const TextCharTable& LoadedTextChars();
// Loads a definition file into the loaded table, replacing it: a missing
// file is reported by the file layer and leaves none; a short file keeps
// the records read whole; records with a component count of 0 or above 8
// are passed over; a file that declares more than the table holds loads the
// first 220 and says so. The number of definitions loaded.
int LoadTextCharsFile(const char16_t* path);
// The start-up step: "TextChrs" from the resources folder.
int LoadTextChars();
// The shell's start-up service (its result is not used).
void LoadTextCharsAtStartup();

// What one reading run's matching keeps between calls: the seed cache and the
// traces of the definition being scored. Touched by one thread only.
struct TextMatchScratch;
TextMatchScratch* NewTextMatchScratch();
void DeleteTextMatchScratch(TextMatchScratch* scratch);

// A one-bit image: bit x mod 8 (least significant first) of byte
// y * (rowWordsLess1 + 1) * 4 + x / 8 is pixel (x, y); a set bit is ink.
struct TextImage {
  const uint8_t* bits;
  int rowWordsLess1;
  int rows;
};

// Score (100 at most, may be 0 or negative) of definition index of table for
// the box [x0, x1) x [y0, y1); firstCall empties the seed cache; the work
// ends early once the score cannot reach minScore.
int MatchTextCharDef(const TextCharTable& table, TextMatchScratch& scratch, const TextImage& image, int x0, int y0,
                     int x1, int y1, int index, int minScore, bool firstCall);
// What the matcher measured of component k of definition index on a box,
// for the tuning tool: whether its seed was found, and the blob's edges
// (means or outermost, as its scan modes say) relative to the box.
struct TextComponentMeasure {
  bool found = false;
  int left = 0, right = 0, top = 0, bottom = 0;
  int closedShare[4] = {};  // percent, by TextEdge
};
bool MeasureTextCharComponent(const TextCharTable& table, TextMatchScratch& scratch, const TextImage& image, int x0,
                              int y0, int x1, int y1, int index, int k, TextComponentMeasure* out);

// The best definition for the box: result gets its character and a zero byte
// (empty when none was taken); returns the best score. usePriorityPass runs
// the definitions marked first-pass first (and only then); onlyX tries only
// definitions of "x".
int MatchTextChar(const TextCharTable& table, TextMatchScratch& scratch, const TextImage& image, int x0, int y0,
                  int x1, int y1, char result[2], bool usePriorityPass, bool onlyX);

// A traced point: x, y and whether its run ran past the trace box's side.
struct TracePoint {
  int32_t x, y, open;
};
// Mean direction in degrees of the n - 1 steps of points; 0 (and 0.0) for
// fewer than two points.
int MeanSlopeAngle(const TracePoint* points, int n, double* angle);
