// The repeat and navigation marks of a stretch (jump words and their signs,
// coda marks, volta brackets), found before the parts are played, with the
// place in every part where playback resumes when it jumps to a mark; and
// the length of every system of every part, for parts that leave a system out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "playback/PlayState.h"
#include "playback/PlayStretch.h"

enum class NavKind { kJump, kCoda, kVolta };

// Where a part resumes at a mark: the offset (-1: the part has no place
// there) and the state in force there.
struct NavResume {
  int64_t offset = -1;
  PlayPlace place;
  PartPlayState state;
};

struct NavMark {
  NavKind kind;
  std::u16string text;
  int count;  // a volta's length in bars
  PlayPlace place;
  int taken = 0;
  NavResume resume[kPartSlots];
};

constexpr size_t kMaxNavigationMarks = 256;

class NavigationTable {
 public:
  // Both passes over every part of the stretch; states[slot] is the state in
  // force at each part's start.
  void Scan(const PlayStretch& stretch, const PartPlayState* states);

  std::vector<NavMark>& Marks() { return marks_; }
  // The first mark of a kind at a place that the filter accepts, or null.
  template <class Filter>
  NavMark* Find(const PlayPlace& place, NavKind kind, Filter&& accept) {
    for (NavMark& m : marks_)
      if (m.kind == kind && m.place == place && accept(m)) return &m;
    return nullptr;
  }
  // The first mark of a kind anywhere that the filter accepts, or null.
  template <class Filter>
  NavMark* First(NavKind kind, Filter&& accept) {
    for (NavMark& m : marks_)
      if (m.kind == kind && accept(m)) return &m;
    return nullptr;
  }

  // Ticks of a system that another part than slot holds (0 when none does).
  uint32_t SystemTicksFromOtherPart(int slot, int page, int system) const;

 private:
  void Collect(const PlayStretch& stretch, int slot);
  void Resume(const PlayStretch& stretch, int slot, PartPlayState state);
  std::vector<NavMark> marks_;
  struct SystemLength {
    uint32_t ticks = 0;
    bool content = false;
  };
  std::map<std::pair<int, int>, SystemLength> systems_[kPartSlots];  // by (page, system)
};

// A coda mark that sends playback to the coda ("To Coda").
bool IsToCoda(const NavMark& m);
