#include "stages/EngineText.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Codepage.h"
#include "building/BuildContext.h"
#include "reading/ReadingThread.h"
#include "score/TempoWords.h"

namespace {

constexpr uint16_t kDynamicWordKind = 6;
constexpr uint16_t kTechniqueWordKind = 7;
constexpr uint16_t kTempoWordKind = 8;
constexpr uint16_t kTextLineKind = 13;
// A free text longer than this many words is no tempo or playing direction.
constexpr int kDirectionWords = 4;

// The kinds the fill gave, kept until the page's kinds have been reset. Only
// the reading thread fills and reads them, one page at a time.
struct KeptKind {
  bool word;
  uint32_t index;
  int16_t left, top;
  uint16_t kind;
};
struct KeptKinds {
  KeptKind rows[kCharListCapacity + kWordListCapacity];
  int count = 0;
  bool filled = false;  // the lists of the page being read hold the engine's texts
  // Which reading filled them: a page that ended before its first group
  // leaves them filled for a reading that is gone.
  int32_t pageIndex = -1;
  uint32_t startTime = 0;
};
KeptKinds& Kept() {
  static KeptKinds kept;
  return kept;
}

// The description's bytes as UTF-16: ASCII as it stands, the dash of the
// engine's code page as an en dash, other bytes as Latin-1.
int ToWide(const char* text, char16_t* out, int capacity) {
  int n = 0;
  for (; text[n] && n + 1 < capacity; ++n) {
    const unsigned char c = static_cast<unsigned char>(text[n]);
    out[n] = c == kDashByte ? char16_t(0x2013) : char16_t(c);
  }
  out[n] = 0;
  return n;
}

int WordsIn(const char16_t* text) {
  int words = 0;
  bool inWord = false;
  for (; *text; ++text) {
    const bool blank = *text == u' ';
    if (!blank && !inWord) ++words;
    inWord = !blank;
  }
  return words;
}

template <class Record>
void Fill(Record& r, const char16_t* text, int capacity, const EngineBox& box) {
  std::memset(&r, 0, sizeof r);
  int i = 0;
  for (; text[i] && i + 1 < capacity; ++i) r.text[i] = text[i];
  r.text[i] = 0;
  r.left = static_cast<int16_t>(std::clamp(box.x0, 0, 32767));
  r.top = static_cast<int16_t>(std::clamp(box.y0, 0, 32767));
  r.right = static_cast<int16_t>(std::clamp(box.x1 - 1, 0, 32767));
  r.bottom = static_cast<int16_t>(std::clamp(box.y1 - 1, 0, 32767));
  r.baseline = r.bottom;
}

}  // namespace

uint16_t EngineTextKind(const EngineTextPiece& piece, const char16_t* text) {
  if (piece.sungLine) return kTextLineKind;
  int kind = 0, value = 0;
  if (WordsIn(text) > kDirectionWords || !ParseTempoWord(text, &kind, &value)) return 0;
  switch (kind) {
    case kWordTempo: case kWordTempoChange: return kTempoWordKind;
    case kWordDynamicLevel: case kWordDynamicChange: case kWordAccent: return kDynamicWordKind;
    case kWordNoteLength: case kWordSwing: return kTechniqueWordKind;
    default: return 0;  // instrument names are part names more often than directions
  }
}

int StoreEngineTexts(const EngineTextPiece* pieces, int count, CharRecord* chars, uint32_t* charCount,
                     WordRecord* words, uint32_t* wordCount) {
  KeptKinds& kept = Kept();
  kept.count = 0;
  kept.filled = true;
  kept.pageIndex = Reading().pageIndex;
  kept.startTime = Reading().startTime;
  int made = 0;
  for (int p = 0; p < count; ++p) {
    char16_t text[kWordTextUnits];
    const int n = ToWide(pieces[p].text ? pieces[p].text : "", text, kWordTextUnits);
    if (n == 0) continue;
    const uint16_t kind = EngineTextKind(pieces[p], text);
    KeptKind row{};
    if (n < kCharTextUnits) {
      if (*charCount >= static_cast<uint32_t>(kCharListCapacity)) continue;
      CharRecord& r = chars[*charCount];
      Fill(r, text, kCharTextUnits, pieces[p].box);
      row = KeptKind{false, *charCount, r.left, r.top, kind};
      ++*charCount;
    } else {
      if (*wordCount >= static_cast<uint32_t>(kWordListCapacity)) continue;
      WordRecord& r = words[*wordCount];
      Fill(r, text, kWordTextUnits, pieces[p].box);
      row = KeptKind{true, *wordCount, r.left, r.top, kind};
      ++*wordCount;
    }
    if (kind && kept.count < static_cast<int>(sizeof kept.rows / sizeof kept.rows[0])) kept.rows[kept.count++] = row;
    ++made;
  }
  return made;
}

int FillEngineTextRecords(CharRecord* chars, uint32_t* charCount, WordRecord* words, uint32_t* wordCount) {
  constexpr int kMostPieces = kCharListCapacity + kWordListCapacity;
  static EngineTextPiece pieces[kMostPieces];
  static char texts[kMostPieces][kEngineTextBytes];
  const int n = CollectEngineTextPieces(pieces, texts, kMostPieces);
  return StoreEngineTexts(pieces, n, chars, charCount, words, wordCount);
}

void GiveEngineTextKinds(CharRecord* chars, uint32_t charCount, WordRecord* words, uint32_t wordCount) {
  KeptKinds& kept = Kept();
  for (int k = 0; k < kept.count; ++k) {
    const KeptKind& row = kept.rows[k];
    if (row.word) {
      if (row.index >= wordCount) continue;
      WordRecord& r = words[row.index];
      if (r.kind == 0 && r.left == row.left && r.top == row.top) r.kind = row.kind;
    } else {
      if (row.index >= charCount) continue;
      CharRecord& r = chars[row.index];
      if (r.kind == 0 && r.left == row.left && r.top == row.top) r.kind = row.kind;
    }
  }
  kept.count = 0;
}

void TakeEngineTextForWordPass(CharRecord* chars, uint32_t* charCount, WordRecord* words, uint32_t* wordCount) {
  const KeptKinds& kept = Kept();
  const bool thisReading = kept.filled && kept.pageIndex == Reading().pageIndex && kept.startTime == Reading().startTime;
  if (!thisReading) FillEngineTextRecords(chars, charCount, words, wordCount);
  GiveEngineTextKinds(chars, *charCount, words, *wordCount);
}

int EngineTextStage(StageContext& context) {
  ReadingWorkLists* lists = context.lists;
  if (!lists || !lists->characters || !lists->words) return 1;
  FillEngineTextRecords(reinterpret_cast<CharRecord*>(lists->characters), &lists->charCount,
                        reinterpret_cast<WordRecord*>(lists->words), &lists->wordCount);
  return 1;
}
