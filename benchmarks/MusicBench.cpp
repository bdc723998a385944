// How well the engine reads the benchmark's engraved pages
// (benchmarks/music/make_pages.py: MuseScore 3 and LilyPond engravings of
// the same seeded scores), with the shipped reference sets: per engraver and
// for clean and degraded pages (the truth's boxes turned by the degraded
// page's skew), the staves, systems and joined staves found; the bar lines,
// ledger lines, beams and stems (those the object graph joins to a stem and
// to a head), slurs, hairpins, tuplet brackets, each family of fixed-size
// symbols and, where the truth names it, each symbol type, against the SVG's
// boxes; the noteheads by the finder's model (black, half, whole, small)
// against the heads of that kind; the noteheads found at their steps
// (precision and recall); the notes of the page description (staff step and
// GetNoteGroupDuration, tuplet scale included) aligned per staff in time
// order; and the time per page natively on one core. Only pages of the
// "bench" role are read (or of the role given: the reference sets are tuned
// on "calibrate" pages, never on these). Not a test: run it from a Release
// build (see README).
//
//   music_bench PAGE_FOLDER [ENGINE_FOLDER [ROLE]]
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Code/Quorm/Barcalcs.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/findtupb.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/Quorm.h"
#include "benchmarks/MusicNotes.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tools/refmaker/NoteScore.h"
#include "tools/refmaker/RefMaker.h"

namespace {

using Clock = std::chrono::steady_clock;
using refmaker::FinderScore;
using refmaker::NoteScore;
using refmaker::ScoredNote;


struct Truth {
  int staves = 1;                 // per system
  std::map<int, int> systems;     // page -> systems on it
  std::map<int, double> skews;    // page -> its degraded copy's skew, degrees clockwise
  std::vector<ScoredNote> notes;  // staff of the system, step, duration
  std::vector<TrueBox> boxes;
  std::set<std::string> typedKinds;  // the kinds whose boxes name their symbol's type
};

bool ReadTruth(const std::string& path, Truth* truth) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "staves") {
      words >> truth->staves;
    } else if (kind == "page") {
      int page = 0, systems = 0;
      words >> page >> systems;
      truth->systems[page] = systems;
    } else if (kind == "skew") {
      int page = 0;
      double degrees = 0;
      words >> page >> degrees;
      truth->skews[page] = degrees;
    } else if (kind == "box") {
      TrueBox b;
      words >> b.page >> b.kind >> b.x0 >> b.y0 >> b.x1 >> b.y1;
      words >> b.type;  // none on most boxes
      truth->boxes.push_back(b);
    } else if (kind == "note") {
      ScoredNote n;
      words >> n.staff >> n.step >> n.duration;
      truth->notes.push_back(n);
    }
  }
  for (const TrueBox& b : truth->boxes)
    if (!b.type.empty()) truth->typedKinds.insert(b.kind);
  return true;
}

