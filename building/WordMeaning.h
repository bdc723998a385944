// The meaning of the page's recognised words and text characters, decided
// group by group: title, subtitle, composer, lyricist, copyright line, page
// and bar numbers, lyrics, chord symbols, fingering, navigation marks and
// symbol words, or nothing (kind 255). Texts that belong to a note or rest
// are attached to it as a sub-item with the text's record id, which the
// stave-group pass turns into stream items.
//
// The same page-wide text lists are handed to every group of the page; a
// text is decided by the group whose staves it belongs to, and what no
// group could place is decided by the last group.
#pragma once

#include <cstdint>

#include "building/BuildContext.h"
#include "reading/ReadingThread.h"
#include "reading/StaveGeometry.h"

// ---- Text kinds ----
constexpr uint16_t kTextUnclassified = 0;
constexpr uint16_t kTextKindTitle = 1;
constexpr uint16_t kTextKindComposer = 2;
constexpr uint16_t kTextKindLyricist = 3;
constexpr uint16_t kTextKindCopyright = 4;
constexpr uint16_t kTextKindPageNumber = 5;
constexpr uint16_t kTextKindDynamicWord = 6;   // given before the word pass
constexpr uint16_t kTextKindTechniqueWord = 7;
constexpr uint16_t kTextKindTempoWord = 8;
constexpr uint16_t kTextKindLyricWord = 9;
constexpr uint16_t kTextKindChordSymbol = 10;
constexpr uint16_t kTextKindTupletDigit = 11;
constexpr uint16_t kTextKindTextLine = 13;     // a line of sung text found by the engine
constexpr uint16_t kTextKindOtherWord = 15;
constexpr uint16_t kTextKindFingering = 16;
constexpr uint16_t kTextKindSubtitle = 17;
constexpr uint16_t kTextKindBelowLastStave = 18;
constexpr uint16_t kTextKindCoda = 19;
constexpr uint16_t kTextKindSegno = 20;
constexpr uint16_t kTextKindEnding = 21;
constexpr uint16_t kTextKindSymbolWordFirst = 50;
constexpr uint16_t kTextKindSymbolWordLast = 99;
constexpr uint16_t kTextKindUndecided = 100;

// Sub-item codes of texts tied to a note or rest.
constexpr uint16_t kAttachChordSymbol = 16;
constexpr uint16_t kAttachTextLine = 19;
constexpr uint16_t kAttachBarNumber = 23;
constexpr uint16_t kAttachLyric = 24;
constexpr uint16_t kAttachCoda = 25;
constexpr uint16_t kAttachSegno = 26;
constexpr uint16_t kAttachEnding = 27;
constexpr uint16_t kAttachFingering = 31;
constexpr uint16_t kAttachSymbolWordFirst = 208;  // 208..215: pedal engage .. inverted turn

constexpr uint32_t kAlternativeReading = 2;   // record flags
constexpr char16_t kNavigationSignMark = 0xFFFF;
constexpr char16_t kSymbolWordMark = 0xFFFE;
constexpr uint32_t kWordRecordIdBase = 4096;  // a word's id is 4096 + its index

// ---- The switches of the text recognition preferences ----
struct TextTypeSwitches {
  bool title = true;
  bool composer = true;
  bool lyricist = true;
  bool copyright = true;
  bool lyrics = true;
  bool chordSymbols = true;
  bool fingering = true;
};
// The Preferences' text-classification switches (Unsaved().textClassSwitches)
// in the order Title, Composer, Lyricist, Copyright, Lyrics, Chord symbols,
// Fingering. They start cleared at every load and no dialog sets them yet, so
// a set switch turns its kind of text off and a cleared one leaves it read.
TextTypeSwitches CurrentTextTypeSwitches();

// ---- One word or character record, seen through one set of fields ----
struct TextRecordRef {
  char16_t* text = nullptr;
  int capacity = 0;  // units with the NUL
  uint16_t* kind = nullptr;
  int16_t* left = nullptr;
  int16_t* top = nullptr;
  int16_t* right = nullptr;
  int16_t* bottom = nullptr;
  int16_t* baseline = nullptr;
  int16_t* anchor = nullptr;
  uint32_t* flags = nullptr;
  uint32_t id = 0;
  bool word = false;

