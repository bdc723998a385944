#include "shapes/TemplateRefinement.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "shapes/ClassifierLog.h"
#include "shapes/RunDescription.h"
#include "shapes/ShapeRuns.h"

namespace {

constexpr int kTolerances[] = {0, 4, 8, 12};
constexpr int kMergeTolerances[] = {0, 2, 4, 6, 8};
constexpr int kThresholdLimit = 0xFFFF;

void PushU16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void PushU32(std::vector<uint8_t>* out, uint32_t v) {
  PushU16(out, v & 0xFFFF);
  PushU16(out, v >> 16);
}

// Mean of non-negative values, halves rounded up.
long RoundedMean(long sum, long n) { return n > 0 ? (2 * sum + n) / (2 * n) : 0; }

// Naturals and sharps read as accidentals count as the key-signature types.
int SameClassType(int type) { return type == 130 ? 16 : type == 129 ? 17 : type; }

int DefaultDistance(const uint8_t* templ, const uint8_t* other) {
  int grade = 0;
  return ScoreShapeMatch(templ, other, 0, kNotComparable, &grade);
}

struct Description {
  const uint8_t* bytes;
  int typf, type, part, group;
};

// A description taken apart: its lines (rows first, then columns) as runs.
struct Template {
  int cols = 0, rows = 0, darkness = 0;
  std::vector<std::vector<ShapeRun>> lines;
  int own = -1;  // the description it was made from
  double ratio = 0;
  std::vector<uint8_t> packed;
};

Template Unpack(const uint8_t* d) {
  Template t;
  t.cols = d[4];
  t.rows = d[5];
  t.darkness = d[6];
  const int n = t.cols + t.rows;
  const uint8_t* lines[2 * kRunGridMaxSide];
  IndexRunLines(d + kRunDescriptionHeaderBytes, lines, n);
  t.lines.resize(n);
  for (int i = 0; i < n; ++i) {
    RunLine r;
    UnpackShapeRunLine(lines[i], &r);
    t.lines[i].assign(r.runs, r.runs + r.count);
  }
  return t;
}

void Pack(Template* t) {
  std::vector<uint8_t>& out = t->packed;
  out.assign(kRunDescriptionHeaderBytes, 0);
  out[4] = static_cast<uint8_t>(t->cols);
  out[5] = static_cast<uint8_t>(t->rows);
  out[6] = static_cast<uint8_t>(t->darkness);
  for (const auto& line : t->lines) {
    out.push_back(static_cast<uint8_t>(4 + 4 * line.size()));
    out.insert(out.end(), 3, 0);
    for (const ShapeRun& r : line) {
      out.push_back(static_cast<uint8_t>(r.dark));
      out.push_back(static_cast<uint8_t>(r.position));
      out.push_back(static_cast<uint8_t>(r.length));
      out.push_back(static_cast<uint8_t>(r.line));
    }
  }
  const uint32_t total = static_cast<uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(total >> (8 * i));
}

struct Statistics {
  bool ok = false;
  double separation = 0, meanRatio = 0, maxRatio = 0;
  int safe = 0, maybe = 0;
};

class Refiner {
 public:
  Refiner(const std::vector<Description>& all, TemplateDistance distance) : all_(all), distance_(distance) {}

  Statistics TemplateStatistics(const uint8_t* templ, const Description& self, int own) const {
    long sameSum = 0, sameN = 0, sameMax = 0, diffSum = 0, diffN = 0, diffMin = 0, diffMax = 0;
    ForEachCompared(templ, self, own, [&](size_t, const Description&, bool sameType, long dist) {
      if (sameType) {
        sameSum += dist, ++sameN;
        sameMax = std::max(sameMax, dist);
      } else {
        diffSum += dist;
        diffMin = diffN == 0 ? dist : std::min(diffMin, dist);
        diffMax = std::max(diffMax, dist);
        ++diffN;
      }
    });
    Statistics s;
    if (sameN == 0 || diffN == 0) {
      ClassifierLog("Type %d, sample %d part %d - Can't find both same and different statistics\n", self.type, own,
                    self.part);
      return s;
    }
    const long sameMean = RoundedMean(sameSum, sameN), diffMean = RoundedMean(diffSum, diffN);
    s.ok = true;
    s.separation = sameMax ? static_cast<double>(diffMin) / sameMax : static_cast<double>(diffMin);
    s.meanRatio = sameMean ? static_cast<double>(diffMean) / sameMean : 0.0;
    s.maxRatio = sameMax ? static_cast<double>(diffMax) / sameMax : 0.0;
    s.safe = static_cast<int>(std::min((sameMean + diffMin) / 2, diffMin));
    s.maybe = static_cast<int>(std::max((diffMean + sameMax) / 2, sameMax));
    return s;
  }

