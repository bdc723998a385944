#include "stages/StemCandidates.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "reading/StaveSpacing.h"
#include "stages/NoteValueStep.h"

bool AreStemPartners(const NoteRecord& a, const NoteRecord& b, int32_t unit) {
  if (a.stave != b.stave) return false;
  const bool aLeft = a.left < b.left || (a.left == b.left && a.step <= b.step);
  const NoteRecord& l = aLeft ? a : b;
  const NoteRecord& r = aLeft ? b : a;
  const int32_t u2 = 2 * unit;
  if (std::abs(static_cast<int32_t>(r.left) - l.left) <= u2 && l.stemRight == r.stemRight) return true;
  return std::abs(static_cast<int32_t>(r.left) - l.right) <= u2 && l.stemRight == 1 && r.stemRight == 0;
}

bool AreStemPartners(const NoteRecord& a, const NoteRecord& b) {
  return AreStemPartners(a, b, CurrentStaveUnits().staveUnit);
}

bool AreStemPartners(const NoteRecord* notes, uint32_t i, uint32_t j) {
  return AreStemPartners(notes[i], notes[j]);
}

StepWindow StaveStepWindow(int n) {
  int low = 9, high = 19;
  if (n == 1) low = 4, high = 16;
  if (n == 2) low = 6, high = 18;
  if (n == 3) low = 8, high = 20;
  return StepWindow{n - high + 25, n - low + 25};
}
bool IsStepWithinStave(int step, int n) {
  const StepWindow w = StaveStepWindow(n);
  return step >= w.low && step <= w.high;
}
bool IsStepAboveStave(int step, int n) { return step > StaveStepWindow(n).high; }
bool IsStepBelowStave(int step, int n) { return step < StaveStepWindow(n).low; }

namespace {

bool Has(const NoteRecord& n, int c) { return n.stemLength[c] >= 1; }
bool HasAny(const NoteRecord& n) { return Has(n, 0) || Has(n, 1) || Has(n, 2) || Has(n, 3); }
bool BareSemibreve(const NoteRecord& n) { return n.kind == kNoteSemibreve && !HasAny(n); }
bool HasOrBare(const NoteRecord& n, int c) { return Has(n, c) || BareSemibreve(n); }
// The measured length a candidate can claim: min(length, strength - 1), at least 0.
int32_t Claimed(const NoteRecord& n, int c) {
  return std::max<int32_t>(0, std::min<int32_t>(n.stemLength[c], StemStrengthOf(n, c) - 1));
}
// Passes that narrow candidates leave the engine's confirmed heads alone,
// semibreves excepted.
bool Narrowable(const NoteRecord& n) {
  return IsLiveNote(n) && (n.origin < kConfirmedOrigin || n.kind == kNoteSemibreve);
}
bool OverlapX(const NoteRecord& a, const NoteRecord& b) { return a.left <= b.right && b.left <= a.right; }

}  // namespace

int RelateStemNeighbours(const NoteRecord& a, const NoteRecord& b, int32_t unit) {
  if (a.stave != b.stave) return 0;
  if (std::abs(static_cast<int32_t>(a.left) - b.left) < 3 * unit) {
    for (int c = 0; c < 4; ++c)
      if (HasOrBare(a, c) && HasOrBare(b, c)) return 1;
  }
  const bool aLeft = a.left <= b.left;
  const NoteRecord& l = aLeft ? a : b;
  const NoteRecord& r = aLeft ? b : a;
  if (std::abs(static_cast<int32_t>(r.left) - l.right) > 2 * unit) return 0;
  const bool crossed = (HasOrBare(l, 1) && HasOrBare(r, 0)) || (HasOrBare(l, 3) && HasOrBare(r, 2));
  if (!crossed) return 0;
  return b.left >= a.left ? 3 : 2;
}

