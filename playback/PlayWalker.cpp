#include "playback/PlayWalker.h"

#include <algorithm>

#include "platform/TextUtils.h"
#include "playback/PlayItems.h"
#include "score/ScoreItem.h"

namespace {

constexpr size_t kMaxRepeatLevels = 8;
constexpr int kMaxVoltaNumbers = 8;
constexpr int kMaxMarkDepth = 4;
// Far beyond any piece (days of music), and still within a file's delta times.
constexpr uint32_t kMaxPlayTicks = 0x07FFFFFF;

// "D.C.", "D. C. al Fine", "Da capo": back to the start.
bool IsDaCapo(const std::u16string& text) {
  std::u16string letters;
  for (char16_t c : text) {
    if (c != u'.' && c != u' ') letters += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  }
  return letters.compare(0, 2, u"dc") == 0 || ContainsNoCase(text.c_str(), u"capo");
}

}  // namespace

PlayWalker::PlayWalker(const PlayStretch& stretch, int slot, const PartPlayState& start, NavigationTable* marks)
    : stretch_(stretch),
      slot_(slot),
      marks_(marks),
      stream_(stretch.stream[slot]),
      end_(stretch.end[slot]),
      offset_(stretch.start[slot]),
      state_(start) {
  initial_ = Current();
  for (NavMark& m : marks_->Marks()) m.taken = 0;
  // However the repeats nest, a walk ends: every item may be played a few
  // dozen times at most.
  stepsLeft_ = 64ull * (end_ - stretch.start[slot]) + 4096;
  levels_.push_back(NewLevel());
  StartOfBarMarks(0);
}

PlayWalker::Level PlayWalker::NewLevel() const {
  Level level;
  ResetLevel(&level);
  level.jumpBack = 1;
  level.start = Current();
  return level;
}

void PlayWalker::ResetLevel(Level* level) const {
  level->start.offset = -1;
  for (int n = 0; n < kVoltas; ++n) {
    level->voltaStart[n].offset = -1;
    level->voltaEnd[n].offset = -1;
    level->voltaLength[n] = -1;
  }
  level->voltaBars = -1;
  level->pass = 0;
  level->enteredVolta = false;
  level->toPassed = false;
}

void PlayWalker::OpenLevel() {
  if (levels_.size() < kMaxRepeatLevels) levels_.push_back(NewLevel());
}

void PlayWalker::Restore(const Saved& saved, bool wholeState) {
  offset_ = saved.offset;
  place_ = saved.place;
  if (wholeState) {
    state_ = saved.state;
  } else {
    // A jump to a mark takes the clef, key and time signature found there;
    // the dynamics in force go on.
    state_.clef = saved.state.clef;
    state_.octaveShift = saved.state.octaveShift;
    state_.keyCount = saved.state.keyCount;
    state_.keySharps = saved.state.keySharps;
    state_.numerator = saved.state.numerator;
    state_.denominatorCode = saved.state.denominatorCode;
  }
  multiBars_ = 1;
  barHasContent_ = false;
  lastStructure_ = 0;
}

void PlayWalker::JumpTo(const NavResume& resume) { Restore({resume.offset, resume.place, resume.state}, false); }

bool PlayWalker::TakePendingBar() {
  if (!pendingBar_) return false;
  pendingBar_ = false;
  barFinished_ = false;
  return true;
}