// A numeral counts as a tuplet number only where the bar calculations try
// it as one, within a staff's bars: the digits of a page's footer and the
// bar numbers left of a staff's start are digits the truth does not box.
int32_t IsTupletNumeralAt(int32_t i) {
  if (!IsNumeralSymbolAt(i)) return 0;
  const EngineBox b = GetFixedSymbolBox(i);
  return IsInBarReach((b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2);
}

// The fixed-size symbols scored, by family: the engraver's SVG kind, the
// engine's test of a found symbol, and whether a true box pairs with one
// find only (a multi-letter dynamic is one box and a symbol per letter).
struct SymbolFamily {
  const char* name;
  const char* kind;
  FixedSymbolTest test;
  bool oneToOne;
};
constexpr int kSymbolFamilyCount = 7;
const SymbolFamily kSymbolFamilies[kSymbolFamilyCount] = {
    {"clefs", "Clef", IsClefSymbolAt, true},
    {"rests", "Rest", IsRestSymbolAt, true},
    {"accidentals", "Accidental", IsAccidentalSymbolAt, true},
    {"dots", "NoteDot", IsDotSymbolAt, true},
    {"flags", "Hook", IsShortFlagSymbolAt, true},
    {"dynamics", "Dynamic", IsDynamicSymbolAt, false},
    {"tuplet numerals", "Tuplet", IsTupletNumeralAt, true},
};

// The notehead finder's models and the truth's kind of head for each; the
// pages hold no small (grace or cue) heads, so every small head found is
// a false one.
struct HeadModel {
  const char* name;
  int32_t model;
  const char* kind;
};
constexpr int kHeadModelCount = 4;
const HeadModel kHeadModels[kHeadModelCount] = {
    {"black heads", 0, "NoteBlack"}, {"half heads", 1, "NoteHalf"},
    {"whole heads", 2, "NoteWhole"}, {"small heads", 4, "NoteSmall"},
};

struct Figures {
  int pages = 0;
  int unboxed = 0;  // degraded pages whose truth gives no skew: their boxes are not scored
  FinderScore staves, systems, joined;
  // The boxes of the clean page, turned by the skew on degraded pages.
  FinderScore barLines, ledgerLines, beams, slurs, hairpins, stems, tuplets;
  FinderScore symbols[kSymbolFamilyCount];  // by family, as kSymbolFamilies
  FinderScore headModels[kHeadModelCount];  // as kHeadModels
  // Where the truth names the symbols' types: per family and type.
  std::map<std::pair<int, std::string>, FinderScore> symbolTypes;
  NoteScore heads;  // the notehead finder's heads, steps only
  NoteScore notes;  // the page description's notes, steps and durations
  double milliseconds = 0;
  double slowest = 0;
};

void Add(FinderScore& a, int truth, int found, int matched) {
  a.truth += truth;
  a.found += found;
  a.matched += matched;
}

// A found line (x0, y0)-(x1, y1) against the true boxes of a kind: matched
// when its middle lies within the tolerance of a box across the line and it
// overlaps the box along it.
bool NearBox(const TrueBox& b, int x0, int y0, int x1, int y1, bool vertical, int tolerance) {
  if (vertical)
    return std::abs((x0 + x1) / 2 - (b.x0 + b.x1) / 2) <= tolerance && y0 <= b.y1 && b.y0 <= y1;
  return std::abs((y0 + y1) / 2 - (b.y0 + b.y1) / 2) <= tolerance && x0 <= b.x1 && b.x0 <= x1;
}



// The name of a fixed-size symbol type, as the reference tool names its
// glyphs; "type N" for a type without a glyph of its own. A rest the engine
// has joined its dots to is named by its own glyph (the truth boxes the
// dots apart, as dots).
std::string SymbolTypeName(int32_t type) {
  if (type >= 700 && type <= 716 && type % 10 <= 6) type = 40 + type % 10;
  for (const refmaker::SymbolGlyphSource& s : refmaker::SymbolGlyphSources())
    if (s.type == type) return s.name;
  return "type " + std::to_string(type);
}


void ScoreLines(const std::vector<TrueBox>& boxes, int page, const char* kind, const std::vector<FoundLine>& found,
                bool vertical, int tolerance, FinderScore* score) {
  std::vector<const TrueBox*> mine;
  for (const TrueBox& b : boxes)
    if (b.page == page && b.kind == kind) mine.push_back(&b);
  int matchedTrue = 0, matchedFound = 0;
  for (const TrueBox* b : mine)
    for (const FoundLine& f : found)
      if (NearBox(*b, f.x0, f.y0, f.x1, f.y1, vertical, tolerance)) {
        ++matchedTrue;
        break;
      }
  for (const FoundLine& f : found)
    for (const TrueBox* b : mine)
      if (NearBox(*b, f.x0, f.y0, f.x1, f.y1, vertical, tolerance)) {
        ++matchedFound;
        break;
      }
  // Precision from the found side, recall from the true side.
  score->truth += static_cast<int>(mine.size());
  score->found += static_cast<int>(found.size());
  score->matched += matchedFound;
  score->recalled = std::max(score->recalled, 0) + matchedTrue;
}

// The truth's boxes of a page where they lie on the page read: as they stand
// on the clean page, turned by the page's skew on a degraded one (the clean
// page's size given); false when a degraded page's skew is unknown.
bool BoxesOnPage(const Truth& truth, int page, bool clean, int cleanWidth, int cleanHeight, int width, int height,
                 std::vector<TrueBox>* out) {
  out->clear();
  const auto skew = truth.skews.find(page);
  if (!clean && (skew == truth.skews.end() || cleanWidth <= 0 || cleanHeight <= 0)) return false;
  for (const TrueBox& b : truth.boxes) {
    if (b.page != page) continue;
    TrueBox moved = b;
    if (!clean) {
      const PixelBox p = SkewedBox(PixelBox{b.x0, b.y0, b.x1, b.y1}, skew->second, cleanWidth, cleanHeight, width,
                                   height);
      moved.x0 = p.x0, moved.y0 = p.y0, moved.x1 = p.x1, moved.y1 = p.y1;
    }
    out->push_back(moved);
  }
  return true;
}

// Reads one page; adds its figures. The notes of the score are spread over
// its pages, so a page is scored against the notes of the systems it holds:
// the staves of a system by their place in it, system after system. Returns
// the page's size (0 x 0 when it cannot be read); a degraded page's truth
// boxes are turned about the clean page's middle, of the size given.
std::pair<int, int> ReadPage(const std::string& path, const Truth& truth, int page, bool clean,
                             std::pair<int, int> cleanSize, Figures* f, std::vector<ScoredNote>* readHeads,
                             std::vector<ScoredNote>* readNotes) {
  EngravedPage engraved;
  if (!LoadEngravedPage(path, &engraved)) {
    std::printf("%s cannot be read\n", path.c_str());
    return {0, 0};
  }
  const std::pair<int, int> size{engraved.width, engraved.height};
  std::vector<TrueBox> boxes;
  const bool boxed =
      BoxesOnPage(truth, page, clean, cleanSize.first, cleanSize.second, engraved.width, engraved.height, &boxes);
  if (!boxed) ++f->unboxed;
  const Clock::time_point t0 = Clock::now();
  FreeEngine();
  if (InitialiseEngine() != kEngineOk ||
      LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0) != kEngineOk) {
    std::printf("%s: the engine did not start\n", path.c_str());
    return size;
  }
  const bool staves = RunStaffStage(1, nullptr, nullptr) == kStageCompleted;
  const bool read_ = staves && RecognisePage(1.0f, nullptr, nullptr) == kStageCompleted;
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  ++f->pages;
  f->milliseconds += ms;
  f->slowest = std::max(f->slowest, ms);
  const auto systems = truth.systems.find(page);
  const int trueSystems = systems == truth.systems.end() ? 0 : systems->second;
  const int trueStaves = trueSystems * truth.staves;
  const int found = staves ? GetStaffCount() : 0;
  Add(f->staves, trueStaves, found, std::min(found, trueStaves));
  int foundSystems = 0, joined = 0, rightJoins = 0;
  for (int s = 0; s < found; ++s) {
    if (s == 0 || GetStaffJoinedBelow(s - 1) == 0) ++foundSystems;
    if (s + 1 < found && GetStaffJoinedBelow(s)) {
      ++joined;
      if (truth.staves == 2 && s % 2 == 0) ++rightJoins;
    }
  }
  Add(f->joined, truth.staves == 2 ? trueSystems : 0, joined, rightJoins);
  Add(f->systems, trueSystems, truth.staves == 2 ? foundSystems : found,
      std::min(trueSystems, truth.staves == 2 ? foundSystems : found));
  if (!read_) return size;
  if (boxed) {
    const int s = std::max(1, GetPageStaffSpace() / 1024);
    std::vector<FoundLine> bars, ledgers;
    for (int i = 0; i < GetBarLineCount(); ++i) {
      const EnginePoint top = GetBarLineTop(i), bottom = GetBarLineBottom(i);
      bars.push_back({std::min(top.x, bottom.x), top.y, std::max(top.x, bottom.x), bottom.y});
    }
    for (int i = 0; i < GetLedgerLineCount(); ++i) {
      const int y = GetLedgerLineY(i);
      ledgers.push_back({GetLedgerLineLeftX(i), y, GetLedgerLineRightX(i), y});
    }
    ScoreLines(boxes, page, "BarLine", bars, true, s / 2, &f->barLines);
    ScoreLines(boxes, page, "LedgerLine", ledgers, false, s / 3, &f->ledgerLines);
    std::vector<FoundLine> beams, slurs, hairpins;
    // The beams: the beam finder's chains that the object graph joins to a
    // stem. The finder keeps every thick stroke it can chain as a candidate
    // (a notehead, a rest, the strokes of a sharp) and a chain under each
    // beam model it passes (short and long: the same beam twice, counted
    // once); a candidate no stem is joined to is no beam the page has.
    int32_t linked[kMaxStemsOfBeam > kMaxHeadsOfStem ? kMaxStemsOfBeam : kMaxHeadsOfStem];
    for (int i = 0; i < GetBeamCount(); ++i) {
      if (ListStemsOfBeam(i, linked) == 0) continue;
      const EnginePoint a = GetBeamLeftEnd(i), b = GetBeamRightEnd(i);
      const FoundLine beam{a.x, a.y, b.x, b.y};
      if (std::none_of(beams.begin(), beams.end(), [&](const FoundLine& o) {
            return o.x0 == beam.x0 && o.y0 == beam.y0 && o.x1 == beam.x1 && o.y1 == beam.y1;
          }))
        beams.push_back(beam);
    }
    for (int i = 0; i < GetSlurCount(); ++i) {
      const EnginePoint a = GetSlurStart(i), b = GetSlurEnd(i);
      slurs.push_back({a.x, a.y, b.x, b.y});
    }
    for (int i = 0; i < GetHairpinCount(); ++i)
      hairpins.push_back({GetHairpinLeft(i), GetHairpinTop(i), GetHairpinRight(i), GetHairpinBottom(i)});
    ScoreBoxes(boxes, page, "Beam", beams, s / 2, &f->beams);
    ScoreBoxes(boxes, page, "SlurSegment", slurs, s, &f->slurs);
    ScoreBoxes(boxes, page, "HairpinSegment", hairpins, s / 2, &f->hairpins);
    // The stems: the vertical lines the object graph joins to a notehead
    // (the line finder finds every vertical stroke: bar lines, clefs, the
    // strokes of accidentals and rests too).
    std::vector<FoundLine> stems;
    for (int i = 0; i < GetVerticalLineCount(); ++i) {
      if (ListHeadsOfStem(i, linked) == 0) continue;
      const EnginePoint top = GetVerticalLineTop(i), bottom = GetVerticalLineBottom(i);
      stems.push_back({std::min(top.x, bottom.x), top.y, std::max(top.x, bottom.x), bottom.y});
    }
    ScoreLines(boxes, page, "Stem", stems, true, s / 3, &f->stems);
    // A bracket against the engraver's tuplet (bracket and number). Only a
    // tuplet box wider than two spaces has a bracket: LilyPond sets a beamed
    // triplet's number alone, and its box is the number's.
    std::vector<FoundLine> brackets;
    for (int i = 0; i < GetTupletBracketCount(); ++i) {
      FoundTupletBracket b{};
      GetTupletBracket(&b, i);
      brackets.push_back({b.leftX, std::min(b.leftY, b.rightY), b.rightX, std::max(b.leftY, b.rightY)});
    }
    std::vector<TrueBox> bracketed;
    for (const TrueBox& b : boxes)
      if (b.kind == "Tuplet" && b.x1 - b.x0 > 2 * s) bracketed.push_back(b);
    ScoreBoxes(bracketed, page, "Tuplet", brackets, s, &f->tuplets);
    for (int k = 0; k < kSymbolFamilyCount; ++k) {
      std::vector<FoundLine> symbols;
      for (int i = 0; i < GetFixedSymbolCount(); ++i) {
        if (!kSymbolFamilies[k].test(i)) continue;
        const EngineBox b = GetFixedSymbolBox(i);
        symbols.push_back({b.x0, b.y0, b.x1, b.y1});
      }
      ScoreBoxes(boxes, page, kSymbolFamilies[k].kind, symbols, s / 2, &f->symbols[k],
                 kSymbolFamilies[k].oneToOne);
    }
    // Where the truth names the types, each family's finds of a type
    // against its boxes of that type.
    for (int k = 0; k < kSymbolFamilyCount; ++k) {
      std::map<std::string, std::vector<FoundLine>> found;
      std::vector<TrueBox> typed;
      for (const TrueBox& b : boxes)
        if (b.kind == kSymbolFamilies[k].kind && !b.type.empty()) {
          typed.push_back(b);
          found[b.type];
        }
      if (truth.typedKinds.count(kSymbolFamilies[k].kind) == 0) continue;
      for (int i = 0; i < GetFixedSymbolCount(); ++i) {
        if (!kSymbolFamilies[k].test(i)) continue;
        const EngineBox b = GetFixedSymbolBox(i);
        found[SymbolTypeName(GetFixedSymbolType(i))].push_back({b.x0, b.y0, b.x1, b.y1});
      }
      for (const auto& [type, finds] : found) {
        std::vector<TrueBox> mine;
        for (const TrueBox& b : typed)
          if (b.type == type) mine.push_back(b);
        ScoreBoxes(mine, page, kSymbolFamilies[k].kind, finds, s / 2, &f->symbolTypes[{k, type}],
                   kSymbolFamilies[k].oneToOne);
      }
    }
    // Each head found against the truth's heads of its model's kind, one
    // find to a box: its middle in the box.
    for (int k = 0; k < kHeadModelCount; ++k) {
      std::vector<FoundLine> found;
      for (int i = 0; i < GetNoteheadCount(); ++i) {
        const FoundNotehead h = GetFoundNotehead(i);
        if (h.model == kHeadModels[k].model) found.push_back({h.leftX, h.centreY, h.rightX, h.centreY});
      }
      ScoreBoxes(boxes, page, kHeadModels[k].kind, found, s / 2, &f->headModels[k], true);
    }
  }

  std::vector<FoundNotehead> heads;
  for (int i = 0; i < GetNoteheadCount(); ++i) heads.push_back(GetFoundNotehead(i));
  std::stable_sort(heads.begin(), heads.end(), [](const FoundNotehead& a, const FoundNotehead& b) {
    if (a.staff != b.staff) return a.staff < b.staff;
    if (a.rightX < b.leftX) return true;
    if (b.rightX < a.leftX) return false;
    return a.step < b.step;
  });
  for (const FoundNotehead& h : heads) readHeads->push_back(ScoredNote{h.staff % truth.staves, h.step, -1});
  // The page description's notes: system by system, each stave's groups in
  // time order, a chord's notes from the top down; durations in 1/192 of a
  // whole note with the tuplet's scale.
  for (int system = 0; system < GetPageSystemCount(0); ++system)
    for (int stave = 0; stave < GetSystemStaveCount(0, system); ++stave)
      for (int slot = 0; slot < GetStaveTimeSlotCount(0, system, stave); ++slot) {
        int32_t count = 0;
        const MscriptNoteGroup* groups = GetTimeSlotNotes(0, system, stave, slot, &count);
        for (int g = 0; g < count; ++g) AppendScoredNotes(groups[g], stave % truth.staves, readNotes);
      }
  return size;
}

