#include "building/WordMeaning.h"

#include "building/ChordSymbolWords.h"
#include "building/NavigationMarks.h"
#include "building/WordPassSteps.h"
#include "platform/Settings.h"
#include "reading/StaveSpacing.h"
#include "stages/EngineText.h"
#include "stages/SymbolRecords.h"

namespace wordpass {

// The stave row nearest to the record by vertical centres (ties: the later row).
int NearestRowByCentre(const WordPass& pass, const TextRecordRef& r, int32_t* distance) {
  int best = -1;
  int32_t bestD = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    const int32_t d = std::abs(CentreY(pass.Row(i)) - CentreY(r));
    if (best < 0 || d <= bestD) {
      best = i;
      bestD = d;
    }
  }
  if (distance) *distance = bestD;
  return best;
}

}  // namespace wordpass

using namespace wordpass;

namespace {

int OverlapsRecognisedSign(WordPass& pass, const TextRecordRef& word) {
  int found = 0;
  const int reach = word.Width() * 3 / 4;
  ForEachTextRecord(pass, [&](TextRecordRef s) {
    if (found || (s.word && s.id == word.id) || !IsSignRecord(s) || s.Width() <= reach) return;
    found = *s.left < *word.right && *s.right > *word.left && *s.top < *word.bottom && *s.bottom > *word.top;
  });
  return found;
}

// One record of kind 0 or 100 through the rules in their order.
void ClassifyRecord(WordPass& pass, TextRecordRef r) {
  if (r.text[0] == kNavigationSignMark) {
    ClassifyNavigationWord(pass, r);
    return;
  }
  if (r.text[0] == kSymbolWordMark) {
    ClassifySymbolWord(pass, r);
    return;
  }
  if (ClassifyNavigationWord(pass, r)) return;
  if (OverlapsRecognisedSign(pass, r)) {
    *r.kind = kTextConsumed;
    return;
  }
  if (*r.bottom < FirstStave(pass).top && r.Height() > pass.dpi / 3) {
    ClassifyPlainText(pass, r);
    return;
  }
  if (ClassifyChordSymbol(pass, r)) return;
  if (!r.word && ClassifyFingering(pass, r)) return;
  if (ClassifyCopyright(pass, r)) {
    SpreadCopyrightKind(pass);
    return;
  }
  if (ClassifyBarNumber(pass, r) || ClassifyShortNumber(pass, r) || ClassifyRightHeading(pass, r) ||
      ClassifyLeftHeading(pass, r))
    return;
  if (*r.bottom <= FirstStave(pass).top) {
    ClassifyPlainText(pass, r);
    return;
  }
  if (ClassifyBelowStaveText(pass, r)) return;
  ClassifyPlainText(pass, r);
}

}  // namespace

// ---- Public pieces ----

TextTypeSwitches CurrentTextTypeSwitches() {
  const bool* off = Unsaved().textClassSwitches;
  TextTypeSwitches s;
  s.title = !off[0];
  s.composer = !off[1];
  s.lyricist = !off[2];
  s.copyright = !off[3];
  s.lyrics = !off[4];
  s.chordSymbols = !off[5];
  s.fingering = !off[6];
  return s;
}

namespace {

// The fields a character and a word record share, by name.
template <typename Record>
TextRecordRef RecordRef(Record& record, int capacity, uint32_t id, bool word) {
  TextRecordRef r;
  r.text = record.text;
  r.capacity = capacity;
  r.kind = &record.kind;
  r.left = &record.left;
  r.top = &record.top;
  r.right = &record.right;
  r.bottom = &record.bottom;
  r.baseline = &record.baseline;
  r.anchor = &record.anchor;
  r.flags = &record.flags;
  r.id = id;
  r.word = word;
  return r;
}

}  // namespace

TextRecordRef WordRef(WordRecord& w, uint32_t index) {
  return RecordRef(w, kWordTextUnits, kWordRecordIdBase + index, true);
}

TextRecordRef CharRef(CharRecord& c, uint32_t index) { return RecordRef(c, kCharTextUnits, index, false); }

bool WordPass::LastGroup() const {
  return Rows() > 0 && Row(firstStave).group == Row(Rows() - 1).group;
}

int32_t WordPass::StaveSpace(int row) const {
  StavePage page = geometry;
  return std::max<int32_t>(1, RoundedInterlineSpacing(build->lists.rows, Rows(), row, page));
}

void PrepareWordPass(WordPass& pass, BuildContext& build, int firstStave) {
  pass.build = &build;
  pass.firstStave = firstStave;
  pass.dpi = build.resolution > 0 ? build.resolution : 300;
  pass.geometry = StavePage{};
  pass.geometry.resolution = pass.dpi;
  if (build.page) {
    pass.pageWidth = static_cast<int32_t>(build.page->width);
    pass.geometry.lines = &build.page->lineCurves;
    pass.geometry.curvesValid = build.page->curvesValid;
    pass.geometry.modelCurves = build.page->modelCurves;
  }
}

