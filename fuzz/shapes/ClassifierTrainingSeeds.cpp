// Seeds of the training target: the committed training texts (the notation
// samples cut to a few lines), and the shipped "Notation".
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/FuzzTarget.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The first lines of each section, so that one run stays short.
std::string Shortened(const std::string& text, int keep) {
  std::istringstream in(text);
  std::string line, out;
  int kept = 0;
  while (std::getline(in, line)) {
    const bool structure = line.empty() || line[0] == '>' || line[0] == '|' || line[0] == 'X' || line[0] == '-';
    if (structure) kept = 0;
    if (structure || kept++ < keep) out += line + "\n";
  }
  return out;
}

}  // namespace

KV_FUZZ_SEEDS(classifier_training) {
  const std::string inputs = fuzz::SourceDir() + "/resources/training/inputs/";
  fuzz::WriteChoiceSeed(folder, "types8", 0, Read(inputs + "8x8Types.txt"));
  fuzz::WriteChoiceSeed(folder, "types16", 0, Read(inputs + "8x16Types.txt"));
  fuzz::WriteChoiceSeed(folder, "contexts", 1, Read(inputs + "LRSymLists.txt"));
  fuzz::WriteChoiceSeed(folder, "shapes", 2, Shortened(Read(inputs + "XxX.txt"), 6));
  fuzz::WriteChoiceSeed(folder, "shapes-keywords", 2,
       "> 16x32\nX\n> 8x32\nX\n> 16x16\nx PART:1-2\n|\n> 8x16\nClef.1 PART:1-2 BLSM:Digit YDSP:3-2 WRED:4 XCOL:1-3\n"
       "Digit.2 ndst conf:3 ovpr:2 BOGUS\n|\n> 8x8\nFlat.1 DBLW\n|\n");
  fuzz::WriteChoiceSeed(folder, "notation", 3, Shortened(Read(inputs + "NotesXxX.txt"), 4));
  fuzz::WriteChoiceSeed(folder, "notation-groups", 3,
       "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\nA.1 PART:2-1\nA.22 PART:2-1\nA.333 PART:2-1\n"
       "Flat.1\nFlat.22 BLCK:40\nNatural.4444 TYPF:3\n|\n");
  fuzz::WriteChoiceSeed(folder, "notation-file", 4, Read(fuzz::SourceDir() + "/resources/data/Notation"));
}