void PruneOddCornerStems(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  constexpr int kMaxShared = 40;
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!Narrowable(n) || !(n.kind < kNoteBreve || n.kind == kNoteTabNumber) || !Has(n, 1)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t u2 = 2 * st.unit;
    uint32_t shared[kMaxShared];
    int listed = 0;
    bool stop = false;
    for (uint32_t j = 0; j < count && !stop; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.stave != n.stave || m.uncertain != n.uncertain) continue;
      if (!(m.kind < kNoteSemibreve || m.kind == kNoteTabNumber)) continue;
      const bool nearRight = std::abs(static_cast<int32_t>(m.left) - n.right) <= u2;
      const bool nearLeft = std::abs(static_cast<int32_t>(m.left) - n.left) <= u2;
      if ((nearRight && m.step > n.step) || (nearLeft && m.step < n.step - 1)) {
        stop = true;
      } else if (Has(m, 2) && m.step <= n.step && nearRight && listed < kMaxShared) {
        shared[listed++] = j;
      }
    }
    if (stop || listed == 0) continue;
    // The two heads share one stem between them.
    for (int c : {0, 2, 3}) RemoveStemCandidate(n, c);
    for (int k = 0; k < listed; ++k)
      for (int c : {0, 1, 3}) RemoveStemCandidate(notes[shared[k]], c);
  }
  // Up-left and down-right stems stand only where a neighbour shares them.
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!Narrowable(n) || !(Has(n, 0) || Has(n, 3))) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    bool keep0 = false, keep3 = false;
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.uncertain != n.uncertain) continue;
      const int relation = RelateStemNeighbours(n, m, st.unit);
      keep0 |= relation == 2;
      keep3 |= relation == 3;
    }
    if (!keep0) n.stemLength[0] = 0;
    if (!keep3) n.stemLength[3] = 0;
  }
}

namespace {

// Whether a short beam of side p of candidate c of note i meets a beam of
// another note facing it.
bool BeamMet(const NoteValueWork& work, uint32_t i, int c, int p, int k, const NoteStave& st) {
  const NoteRecord& n = work.notes[i];
  const StemSide& side = p == 0 ? work.stems[c][i].left : work.stems[c][i].right;
  const int32_t dir = p == 0 ? -1 : 1;
  const int32_t x = StemColumn(n, c, st.unit);
  const int32_t q = st.space;
  for (uint32_t j = 0; j < *work.noteCount; ++j) {
    const NoteRecord& m = work.notes[j];
    if (j == i || !IsLiveNote(m) || !IsStemmedKind(m.kind)) continue;
    const int row = GroupRowOf(work, m.stave);
    if (row < 0 || std::abs(row - st.row) >= 2) continue;
    if (p == 1 ? m.left <= n.right : m.right >= n.left) continue;
    for (int cm = 0; cm < 4; ++cm) {
      if (!Has(m, cm)) continue;
      const int32_t xm = StemColumn(m, cm, st.unit);
      const int32_t dx = (xm - x) * dir;
      if (dx < q) continue;
      const StemRecord& mr = work.stems[cm][j];
      const uint32_t facingBit = p == 0 ? kRightSideBeams : kLeftSideBeams;
      if (!(mr.sideFlags & facingBit)) continue;
      const StemSide& facing = p == 0 ? mr.right : mr.left;
      // This beam runs from x to x + dir x length; the other's back from xm.
      const int32_t reachA = side.markLength[k];
      for (int k2 = 0; k2 < facing.stubCount && k2 < 5; ++k2) {
        const int32_t reachB = facing.markLength[k2];
        if (reachA + reachB + 2 * q < dx) continue;  // x ranges, widened, do not meet
        const int32_t shift = static_cast<int32_t>(static_cast<int64_t>(dx) * side.markSlope / 4096);
        const int32_t top = side.markTop[k] + shift, bottom = side.markBottom[k] + shift;
        if (top <= facing.markBottom[k2] + q && bottom >= facing.markTop[k2] - q) return true;
      }
    }
  }
  return false;
}

}  // namespace

void DropUnmatchedStubs(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    const NoteRecord& n = work.notes[i];
    if (!IsLiveNote(n) || !IsStemmedKind(n.kind)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t headWidth = n.right - n.left;
    for (int c = 0; c < 4; ++c) {
      if (!Has(n, c)) continue;
      StemRecord& record = work.stems[c][i];
      for (int p = 0; p < 2; ++p) {
        if (!(record.sideFlags & (p == 0 ? kLeftSideBeams : kRightSideBeams))) continue;
        StemSide& side = p == 0 ? record.left : record.right;
        bool kept = false;
        for (int k = 0; k < side.stubCount && k < 5 && !kept; ++k)
          kept = side.markLength[k] >= 2 * headWidth || BeamMet(work, i, c, p, k, st);
        if (!kept) {
          side.markCount = 0;
          side.stubCount = 0;
        }
      }
    }
  }
}

