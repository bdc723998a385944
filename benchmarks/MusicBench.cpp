// How well the engine reads the benchmark's engraved pages
// (benchmarks/music/make_pages.py: MuseScore 3 and LilyPond engravings of
// the same seeded scores), with the shipped reference sets: per engraver and
// for clean and degraded pages, the staves, systems and joined staves found;
// on clean pages the bar lines, ledger lines, beams, slurs, hairpins, stems
// and each family of fixed-size symbols against the SVG's boxes; the
// noteheads found at their steps (precision and recall); the notes of the
// page description (staff step and GetNoteGroupDuration, tuplet scale
// included) aligned per staff in time order; and the time per page natively
// on one core. Only pages of the "bench" role are read (or of the role given: the
// reference sets are tuned on "calibrate" pages, never on these). Not a
// test: run it from a Release build (see README).
//
//   music_bench PAGE_FOLDER [ENGINE_FOLDER [ROLE]]
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
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
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/Quorm.h"
#include "benchmarks/MusicNotes.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tools/refmaker/NoteScore.h"

namespace {

using Clock = std::chrono::steady_clock;
using refmaker::FinderScore;
using refmaker::NoteScore;
using refmaker::ScoredNote;

// A box of the engraver's SVG, pixels of the clean page.
struct TrueBox {
  int page;
  std::string kind;
  int x0, y0, x1, y1;
};

struct Truth {
  int staves = 1;                 // per system
  std::map<int, int> systems;     // page -> systems on it
  std::vector<ScoredNote> notes;  // staff of the system, step, duration
  std::vector<TrueBox> boxes;
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
    } else if (kind == "box") {
      TrueBox b;
      words >> b.page >> b.kind >> b.x0 >> b.y0 >> b.x1 >> b.y1;
      truth->boxes.push_back(b);
    } else if (kind == "note") {
      ScoredNote n;
      words >> n.staff >> n.step >> n.duration;
      truth->notes.push_back(n);
    }
  }
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

// The fixed-size symbols scored, by family: the engraver's SVG kind and the
// engine's test of a found symbol.
struct SymbolFamily {
  const char* name;
  const char* kind;
  FixedSymbolTest test;
};
constexpr int kSymbolFamilyCount = 7;
const SymbolFamily kSymbolFamilies[kSymbolFamilyCount] = {
    {"clefs", "Clef", IsClefSymbolAt},       {"rests", "Rest", IsRestSymbolAt},
    {"accidentals", "Accidental", IsAccidentalSymbolAt}, {"dots", "NoteDot", IsDotSymbolAt},
    {"flags", "Hook", IsShortFlagSymbolAt}, {"dynamics", "Dynamic", IsDynamicSymbolAt},
    {"tuplet numerals", "Tuplet", IsTupletNumeralAt},
};