  // True when the nearest other description has the template's class;
  // descriptions of another class between lo and hi are marked ambiguous.
  bool CheckTemplateClass(const uint8_t* templ, const Description& self, int own, int lo, int hi,
                          std::vector<bool>* marks) const {
    long best = -1;
    int bestIndex = -1;
    ForEachCompared(templ, self, own, [&](size_t k, const Description& d, bool sameType, long dist) {
      if (best < 0 || dist < best) best = dist, bestIndex = static_cast<int>(k);
      if (!sameType && dist >= lo && dist < hi) (*marks)[d.type * 4 + d.part] = true;
    });
    if (bestIndex < 0) return false;
    const Description& n = all_[bestIndex];
    const bool right = SameClassType(n.type) == SameClassType(self.type) && n.part == self.part;
    ClassifierLog("%sChose Type %x(%d) sample: %d part: %d (score %ld)\n", right ? "CORRECT! - " : "WRONG! - ", n.type,
                  n.type, bestIndex, n.part, best);
    return right;
  }

  double Ratio(Template* t, const Description& self) const {
    Pack(t);
    const Statistics s = TemplateStatistics(t->packed.data(), self, t->own);
    return s.ok ? s.separation : 0.0;
  }

 private:
  // Calls visit(index, description, same type, distance) for every other
  // description of self's family that the template is measured against:
  // those of another class, and those of self's class in self's part.
  template <typename Visit>
  void ForEachCompared(const uint8_t* templ, const Description& self, int own, Visit visit) const {
    for (size_t k = 0; k < all_.size(); ++k) {
      const Description& d = all_[k];
      if (static_cast<int>(k) == own || d.typf != self.typf) continue;
      const bool sameType = SameClassType(d.type) == SameClassType(self.type);
      if (sameType && d.part != self.part) continue;
      visit(k, d, sameType, distance_(templ, d.bytes));
    }
  }

