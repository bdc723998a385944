// Payloads of text and mark items as the export reads them: chord-symbol
// names, chord grids, text places, cleaned texts, lyric lines, and the
// fields of tuplet and slur marks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/BeatCounter.h"
#include "export/ItemDecoders.h"

// ---- Chord symbols ---------------------------------------------------------

struct ChordSymbolCodeSet {
  int root;     // 0..16
  int quality;  // 0..48
  int bass;     // 0..16
};
ChordSymbolCodeSet ChordSymbolCodes(const uint8_t* item, uint8_t version);

constexpr int kChordRootNames = 17;
constexpr int kChordSuffixes = 49;
// The root name, the suffix and "/" with the bass when it differs. The text
// holds what can be named: an unknown suffix is left out, an unknown bass
// is left out, an unknown root gives no text. False when anything was left
// out ("@" and "#" stand for the music font's flat and sharp).
bool ChordNameText(int root, int quality, int bass, std::string* text);

// Six characters, one per string: "0" + (base fret + fret) for a stopped
// string, "0" for an open one, "x" for a string not played.
std::string ChordGridText(const GuitarGrid& grid);

// ---- Text places and texts -----------------------------------------------------

struct TextPlace {
  int x;
  int y;
};
// Staff texts and chord symbols: the sign-magnitude offsets times 5.
TextPlace ChordTextPlace(const uint8_t* item, uint8_t version);
// Page texts: the two 16-bit words.
TextPlace GeneralTextPlace(const uint8_t* item, uint8_t version);

// Drops control characters (below 32 and 127..159) and every run from an
// opening mark (0x13 or 0x15) up to and including the next closing mark
// (0x14 or 0x16); looks at no more than limit input characters. For 16-bit
// text only units below 256 are tested.
std::u16string CleanText(const char16_t* text, size_t length, size_t limit);
std::string CleanText(const char* text, size_t length, size_t limit);
// The item's text, cleaned (8-bit text before it is widened).
std::u16string ItemText(const uint8_t* item, uint8_t version, size_t limit);

// ---- Lyric lines ------------------------------------------------------------------

// Lyrics waiting for their note, numbered into lines from the top: the higher
// a lyric stands, the lower its line number.
template <class Lyric>
class CKVLyricList {
 public:
  struct Entry {
    Lyric lyric;
    int y;
    uint8_t line;
  };
  void Add(const Lyric& lyric, int y) {
    uint8_t line = 0;
    for (const Entry& e : entries_)
      if (e.y > y) ++line;
    for (Entry& e : entries_)
      if (e.line >= line) ++e.line;
    entries_.push_back(Entry{lyric, y, line});
  }
  // Line by line from 0, in list order within a line.
  template <class Visitor>
  void Visit(Visitor&& visit) const {
    for (size_t line = 0; line < entries_.size(); ++line)
      for (const Entry& e : entries_)
        if (e.line == line) visit(e);
  }
  size_t Count() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

 private:
  std::vector<Entry> entries_;
};

// ---- Marks -------------------------------------------------------------------------

struct TupletMarkValue {
  int voice;
  CBeatCounter ratio;  // notes x written length of one (b4 + 1 in 1/128), in whole notes
  CBeatCounter span;   // the mark's span in 1/128 notes, in whole notes
  uint8_t bracketShape;  // 7 with a bracket, else 1
  uint8_t fourth;        // the mark's voice field once more, as the writers take it
};
// Exact fractions; a ratio or span of 0 throws CNiffWriterError kind 1, code 4.
TupletMarkValue TupletMarkFields(const uint8_t* item);

struct SlurMarkValue {
  int voice;
  CBeatCounter time;  // the span in whole notes
};
SlurMarkValue SlurMarkFields(const uint8_t* item);
