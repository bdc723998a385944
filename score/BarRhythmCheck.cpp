#include "score/BarRhythmCheck.h"

#include <algorithm>

#include "platform/Messages.h"
#include "platform/Settings.h"
#include "score/ScoreFile.h"

namespace {

enum : unsigned {
  kTextAndMore = 10147,   // " and more..."
  kTextListComma = 10294, // ", "
};

// The walk of one part slot.
class PartWalk {
 public:
  PartWalk(const RhythmScoreView& view, const TimeSignatureIndex& signatures, RhythmWalkMode mode, int markedPage,
           int part, BarRhythmReport* report)
      : view_(view),
        signatures_(signatures),
        mode_(mode),
        markedPage_(markedPage),
        part_(part),
        report_(report),
        stream_(StreamBytes(*view.streams, part)),
        used_(StreamUsedLength(*view.streams, part)) {}

  // Walks [from, to); false when the walk of the whole check is to end.
  bool Walk(uint32_t from, uint32_t to);

 private:
  struct Group {
    int32_t note[kRhythmVoices] = {};
    int32_t rest[kRhythmVoices] = {};
    bool has[kRhythmVoices] = {};
    bool counts = false;
  };

  // The next item at or after at within [.., to_), or null.
  const uint8_t* ItemAt(uint32_t at, uint32_t* length) const {
    if (at >= to_) return nullptr;
    if (!ItemLengthWithin(stream_ + at, to_ - at, view_.version, length)) return nullptr;
    return stream_ + at;
  }
  int PageOf(uint32_t offset) const;
  void RecordTuplet(const uint8_t* mark);
  void TakeGroupItem(const uint8_t* item, Group* group);
  uint32_t WalkGroup(uint32_t at);
  void ClearBar(bool tuplets);
  void CloseBar(uint32_t offset, uint8_t code);
  void OpenBarEnd(uint32_t offset);
  BarRhythmMark MarkAt(uint32_t offset) const;
  uint32_t Boundary(uint32_t at, uint32_t length);
  void JudgeBar(bool* faulty);

  const RhythmScoreView& view_;
  const TimeSignatureIndex& signatures_;
  RhythmWalkMode mode_;
  int markedPage_;
  int part_;
  BarRhythmReport* report_;
  const uint8_t* stream_;
  uint32_t used_;
  uint32_t to_ = 0;