  const std::vector<Description>& all_;
  TemplateDistance distance_;
};

// Lines of one direction of a description, as pointers.
struct DirectionLines {
  const uint8_t* lines[2 * kRunGridMaxSide];
  int rows = 0, cols = 0;
  explicit DirectionLines(const uint8_t* d) {
    cols = d[4];
    rows = d[5];
    IndexRunLines(d + kRunDescriptionHeaderBytes, lines, cols + rows);
  }
  const uint8_t* const* Of(int direction) const { return direction == 0 ? lines : lines + rows; }
  int Count(int direction) const { return direction == 0 ? rows : cols; }
};

// Line l (direction d) of description a mapped onto description b.
int MapLine(int l, int d, const DirectionLines& a, const DirectionLines& b, const std::vector<RunPartRecord>& parts) {
  PartSpan span;
  if (!FindPartRowSpan(l, d, parts, a.Of(d), b.Of(d), a.Count(d), &span)) return l;
  return MapRowBetweenShapes(l, a.Count(d), span.sampleFirst, span.sampleLast, span.templateFirst,
                             span.templateLast);
}

const ShapeRun* Closest(const std::vector<ShapeRun>& line, const ShapeRun& r, int tolerance) {
  const ShapeRun* best = nullptr;
  int bestCost = 0;
  for (const ShapeRun& c : line) {
    if (c.dark != r.dark) continue;
    const int dp = std::abs(static_cast<int>(c.position) - static_cast<int>(r.position));
    const int dl = std::abs(static_cast<int>(c.length) - static_cast<int>(r.length));
    if (dp > tolerance || dl > tolerance) continue;
    if (!best || dp + dl < bestCost) best = &c, bestCost = dp + dl;
  }
  return best;
}

ShapeRun MeanRun(const ShapeRun& first, long positions, long lengths, long lines, long n) {
  ShapeRun r = first;
  r.position = static_cast<uint32_t>(RoundedMean(positions, n));
  r.length = static_cast<uint32_t>(RoundedMean(lengths, n));
  r.line = static_cast<uint32_t>(RoundedMean(lines, n));
  return r;
}

// The consensus of description i of the group at one tolerance.
Template Consensus(const std::vector<const uint8_t*>& group, const std::vector<Template>& unpacked, size_t i,
                   const std::vector<RunPartRecord>& parts, int tolerance) {
  Template t = unpacked[i];
  const DirectionLines a(group[i]);
  const long n = static_cast<long>(group.size());
  for (size_t li = 0; li < t.lines.size(); ++li) {
    const int d = static_cast<int>(li) < t.rows ? 0 : 1;
    const int l = static_cast<int>(li) - (d ? t.rows : 0);
    std::vector<ShapeRun> kept;
    for (const ShapeRun& r : unpacked[i].lines[li]) {
      long found = 1, positions = r.position, lengths = r.length, lines = r.line;
      for (size_t j = 0; j < group.size(); ++j) {
        if (j == i) continue;
        const DirectionLines b(group[j]);
        const int lj = MapLine(l, d, a, b, parts) + (d ? unpacked[j].rows : 0);
        if (lj < 0 || lj >= static_cast<int>(unpacked[j].lines.size())) continue;
        if (const ShapeRun* c = Closest(unpacked[j].lines[lj], r, tolerance)) {
          ++found;
          positions += c->position, lengths += c->length, lines += c->line;
        }
      }
      if (2 * found > n) kept.push_back(MeanRun(r, positions, lengths, lines, found));
    }
    t.lines[li] = std::move(kept);
  }
  return t;
}

Template Merge(const Template& a, const Template& b, int tolerance) {
  Template t = a;
  for (size_t li = 0; li < t.lines.size(); ++li) {
    std::vector<ShapeRun> kept;
    for (const ShapeRun& r : a.lines[li]) {
      if (li >= b.lines.size()) break;
      if (const ShapeRun* c = Closest(b.lines[li], r, tolerance))
        kept.push_back(MeanRun(r, r.position + c->position, r.length + c->length, r.line + c->line, 2));
    }
    t.lines[li] = std::move(kept);
  }
  return t;
}

// One merging pass over the templates; true when any pair merged.
bool MergePass(std::vector<Template>* ts, int tolerance, const Refiner& refiner, const Description& self) {
  bool merged = false;
  for (size_t i = 0; i < ts->size(); ++i) {
    for (size_t j = i + 1; j < ts->size();) {
      Template& ti = (*ts)[i];
      const Template& tj = (*ts)[j];
      Template m = Merge(ti, tj, tolerance);
      m.own = ti.own;
      m.ratio = refiner.Ratio(&m, self);
      if (m.ratio > 0 && m.ratio >= (ti.ratio + tj.ratio) / 2) {
        Template other = Merge(tj, ti, tolerance);
        other.own = ti.own;
        other.ratio = refiner.Ratio(&other, self);
        ti = other.ratio > m.ratio ? std::move(other) : std::move(m);
        ts->erase(ts->begin() + static_cast<long>(j));
        merged = true;
        continue;
      }
      ++j;
    }
  }
  return merged;
}

double MeanRatio(const std::vector<Template>& ts) {
  double sum = 0;
  for (const Template& t : ts) sum += t.ratio;
  return ts.empty() ? 0 : sum / ts.size();
}

struct Stretch {
  int direction, low, high, first, last;
};

std::vector<Stretch> LongRunStretches(const uint8_t* d) {
  const DirectionLines lines(d);
  std::vector<Stretch> out;
  for (int dir = 0; dir < 2; ++dir) {
    const int lineLength = dir == 0 ? lines.cols : lines.rows;
    const uint32_t longer = static_cast<uint32_t>(lineLength * 3 / 4 * 8);
    bool open = false;
    for (int l = 0; l < lines.Count(dir); ++l) {
      RunLine r;
      UnpackShapeRunLine(lines.Of(dir)[l], &r);
      int low = 256, high = -1;
      for (uint32_t k = 0; k < r.count; ++k) {
        if (!r.runs[k].dark || r.runs[k].length <= longer) continue;
        low = std::min(low, static_cast<int>(r.runs[k].position));
        high = std::max(high, static_cast<int>(r.runs[k].position));
      }
      if (high < 0) {
        open = false;
        continue;
      }
      if (open) {
        Stretch& s = out.back();
        s.low = std::min(s.low, low), s.high = std::max(s.high, high), s.last = l;
      } else {
        out.push_back({dir, low, high, l, l});
        open = true;
      }
    }
  }
  return out;
}

}  // namespace