void TrimStemsAtNeighbourStaves(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    NoteRecord& n = work.notes[i];
    if (!IsLiveNote(n) || !(n.kind <= kNoteSemibreve || n.kind == kNoteTabNumber)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st) || st.tab || IsStepWithinStave(n.step, st.lineCount)) continue;
    const int row = st.row;
    const int32_t q = st.space;
    bool lost = false;
    if (row > work.firstStave && IsStepAboveStave(n.step, st.lineCount) && n.crossStave >= 0) {
      const int32_t limit = RowBottomLineY(work, row - 1, n.left);
      for (int c : {0, 1}) {
        if (Has(n, c) && n.top - n.stemLength[c] * q <= limit) {
          RemoveStemCandidate(n, c);
          lost = true;
        }
      }
    }
    const bool last = row + 1 >= work.staveCount || work.rows[row + 1].group != work.rows[row].group;
    if (!last && IsStepBelowStave(n.step, st.lineCount) && n.crossStave <= 0) {
      const int32_t limit = RowTopLineY(work, row + 1, n.left);
      const bool reach3 = Has(n, 3) && n.top + (n.stemLength[3] + 1) * q >= limit;
      if (!(Has(n, 2) && n.top + (n.stemLength[2] + 1) * q >= limit)) {
        if (reach3) RemoveStemCandidate(n, 3), lost = true;
      } else {
        RemoveStemCandidate(n, 2);
        lost = true;
        if (reach3) RemoveStemCandidate(n, 3);
      }
    }
    if (lost && !HasAny(n)) n.quality = kNoStemQuality;
  }
}

void DemoteStemmedSemibreves(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!IsLiveNote(n) || n.kind != kNoteSemibreve) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    // The heads of a semibreve chord stacked above or below it read as a
    // stem that far: only what reaches beyond them counts.
    int above = 0, below = 0;
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.kind != kNoteSemibreve || m.stave != n.stave || !OverlapX(n, m)) continue;
      above = std::max(above, (m.step - n.step) / 2);
      below = std::max(below, (n.step - m.step) / 2);
    }
    if (Claimed(n, 1) - above < 2 && Claimed(n, 2) - below < 2) continue;
    bool offside = false;
    for (int c = 0; c < 4; ++c) offside |= Claimed(n, c) >= 2 && StemOffsetOf(n, c) >= 5 * st.unit;
    if (offside) continue;
    n.kind = kNoteMinim;
    n.origin = std::min<int16_t>(n.origin, kFreshOrigin);
  }
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (n.kind != kNoteSemibreve || n.quality != 5 || n.origin >= kConfirmedOrigin) continue;
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j != i && IsLiveNote(m) && m.kind == kNoteSemibreve && m.stave == n.stave && OverlapX(n, m)) {
        n.quality = 0;
        break;
      }
    }
  }
}

void ClampStemLengths(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    NoteRecord& n = work.notes[i];
    if (!Narrowable(n)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t u2 = 2 * st.unit;
    bool good[4];
    for (int c = 0; c < 4; ++c) {
      good[c] = Has(n, c) && StemStrengthOf(n, c) - 1 >= 1;
      if (c == 0 || c == 2) good[c] = good[c] && StemOffsetOf(n, c) >= u2;
    }
    for (int c = 0; c < 4; ++c) {
      bool other = false;
      for (int o = 0; o < 4; ++o) other |= o != c && good[o];
      if (!other) continue;
      const bool weak = StemStrengthOf(n, c) - 1 < 1 || ((c == 0 || c == 2) && StemOffsetOf(n, c) < u2);
      if (weak) n.stemLength[c] = static_cast<int16_t>(Claimed(n, c));
    }
  }
}

void DropStemsOnBarLines(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    NoteRecord& n = work.notes[i];
    if (!IsLiveNote(n) || !((Has(n, 0) || Has(n, 2)) && (Has(n, 1) || Has(n, 3)))) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t u2 = 2 * st.unit;
    const int32_t topLine = RowTopLineY(work, st.row, n.left);
    const int32_t bottomLine = RowBottomLineY(work, st.row, n.left);
    const int32_t q4 = (bottomLine - topLine) / 4;
    const int32_t centre = (n.left + n.right) / 2;
    for (uint32_t k = 0; k < *work.symbolCount; ++k) {
      const SymbolRecord& s = work.symbols[k];
      if (s.stave != n.stave || (s.type != 48 && s.type != 55 && s.type != 56)) continue;
      // One edge: the up and the down candidate at it.
      auto test = [&](int up, int down, bool touches) {
        if (!touches) return;
        if (Has(n, up) && StemOffsetOf(n, up) < u2 && n.top > topLine && n.top - n.stemLength[up] * q4 < bottomLine &&
            (up == 0 ? s.right >= StemColumn(n, up, st.unit) : s.left <= StemColumn(n, up, st.unit)))
          RemoveStemCandidate(n, up);
        if (Has(n, down) && StemOffsetOf(n, down) < u2 && n.top + q4 < bottomLine &&
            n.top + (n.stemLength[down] + 1) * q4 > topLine &&
            (down == 2 ? s.right >= StemColumn(n, down, st.unit) : s.left <= StemColumn(n, down, st.unit)))
          RemoveStemCandidate(n, down);
      };
      if ((s.type == 48 || s.type == 56) && s.right < centre && (Has(n, 0) || Has(n, 2))) test(0, 2, true);
      if (s.left > centre && (Has(n, 1) || Has(n, 3))) test(1, 3, true);
    }
  }
}