  TimeSignatureValue signature_;
  VoiceTotals times_;
  VoiceAlignment alignment_;
  TupletProgress tuplets_[kRhythmVoices];
  bool tupletSeen_[kRhythmVoices] = {};
  bool content_ = false;        // a chord or rest since the bar began
  bool skipThisBar_ = false;
  int sections_ = 0;            // bar boundaries passed from the stream's start
  int page_ = 1;
  bool crossedPage_ = false;
  uint32_t previousBarLine_ = kNoOffset;
  uint32_t staffStart_ = kNoOffset;
  bool stop_ = false;
};

int PartWalk::PageOf(uint32_t offset) const {
  int page = 1;
  for (int i = 1; i < view_.pageCount && i < kMaxScorePages; ++i) {
    const uint32_t start = view_.pageStarts[i][part_];
    if (start != 0 && start <= offset) page = i + 1;
  }
  return page;
}

void PartWalk::RecordTuplet(const uint8_t* mark) {
  const int v = MarkVoice(mark);
  tuplets_[v].Start(TupletSoundingTicks(mark), TupletWrittenTicks(mark));
  if (tuplets_[v].Open()) tupletSeen_[v] = true;
}

void PartWalk::TakeGroupItem(const uint8_t* item, Group* group) {
  content_ = true;
  if (KindOf(item) == kItemRest) {
    const int v = RestVoice(item);
    const int32_t duration = IsMultiBarRest(item) ? signature_.Length()
                                                  : NoteValueTicks(RestDurationCode(item), RestDots(item));
    group->rest[v] = std::max(group->rest[v], duration);
    group->has[v] = true;
    group->counts = true;
    return;
  }
  if (ChordIsGrace(item)) return;  // takes no time
  const int v = ChordVoice(item);
  group->note[v] = std::max(group->note[v], NoteValueTicks(ChordDurationCode(item), ChordDots(item)));
  group->has[v] = true;
  group->counts = true;
}

// A chord or rest and the items that sound with it; returns the offset after
// the group.
uint32_t PartWalk::WalkGroup(uint32_t at) {
  Group group;
  uint32_t length = 0;
  const uint8_t* item = ItemAt(at, &length);
  TakeGroupItem(item, &group);
  at += length;
  while (const uint8_t* next = ItemAt(at, &length)) {
    const ItemKind kind = KindOf(next);
    if (kind == kItemMark) {
      if (IsTupletMark(next)) {
        if (group.has[MarkVoice(next)]) break;  // the tuplet begins with the next group
        RecordTuplet(next);
      }
    } else if (kind == kItemText) {
      if (TextSubKindOf(next) == kTextStaffStart) staffStart_ = at;
    } else if (kind == kItemRest && RestSharesColumn(next)) {
      TakeGroupItem(next, &group);
    } else if (kind == kItemChord && ChordSharesColumn(next)) {
      TakeGroupItem(next, &group);
    } else {
      break;
    }
    at += length;
  }
  if (!group.counts) return at;
  int32_t value[kRhythmVoices] = {};
  for (int v = 0; v < kRhythmVoices; ++v) {
    if (group.has[v]) value[v] = tuplets_[v].Scale(std::max(group.note[v], group.rest[v]));
  }
  AlignVoiceTimes(&alignment_, &times_, group.note, group.rest);
  for (int v = 0; v < kRhythmVoices; ++v) {
    if (group.has[v]) times_.t[v] = static_cast<int32_t>(std::min<int64_t>(int64_t{times_.t[v]} + value[v], INT32_MAX));
  }
  return at;
}

void PartWalk::ClearBar(bool tuplets) {
  times_ = VoiceTotals{};
  std::fill(tupletSeen_, tupletSeen_ + kRhythmVoices, false);
  if (tuplets) std::fill(tuplets_, tuplets_ + kRhythmVoices, TupletProgress{});
  content_ = false;
}

void PartWalk::JudgeBar(bool* faulty) {
  const int32_t length = signature_.Length();
  VoiceTotals padded = times_;
  PadVoicesToBarLength(&padded, length);
  *faulty = false;
  if (BarVoicesExact(padded, length)) return;
  for (int v = 0; v < kRhythmVoices && !*faulty; ++v) *faulty = VoiceIsFaulty(padded, v, length, tupletSeen_[v]);
}

void PartWalk::CloseBar(uint32_t offset, uint8_t code) {
  const bool checked = content_ && !skipThisBar_ && code != kBarBand;
  if (checked) {
    bool faulty = false;
    JudgeBar(&faulty);
    if (mode_ != RhythmWalkMode::kMarking) {
      ++report_->barsChecked;
      if (faulty) {
        ++report_->faultyBars;
        if (std::find(report_->pages, report_->pages + report_->pageCount, page_) ==
            report_->pages + report_->pageCount) {
          report_->pages[report_->pageCount++] = page_;
        }
        if (report_->pageCount >= kMaxFaultyPages) stop_ = true;
      }
    } else if (page_ == markedPage_) {
      BarRhythmMark mark = MarkAt(offset);
      mark.checked = true;
      mark.faulty = faulty;
      std::copy(tupletSeen_, tupletSeen_ + kRhythmVoices, mark.tupletSeen);
      report_->marks.push_back(mark);
    }
  }
  previousBarLine_ = offset;
  ClearBar(true);
  skipThisBar_ = false;
}

// A bar that its staff ends without a bar line of its own: the painter marks
// it open; the voices run on into the next staff.
void PartWalk::OpenBarEnd(uint32_t offset) {
  if (mode_ != RhythmWalkMode::kMarking || page_ != markedPage_ || !content_) return;
  BarRhythmMark mark = MarkAt(offset);
  mark.ownBarLine = false;
  report_->marks.push_back(mark);
}

// The mark of the bar that ends at offset, as the walk stands there.
BarRhythmMark PartWalk::MarkAt(uint32_t offset) const {
  BarRhythmMark mark;
  mark.part = part_;
  mark.offset = offset;
  mark.previousBarLine = previousBarLine_;
  mark.staffStart = staffStart_;
  mark.times = times_;
  mark.beats = signature_.beats;
  mark.unit = signature_.unit;
  return mark;
}

// A bar boundary at at (length bytes); returns the offset to go on from.
uint32_t PartWalk::Boundary(uint32_t at, uint32_t length) {
  // What follows: a page mark and another boundary, or a second boundary.
  uint32_t next = at + length;
  uint32_t nextLength = 0;
  const uint8_t* after = ItemAt(next, &nextLength);
  bool pageMarkFollows = false;
  bool emptyStaffFollows = false;
  if (after && after[0] == kPageMark) {
    pageMarkFollows = true;
    uint32_t thirdLength = 0;
    const uint8_t* third = ItemAt(next + nextLength, &thirdLength);
    if (third && third[0] == kBarBoundary) emptyStaffFollows = true;
  } else if (after && after[0] == kBarBoundary) {
    emptyStaffFollows = true;
  }
  const bool pageStart = crossedPage_ || pageMarkFollows;
  const bool ownBarLine = previousBarLine_ != kNoOffset && previousBarLine_ + 1 == at;
  if (!ownBarLine && !pageStart) OpenBarEnd(at);
  ++sections_;
  TimeSignatureValue value;
  if (signatures_.Find(sections_, &value)) {
    signature_ = value;
    report_->timeSignatureSeen = true;
  }
  if (pageStart || emptyStaffFollows) {
    // The bar closed here is not checked; the next bar's signature comes from
    // a part that has one in the same bar.
    if (pageStart) ClearBar(true);
    // The next bar begins after the page mark, on the new page.
    const uint32_t barStart = pageMarkFollows ? next + nextLength : next;
    const uint32_t* starts = view_.pageStarts[PageOf(barStart) - 1];
    if (FindPartWithSameBarOnPage(*view_.streams, view_.partCount, starts, part_, barStart, &value,
                                  view_.version)) {
      signature_ = value;
    }
    // After an empty staff the bar that follows is not checked.
    if (emptyStaffFollows) skipThisBar_ = true;
  }
  staffStart_ = kNoOffset;
  previousBarLine_ = kNoOffset;
  return next;
}

bool PartWalk::Walk(uint32_t from, uint32_t to) {
  if (!stream_) return true;
  to_ = std::min(to, used_);
  // The signature in force where the walk starts: at the stream's start, the
  // one that the first part with items opens with.
  for (uint32_t at = 0; at < from;) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream_ + at, used_ - at, view_.version, &length)) return true;
    if (stream_[at] == kBarBoundary) ++sections_;
    at += length;
  }
  TimeSignatureValue value;
  if (signatures_.Find(sections_, &value)) {
    signature_ = value;
    report_->timeSignatureSeen = true;
  }
  page_ = PageOf(from);
  // A walk that starts at a page's start takes the first bar's signature
  // from a part that has one there, as a walk crossing into the page does.
  if (from > 0 && FindPartWithSameBarOnPage(*view_.streams, view_.partCount, view_.pageStarts[page_ - 1], part_,
                                            from, &value, view_.version)) {
    signature_ = value;
  }
  for (uint32_t at = from; at < to_ && !stop_;) {
    uint32_t length = 0;
    const uint8_t* item = ItemAt(at, &length);
    if (!item) break;  // a malformed item ends the part's walk
    const int page = PageOf(at);
    crossedPage_ = page != page_;
    page_ = page;
    switch (KindOf(item)) {
      case kItemTime:
        if (!TimeIsHidden(item)) {
          signature_.beats = TimeNumerator(item);
          signature_.unit = TimeDenominatorCode(item);
          report_->timeSignatureSeen = true;
        }
        at += length;
        break;
      case kItemChord:
      case kItemRest:
        at = WalkGroup(at);
        break;
      case kItemMark:
        if (IsTupletMark(item)) RecordTuplet(item);
        at += length;
        break;
      case kItemText:
        if (TextSubKindOf(item) == kTextStaffStart) staffStart_ = at;
        at += length;
        break;
      case kItemBarLine:
        if (item[0] == kEndOfScore) {
          ClearBar(true);
          at += length;
        } else if (item[0] == kBarBoundary) {
          at = Boundary(at, length);
        } else if (IsBarLine(item)) {
          CloseBar(at, BarCode(item));
          at += length;
        } else {
          at += length;
        }
        break;
      default:
        at += length;
        break;
    }
  }
  return !stop_;
}

