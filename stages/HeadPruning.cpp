#include "stages/HeadPruning.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "stages/StemCandidates.h"

namespace {

constexpr int kFiveLineLow = 11, kFiveLineHigh = 21;

enum Verdict { kKeepBoth, kDropOther, kDropSelf };

bool TakesPart(const NoteRecord& n) { return IsLiveNote(n) && n.origin < kConfirmedOrigin; }
bool InFiveLineWindow(int step) { return step >= kFiveLineLow && step <= kFiveLineHigh; }
int32_t Width(const NoteRecord& n) { return n.right - n.left; }
bool OverlapX(const NoteRecord& a, const NoteRecord& b) { return a.left <= b.right && b.left <= a.right; }
bool NearStep(const NoteRecord& a, const NoteRecord& b) { return std::abs(a.step - b.step) <= 1; }
// The better of two heads: the more confident, then the wider.
bool Better(const NoteRecord& a, const NoteRecord& b) {
  if (a.confidence != b.confidence) return a.confidence > b.confidence;
  return Width(a) > Width(b);
}
// Boxes meeting, the first widened up and down by a third of its space.
bool BoxesMeet(const NoteRecord& n, const NoteRecord& m) {
  const int32_t grow = n.space / 3;
  return OverlapX(n, m) && m.top <= n.bottom + grow && m.bottom >= n.top - grow;
}

// Runs one rule over every ordered pair of heads that take part.
void ForPairs(NoteValueWork& work, const std::function<Verdict(const NoteRecord&, const NoteRecord&)>& rule) {
  NoteRecord* notes = work.notes;
  for (int64_t i = 0; i < static_cast<int64_t>(*work.noteCount); ++i) {
    for (int64_t j = 0; j < static_cast<int64_t>(*work.noteCount); ++j) {
      if (i == j || !TakesPart(notes[i]) || !TakesPart(notes[j])) continue;
      const Verdict v = rule(notes[i], notes[j]);
      if (v == kDropOther) {
        DeleteNoteWithStems(notes, *work.noteCount, work.stems, static_cast<uint32_t>(j));
        if (j < i) --i;
        --j;
      } else if (v == kDropSelf) {
        DeleteNoteWithStems(notes, *work.noteCount, work.stems, static_cast<uint32_t>(i));
        --i;
        break;
      }
    }
  }
}

// Whether a head outside the stave's window keeps its place. A hollow head
// whose stem points away from the stave stays only where the ledger search
// found it, on the ledger lines that lead out to it: elsewhere it is more
// likely a letter of the text below or above the stave.
bool FarHeadStays(const NoteValueWork& work, const NoteRecord& n, const NoteStave& st) {
  const int32_t len0 = std::max(n.stemLength[0], n.stemLength[1]);
  const int32_t len2 = std::max(n.stemLength[2], n.stemLength[3]);
  const bool below = IsStepBelowStave(n.step, st.lineCount), above = IsStepAboveStave(n.step, st.lineCount);
  const int32_t th = static_cast<int32_t>(st.half);
  if (n.kind <= kNoteMinim && !n.stemDown && len0 > 0) {
    if (below) return n.top - static_cast<int32_t>(len0 * 2.0 * st.half) - th < RowBottomLineY(work, st.row, n.left);
    return n.kind <= kNoteCrotchet || n.ledgerCount > 0;
  }
  if (n.kind <= kNoteMinim && len2 > 0) {
    const int32_t space = n.space > 0 ? n.space : st.space;
    if (above)
      return n.top + static_cast<int32_t>(len2 * 2.0 * st.half) + space + th > RowTopLineY(work, st.row, n.left);
    return n.kind <= kNoteCrotchet || n.ledgerCount > 0;
  }
  if (n.kind == kNoteSemibreve || n.kind == kNoteBreve) {
    // A confirmed head of the same kind in the same place vouches for it.
    for (uint32_t j = 0; j < *work.noteCount; ++j) {
      const NoteRecord& m = work.notes[j];
      if (&m != &n && m.origin >= kConfirmedOrigin && IsLiveNote(m) && m.kind == n.kind && m.stave == n.stave &&
          m.uncertain == n.uncertain && OverlapX(n, m))
        return true;
    }
  }
  return false;
}

void DropFarHeads(NoteValueWork& work) {
  for (int64_t i = 0; i < static_cast<int64_t>(*work.noteCount); ++i) {
    const NoteRecord& n = work.notes[i];
    if (!TakesPart(n)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st) || st.tab || IsStepWithinStave(n.step, st.lineCount)) continue;
    if (FarHeadStays(work, n, st)) continue;
    DeleteNoteWithStems(work.notes, *work.noteCount, work.stems, static_cast<uint32_t>(i));
    --i;
  }
}

// One head in two records: same place, same step (or, inside the stave,
// within a step).
Verdict SamePlace(const NoteRecord& n, const NoteRecord& m) {
  const int32_t r = std::max((Width(n) + Width(m)) / 4, n.space * 2 / 3);
  if (std::abs(n.left - m.left) >= r && std::abs(n.right - m.right) >= r) return kKeepBoth;
  const bool nSolid = n.kind < kNoteMinim;
  if ((n.kind < kNoteSemibreve || m.kind >= kNoteMinim) && ((nSolid && m.kind >= kNoteSemibreve) || Better(n, m)))
    return kDropOther;
  return kDropSelf;
}

}  // namespace