void ShortenStemsInChords(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!Narrowable(n) || !HasAny(n)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t q = st.space;
    int32_t cut[4] = {0, 0, 0, 0};
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || RelateStemNeighbours(n, m, st.unit) == 0) continue;
      const int32_t up = std::max(Claimed(m, 0), Claimed(m, 1)), down = std::max(Claimed(m, 2), Claimed(m, 3));
      const int32_t spanTop = m.top - up * q, spanBottom = m.top + q + down * q;
      for (int c = 0; c < 4; ++c) {
        if (!Has(n, c)) continue;
        const bool stemUp = c < 2;
        const int32_t from = stemUp ? n.top - n.stemLength[c] * q : n.top + q;
        const int32_t to = stemUp ? n.top : n.top + q + n.stemLength[c] * q;
        // The stem runs on past the other head, over its span.
        const bool beyond = stemUp ? m.top < n.top : m.top > n.top;
        if (beyond && from <= spanBottom && to >= spanTop)
          cut[c] = std::max<int32_t>(cut[c], std::abs(static_cast<int32_t>(n.top) - m.top));
      }
    }
    for (int c = 0; c < 4; ++c) {
      if (cut[c] == 0) continue;
      const int32_t spaces = static_cast<int32_t>(static_cast<double>(cut[c]) / q + 0.5);
      n.stemLength[c] = static_cast<int16_t>(std::max<int32_t>(0, n.stemLength[c] - spaces));
    }
  }
}

void ClampCrossedStems(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    NoteRecord& n = work.notes[i];
    if (!Narrowable(n)) continue;
    for (auto pair : {std::pair<int, int>{0, 3}, std::pair<int, int>{1, 2}}) {
      if (!Has(n, pair.first) || !Has(n, pair.second)) continue;
      n.stemLength[pair.first] = static_cast<int16_t>(Claimed(n, pair.first));
      n.stemLength[pair.second] = static_cast<int16_t>(Claimed(n, pair.second));
    }
  }
}

void PickStrongestStem(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    NoteRecord& n = work.notes[i];
    if (!Narrowable(n)) continue;
    int best = -1;
    for (int c = 0; c < 4; ++c)
      if (Has(n, c) && (best < 0 || StemStrengthOf(n, c) > StemStrengthOf(n, best))) best = c;
    for (int c = 0; c < 4; ++c)
      if (c != best && Has(n, c) && StemStrengthOf(n, c) <= 2) RemoveStemCandidate(n, c);
  }
}

void ChooseStemPair(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  auto opposite = [](const NoteRecord& n) { return (Has(n, 0) && Has(n, 3)) || (Has(n, 1) && Has(n, 2)); };
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!Narrowable(n) || !opposite(n)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    bool lower = false, higher = false;
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.stave != n.stave || !OverlapX(n, m)) continue;
      lower |= m.step < n.step;
      higher |= m.step > n.step;
    }
    if (lower && !higher) {
      RemoveStemCandidate(n, 2), RemoveStemCandidate(n, 3);
    } else if (higher && !lower) {
      RemoveStemCandidate(n, 0), RemoveStemCandidate(n, 1);
    } else if (lower && higher) {
      const bool zeroThree = Has(n, 0) && Has(n, 3);
      const bool downGoes = zeroThree ? n.stemLength[0] <= n.stemLength[3] : n.stemLength[1] <= n.stemLength[2];
      if (downGoes)
        RemoveStemCandidate(n, 2), RemoveStemCandidate(n, 3);
      else
        RemoveStemCandidate(n, 0), RemoveStemCandidate(n, 1);
    }
    if (!opposite(n)) continue;
    int32_t r = INT32_MIN;
    for (int c : {1, 3})
      if (Has(n, c)) r = std::max(r, StemColumn(n, c, st.unit));
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.stave != n.stave || m.left < n.right) continue;
      if (!(m.kind < kNoteSemibreve || m.kind == kNoteTabNumber)) continue;
      int nearest = -1;
      for (int c : {0, 2})
        if (Has(m, c) && (nearest < 0 || StemColumn(m, c, st.unit) < StemColumn(m, nearest, st.unit))) nearest = c;
      if (nearest < 0 || StemColumn(m, nearest, st.unit) > r + st.unit) continue;
      for (int c : {1, 3}) {
        if (!Has(n, c)) continue;
        for (int mc : {0, 2})
          if (Has(m, mc) && StemOffsetOf(m, mc) < StemOffsetOf(n, c)) {
            RemoveStemCandidate(n, c);
            break;
          }
      }
    }
  }
}