void Print(const char* title, const Figures& f, bool clean) {
  if (f.pages == 0) return;
  auto pr = [](const char* name, const FinderScore& s) {
    std::printf("  %-22s precision %5.1f%%  recall %5.1f%%  (%d found, %d true)\n", name, 100 * s.Precision(),
                100 * s.Recall(), s.found, s.truth);
  };
  std::printf("%s: %d pages\n", title, f.pages);
  pr("staves", f.staves);
  pr("systems", f.systems);
  pr("joined staves", f.joined);
  if (f.barLines.truth > 0 || f.barLines.found > 0) {
    pr("bar lines", f.barLines);
    pr("ledger lines", f.ledgerLines);
    pr("beams", f.beams);
    pr("slurs and ties", f.slurs);
    pr("hairpins", f.hairpins);
    pr("stems", f.stems);
    pr("tuplet brackets", f.tuplets);
    for (int k = 0; k < kSymbolFamilyCount; ++k) {
      pr(kSymbolFamilies[k].name, f.symbols[k]);
      for (const auto& [key, score] : f.symbolTypes)
        if (key.first == k) pr(("  " + key.second).c_str(), score);
    }
    if (f.symbolTypes.empty())
      std::printf("  %-22s by family only: the truth names no symbol's type\n", "symbols");
    for (int k = 0; k < kHeadModelCount; ++k) pr(kHeadModels[k].name, f.headModels[k]);
  }
  if (f.unboxed > 0)
    std::printf("  %d pages without boxes (a degraded page whose truth gives no skew: remake the pages)\n",
                f.unboxed);

  FinderScore heads;
  heads.truth = f.heads.truth;
  heads.found = f.heads.read;
  heads.matched = f.heads.right + f.heads.wrongDuration;
  pr("noteheads at steps", heads);
  if (clean) std::printf("  %-22s %5.1f%% right (target 99%%)\n", "noteheads", 100 * f.heads.Accuracy());
  std::printf("  %-22s %5.1f%% right (target %d%%; %d step wrong, %d duration wrong, %d missed, %d extra of %d)\n",
              "notes", 100 * f.notes.Accuracy(), clean ? 98 : 95, f.notes.wrongPitch, f.notes.wrongDuration,
              f.notes.missed, f.notes.extra, f.notes.truth);
  std::printf("  %-22s %.0f ms a page on average, %.0f ms the slowest (target at most 1000 ms)\n", "time",
              f.milliseconds / f.pages, f.slowest);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: music_bench PAGE_FOLDER [ENGINE_FOLDER [ROLE]]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string engine = argc > 2 ? argv[2] : KV_SHIPPED_ENGINE_FOLDER;
  const std::string wanted = argc > 3 ? argv[3] : "bench";
  SetEngineFolder(engine.c_str());
  std::ifstream index(folder + "/index.txt");
  if (!index) {
    std::fprintf(stderr, "music_bench: no %s/index.txt (write the pages with benchmarks/music/make_pages.py)\n",
                 folder.c_str());
    return 1;
  }
  // Per engraver: its truth files, pages and figures. An index line without
  // an engraver is an older MuseScore page.
  struct Engraving {
    const char* prefix;
    const char* title;
    Figures clean, degraded;
    std::map<int, Truth> truths;
    std::map<int, std::vector<ScoredNote>> cleanHeads, degradedHeads, cleanNotes, degradedNotes;
  };
  std::map<std::string, Engraving> engravings;
  engravings["musescore"] = Engraving{"score", "MuseScore 3", {}, {}, {}, {}, {}, {}, {}};
  engravings["lilypond"] = Engraving{"ly", "LilyPond", {}, {}, {}, {}, {}, {}, {}};
  std::string line;
  while (std::getline(index, line)) {
    std::istringstream words(line);
    std::string role, engraver;
    int score = 0, page = 0;
    if (!(words >> role >> score >> page)) continue;
    if (!(words >> engraver)) engraver = "musescore";
    if (role != wanted) continue;
    const auto e = engravings.find(engraver);
    if (e == engravings.end()) {
      std::fprintf(stderr, "music_bench: index.txt names an unknown engraver \"%s\"\n", engraver.c_str());
      return 1;
    }
    Engraving& en = e->second;
    const std::string base = folder + "/" + en.prefix + std::to_string(score);
    if (en.truths.find(score) == en.truths.end() && !ReadTruth(base + ".truth", &en.truths[score])) {
      std::printf("%s.truth cannot be read\n", base.c_str());
      return 1;
    }
    const Truth& truth = en.truths[score];
    const std::string name = base + "-" + std::to_string(page);
    const std::pair<int, int> cleanSize =
        ReadPage(name + ".tif", truth, page, true, {0, 0}, &en.clean, &en.cleanHeads[score], &en.cleanNotes[score]);
    ReadPage(name + "-degraded.tif", truth, page, false, cleanSize, &en.degraded, &en.degradedHeads[score],
             &en.degradedNotes[score]);
  }
  FreeEngine();
  for (auto& [key, en] : engravings) {
    for (const auto& [s, truth] : en.truths) {
      std::vector<ScoredNote> steps = truth.notes;
      for (ScoredNote& n : steps) n.duration = -1;
      en.clean.heads.Add(refmaker::ScoreNotes(steps, en.cleanHeads[s]));
      en.degraded.heads.Add(refmaker::ScoreNotes(steps, en.degradedHeads[s]));
      en.clean.notes.Add(refmaker::ScoreNotes(truth.notes, en.cleanNotes[s]));
      en.degraded.notes.Add(refmaker::ScoreNotes(truth.notes, en.degradedNotes[s]));
    }
    if (en.clean.pages == 0 && en.degraded.pages == 0) continue;
    std::printf("%s pages at 300 dpi, reference sets of %s\n", en.title, engine.c_str());
    Print("clean", en.clean, true);
    Print("degraded", en.degraded, false);
  }
  std::printf("targets: noteheads 99%% and notes 98%% right on clean pages, notes 95%% on degraded ones, "
              "one page in at most 1000 ms\n");
  return 0;
}