void PruneClashingHeads(NoteValueWork& work) {
  // 1. Far heads whose stem does not come back to the stave.
  DropFarHeads(work);
  // 2. A flagged down-stem head with another head over its right part.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    if (!(n.kind < kNoteMinim && !n.beamed && !n.stemRight && n.stemDown)) return kKeepBoth;
    if (m.stave != n.stave || !NearStep(n, m)) return kKeepBoth;
    const bool over = m.left >= n.left + Width(n) * 2 / 3 && m.left < n.right + n.space;
    return over ? kDropSelf : kKeepBoth;
  });
  // 3. Uncertain heads around a certain one.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    return !n.uncertain && n.kind < kNoteSemibreve && m.uncertain && BoxesMeet(n, m) ? kDropOther : kKeepBoth;
  });
  // 4. Of two uncertain heads in one place, the worse quality.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    return n.uncertain && m.uncertain && m.stave == n.stave && BoxesMeet(n, m) && m.quality >= n.quality
               ? kDropOther
               : kKeepBoth;
  });
  // 5 and 6. Outside the stave, a head lying over another's left part.
  auto overLeft = [](const NoteRecord& n, const NoteRecord& m) {
    return n.kind < kNoteMinim && m.kind < kNoteMinim && !InFiveLineWindow(n.step) && m.stave == n.stave &&
           m.step == n.step && m.uncertain == n.uncertain && m.left <= (m.right + n.left) / 2 && n.left <= m.right;
  };
  ForPairs(work, [&](const NoteRecord& n, const NoteRecord& m) {
    return overLeft(n, m) && m.confidence < n.confidence ? kDropOther : kKeepBoth;
  });
  ForPairs(work, [&](const NoteRecord& n, const NoteRecord& m) {
    return overLeft(n, m) && Width(m) < Width(n) ? kDropOther : kKeepBoth;
  });
  // 7. A hollow head of another kind nested in a head's place.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    if (n.kind >= kNoteSemibreve || m.kind < kNoteMinim || m.kind == n.kind || m.stave != n.stave || !NearStep(n, m))
      return kKeepBoth;
    const int32_t s = n.space / 2;
    const bool nested =
        (m.left >= n.left - s && m.right <= n.right + s) || (n.left >= m.left - s && n.right <= m.right + s);
    return nested ? kDropOther : kKeepBoth;
  });
  // 8. A certain semibreve or breve beside an uncertain solid head.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    return n.uncertain && n.kind < kNoteCrotchet && !m.uncertain && m.kind >= kNoteSemibreve && m.stave == n.stave &&
                   NearStep(n, m) && OverlapX(n, m)
               ? kDropOther
               : kKeepBoth;
  });
  // 9. Same place, same step, different kinds.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    if (!(n.kind >= kNoteMinim || InFiveLineWindow(n.step)) || m.stave != n.stave || m.step != n.step) return kKeepBoth;
    if (m.kind == n.kind || (n.kind < kNoteMinim && m.kind < kNoteMinim)) return kKeepBoth;
    if (m.kind < kNoteMinim && !InFiveLineWindow(m.step)) return kKeepBoth;
    return SamePlace(n, m);
  });
  // 10. The same inside the stave, within a step.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    if (!InFiveLineWindow(n.step) || !InFiveLineWindow(m.step) || m.stave != n.stave || !NearStep(n, m))
      return kKeepBoth;
    if (m.kind == n.kind || (n.kind < kNoteMinim && m.kind < kNoteMinim)) return kKeepBoth;
    return SamePlace(n, m);
  });
  // 11. Three hollow heads where one belongs.
  {
    NoteRecord* notes = work.notes;
    ForPairs(work, [&](const NoteRecord& n, const NoteRecord& m) {
      if (n.kind < kNoteMinim || m.kind < kNoteMinim || m.stave != n.stave || m.step != n.step || !OverlapX(n, m) ||
          m.confidence > n.confidence)
        return kKeepBoth;
      const int32_t q = Width(n) / 4;
      for (uint32_t k = 0; k < *work.noteCount; ++k) {
        const NoteRecord& third = notes[k];
        if (&third == &n || &third == &m || !TakesPart(third) || third.kind < kNoteMinim || third.stave != n.stave)
          continue;
        if (third.confidence >= m.confidence && std::abs(third.left - n.left) <= q && std::abs(third.right - n.right) <= q)
          return kDropSelf;
      }
      return kKeepBoth;
    });
  }
  // 12. Two solid heads on one stem.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    if (n.kind >= kNoteMinim || m.kind >= kNoteMinim || m.stave != n.stave || !NearStep(n, m)) return kKeepBoth;
    if (std::abs(n.left - m.left) > n.space / 2 || m.stemDown != n.stemDown || m.stemRight != n.stemRight)
      return kKeepBoth;
    const int cn = static_cast<int>(2 * n.stemDown + n.stemRight), cm = static_cast<int>(2 * m.stemDown + m.stemRight);
    return StemOffsetOf(m, cm) > StemOffsetOf(n, cn) || Width(m) * 4 <= Width(n) * 3 ? kDropOther : kKeepBoth;
  });
  // 13. Two crotchet heads overlapping at one step: the worse goes.
  ForPairs(work, [](const NoteRecord& n, const NoteRecord& m) {
    if (n.kind != kNoteCrotchet || m.kind != kNoteCrotchet || m.stave != n.stave || m.step != n.step ||
        !OverlapX(n, m))
      return kKeepBoth;
    if (n.left == m.left && n.right == m.right && n.top == m.top && n.bottom == m.bottom) return kKeepBoth;
    return Better(n, m) || (!Better(m, n)) ? kDropOther : kKeepBoth;
  });
}
