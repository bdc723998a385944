// The tuning run of the English language data's costs: reads the rendered
// tuning lines (tests/Code/Quorm/fixtures/text, and lines rendered here in
// faces that are neither reference faces nor faces the text benchmark
// measures, with texts it does not measure) with the shipped references, the
// shipped trigram model and the shipped dictionary under candidate cost
// sets, and keeps, one value
// at a time, the value that reads most words right (then most characters
// right; on a tie the value already held stays). The coordinates are visited
// in an order drawn from the seed, pass after pass until a pass changes
// nothing. It prints the chosen values in the form of
// tools/langdata/english.py, and the benchmark's measuring lines read with
// the starting and the chosen values (for the record only: they take no part
// in the choice). Run it from a Release build, in the build folder, with
// KV_SOURCE_DIR naming the source tree:
//
//   KV_SOURCE_DIR=<source tree> text_cost_tuning [seed, default 1]
//   KV_SOURCE_DIR=<source tree> text_cost_tuning --score
//
// --score only reads the tuning lines with the shipped values and prints
// them with their figures.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Spell.h"
#include "benchmarks/RenderedTextLines.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"
#include "tests/support/TestPaths.h"

namespace {

// Lines the costs are chosen on, and the benchmark's clean measuring lines.
// The tune_* lines are rendered for this run by tools/make_text_lines.py.
const char* const kTuningLines[] = {"tune_tempo_sans",        "tune_lyric_liberation_sans", "tune_expression_italic",
                                    "tune_title_bold",        "tune_lyric_serif_close",     "tune_navigation_liberation",
                                    "tune_tempo_serif",       "tune_names_sans",            "title_serif",
                                    "tempo_serif",            "lyrics_serif",               "chords_serif"};
// Rendered tuning lines: faces of other designs than the references' and
// the benchmark's (benchmarks/TextLineBench.cpp), texts of the same kinds.
const BenchFace kTuningFaces[] = {
    {"URW Gothic", "opentype/urw-base35/URWGothic-Book.otf"},
    {"Nimbus Sans Narrow", "opentype/urw-base35/NimbusSansNarrow-Regular.otf"},
    {"DejaVu Serif Condensed", "truetype/dejavu/DejaVuSerifCondensed.ttf"},
    {"EB Garamond 8", "opentype/ebgaramond/EBGaramond08-Regular.otf"},
    {"Linux Libertine Display", "opentype/linux-libertine/LinLibertine_DR.otf"},
};
const BenchLine kRenderedTuningLines[] = {
    {"Four Ballads for Voice and Piano", 14, 1},
    {"Adagio ma non troppo", 12, 1},
    {"Vivace, with spirit; rit. e dim.", 11, 1},
    {"C7  Dm7  G7b9  Ebmaj7  A/C#  Bbm6", 11, 2},
    {"o - ver the moun - tains and far a - way", 11, 0},
    {"shall we gather by the river", 11, 0},
};
const char* const kMeasuringLines[] = {"words_serif",      "lyric_serif",   "hq_serif",
                                       "tempo_liberation_sans", "lyric_liberation",
                                       "expression_liberation_italic", "title_serif_bold", "lyric_sans"};

// The costs searched; the others stay as the shipped file holds them.
const char* const kCostNames[] = {"wierdtgramcharcost", "inuserdictcost",       "wierdcost",
                                  "wierdperlencost",    "nodictwordcost",       "nodictwordperlencost",
                                  "knownpuncper1cost",  "unknownpuncper1cost", "badpuncper1cost"};
// Lone-cost groups, as english.py's lone_costs() forms them.
const char* const kLoneGroups[] = {"lone_letter", "lone_common", "lone_music", "lone_sign", "lone_default"};
// Look-alike segments the run may hold unsafe (the shipped ones and a few more).
const char* const kSegmentPool[] = {"rn", "cl", "li", "vv", "VV", "ri", "Il", "lI", "1l", "l1", "ni", "ln", "nn"};

struct Candidate {
  std::map<std::string, int> values;     // costs and lone groups
  std::map<std::string, bool> unsafe;    // segment -> in "unsafesegs"
  std::map<std::string, bool> inGood;    // segment -> in "unsafeingoodword"
};

struct Score {
  size_t words = 0, wordCount = 0, chars = 0, charCount = 0;
  bool Better(const Score& o) const { return words != o.words ? words > o.words : chars > o.chars; }
};

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : text) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
  return s;
}

