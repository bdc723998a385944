// Judging notehead candidates of a stave: what lies in a candidate window
// (solid head, hollow head or semibreve), the stems at the four corners of a
// head, and the clean-up of contradicting finds once a stave's search is
// over. Works on the records from a first index to the end of the note list.
#pragma once

#include <cstddef>
#include <cstdint>

#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

struct NotationDatabase;

// A 1-bit page image: bit x & 7 of byte x >> 3 of a row, a set bit ink; rows
// padded to whole 32-bit words.
struct HeadImage {
  const uint8_t* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t rowBytes = 0;
  bool Ink(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width && y < height && ((bits[static_cast<size_t>(y) * rowBytes + (x >> 3)] >> (x & 7)) & 1);
  }
};

// Head classes of the candidate table.
enum HeadClass : int { kSolidHeadClass = 0, kHollowHeadClass = 1, kSemibreveClass = 2, kBreveClass = 3 };
constexpr int kCandidateEntries = 8;
// A window scoring this much or more is a head.
constexpr int32_t kAcceptedHeadScore = 90;

struct HeadCandidate {
  int32_t top, bottom, left, right, score, flag;
};

// What the search of one stave shares with the verification: the expected
// head width and the stave's space.
struct HeadSearchState {
  int32_t headWidth = 0;     // W
  double space = 0.0;        // S
};
HeadSearchState& CurrentHeadSearch();

// The templates the solid-head test grades against; null: the loaded
// classifier's (no classifier: the solid test uses the fill of the window).
const NotationDatabase*& NoteheadTemplates();

// Scores the window from x to x + W and top to bottom for each head class
// into the table. p is the note position of the window's top (the head is
// centred on p + 1); u the stave space in whole pixels. Non-zero when some
// class stayed possible.
int MatchNoteheadShape(const HeadImage& image, int32_t x, int32_t top, int32_t bottom, int32_t u,
                       int32_t lineThickness, int32_t p, bool leftOfX, HeadCandidate* table, const StaveRow* rows,
                       int count, int s, int32_t provisional, bool shortStave);

// The smallest kind among the live, certain records (other than ignore)
// whose head box meets the box; -1 when none. Optionally the largest stem
// length among them and the largest number of live certain records of one
// kind and stave overlapping one of them across.
int32_t FindNoteKindInBox(const NoteRecord* notes, uint32_t count, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                          int32_t ignore, int32_t* maxStem = nullptr, int32_t* maxOverlap = nullptr);

// The stem of one corner: walks from y in steps of k away from the head
// (direction 0 up, 1 down) looking for a stem column in the window x..x+w.
// Writes the length in stave spaces (from the head's edge) and the offset
// word: the stem's distance from the window's outer edge in the low byte,
// length + 1 in the high byte (0 when no stem).
void MeasureStem(const HeadImage& image, int32_t x, int32_t y, int32_t w, int32_t k, int32_t headEdge,
                 int16_t* length, int16_t* offset, const NoteRecord* notes, uint32_t count, int32_t ignore,
                 bool solidNeighbour, int side, int direction);

// One step of the walk: -1 no dark column, 0 no stem column, 1 an isolated
// stem column, 2 a stem column with dark beside it. *position from the
// window's left edge.
int ScanStemColumn(const HeadImage& image, int32_t x, int32_t y, int32_t w, int32_t k, int32_t* position,
                   int32_t previous, bool solidNeighbour, bool firstStep);

// Measures the four stem slots of the records from first (searched records,
// and engine semibreves).
void MeasureStems(const HeadImage& image, NoteRecord* notes, uint32_t count, const StaveRow* rows, int rowCount,
                  int groupStart, uint32_t first, StavePage& page);

// Removes the finds from first on that contradict each other (sandwiched
// heads, mixed parity in a chord column, a hollow head between solid ones,
// duplicates at one place, stemless heads beside stemmed ones); measures
// the stems on the way.
void CleanFoundNoteheads(const HeadImage& image, NoteRecord* notes, uint32_t& count, const StaveRow* rows,
                         int rowCount, int groupStart, double halfSpace, uint32_t first, StavePage& page);