bool IsSignRecord(const TextRecordRef& r) {
  return IsSignKind(*r.kind) || r.text[0] == kNavigationSignMark || r.text[0] == kSymbolWordMark;
}

bool RowInGroup(const WordPass& pass, int row) {
  return row >= pass.firstStave && row < pass.Rows() && pass.Row(row).group == pass.Row(pass.firstStave).group;
}

bool NearestNoteOrRest(WordPass& pass, int row, int32_t x, NoteChoice* choice) {
  PageLists& l = pass.Lists();
  const int16_t staveIndex = static_cast<int16_t>(pass.Row(row).number - 1);
  NoteChoice best;
  int32_t bestD = 0;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (!LiveNote(n) || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
    const int32_t d = std::abs((n.left + n.right) / 2 - x);
    if (best.index < 0 || d < bestD) {
      best = NoteChoice{false, static_cast<int>(i)};
      bestD = d;
    }
  }
  for (uint32_t i = 0; i < *l.symbolCount; ++i) {
    const SymbolRecord& s = l.symbols[i];
    if (s.type < kSymbolRestBase || s.type > kSymbolMultiBarRest || s.quality > 5 || s.stave != staveIndex ||
        !HasRoom(s.appenditureCount))
      continue;
    const int32_t d = std::abs((s.left + s.right) / 2 - x);
    if (best.index < 0 || d < bestD) {
      best = NoteChoice{true, static_cast<int>(i)};
      bestD = d;
    }
  }
  if (best.index < 0) return false;
  *choice = best;
  return true;
}

void AttachText(WordPass& pass, const NoteChoice& choice, uint16_t code, const TextRecordRef& r, bool withBox) {
  PageLists& l = pass.Lists();
  Appenditure* list;
  int16_t* count;
  int16_t stave;
  if (choice.rest) {
    SymbolRecord& s = l.symbols[choice.index];
    list = s.appenditures;
    count = &s.appenditureCount;
    stave = s.stave;
  } else {
    NoteRecord& n = l.notes[choice.index];
    list = n.appenditures;
    count = &n.appenditureCount;
    stave = n.stave;
  }
  if (*count < 0 || *count >= kMaxAppenditures) return;
  Appenditure a{};
  if (withBox) {
    a.left = *r.left;
    a.right = *r.right;
    a.top = *r.top;
    a.bottom = *r.bottom;
  }
  a.kind = code;
  a.stave = stave;
  a.markIndex = r.id;
  list[(*count)++] = a;
}

int DiscardOverlappedTexts(WordPass& pass, const TextRecordRef& self, bool longTextRule) {
  const int16_t left = *self.left, top = *self.top, right = *self.right, bottom = *self.bottom;
  int conflict = 0;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (conflict || t.Alternative() || *t.kind == kTextConsumed || (t.word == self.word && t.id == self.id)) return;
    const int32_t q = t.Height() / 4;
    if (!(left < *t.right && right > *t.left && top < *t.bottom - q && bottom > *t.top + q)) return;
    if (longTextRule && TextLength(t.text) > 3) {
      conflict = 1;
      return;
    }
    *t.kind = kTextConsumed;
  });
  return conflict;
}

int InterpretWords(WordPass& pass) {
  if (!pass.build || pass.Rows() <= 0 || pass.firstStave < 0 || pass.firstStave >= pass.Rows()) return 1;
  PageLists& l = pass.Lists();
  for (uint32_t i = 0; i < pass.WordCount(); ++i)
    if (l.words[i].kind == 0 || l.words[i].kind == kTextKindUndecided) ClassifyRecord(pass, WordRef(l.words[i], i));
  for (uint32_t i = 0; i < pass.CharCount(); ++i)
    if (l.chars[i].kind == 0 || l.chars[i].kind == kTextKindUndecided) ClassifyRecord(pass, CharRef(l.chars[i], i));
  if (pass.LastGroup()) MarkBelowLastStave(pass);
  AlignTextLines(pass);
  JoinNeighbours(pass);
  MarkSubtitles(pass);
  ApplySizeLimits(pass);
  DiscardTextOverMusic(pass);
  DiscardTupletDigitEdges(pass);
  if (pass.LastGroup()) KeepOnePageNumber(pass);
  AttachEngineTexts(pass);
  return 1;
}

// ---- The stage ----

int WordMeaningStage(StageContext& context) {
  BuildContext& build = ReadingBuildContext();
  BindStageContext(build, context);
  PageLists& l = build.lists;
  if (!l.chars || !l.words || !l.charCount || !l.wordCount || !l.rows) return 1;
  if (context.firstStave == 0) TakeEngineTextForWordPass(l.chars, l.charCount, l.words, l.wordCount);
  WordPass pass;
  PrepareWordPass(pass, build, context.firstStave);
  pass.switches = CurrentTextTypeSwitches();
  pass.stemOffsetScale = build.stemOffsetScale;
  return InterpretWords(pass);
}