bool IsLetter(unsigned char c) { return std::isalpha(c) || c == 0x9E || c == 0x9F; }

const char* LoneGroupOf(unsigned char c) {
  if (std::isdigit(c) || c == 'a' || c == 'A' || c == 'I' || c == 'O' || c == '-') return "lone_common";
  if (IsLetter(c)) return "lone_letter";
  if (c == 0x87 || c == 0x88 || c == 0x96 || c == '&') return "lone_music";
  if (std::string("+=#/*()").find(static_cast<char>(c)) != std::string::npos) return "lone_sign";
  return "lone_default";
}

// The shipped file split into its lines, and the starting candidate.
struct LangFile {
  std::vector<std::string> lines;
  Candidate start;
};

LangFile ReadShipped() {
  LangFile f;
  f.lines = Split(ReadFileBytes(SourcePath("Code/Quorm/data/Langs/English/langdata.txt")), '\n');
  for (std::string& l : f.lines) l = Trim(l);
  for (const char* s : kSegmentPool) f.start.unsafe[s] = f.start.inGood[s] = false;
  std::string section, list;
  for (const std::string& l : f.lines) {
    if (l.size() > 5 && l.compare(l.size() - 5, 5, "Start") == 0) {
      section = l;
      continue;
    }
    if (l.size() > 3 && l.compare(l.size() - 3, 3, "End") == 0) {
      section.clear();
      continue;
    }
    const size_t space = l.rfind(' ');
    if (section == "DictionaryCostsStart" && space != std::string::npos) {
      f.start.values[l.substr(0, space)] = std::atoi(l.c_str() + space + 1);
    } else if (section == "LoneCostsStart" && space != std::string::npos) {
      f.start.values[LoneGroupOf(static_cast<unsigned char>(l[0]))] = std::atoi(l.c_str() + space + 1);
    } else if (section == "UnsafeStringSegStart") {
      if (l == "unsafesegs" || l == "unsafeingoodword") {
        list = l;
      } else if (!l.empty()) {
        (list == "unsafesegs" ? f.start.unsafe : f.start.inGood)[l] = true;
      }
    }
  }
  return f;
}

std::string Render(const LangFile& f, const Candidate& c) {
  std::string out, section;
  for (const std::string& l : f.lines) {
    if (l.empty()) continue;
    if (l.size() > 5 && l.compare(l.size() - 5, 5, "Start") == 0) section = l;
    const bool end = l.size() > 3 && l.compare(l.size() - 3, 3, "End") == 0;
    const size_t space = l.rfind(' ');
    if (section == "UnsafeStringSegStart" && !end && l != section) continue;  // written whole below
    if (section == "UnsafeStringSegStart" && end) {
      out += "unsafesegs\r\n";
      for (const char* s : kSegmentPool)
        if (c.unsafe.at(s)) out += std::string(s) + "\r\n";
      out += "unsafeingoodword\r\n";
      for (const char* s : kSegmentPool)
        if (c.inGood.at(s)) out += std::string(s) + "\r\n";
    } else if (section == "DictionaryCostsStart" && !end && space != std::string::npos) {
      out += l.substr(0, space + 1) + std::to_string(c.values.at(l.substr(0, space))) + "\r\n";
      continue;
    } else if (section == "LoneCostsStart" && !end && space != std::string::npos) {
      out += l.substr(0, space + 1) + std::to_string(c.values.at(LoneGroupOf(static_cast<unsigned char>(l[0])))) +
             "\r\n";
      continue;
    }
    out += l + "\r\n";
    if (end) section.clear();
  }
  return out;
}

// A line to read: a fixture line or a rendered one, with its reading mode.
struct TuningLine {
  std::string label;
  TextLineImage image;
  int mode;
};