  bool Alternative() const { return (*flags & kAlternativeReading) != 0; }
  int Width() const { return *right - *left; }
  int Height() const { return *bottom - *top; }
};
TextRecordRef WordRef(WordRecord& record, uint32_t index);
TextRecordRef CharRef(CharRecord& record, uint32_t index);

// ---- The pass ----

// What one group's word pass works on.
struct WordPass {
  BuildContext* build = nullptr;  // the page's lists, resolution and page data
  int firstStave = 0;             // the group's first stave row
  TextTypeSwitches switches;
  StavePage geometry;             // stave spacing and positions
  int32_t dpi = 300;
  int32_t pageWidth = 0;
  int32_t stemOffsetScale = 4;    // the reading's multiplier of a stave's fine unit

  PageLists& Lists() const { return build->lists; }
  bool LastGroup() const;
  const StaveRow& Row(int i) const { return build->lists.rows[i]; }
  int Rows() const { return build->lists.staveCount; }
  uint32_t WordCount() const { return build->lists.wordCount ? *build->lists.wordCount : 0; }
  uint32_t CharCount() const { return build->lists.charCount ? *build->lists.charCount : 0; }
  int32_t StaveSpace(int row) const;
};
// Fills pass from the build context for the group starting at firstStave.
void PrepareWordPass(WordPass& pass, BuildContext& build, int firstStave);

// Gives every word and character of the page that belongs to the group its
// meaning; returns 1.
int InterpretWords(WordPass& pass);

// The word pass of a group: on the page's first group (after the part slots
// reset the kinds) it takes the engine's texts; then it interprets the words.
int WordMeaningStage(StageContext& context);

// ---- Shared by the classifiers ----

// A record is a sign: kind 19-21 or 50-99, or a text starting with a mark.
bool IsSignRecord(const TextRecordRef& r);
// Calls visit(ref) for every character record, then every word record.
template <class Visit>
void ForEachTextRecord(WordPass& pass, Visit&& visit) {
  PageLists& l = pass.Lists();
  for (uint32_t i = 0; i < pass.CharCount(); ++i) visit(CharRef(l.chars[i], i));
  for (uint32_t i = 0; i < pass.WordCount(); ++i) visit(WordRef(l.words[i], i));
}
// Whether stave row is one of the group's rows (at or after its first row,
// same group number).
bool RowInGroup(const WordPass& pass, int row);
// The live note (or rest) of stave row nearest to x horizontally; false when
// there is none. Notes first; a rest only replaces a strictly nearer note.
struct NoteChoice {
  bool rest = false;
  int index = -1;
};
bool NearestNoteOrRest(WordPass& pass, int row, int32_t x, NoteChoice* choice);
// Adds a text sub-item (code, record id, box) to the chosen note or rest;
// nothing when its list is full.
void AttachText(WordPass& pass, const NoteChoice& choice, uint16_t code, const TextRecordRef& r, bool withBox);
// Discards (255) every record but self without the alternative-reading flag
// that overlaps self's box by more than a quarter of its own height; with the
// long-text rule, meeting such a record of more than 3 units returns 1 at
// once (the sign was read from text).
int DiscardOverlappedTexts(WordPass& pass, const TextRecordRef& self, bool longTextRule);

// ---- Text helpers ----
int TextLength(const char16_t* text);
// Copies text without control units (below 32 and 127..159) into out.
void StripControlChars(const char16_t* text, char16_t* out, int capacity);
// Replaces the letters read for digits: B 8, O o 0, S s 5, Z z 2, q 9.
void FixDigitLookalikes(char16_t* text);
// Which of the style marks 13 and 15 lead the text.
void ReadLeadingStyleMarks(const char16_t* text, bool* mark13, bool* mark15);
// 0 an ordinary word, 1 too short or empty, 2 no vowel nor digit (and not one hyphen).
int WordShape(const char16_t* text);
bool ContainsBracketedC(const char16_t* text);
// Rewrites each bracketed c and each "@" into the copyright sign, in place.
void NormaliseCopyrightSign(char16_t* text, int capacity);
// Lower-cases text in place (FoldCase); its length in units.
int MakeLowerWide(char16_t* text);
// Aligns the baselines and style marks of the lines of kind-13 records.
void AlignTextLines(WordPass& pass);
