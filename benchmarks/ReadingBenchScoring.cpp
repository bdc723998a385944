#include "benchmarks/ReadingBenchScoring.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

void Add(StaveLabels* labels, int stave, const std::string& label, int times = 1) {
  if (stave < 0) stave = 0;
  if (static_cast<size_t>(stave) >= labels->size()) labels->resize(stave + 1);
  for (int i = 0; i < times; ++i) (*labels)[stave].push_back(label);
}

std::string ClefLabel(int type) {
  switch (type) {
    case kSymbolTrebleClef: return "clef-G";
    case kSymbolBassClef: return "clef-F";
    case kSymbolAltoClef: return "clef-C";
    default: return "clef-T" + std::to_string(type);
  }
}

std::string RestLabel(int type) {
  switch (type) {
    case kSymbolHemidemisemiquaverRest: return "rest-64";
    case kSymbolDemisemiquaverRest: return "rest-32";
    case kSymbolMultiBarRest: return "rest-bars";
    case kSymbolRestBase + kNoteSemiquaver: return "rest-16";
    case kSymbolRestBase + kNoteQuaver: return "rest-8";
    case kSymbolRestBase + kNoteCrotchet: return "rest-4";
    case kSymbolRestBase + kNoteMinim: return "rest-2";
    case kSymbolRestBase + kNoteSemibreve: return "rest-1";
    case kSymbolRestBase + kNoteBreve: return "rest-breve";
    default: return "rest-T" + std::to_string(type);
  }
}

const char* AccidentalLabel(int kind) {
  static const char* const names[] = {"acc-natural",      "acc-sharp",         "acc-flat",        "acc-double-sharp",
                                      "acc-double-flat", "acc-natural-sharp", "acc-natural-flat"};
  return kind >= 128 && kind <= 134 ? names[kind - 128] : nullptr;
}

// The page stave of a record's in-group number; -1 when it is outside the group.
int PageStave(int number, int firstStave, int groupStaves) {
  return number >= 0 && number < groupStaves ? firstStave + number : -1;
}

}  // namespace

void LabelGroupRecords(const SymbolRecord* symbols, int symbolCount, const NoteRecord* notes, int noteCount,
                       int firstStave, int groupStaves, StaveLabels* found) {
  for (int i = 0; i < symbolCount; ++i) {
    const SymbolRecord& s = symbols[i];
    if (s.quality >= kRejectedQuality || s.hidden) continue;
    // A record placed outside its group still counts against precision: on
    // the group's first stave, where it matches nothing it should not.
    int stave = PageStave(s.stave, firstStave, groupStaves);
    if (stave < 0) stave = firstStave;
    const int type = s.type;
    if (type >= 1 && type <= 11) {
      Add(found, stave, ClefLabel(type));
    } else if (type == kSymbolFlatKey || type == kSymbolSharpKey) {
      Add(found, stave, std::string(type == kSymbolFlatKey ? "key-flat-" : "key-sharp-") + std::to_string(s.count));
    } else if (type >= kSymbolDigitZero && type <= kSymbolDigitZero + 9) {
      Add(found, stave, "time-" + std::to_string(type - kSymbolDigitZero));
    } else if (type == kSymbolCommonTime) {
      Add(found, stave, "time-C");
    } else if (type == kSymbolCutTime) {
      Add(found, stave, "time-cut");
    } else if (type >= kSymbolBarline && type <= kSymbolBarline + 9) {
      Add(found, stave, "bar");
    } else if ((type >= kSymbolRestBase + 1 && type <= kSymbolRestBase + 9) || type == kSymbolMultiBarRest) {
      Add(found, stave, RestLabel(type));
      if (type != kSymbolMultiBarRest && s.count > 0 && s.count <= 3) Add(found, stave, "dot", static_cast<int>(s.count));
    }
  }
  for (int i = 0; i < noteCount; ++i) {
    const NoteRecord& n = notes[i];
    if (n.quality >= kRejectedQuality || n.recordClass != kNoteHeadRecord) continue;
    if (n.kind < kNoteSemiquaver || n.kind > kNoteBreve) continue;
    int stave = PageStave(n.stave, firstStave, groupStaves);
    if (stave < 0) stave = firstStave;
    if (n.dots > 0 && n.dots <= 3) Add(found, stave, "dot", n.dots);
    const int items = std::clamp<int>(n.appenditureCount, 0, kMaxAppenditures);
    for (int a = 0; a < items; ++a) {
      const Appenditure& item = n.appenditures[a];
      if (item.quality >= kRejectedQuality) continue;
      if (const char* label = AccidentalLabel(item.kind)) Add(found, stave, label);
      // A curve is counted once, at the note it starts on.
      if (item.kind == 162 || item.kind == 164) Add(found, stave, "slur");
    }
  }
}