std::vector<TuningLine> FixtureLines(const char* const* names, size_t n) {
  std::vector<TuningLine> out;
  for (size_t i = 0; i < n; ++i) {
    TuningLine l{names[i], {}, 1};
    if (!LoadTextLine(names[i], &l.image)) {
      std::fprintf(stderr, "%s: cannot be read\n", names[i]);
      continue;
    }
    out.push_back(std::move(l));
  }
  return out;
}

void AddRenderedLines(std::vector<TuningLine>* out) {
  for (const BenchFace& face : kTuningFaces)
    for (const BenchLine& line : kRenderedTuningLines) {
      TuningLine l{face.name, {}, line.mode};
      std::string error;
      if (!RenderBenchLine(face, line, &l.image, &error)) {
        std::fprintf(stderr, "%s: %s\n", face.name, error.c_str());
        continue;
      }
      out->push_back(std::move(l));
    }
}

Score ReadLines(const EngineDataFolder& folder, const LangFile& f, const Candidate& c,
                const std::vector<TuningLine>& lines, bool print) {
  folder.Write(u"Langs\\English\\langdata.txt", Render(f, c));
  Score s;
  if (InitialiseSpelling("English") != nullptr) {
    std::fprintf(stderr, "a candidate language did not load\n");
    return s;
  }
  for (const TuningLine& l : lines) {
    const TextLineImage& line = l.image;
    const std::string& name = l.label;
    const std::vector<uint32_t> block = BitmapBlockOf(line);
    LineReading result{};
    ReadTextLine(&result, block.data(), l.mode);
    const std::string read = PlainTextOf(result);
    const LineScore score = ScoreLineReading(line.text, read);
    s.words += score.wordsRight;
    s.wordCount += score.words;
    s.chars += score.charsRight;
    s.charCount += score.chars;
    if (print)
      std::printf("  %-30s words %zu/%zu  \"%s\" -> \"%s\"\n", name.c_str(), score.wordsRight, score.words,
                  line.text.c_str(), read.c_str());
  }
  return s;
}

// The values tried for one coordinate: the held value scaled and stepped,
// a few small ones for costs that may as well be nothing and a few large ones.
std::vector<int> TrialValues(int held, int cap) {
  std::vector<int> v = {0,           1,        2,        5,        held / 2, held * 3 / 4, held * 4 / 3, held * 3 / 2,
                        held * 2,    held * 4, held * 8, held + 5, held - 5, 50,           100,          200};
  std::vector<int> out;
  for (int x : v)
    if (x >= 0 && x <= cap && x != held && std::find(out.begin(), out.end(), x) == out.end()) out.push_back(x);
  std::sort(out.begin(), out.end());
  return out;
}

void PrintCandidate(const Candidate& c) {
  std::printf("COSTS (the searched ones; the rest as shipped):\n");
  for (const char* n : kCostNames) std::printf("    \"%s\": %d,\n", n, c.values.at(n));
  std::printf("LONE costs by group:\n");
  for (const char* n : kLoneGroups) std::printf("    %s = %d\n", n, c.values.at(n));
  std::printf("UNSAFE_SEGMENTS = [");
  bool first = true;
  for (const char* s : kSegmentPool)
    if (c.unsafe.at(s)) std::printf("%s\"%s\"", first ? "" : ", ", s), first = false;
  std::printf("]\nUNSAFE_IN_GOOD_WORD = [");
  first = true;
  for (const char* s : kSegmentPool)
    if (c.inGood.at(s)) std::printf("%s\"%s\"", first ? "" : ", ", s), first = false;
  std::printf("]\n");
}

}  // namespace