WalkStep PlayWalker::Next(const uint8_t** item, uint32_t* length) {
  if (TakePendingBar()) return WalkStep::kBar;
  for (;;) {
    if (ended_ || !stream_ || offset_ < 0 || offset_ >= end_ || stepsLeft_ == 0 || barStart_ > kMaxPlayTicks) {
      ended_ = true;
      return WalkStep::kEnd;
    }
    --stepsLeft_;
    uint32_t n = 0;
    if (!ItemLengthWithin(stream_ + offset_, end_ - offset_, ScoreFormatVersion, &n)) {
      ended_ = true;
      return WalkStep::kEnd;
    }
    const uint8_t* at = stream_ + offset_;
    offset_ += n;
    ItemKind kind = KindOf(at);
    if (kind == kItemBarLine) {
      if (at[0] == kBarBoundary) {
        if (lastStructure_ != 0) {
          // A system without this part: its bars pass as another part plays them.
          barStart_ += marks_->SystemTicksFromOtherPart(slot_, place_.page, place_.system);
          pendingBar_ = true;
        }
        ++place_.system;
        place_.bar = 0;
        lastStructure_ = 1;
        StartOfBarMarks(0);
        if (TakePendingBar()) return WalkStep::kBar;
      } else if (at[0] == kPageMark) {
        ++place_.page;
        place_.system = 0;
        place_.bar = 0;
        lastStructure_ = lastStructure_ == 1 ? 2 : 0;
        StartOfBarMarks(0);
        if (TakePendingBar()) return WalkStep::kBar;
      } else if (IsBarLine(at)) {
        lastStructure_ = 0;
        BarLine(at);
        pendingBar_ = false;
        barFinished_ = true;
        if (ended_) return WalkStep::kEnd;
        return WalkStep::kBar;
      }
      continue;
    }
    lastStructure_ = 0;
    ApplyStateItem(at, &state_);
    if (kind == kItemRest && IsMultiBarRest(at)) multiBars_ = std::max(multiBars_, MultiBarRestBars(at));
    if ((kind == kItemChord || kind == kItemRest) && ToCodaPassed()) {
      barFinished_ = false;
      return WalkStep::kBar;
    }
    if (kind == kItemChord || kind == kItemRest) barHasContent_ = true;
    *item = at;
    *length = n;
    return WalkStep::kItem;
  }
}

// A bar line ends the bar: time moves on by the bar's length, then the marks
// of the bar just played, the volta brackets and the repeat signs act.
bool PlayWalker::BarLine(const uint8_t* item) {
  // A bar without a note or rest (a repeat sign opening the part) takes no time.
  uint32_t bars = barHasContent_ ? std::max<uint32_t>(multiBars_, 1) : 0;
  lastBar_ = {barStart_, state_.numerator * static_cast<int>(bars), state_.denominatorCode, place_};
  barStart_ += BarTicks(state_) * bars;
  multiBars_ = 1;
  barHasContent_ = false;
  if (EndOfBarMarks()) return true;
  ++place_.bar;
  uint8_t code = BarCode(item);
  bool voltaActed = false;
  int64_t before = offset_;
  voltaActed = VoltaEnd();
  if (voltaActed) {
    if (code == kBarStartRepeat && offset_ == before) OpenLevel();
    if (offset_ != before) return true;
  } else {
    RepeatCode(code);
    if (offset_ != before) return true;
  }
  StartOfBarMarks(0);
  return offset_ != before;
}

void PlayWalker::RepeatCode(uint8_t code) {
  if (code == kBarEndRepeat || code == kBarEndStartRepeat) {
    Level& level = levels_.back();
    if (level.jumpBack != 0 && level.start.offset >= 0) {
      --level.jumpBack;
      level.toPassed = false;
      Restore(level.start, true);
      return;
    }
    if (levels_.size() > 1) levels_.pop_back();
    if (code == kBarEndStartRepeat) OpenLevel();
  } else if (code == kBarStartRepeat) {
    OpenLevel();
  }
}

// Jump words and "To Coda" act at the end of the bar they stand in.
bool PlayWalker::EndOfBarMarks() {
  for (NavMark& m : marks_->Marks()) {
    if (m.kind != NavKind::kJump || !(m.place == place_) || m.text.empty()) continue;
    if (CompareNoCase(m.text.c_str(), u"fine") == 0) {
      if (!endArmed_) continue;
      ended_ = true;
      return true;
    }
    if (m.taken) continue;
    const NavResume* target = nullptr;
    NavResume start{initial_.offset, initial_.place, initial_.state};
    if (IsDaCapo(m.text)) {
      target = &start;
    } else {
      const NavMark* sign = marks_->First(NavKind::kJump, [&](const NavMark& s) { return s.text.empty(); });
      if (sign && sign->resume[slot_].offset >= 0) target = &sign->resume[slot_];
    }
    if (!target) continue;
    ++m.taken;
    if (ContainsNoCase(m.text.c_str(), u"coda")) codaArmed_ = true;
    if (ContainsNoCase(m.text.c_str(), u"fine")) endArmed_ = true;
    JumpTo(*target);
    return true;
  }
  for (NavMark& m : marks_->Marks()) {
    if (m.kind != NavKind::kCoda || !(m.place == place_) || !IsToCoda(m)) continue;
    Level& level = levels_.back();
    bool inRepeat = levels_.size() > 1;
    const NavMark* target = CodaTarget();
    if (!target) continue;
    if (codaArmed_ && !m.taken) {
      ++m.taken;
      JumpTo(target->resume[slot_]);
      return true;
    }
    // The last pass of a repeat goes on to the coda.
    if (inRepeat && level.jumpBack == 0 && !codaArmed_) level.toPassed = true;
  }
  return false;
}

