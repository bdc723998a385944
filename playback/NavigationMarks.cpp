#include "playback/NavigationMarks.h"

#include <algorithm>

#include "playback/PlayItems.h"
#include "score/ScoreItem.h"

bool IsToCoda(const NavMark& m) { return m.text.find(u"To") != std::u16string::npos; }

void NavigationTable::Scan(const PlayStretch& stretch, const PartPlayState* states) {
  marks_.clear();
  for (int slot = 1; slot < stretch.parts; ++slot) Collect(stretch, slot);
  for (int slot = 1; slot < stretch.parts; ++slot) Resume(stretch, slot, states[slot]);
}

// First pass: the marks, each place, kind and text once.
void NavigationTable::Collect(const PlayStretch& stretch, int slot) {
  PlaceCounter counter;
  auto add = [&](NavKind kind, const std::u16string& text, int count) {
    bool known = std::any_of(marks_.begin(), marks_.end(), [&](const NavMark& m) {
      return m.kind == kind && m.place == counter.place && m.text == text;
    });
    if (!known && marks_.size() < kMaxNavigationMarks) marks_.push_back({kind, text, count, counter.place, 0, {}});
  };
  ForEachItem(stretch, slot, [&](const uint8_t* item, uint32_t length, uint32_t) {
    NavKind kind;
    std::u16string text;
    int count = 0;
    if (NavigationTextOf(item, length, &kind, &text, &count)) add(kind, text, count);
    counter.Step(item);
    if (IsCodaBarItem(item)) add(NavKind::kCoda, u"", 0);
  });
}

// Second pass: where this part resumes at each mark. A part holding the
// mark resumes just behind it; any other at the start of the mark's bar.
// Also the length of each of the part's systems.
void NavigationTable::Resume(const PlayStretch& stretch, int slot, PartPlayState state) {
  PlaceCounter counter;
  auto atBarStart = [&](uint32_t offset) {
    for (NavMark& m : marks_) {
      if (m.place == counter.place && m.resume[slot].offset < 0) m.resume[slot] = {offset, counter.place, state};
    }
  };
  auto behind = [&](NavKind kind, const std::u16string& text, uint32_t offset) {
    for (NavMark& m : marks_) {
      if (m.kind == kind && m.place == counter.place && m.text == text) m.resume[slot] = {offset, counter.place, state};
    }
  };
  atBarStart(stretch.start[slot]);
  uint32_t multiBars = 1;
  bool content = false;
  ForEachItem(stretch, slot, [&](const uint8_t* item, uint32_t length, uint32_t offset) {
    SystemLength& system = systems_[slot][{counter.place.page, counter.place.system}];
    NavKind kind;
    std::u16string text;
    int count = 0;
    if (NavigationTextOf(item, length, &kind, &text, &count)) behind(kind, text, offset + length);
    ApplyStateItem(item, &state);
    if (KindOf(item) == kItemRest && IsMultiBarRest(item)) multiBars = std::max(multiBars, MultiBarRestBars(item));
    if (KindOf(item) == kItemChord || KindOf(item) == kItemRest) content = true;
    if (KindOf(item) != kItemBarLine) system.content = true;
    if (IsBarLine(item) && content) system.ticks += BarTicks(state) * multiBars;
    if (counter.Step(item)) {
      multiBars = 1;
      content = false;
      atBarStart(offset + length);
    }
  });
}

uint32_t NavigationTable::SystemTicksFromOtherPart(int slot, int page, int system) const {
  for (int other = 1; other < kPartSlots; ++other) {
    if (other == slot) continue;
    auto found = systems_[other].find({page, system});
    if (found != systems_[other].end() && found->second.content) return found->second.ticks;
  }
  return 0;
}