int main(int argc, char** argv) {
  const bool scoreOnly = argc > 1 && std::string(argv[1]) == "--score";
  const unsigned seed = argc > 1 && !scoreOnly ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 1u;
  EngineDataFolder folder;
  const std::string dictionary = ReadFileBytes(SourcePath("Code/Quorm/data/User/dict.txt"));
  if (!StartShippedTextReading(folder, dictionary)) return 1;
  // The shipped trigram model instead of the test language's.
  folder.Write(u"Langs\\English\\sylngram.bin",
               ReadFileBytes(SourcePath("Code/Quorm/data/Langs/English/sylngram.bin")));
  const LangFile file = ReadShipped();
  std::vector<TuningLine> tuning = FixtureLines(kTuningLines, std::size(kTuningLines));
  AddRenderedLines(&tuning);
  const std::vector<TuningLine> measuring = FixtureLines(kMeasuringLines, std::size(kMeasuringLines));
  if (scoreOnly) {
    const Score s = ReadLines(folder, file, file.start, tuning, true);
    std::printf("tuning lines with the shipped values: words %zu/%zu, characters %zu/%zu\n", s.words, s.wordCount,
                s.chars, s.charCount);
    StopTextReading();
    return 0;
  }

  // The coordinates: a name, and whether it is a segment flag.
  struct Coordinate {
    std::string name;
    int kind;  // 0 value, 1 unsafe segment, 2 unsafe in a good word
  };
  std::vector<Coordinate> coords;
  for (const char* n : kCostNames) coords.push_back({n, 0});
  for (const char* n : kLoneGroups) coords.push_back({n, 0});
  for (const char* s : kSegmentPool) coords.push_back({s, 1});
  for (const char* s : kSegmentPool) coords.push_back({s, 2});
  std::mt19937 random(seed);
  const bool trace = std::getenv("KV_TUNING_TRACE") != nullptr;  // every trial's score

  Candidate best = file.start;
  Score bestScore = ReadLines(folder, file, best, tuning, false);
  ReadLines(folder, file, best, tuning, true);
  std::printf("seed %u; starting values: tuning lines words %zu/%zu, characters %zu/%zu\n", seed, bestScore.words,
              bestScore.wordCount, bestScore.chars, bestScore.charCount);
  for (int pass = 1; pass <= 4; ++pass) {
    std::shuffle(coords.begin(), coords.end(), random);
    bool changed = false;
    for (const Coordinate& co : coords) {
      std::vector<Candidate> trials;
      if (co.kind == 0) {
        const bool lone = co.name.compare(0, 5, "lone_") == 0;  // a lone cost is 1 to 255
        for (int v : TrialValues(best.values.at(co.name), lone ? 255 : 400)) {
          if (lone && v < 1) continue;
          Candidate t = best;
          t.values[co.name] = v;
          trials.push_back(t);
        }
      } else {
        Candidate t = best;
        bool& flag = (co.kind == 1 ? t.unsafe : t.inGood)[co.name];
        flag = !flag;
        trials.push_back(t);
      }
      for (const Candidate& t : trials) {
        const Score s = ReadLines(folder, file, t, tuning, false);
        if (trace) std::printf("  try %s: words %zu, characters %zu\n", co.name.c_str(), s.words, s.chars);
        if (s.Better(bestScore)) {
          best = t;
          bestScore = s;
          changed = true;
          std::printf("pass %d: %s -> words %zu/%zu, characters %zu/%zu\n", pass, co.name.c_str(), s.words,
                      s.wordCount, s.chars, s.charCount);
        }
      }
    }
    if (!changed) break;
  }
  ReadLines(folder, file, best, tuning, true);
  std::printf("chosen: tuning lines words %zu/%zu, characters %zu/%zu\n", bestScore.words, bestScore.wordCount,
              bestScore.chars, bestScore.charCount);
  PrintCandidate(best);
  std::printf("benchmark's clean measuring lines (not used for the choice), starting values:\n");
  const Score before = ReadLines(folder, file, file.start, measuring, true);
  std::printf("benchmark's clean measuring lines, chosen values:\n");
  const Score after = ReadLines(folder, file, best, measuring, true);
  std::printf("measuring lines words right: starting %zu/%zu, chosen %zu/%zu; characters %zu/%zu -> %zu/%zu\n",
              before.words, before.wordCount, after.words, after.wordCount, before.chars, before.charCount,
              after.chars, after.charCount);
  StopTextReading();
  return 0;
}
