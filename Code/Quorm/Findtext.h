// The text finder: the words of a page once its staves, notes and connected
// components are known. Components of text size are grouped into candidate
// lines, each line is drawn into a bitmap of its own and read by the line
// reader, and the readings are kept in two lists: lyric lines (the words
// sung under a staff, one item per word) and text blocks (titles,
// directions, chord symbols and other free text).
//
// The finder works in the page's de-skewed frame (SkewPoint); every corner
// and box it keeps is in page pixels again (DeskewPoint of the top-left
// corner, the size kept). Boxes are (x0, y0, x1, y1) with x1 and y1 just past
// the ink.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct LineReading;

constexpr int32_t kTextItemTextBytes = 32;
constexpr int32_t kTextRefItems = 1000;       // reference = line x 1000 + item
constexpr int32_t kTextSizeFactor = 1741;     // the size accessors' factor
constexpr int32_t kTextBlockSpareCapacity = 100;

enum TextRecordKind : int32_t {
  kTextBlockPlain = 0,
  kTextReadAsText = 1,  // free text; a one-word block that is a chord symbol
  kTextReadAsLyrics = 2,
};

struct TextItem {
  EngineBox box;
  int32_t score;  // the reader's cost x n^-0.3 (n letters and digits), x 2 without any
  char text[kTextItemTextBytes];
};

struct TextLineRecord {
  EnginePoint first;   // the first word's reference row and left edge
  EnginePoint second;  // the last word's reference row and right edge
  int32_t textSize;    // the reader's character height in pixels
  int32_t spare;       // always 0
  int32_t kind;        // TextRecordKind
  int32_t itemCount;
  TextItem* items;     // owned by the record
};

// Reads the page's text: lyric lines when lyrics is set, text blocks when
// text is set (both 0: nothing). Once per page: a call while results are
// held is a failed check.
void FindText(int lyrics, int text);
// Both lists with their items, and every work table; counts 0.
void FreeTextFinder();

// ---- Accessors (a bad index or reference is a failed check) ----
int32_t MakeTextItemRef(int32_t line, int32_t item);
int32_t TextRefLine(int32_t reference);
int32_t GetLyricLineCount();
int32_t GetTextBlockCount();
EnginePoint GetLyricLineFirstCorner(int32_t line);
EnginePoint GetTextBlockFirstCorner(int32_t block);
EnginePoint GetLyricLineSecondCorner(int32_t line);
EnginePoint GetTextBlockSecondCorner(int32_t block);
int32_t GetLyricLineTextSize(int32_t line);  // text size x kTextSizeFactor
int32_t GetTextBlockTextSize(int32_t block);
int32_t GetLyricLineAttribute(int32_t line);
int32_t GetTextBlockAttribute5(int32_t block);
int32_t GetTextBlockAttribute6(int32_t block);  // the kind
int32_t GetLyricLineWordCount(int32_t line);
int32_t GetTextBlockItemCount(int32_t block);
const char* GetLyricWordText(int32_t reference);
const char* GetTextBlockItemText(int32_t reference);
int32_t GetLyricWordCentreX(int32_t reference);
EngineBox GetLyricWordBox(int32_t reference);
EngineBox GetTextBlockItemBox(int32_t reference);
int32_t GetLyricWordScore(int32_t reference);
int32_t GetTextBlockItemScore(int32_t reference);
void ClearLyricWordText(int32_t reference);
void ClearTextBlockItemText(int32_t reference);

// The object graph's view of the text: kind 30 (lyric word) or 29 (text-
// block item) with its reference.
EngineBox GetTextObjectBox(int32_t kind, int32_t reference);
int32_t GetTextObjectScore(int32_t kind, int32_t reference);
// The number of items of the object's line or block.
int32_t GetTextObjectSiblingCount(int32_t kind, int32_t reference);
// The graph's release of a text object: its text is emptied, so the page
// description leaves it out.
void ReleaseTextObject(int32_t kind, int32_t reference);
void ReleaseLyricWord(int32_t reference);
void ReleaseTextBlockItem(int32_t reference);
// Calls visit for every lyric word and then every text-block item whose text
// is not empty, in list order.
using TextObjectVisitor = void (*)(int32_t kind, int32_t reference, const EngineBox& box);
void ForEachTextObject(TextObjectVisitor visit);

// ---- The finder's rules, for the tests ----
// A component box of text size (page staff space scale).
bool IsTextSizedComponent(int32_t width, int32_t height);
// The shape tests on a reading (words with their texts as read).
bool LooksLikeLyrics(const LineReading& reading);
int32_t CountChordWords(const LineReading& reading);
// The item score of a word's cost and text.
int32_t TextItemScore(int32_t cost, const char* text);
