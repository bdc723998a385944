// A hand-made page for the word pass: staves (one per system unless told),
// notes on them, and the page's word and character records, held in lists of
// the reading's capacities and bound into a build context.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "building/BuildContext.h"
#include "building/WordMeaning.h"

namespace wordtest {

constexpr int kDpi = 300;
constexpr int kPageWidth = 2480;

struct Box {
  int16_t left, top, right, bottom;
};

class WordPage {
 public:
  WordPage() : chars_(kCharListCapacity), words_(kWordListCapacity), notes_(kNoteListCapacity), symbols_(kSymbolListCapacity) {}

  // A five-line stave of 20-pixel spacing from x 150 to 2330.
  int AddStave(int16_t top, int16_t group, int16_t number = 1, int16_t kind = 0) {
    StaveRow r;
    r.left = 150;
    r.right = 2330;
    r.top = top;
    r.bottom = static_cast<int16_t>(top + 80);
    r.lineCount = 5;
    r.group = group;
    r.number = number;
    r.kind = kind;
    rows_.push_back(r);
    return static_cast<int>(rows_.size()) - 1;
  }

  // A live crotchet head on stave row at x (centre), in the middle of the stave.
  int AddNote(int row, int16_t x) {
    NoteRecord& n = notes_[noteCount_];
    n = NoteRecord{};
    n.left = static_cast<int16_t>(x - 10);
    n.right = static_cast<int16_t>(x + 10);
    n.top = static_cast<int16_t>(rows_[row].top + 30);
    n.bottom = static_cast<int16_t>(rows_[row].top + 50);
    n.kind = kNoteCrotchet;
    n.quality = 0;
    n.confidence = 50;
    n.stave = static_cast<int16_t>(rows_[row].number - 1);
    return static_cast<int>(noteCount_++);
  }
  void ClearNotes() { noteCount_ = 0; }

  int AddRest(int row, int16_t x) {
    SymbolRecord& s = symbols_[symbolCount_];
    s = SymbolRecord{};
    s.type = kSymbolRestBase + kNoteCrotchet;
    s.stepTop = 6;
    s.stepBottom = 10;
    s.left = static_cast<int16_t>(x - 10);
    s.right = static_cast<int16_t>(x + 10);
    s.stave = static_cast<int16_t>(rows_[row].number - 1);
    return static_cast<int>(symbolCount_++);
  }

  // A text: up to 15 units become a character record, longer a word record.
  // Returns the record id (4096 + index for words).
  uint32_t AddText(const std::u16string& text, Box b, uint16_t kind = 0, uint32_t flags = 0) {
    if (text.size() < static_cast<size_t>(kCharTextUnits)) {
      CharRecord& r = chars_[charCount_];
      r = CharRecord{};
      Fill(r, text, kCharTextUnits, b, kind, flags);
      return charCount_++;
    }
    WordRecord& r = words_[wordCount_];
    r = WordRecord{};
    Fill(r, text, kWordTextUnits, b, kind, flags);
    return kWordRecordIdBase + wordCount_++;
  }

  // A word record whatever the text's length.
  uint32_t AddWord(const std::u16string& text, Box b, uint16_t kind = 0) {
    WordRecord& r = words_[wordCount_];
    r = WordRecord{};
    Fill(r, text, kWordTextUnits, b, kind, 0);
    return kWordRecordIdBase + wordCount_++;
  }
  // A time-signature digit on stave row.
  int AddTimeDigit(int row, int16_t left, int16_t right) {
    SymbolRecord& s = symbols_[symbolCount_];
    s = SymbolRecord{};
    s.type = kSymbolDigitZero + 3;
    s.left = left;
    s.right = right;
    s.stepTop = 4;
    s.stepBottom = 8;
    s.stave = static_cast<int16_t>(rows_[row].number - 1);
    return static_cast<int>(symbolCount_++);
  }

  CharRecord& Char(uint32_t id) { return chars_[id]; }
  WordRecord& Word(uint32_t id) { return words_[id - kWordRecordIdBase]; }
  uint16_t Kind(uint32_t id) { return id >= kWordRecordIdBase ? Word(id).kind : Char(id).kind; }
  std::u16string Text(uint32_t id) { return id >= kWordRecordIdBase ? Word(id).text : Char(id).text; }
  NoteRecord& Note(int i) { return notes_[i]; }
  SymbolRecord& Symbol(int i) { return symbols_[i]; }
  uint32_t NoteCount() const { return noteCount_; }
  uint32_t CharCount() const { return charCount_; }
  uint32_t WordCount() const { return wordCount_; }

  // The (code, link) of every text sub-item of note i.
  std::vector<std::pair<int, uint32_t>> Attached(int i) {
    std::vector<std::pair<int, uint32_t>> out;
    for (int a = 0; a < notes_[i].appenditureCount; ++a)
      out.push_back({notes_[i].appenditures[a].kind, notes_[i].appenditures[a].markIndex});
    return out;
  }

  BuildContext& Context() {
    context_.resolution = kDpi;
    context_.page = nullptr;
    PageLists& l = context_.lists;
    l.chars = chars_.data();
    l.charCount = &charCount_;
    l.words = words_.data();
    l.wordCount = &wordCount_;
    l.notes = notes_.data();
    l.noteCount = &noteCount_;
    l.symbols = symbols_.data();
    l.symbolCount = &symbolCount_;
    l.rows = rows_.data();
    l.staveCount = static_cast<int>(rows_.size());
    l.curves = nullptr;
    l.curveCount = 0;
    l.lines = nullptr;
    l.lineCount = 0;
    return context_;
  }

  // Runs the word pass of the group that starts at row.
  void Interpret(int firstRow, TextTypeSwitches switches = TextTypeSwitches{}) {
    WordPass pass;
    PrepareWordPass(pass, Context(), firstRow);
    pass.pageWidth = kPageWidth;
    pass.switches = switches;
    InterpretWords(pass);
  }

 private:
  template <class Record>
  static void Fill(Record& r, const std::u16string& text, int capacity, Box b, uint16_t kind, uint32_t flags) {
    size_t i = 0;
    for (; i < text.size() && i + 1 < static_cast<size_t>(capacity); ++i) r.text[i] = text[i];
    r.text[i] = 0;
    r.kind = kind;
    r.left = b.left;
    r.top = b.top;
    r.right = b.right;
    r.bottom = b.bottom;
    r.baseline = b.bottom;
    r.flags = flags;
  }

  std::vector<StaveRow> rows_;
  std::vector<CharRecord> chars_;
  std::vector<WordRecord> words_;
  std::vector<NoteRecord> notes_;
  std::vector<SymbolRecord> symbols_;
  uint32_t charCount_ = 0, wordCount_ = 0, noteCount_ = 0, symbolCount_ = 0;
  BuildContext context_;
};

// Whether a list of text sub-items (WordPage::Attached) holds (code, id).
inline bool HasAttached(const std::vector<std::pair<int, uint32_t>>& list, int code, uint32_t id) {
  for (const auto& a : list)
    if (a.first == code && a.second == id) return true;
  return false;
}

}  // namespace wordtest