std::vector<RunPartRecord> DerivePartRecords(const std::vector<const uint8_t*>& descriptions) {
  std::vector<RunPartRecord> kept;
  if (descriptions.empty()) return kept;
  struct Record {
    Stretch s;
    size_t support;
  };
  std::vector<Record> records;
  for (const Stretch& s : LongRunStretches(descriptions[0])) records.push_back({s, 1});
  for (size_t k = 1; k < descriptions.size(); ++k) {
    const std::vector<Stretch> stretches = LongRunStretches(descriptions[k]);
    std::vector<bool> supported(records.size(), false);
    for (bool changed = true; changed;) {
      changed = false;
      for (size_t r = 0; r < records.size(); ++r) {
        Stretch& rec = records[r].s;
        for (const Stretch& s : stretches) {
          if (s.direction != rec.direction || s.first > rec.last + 1 || s.last < rec.first - 1) continue;
          if (!supported[r]) supported[r] = true, ++records[r].support;
          const Stretch before = rec;
          rec.low = std::min(rec.low, s.low), rec.high = std::max(rec.high, s.high);
          rec.first = std::min(rec.first, s.first), rec.last = std::max(rec.last, s.last);
          if (before.low != rec.low || before.high != rec.high || before.first != rec.first || before.last != rec.last)
            changed = true;
        }
      }
    }
  }
  const int cols = descriptions[0][4], rows = descriptions[0][5];
  for (const Record& r : records) {
    const int half = r.s.direction == 0 ? cols / 2 : rows / 2;
    if (r.support != descriptions.size() || r.s.last - r.s.first > half) continue;
    RunPartRecord p;
    p.direction = static_cast<uint8_t>(r.s.direction);
    p.lowPosition = static_cast<uint8_t>(r.s.low);
    p.highPosition = static_cast<uint8_t>(r.s.high);
    p.firstLine = static_cast<uint8_t>(r.s.first);
    p.lastLine = static_cast<uint8_t>(r.s.last);
    p.id = static_cast<uint8_t>(kept.size());
    ClassifierLog("Line Block added: %s minpos: %d maxpos: %d, stpos: %d, enpos: %d, id: %d\n",
                  p.direction == 0 ? "Horizontal" : "Vertical", p.lowPosition, p.highPosition, p.firstLine,
                  p.lastLine, p.id);
    kept.push_back(p);
  }
  return kept;
}