const RhythmCheckHooks kDefaultHooks = [] {
  RhythmCheckHooks h;
  h.showWaitCursor = [](bool) {};
  h.askRhythmWarning = [](const char16_t*) { return 1; };
  return h;
}();
RhythmCheckHooks currentHooks = kDefaultHooks;

// The page's start offset of a slot, or the used length for a page past the
// last one.
uint32_t PageStartOf(const RhythmScoreView& view, int page, int slot, uint32_t used) {
  if (page < 1) return 0;
  if (page > view.pageCount || page > kMaxScorePages) return used;
  if (page == 1) return 0;
  const uint32_t start = view.pageStarts[page - 1][slot];
  return start == 0 ? used : std::min(start, used);
}

}  // namespace

RhythmScoreView CurrentRhythmScoreView() {
  RhythmScoreView view;
  view.streams = &ScoreStream;
  view.partCount = PartCount;
  view.version = ScoreFormatVersion;
  view.pageStarts = PageStarts;
  view.pageCount = std::max(1, std::min<int>(ScorePages.count, kMaxScorePages));
  return view;
}

void WalkBarRhythms(const RhythmScoreView& view, RhythmWalkMode mode, int page, BarRhythmReport* report) {
  *report = BarRhythmReport{};
  if (!view.streams || !view.pageStarts) return;
  if (mode != RhythmWalkMode::kWarning && (page < 1 || page > view.pageCount)) return;
  const TimeSignatureIndex signatures(*view.streams, view.partCount, view.version);
  const int parts = std::min(view.partCount, kPartSlots);
  for (int part = 1; part < parts; ++part) {
    const uint32_t used = StreamUsedLength(*view.streams, part);
    uint32_t from = 0, to = used;
    if (mode == RhythmWalkMode::kCount) {
      from = PageStartOf(view, page, part, used);
      to = PageStartOf(view, page + 1, part, used);
    } else if (mode == RhythmWalkMode::kMarking) {
      from = PageStartOf(view, std::max(1, page - 1), part, used);
      to = PageStartOf(view, page + 1, part, used);
    }
    PartWalk walk(view, signatures, mode, page, part, report);
    if (!walk.Walk(from, to)) break;
  }
}