bool ReadTruthList(const std::string& path, StaveLabels* truth, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be opened";
    return false;
  }
  truth->clear();
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    int system = 0, stave = 0;
    if (!(words >> system)) continue;  // blank or comment
    if (!(words >> stave) || system < 1 || stave < 1) {
      *error = path + ":" + std::to_string(lineNumber) + ": a line starts with its system and stave (1-based)";
      return false;
    }
    std::vector<std::string> labels;
    std::string word;
    while (words >> word) {
      int times = 1;
      const size_t star = word.find('*');
      if (star != std::string::npos) {
        times = std::atoi(word.c_str() + star + 1);
        word.erase(star);
        if (times < 1 || times > 99) {
          *error = path + ":" + std::to_string(lineNumber) + ": bad repeat count";
          return false;
        }
      }
      for (int i = 0; i < times; ++i) labels.push_back(word);
    }
    truth->push_back(labels);
  }
  return true;
}

std::string CategoryOf(const std::string& label) { return label.substr(0, label.find('-')); }

void ScoreLabels(const StaveLabels& truth, const StaveLabels& found, Tally* tally) {
  const size_t staves = std::max(truth.size(), found.size());
  for (size_t s = 0; s < staves; ++s) {
    std::map<std::string, int> wanted;
    if (s < truth.size())
      for (const std::string& label : truth[s]) {
        ++wanted[label];
        ++(*tally)[CategoryOf(label)].truth;
      }
    if (s < found.size())
      for (const std::string& label : found[s]) {
        CategoryTally& t = (*tally)[CategoryOf(label)];
        ++t.found;
        auto it = wanted.find(label);
        if (it != wanted.end() && it->second > 0) {
          --it->second;
          ++t.matched;
        }
      }
  }
}

void PrintTally(const char* title, const Tally& tally) {
  auto ratio = [](int a, int b) {
    char text[16];
    if (b == 0) return std::string("    -");
    std::snprintf(text, sizeof text, "%5.2f", static_cast<double>(a) / b);
    return std::string(text);
  };
  std::printf("  %s\n  %-8s %6s %6s %7s %9s %6s\n", title, "symbols", "truth", "found", "matched", "precision",
              "recall");
  CategoryTally all;
  for (const char* category : {"clef", "key", "time", "bar", "rest", "acc", "dot", "slur"}) {
    auto it = tally.find(category);
    const CategoryTally t = it == tally.end() ? CategoryTally{} : it->second;
    all.truth += t.truth;
    all.found += t.found;
    all.matched += t.matched;
    std::printf("  %-8s %6d %6d %7d %9s %6s\n", category, t.truth, t.found, t.matched, ratio(t.matched, t.found).c_str(),
                ratio(t.matched, t.truth).c_str());
  }
  std::printf("  %-8s %6d %6d %7d %9s %6s   (target: recall 0.90 at precision 0.95 on clean 300-dpi pages)\n", "all",
              all.truth, all.found, all.matched, ratio(all.matched, all.found).c_str(),
              ratio(all.matched, all.truth).c_str());
}