bool ReportClassifierPerformance(const NotationDatabase& trained, NotationDatabase* refined, TemplateDistance distance,
                                 RefinementSummary* summary) {
  if (!distance) distance = DefaultDistance;
  const uint8_t* block1 = trained.groups.data();
  const size_t length1 = trained.groups.size();
  const uint8_t* block2 = trained.descriptions.data();
  const size_t length2 = trained.descriptions.size();

  // Every description with its group's class.
  std::vector<NotationGroup> groups;
  std::vector<Description> all;
  std::vector<std::vector<int>> members;
  for (size_t at = 0; at < length1;) {
    NotationGroup g;
    if (!ReadNotationGroup(block1 + at, length1 - at, &g)) return false;
    members.emplace_back();
    for (uint32_t i = 0; i < g.count; ++i) {
      const uint8_t* d = TemplateDescription(g, i, block2, length2);
      if (!d) return false;
      members.back().push_back(static_cast<int>(all.size()));
      all.push_back({d, g.typf, g.type, (g.header[1] >> 4) & 3, static_cast<int>(groups.size())});
    }
    at += g.length;
    groups.push_back(std::move(g));
  }

  Refiner refiner(all, distance);
  NotationDatabase out;
  out.NotationDarknessTable = trained.NotationDarknessTable;
  RefinementSummary tally;
  for (size_t gi = 0; gi < groups.size(); ++gi) {
    const NotationGroup& g = groups[gi];
    if (g.type == 255) continue;
    std::vector<const uint8_t*> descs;
    for (int k : members[gi]) descs.push_back(all[k].bytes);
    const Description self = all.empty() || members[gi].empty()
                                 ? Description{nullptr, g.typf, g.type, (g.header[1] >> 4) & 3, static_cast<int>(gi)}
                                 : all[members[gi][0]];
    std::vector<RunPartRecord> parts;
    if (g.type != 0) parts = DerivePartRecords(descs);

    std::vector<Template> templates;
    bool thresholds = false;
    int safe = 0, maybe = 0;
    std::vector<bool> marks(1024, false);
    if (descs.size() < 2 || g.type == 0) {
      for (size_t k = 0; k < descs.size(); ++k) {
        templates.push_back(Unpack(descs[k]));
        templates.back().own = members[gi][k];
      }
    } else {
      std::vector<Template> unpacked;
      for (const uint8_t* d : descs) unpacked.push_back(Unpack(d));
      for (size_t k = 0; k < descs.size(); ++k) {
        Template best = unpacked[k];
        best.own = members[gi][k];
        best.ratio = refiner.Ratio(&best, self);
        bool chosen = false;
        for (int tolerance : kTolerances) {
          Template t = Consensus(descs, unpacked, k, parts, tolerance);
          t.own = members[gi][k];
          t.ratio = refiner.Ratio(&t, self);
          if (t.ratio > 0 && (!chosen || t.ratio > best.ratio)) best = std::move(t), chosen = true;
        }
        templates.push_back(std::move(best));
      }
      const size_t before = templates.size();
      for (;;) {
        int bestTolerance = kMergeTolerances[0];
        double bestMean = -1;
        for (int tolerance : kMergeTolerances) {
          std::vector<Template> trial = templates;
          MergePass(&trial, tolerance, refiner, self);
          const double mean = MeanRatio(trial);
          if (mean > bestMean) bestMean = mean, bestTolerance = tolerance;
        }
        if (!MergePass(&templates, bestTolerance, refiner, self)) break;
      }
      // The group's thresholds from its templates; a group that cannot be
      // measured accepts nothing.
      long maybeSum = 0, measured = 0;
      int least = kNotComparable;
      for (Template& t : templates) {
        Pack(&t);
        const Statistics s = refiner.TemplateStatistics(t.packed.data(), self, t.own);
        if (!s.ok) continue;
        ++measured;
        least = std::min(least, s.safe);
        maybeSum += s.maybe;
        ++tally.templates;
        if (refiner.CheckTemplateClass(t.packed.data(), self, t.own, s.safe, s.maybe, &marks)) ++tally.correct;
      }
      thresholds = true;
      if (measured > 0) {
        safe = std::min(least, kThresholdLimit);
        maybe = static_cast<int>(std::min<long>(RoundedMean(maybeSum, measured), kThresholdLimit));
      }
      ClassifierLog("(Merged %d shapes into %d) Group score thresholds - safe: %d, maybe: %d\n",
                    static_cast<int>(before), static_cast<int>(templates.size()), safe, maybe);
    }

    // The group: copied chunks, part records, thresholds, confusions, end.
    std::vector<uint8_t> group = {0, 0, static_cast<uint8_t>(g.typf), static_cast<uint8_t>(g.type)};
    for (size_t at = 4; at < g.length && g.start[at] != kChunkEnd; at += g.start[at + 1]) {
      if (g.start[at] == kChunkPart || g.start[at] == kChunkThresholds || g.start[at] == kChunkConfusions) continue;
      group.insert(group.end(), g.start + at, g.start + at + g.start[at + 1]);
    }
    for (const RunPartRecord& p : parts) {
      uint8_t chunk[kChunkPartLength];
      WritePartChunk(p, chunk);
      group.insert(group.end(), chunk, chunk + sizeof chunk);
    }
    if (thresholds) {
      group.push_back(kChunkThresholds);
      group.push_back(static_cast<uint8_t>(kChunkThresholdsLength));
      PushU16(&group, static_cast<uint32_t>(safe));
      PushU16(&group, static_cast<uint32_t>(maybe));
      PushU16(&group, 0);
    }
    std::vector<std::pair<int, int>> pairs;
    for (int k = 0; k < 1024 && static_cast<int>(pairs.size()) < kMaxConfusionPairs; ++k)
      if (marks[k]) pairs.emplace_back(k / 4, k % 4);
    if (!pairs.empty()) {
      const size_t length = ConfusionChunkLength(static_cast<int>(pairs.size()));
      const size_t start = group.size();
      group.resize(start + length, 0);
      group[start] = kChunkConfusions;
      group[start + 1] = static_cast<uint8_t>(length);
      group[start + 2] = static_cast<uint8_t>(pairs.size());
      for (size_t k = 0; k < pairs.size(); ++k) {
        group[start + 3 + 2 * k] = static_cast<uint8_t>(pairs[k].first);
        group[start + 4 + 2 * k] = static_cast<uint8_t>(pairs[k].second);
      }
    }
    group.insert(group.end(), {kChunkEnd, static_cast<uint8_t>(kChunkEndLength), 0, 0});
    PushU32(&group, static_cast<uint32_t>(templates.size()));
    for (Template& t : templates) {
      Pack(&t);
      PushU32(&group, static_cast<uint32_t>(out.descriptions.size()));
      out.descriptions.insert(out.descriptions.end(), t.packed.begin(), t.packed.end());
      ++out.descriptionCount;
    }
    if (group.size() > 0xFFFF) return false;
    group[0] = static_cast<uint8_t>(group.size());
    group[1] = static_cast<uint8_t>(group.size() >> 8);
    out.groups.insert(out.groups.end(), group.begin(), group.end());
    ++out.groupCount;
  }
  if (tally.templates > 0)
    ClassifierLog("\nAlgorithm Performance - Accuracy: %f%%\n\n", 100.0 * tally.correct / tally.templates);
  if (summary) *summary = tally;
  *refined = std::move(out);
  return true;
}