void FormatFaultyPages(const BarRhythmReport& report, char16_t* out, int capacity) {
  if (!out || capacity <= 0) return;
  out[0] = 0;
  int pages[kMaxFaultyPages];
  const int count = std::min(report.pageCount, kMaxFaultyPages);
  std::copy(report.pages, report.pages + count, pages);
  std::sort(pages, pages + count);
  char16_t comma[16] = {};
  char16_t more[64] = {};
  LoadUiString(kTextListComma, comma, 16);
  LoadUiString(kTextAndMore, more, 64);
  int at = 0;
  auto append = [&](const char16_t* text) {
    for (; *text && at < capacity - 1; ++text) out[at++] = *text;
    out[at] = 0;
  };
  for (int i = 0; i < count && i < kFaultyPagesShown; ++i) {
    if (i > 0) append(comma);
    char16_t number[12];
    int n = 0;
    char digits[12];
    for (int value = pages[i]; n == 0 || value > 0; value /= 10) digits[n++] = static_cast<char>('0' + value % 10);
    int k = 0;
    while (n > 0) number[k++] = static_cast<char16_t>(digits[--n]);
    number[k] = 0;
    append(number);
  }
  if (count > kFaultyPagesShown) append(more);
}

RhythmCheckHooks SetRhythmCheckHooks(const RhythmCheckHooks& hooks) {
  RhythmCheckHooks old = currentHooks;
  if (hooks.showWaitCursor) currentHooks.showWaitCursor = hooks.showWaitCursor;
  if (hooks.askRhythmWarning) currentHooks.askRhythmWarning = hooks.askRhythmWarning;
  return old;
}

void ResetRhythmCheckHooks() { currentHooks = kDefaultHooks; }

int CheckBarRhythms(int mode, int32_t* barsChecked, int32_t* faultyBars, bool* timeSignatureSeen, int page,
                    std::vector<BarRhythmMark>* marks) {
  const RhythmScoreView view = CurrentRhythmScoreView();
  if (page == -1) page = ScorePages.current;
  BarRhythmReport report;
  if (mode == 1) {
    if (marks) marks->clear();
    if (!Global().showBadTiming) return 1;
    WalkBarRhythms(view, RhythmWalkMode::kMarking, page, &report);
    if (marks) *marks = std::move(report.marks);
    return 1;
  }
  if (faultyBars) {
    // Gated off, nothing is checked: the counts say so.
    if (!Global().showAccuracyWarning) {
      *faultyBars = 0;
      if (barsChecked) *barsChecked = 0;
      if (timeSignatureSeen) *timeSignatureSeen = false;
      return 1;
    }
    WalkBarRhythms(view, RhythmWalkMode::kCount, page, &report);
    *faultyBars = report.faultyBars;
    if (barsChecked) *barsChecked = report.barsChecked;
    if (timeSignatureSeen) *timeSignatureSeen = report.timeSignatureSeen;
    return 1;
  }
  if (!Global().showBtWarning) return 1;
  currentHooks.showWaitCursor(true);
  WalkBarRhythms(view, RhythmWalkMode::kWarning, page, &report);
  currentHooks.showWaitCursor(false);
  if (barsChecked) *barsChecked = report.barsChecked;
  if (timeSignatureSeen) *timeSignatureSeen = report.timeSignatureSeen;
  if (report.pageCount == 0) return 1;
  char16_t text[256] = {};
  FormatFaultyPages(report, text, 256);
  return currentHooks.askRhythmWarning(text) ? 1 : 0;
}

int CheckBarRhythmsBeforeSave() { return CheckBarRhythms(0, nullptr, nullptr, nullptr, -1); }
