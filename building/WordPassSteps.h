// The steps of the word pass (building/WordMeaning.h), one file a step:
// headings and the copyright line (WordHeadings.cpp), bar and page numbers
// (WordNumbers.cpp), fingering (WordFingering.cpp), lyrics and sung lines
// (WordLyrics.cpp), joining neighbours and the size limits (WordJoining.cpp),
// texts lying over music (WordOverMusic.cpp), and the small rules they share.
// The pass itself, which runs them in order, is in WordMeaning.cpp.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwctype>

#include "building/WordMeaning.h"

namespace wordpass {

constexpr int kJoinBufferUnits = 256;
constexpr int kCharTextLimit = 15;   // units a character record holds
constexpr int kWordTextLimit = 158;  // units a joined or marked word may reach

inline bool IsControl(char16_t c) { return c < 32 || (c >= 127 && c <= 159); }
inline bool IsAlnum(char16_t c) { return std::iswalnum(static_cast<wint_t>(c)) != 0; }
inline bool IsAlpha(char16_t c) { return std::iswalpha(static_cast<wint_t>(c)) != 0; }
inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

inline int CountIf(const char16_t* text, bool (*test)(char16_t)) {
  int n = 0;
  for (; *text; ++text) n += test(*text) ? 1 : 0;
  return n;
}

inline void CopyText(char16_t* out, int capacity, const char16_t* text) {
  int i = 0;
  for (; text[i] && i + 1 < capacity; ++i) out[i] = text[i];
  out[i] = 0;
}

inline bool IsSignKind(uint16_t kind) {
  return (kind >= kTextKindCoda && kind <= kTextKindEnding) ||
         (kind >= kTextKindSymbolWordFirst && kind <= kTextKindSymbolWordLast);
}

inline int32_t CentreY(const StaveRow& r) { return (r.top + r.bottom) / 2; }
inline int32_t CentreY(const TextRecordRef& t) { return (*t.top + *t.bottom) / 2; }
inline int32_t CentreX(const TextRecordRef& t) { return (*t.left + *t.right) / 2; }

// The stave row nearest to the record by vertical centres (ties: the later row).
int NearestRowByCentre(const WordPass& pass, const TextRecordRef& r, int32_t* distance);

inline const StaveRow& FirstStave(const WordPass& pass) { return pass.Row(0); }
inline const StaveRow& LastStave(const WordPass& pass) { return pass.Row(pass.Rows() - 1); }

inline bool LiveNote(const NoteRecord& n) { return n.quality < kRejectedQuality; }
inline bool HasRoom(int16_t count) { return count < kMaxAppenditures; }

// ---- Headings (WordHeadings.cpp) ----
// Text above the first stave: the title when it passes as plain text.
int ClassifyPlainText(WordPass& pass, TextRecordRef& r);
// Text above the first stave far from the left edge: the composer.
int ClassifyRightHeading(WordPass& pass, TextRecordRef& r);
// Text above the first stave far from the right edge: the lyricist.
int ClassifyLeftHeading(WordPass& pass, TextRecordRef& r);
// Marked text below the last stave: the copyright line.
int ClassifyCopyright(WordPass& pass, TextRecordRef& r);
// Every text below the topmost copyright record belongs to it.
void SpreadCopyrightKind(WordPass& pass);
// Titles well smaller than the tallest are subtitles.
void MarkSubtitles(WordPass& pass);

// ---- Bar and page numbers (WordNumbers.cpp) ----
// The number a text starts with (after blanks); 0 when there is none.
int LeadingNumber(const char16_t* text);
int ClassifyBarNumber(WordPass& pass, TextRecordRef& r);
int ClassifyShortNumber(WordPass& pass, TextRecordRef& r);
void KeepOnePageNumber(WordPass& pass);

// ---- Fingering (WordFingering.cpp) ----
int ClassifyFingering(WordPass& pass, TextRecordRef& r);

// ---- Lyrics and sung lines (WordLyrics.cpp) ----
int ClassifyBelowStaveText(WordPass& pass, TextRecordRef& r);
void MarkBelowLastStave(WordPass& pass);
void AttachEngineTexts(WordPass& pass);

// ---- Joining and size limits (WordJoining.cpp) ----
void JoinNeighbours(WordPass& pass);
void ApplySizeLimits(WordPass& pass);

// ---- Texts over music (WordOverMusic.cpp) ----
void DiscardTextOverMusic(WordPass& pass);
void DiscardTupletDigitEdges(WordPass& pass);

}  // namespace wordpass