const NavMark* PlayWalker::CodaTarget() {
  return marks_->First(NavKind::kCoda, [&](const NavMark& c) { return !IsToCoda(c) && c.resume[slot_].offset >= 0; });
}

bool PlayWalker::ToCodaPassed() {
  Level& level = levels_.back();
  if (!level.toPassed) return false;
  level.toPassed = false;
  const NavMark* target = CodaTarget();
  if (!target) return false;
  // A bar left after some of its notes still takes its length.
  if (barHasContent_) barStart_ += BarTicks(state_) * std::max<uint32_t>(multiBars_, 1);
  barHasContent_ = false;
  JumpTo(target->resume[slot_]);
  return true;
}

PlayPlace PlayWalker::NextBarPlace() const {
  PlayPlace place = place_;
  int64_t at = offset_;
  while (at < end_) {
    const uint8_t* item = stream_ + at;
    uint32_t n = 0;
    if (!ItemLengthWithin(item, end_ - at, ScoreFormatVersion, &n)) break;
    ItemKind kind = KindOf(item);
    if (kind == kItemBarLine && item[0] == kBarBoundary) {
      ++place.system;
      place.bar = 0;
    } else if (kind == kItemBarLine && item[0] == kPageMark) {
      ++place.page;
      place.system = 0;
      place.bar = 0;
    } else if (!((kind == kItemBarLine && !IsBarLine(item)) || (kind == kItemKey && KeyIsNotPlayed(item)) ||
                 (kind == kItemTime && TimeIsHidden(item)))) {
      break;
    }
    at += n;
  }
  return place;
}

// At a bar line inside a volta: when the volta's bars are played and
// another volta follows, back to the start of the repeat for the next pass;
// when none follows, the voltas are over.
bool PlayWalker::VoltaEnd() {
  Level& level = levels_.back();
  ++level.voltaBars;
  int next = level.pass + 1;
  if (next >= kVoltas || level.voltaBars <= 0 || level.voltaLength[next] < 1) return false;
  PlayPlace nextBar = NextBarPlace();
  const NavMark* volta = marks_->Find(nextBar, NavKind::kVolta, [](const NavMark&) { return true; });
  if (level.voltaBars < level.voltaLength[next] && !volta) return false;
  level.voltaEnd[next] = Current();
  if (volta) {
    level.toPassed = false;
    ++level.pass;
    level.enteredVolta = true;
    level.voltaBars = -1;
    if (level.start.offset >= 0) Restore(level.start, true);
  } else {
    ResetLevel(&level);
    level.start = Current();
    level.jumpBack = 1;
    level.voltaBars = 0;
  }
  return true;
}

void PlayWalker::StartOfBarMarks(int depth) {
  if (depth > kMaxMarkDepth) return;
  const NavMark* volta = marks_->Find(place_, NavKind::kVolta, [](const NavMark&) { return true; });
  if (volta) VoltaMark(*volta, depth);
}

void PlayWalker::VoltaMark(const NavMark& mark, int depth) {
  Level& level = levels_.back();
  int numbers[kMaxVoltaNumbers];
  int count = ParseNumbers(mark.text.c_str(), numbers, kMaxVoltaNumbers);
  for (int i = 0; i < count; ++i) {
    int n = numbers[i];
    if (n < 1 || n >= kVoltas || n < level.pass + 1) continue;
    level.voltaStart[n] = Current();
    level.voltaEnd[n].offset = -1;
    level.voltaLength[n] = mark.count;
  }
  int next = level.pass + 1;
  if (next < kVoltas && level.voltaStart[next].offset >= 0) {
    bool moved = level.voltaStart[next].offset != offset_;
    Restore(level.voltaStart[next], true);
    level.voltaBars = 0;
    level.enteredVolta = true;
    level.toPassed = false;
    if (moved) pendingBar_ = true;
  } else if (level.pass >= 1 && level.voltaEnd[level.pass].offset >= 0) {
    Restore(level.voltaEnd[level.pass], true);
    level.voltaBars = -1;
    level.enteredVolta = false;
    pendingBar_ = true;
    StartOfBarMarks(depth + 1);
  }
}