struct Figures {
  int pages = 0;
  FinderScore staves, systems, joined;
  // Clean pages only: the boxes are the clean page's.
  FinderScore barLines, ledgerLines, beams, slurs, hairpins, stems, tuplets;
  FinderScore symbols[kSymbolFamilyCount];  // by family, as kSymbolFamilies
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

struct FoundLine {
  int x0, y0, x1, y1;
};

// A found object against a true box: its middle lies in the box widened by
// the tolerance.
bool MiddleInBox(const TrueBox& b, const FoundLine& f, int tolerance) {
  const int x = (f.x0 + f.x1) / 2, y = (f.y0 + f.y1) / 2;
  return x >= b.x0 - tolerance && x <= b.x1 + tolerance && y >= b.y0 - tolerance && y <= b.y1 + tolerance;
}

void ScoreBoxes(const std::vector<TrueBox>& boxes, int page, const char* kind, const std::vector<FoundLine>& found,
                int tolerance, FinderScore* score) {
  int trueCount = 0, matchedTrue = 0, matchedFound = 0;
  for (const TrueBox& b : boxes) {
    if (b.page != page || b.kind != kind) continue;
    ++trueCount;
    for (const FoundLine& f : found)
      if (MiddleInBox(b, f, tolerance)) {
        ++matchedTrue;
        break;
      }
  }
  for (const FoundLine& f : found)
    for (const TrueBox& b : boxes)
      if (b.page == page && b.kind == kind && MiddleInBox(b, f, tolerance)) {
        ++matchedFound;
        break;
      }
  score->truth += trueCount;
  score->found += static_cast<int>(found.size());
  score->matched += matchedFound;
  score->recalled = std::max(score->recalled, 0) + matchedTrue;
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

// Reads one page; adds its figures. The notes of the score are spread over
// its pages, so a page is scored against the notes of the systems it holds:
// the staves of a system by their place in it, system after system.
void ReadPage(const std::string& path, const Truth& truth, int page, bool clean, Figures* f,
              std::vector<ScoredNote>* readHeads, std::vector<ScoredNote>* readNotes) {
  EngravedPage engraved;
  if (!LoadEngravedPage(path, &engraved)) {
    std::printf("%s cannot be read\n", path.c_str());
    return;
  }
  const Clock::time_point t0 = Clock::now();
  FreeEngine();
  if (InitialiseEngine() != kEngineOk ||
      LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0) != kEngineOk) {
    std::printf("%s: the engine did not start\n", path.c_str());
    return;
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
  if (!read_) return;
  if (clean) {
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
    ScoreLines(truth.boxes, page, "BarLine", bars, true, s / 2, &f->barLines);
    ScoreLines(truth.boxes, page, "LedgerLine", ledgers, false, s / 3, &f->ledgerLines);
    std::vector<FoundLine> beams, slurs, hairpins;
    for (int i = 0; i < GetBeamCount(); ++i) {
      const EnginePoint a = GetBeamLeftEnd(i), b = GetBeamRightEnd(i);
      beams.push_back({a.x, a.y, b.x, b.y});
    }
    for (int i = 0; i < GetSlurCount(); ++i) {
      const EnginePoint a = GetSlurStart(i), b = GetSlurEnd(i);
      slurs.push_back({a.x, a.y, b.x, b.y});
    }
    for (int i = 0; i < GetHairpinCount(); ++i)
      hairpins.push_back({GetHairpinLeft(i), GetHairpinTop(i), GetHairpinRight(i), GetHairpinBottom(i)});
    ScoreBoxes(truth.boxes, page, "Beam", beams, s / 2, &f->beams);
    ScoreBoxes(truth.boxes, page, "SlurSegment", slurs, s, &f->slurs);
    ScoreBoxes(truth.boxes, page, "HairpinSegment", hairpins, s / 2, &f->hairpins);
    std::vector<FoundLine> stems;
    for (int i = 0; i < GetVerticalLineCount(); ++i) {
      const EnginePoint top = GetVerticalLineTop(i), bottom = GetVerticalLineBottom(i);
      stems.push_back({std::min(top.x, bottom.x), top.y, std::max(top.x, bottom.x), bottom.y});
    }
    ScoreLines(truth.boxes, page, "Stem", stems, true, s / 3, &f->stems);
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
    for (const TrueBox& b : truth.boxes)
      if (b.kind == "Tuplet" && b.x1 - b.x0 > 2 * s) bracketed.push_back(b);
    ScoreBoxes(bracketed, page, "Tuplet", brackets, s, &f->tuplets);
    for (int k = 0; k < kSymbolFamilyCount; ++k) {
      std::vector<FoundLine> symbols;
      for (int i = 0; i < GetFixedSymbolCount(); ++i) {
        if (!kSymbolFamilies[k].test(i)) continue;
        const EngineBox b = GetFixedSymbolBox(i);
        symbols.push_back({b.x0, b.y0, b.x1, b.y1});
      }
      ScoreBoxes(truth.boxes, page, kSymbolFamilies[k].kind, symbols, s / 2, &f->symbols[k]);
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
    for (int k = 0; k < kSymbolFamilyCount; ++k) pr(kSymbolFamilies[k].name, f.symbols[k]);
  }

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
    ReadPage(name + ".tif", truth, page, true, &en.clean, &en.cleanHeads[score], &en.cleanNotes[score]);
    ReadPage(name + "-degraded.tif", truth, page, false, &en.degraded, &en.degradedHeads[score],
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
