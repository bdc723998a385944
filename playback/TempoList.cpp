#include "playback/TempoList.h"

#include <algorithm>
#include <string>

#include "playback/PlayItems.h"
#include "playback/PlayWalker.h"
#include "score/TempoWords.h"

int ReadTempoText(const char16_t* text, int* number, bool* percent) {
  int kind = 0, value = 0;
  if (ParseTempoWord(text, &kind, &value)) {
    if (kind != kWordTempo && kind != kWordTempoChange) return 0;
    *number = value;
    *percent = kind == kWordTempoChange;
    return value > 0;
  }
  *percent = false;
  return ParseMetronomeNumber(text, number);
}

void TempoList::Gather(const PlayStretch& stretch, const PartPlayState* states, NavigationTable* marks,
                       int startTempo) {
  struct Entry {
    uint32_t time;
    int number;
    bool percent;
  };
  std::vector<Entry> entries;
  startTempo_ = std::max(1, startTempo);
  for (int slot = 1; slot < stretch.parts; ++slot) {
    PlayWalker walker(stretch, slot, states[slot], marks);
    const uint8_t* item = nullptr;
    uint32_t length = 0;
    for (WalkStep step; (step = walker.Next(&item, &length)) != WalkStep::kEnd;) {
      if (step != WalkStep::kItem || KindOf(item) != kItemText || TextSubKindOf(item) != kTextTempo) continue;
      std::u16string text = ItemTextOf(item, length);
      Entry e{walker.BarStart(), 0, false};
      if (!ReadTempoText(text.c_str(), &e.number, &e.percent)) continue;
      bool known = std::any_of(entries.begin(), entries.end(), [&](const Entry& o) {
        return o.time == e.time && o.number == e.number && o.percent == e.percent;
      });
      if (!known && entries.size() < size_t(kMaxTempoEntries)) entries.push_back(e);
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
  changes_.clear();
  int tempo = startTempo_;
  for (const Entry& e : entries) {
    tempo = e.percent ? std::max(1, tempo * e.number / 100) : e.number;
    changes_.push_back({e.time, tempo});
  }
}

int TempoList::At(uint32_t time) const {
  int tempo = startTempo_;
  for (const TempoChange& c : changes_) {
    if (c.time > time) break;
    tempo = c.beatsPerMinute;
  }
  return tempo;
}
