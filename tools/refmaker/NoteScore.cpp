#include "tools/refmaker/NoteScore.h"

#include <algorithm>
#include <map>

namespace refmaker {

void NoteScore::Add(const NoteScore& o) {
  truth += o.truth;
  read += o.read;
  right += o.right;
  wrongPitch += o.wrongPitch;
  wrongDuration += o.wrongDuration;
  missed += o.missed;
  extra += o.extra;
}

namespace {

std::map<int32_t, std::vector<ScoredNote>> ByStaff(const std::vector<ScoredNote>& notes) {
  std::map<int32_t, std::vector<ScoredNote>> out;
  for (const ScoredNote& n : notes) out[n.staff].push_back(n);
  return out;
}

// A missed or an extra note costs 2, a pair 1 for each of step and duration
// that is wrong: a pair with both wrong is no better than leaving it apart,
// and a read note without a duration still pairs by its step.
constexpr int32_t kUnpaired = 2;
int32_t PairCost(const ScoredNote& t, const ScoredNote& r) {
  return (t.step == r.step ? 0 : 1) + (t.duration == r.duration ? 0 : 1);
}

// One staff: the fewest-edits alignment; of equal costs a pair is preferred
// to a miss and a miss to an extra, so the counts do not depend on the order
// the table is walked.
NoteScore ScoreStaff(const std::vector<ScoredNote>& t, const std::vector<ScoredNote>& r) {
  const size_t n = t.size(), m = r.size();
  std::vector<int32_t> cost((n + 1) * (m + 1), 0);
  auto at = [&](size_t i, size_t j) -> int32_t& { return cost[i * (m + 1) + j]; };
  for (size_t i = 0; i <= n; ++i) at(i, 0) = kUnpaired * static_cast<int32_t>(i);
  for (size_t j = 0; j <= m; ++j) at(0, j) = kUnpaired * static_cast<int32_t>(j);
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j)
      at(i, j) = std::min({at(i - 1, j - 1) + PairCost(t[i - 1], r[j - 1]), at(i - 1, j) + kUnpaired,
                           at(i, j - 1) + kUnpaired});
  NoteScore s;
  s.truth = static_cast<int32_t>(n);
  s.read = static_cast<int32_t>(m);
  size_t i = n, j = m;
  while (i > 0 || j > 0) {
    if (i > 0 && j > 0 && at(i, j) == at(i - 1, j - 1) + PairCost(t[i - 1], r[j - 1])) {
      const ScoredNote& a = t[i - 1];
      const ScoredNote& b = r[j - 1];
      if (a.step != b.step)
        ++s.wrongPitch;
      else if (a.duration != b.duration)
        ++s.wrongDuration;
      else
        ++s.right;
      --i;
      --j;
    } else if (i > 0 && at(i, j) == at(i - 1, j) + kUnpaired) {
      ++s.missed;
      --i;
    } else {
      ++s.extra;
      --j;
    }
  }
  return s;
}

}  // namespace

NoteScore ScoreNotes(const std::vector<ScoredNote>& truth, const std::vector<ScoredNote>& read) {
  std::map<int32_t, std::vector<ScoredNote>> t = ByStaff(truth), r = ByStaff(read);
  NoteScore total;
  for (const auto& [staff, notes] : t) {
    auto found = r.find(staff);
    total.Add(ScoreStaff(notes, found == r.end() ? std::vector<ScoredNote>() : found->second));
  }
  for (const auto& [staff, notes] : r)
    if (t.find(staff) == t.end()) total.Add(ScoreStaff({}, notes));
  return total;
}

}  // namespace refmaker
