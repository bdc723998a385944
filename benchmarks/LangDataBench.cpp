// Times the loading of the language data that every engine run does
// (InitialiseSpelling: "langdata.txt", "sylngram.bin" and then the user
// dictionary "User\dict.txt"), with the shipped dictionary and with smaller
// ones filtered from it, so that what the dictionary holds can be weighed
// against what it costs each page. Not a test: run it from a Release build.
//
//   langdata_bench [engine folder, default the build's bin/Resources/Quorm]
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Userdict.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kRounds = 10;

std::vector<std::string> ReadWords(const fs::path& file) {
  std::vector<std::string> words;
  std::ifstream in(file, std::ios::binary);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A copy of the engine folder's language files with the dictionary's words
// that keep() accepts.
void WriteVariant(const fs::path& from, const fs::path& to, const std::vector<std::string>& words,
                  const std::function<bool(const std::string&)>& keep) {
  fs::create_directories(to / "Langs" / "English");
  fs::create_directories(to / "User");
  for (const char* file : {"langdata.txt", "sylngram.bin"})
    fs::copy_file(from / "Langs" / "English" / file, to / "Langs" / "English" / file,
                  fs::copy_options::overwrite_existing);
  std::ofstream out(to / "User" / "dict.txt", std::ios::binary);
  for (const std::string& w : words)
    if (keep(w)) out << w << "\r\n";
}

void Time(const char* name, const fs::path& folder) {
  SetEngineFolder(folder.string().c_str());
  double best = 0, total = 0;
  int32_t words = 0;
  for (int round = 0; round < kRounds; ++round) {
    const Clock::time_point start = Clock::now();
    EngineCode code = InitialiseSpelling("English");
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (code != kEngineOk) {
      std::printf("%-34s failed: %s\n", name, code);
      return;
    }
    words = GetUserWordCount();
    FreeUserDictionary();
    FreeSpelling();
    best = round == 0 ? ms : std::min(best, ms);
    total += ms;
  }
  std::printf("%-34s %7d words  best %7.2f ms  mean %7.2f ms\n", name, static_cast<int>(words), best,
              total / kRounds);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path shipped = argc > 1 ? fs::path(argv[1]) : fs::path(KV_SHIPPED_ENGINE_FOLDER);
  const std::vector<std::string> words = ReadWords(shipped / "User" / "dict.txt");
  if (words.empty()) {
    std::fprintf(stderr, "no dictionary in %s\n", shipped.string().c_str());
    return 1;
  }
  const fs::path scratch = fs::temp_directory_path() / "langdata_bench";
  fs::remove_all(scratch);
  struct Variant {
    const char* name;
    std::function<bool(const std::string&)> keep;
  };
  auto possessive = [](const std::string& w) { return w.size() > 2 && w.compare(w.size() - 2, 2, "'s") == 0; };
  const Variant variants[] = {
      {"shipped dictionary", [](const std::string&) { return true; }},
      {"without possessives", [&](const std::string& w) { return !possessive(w); }},
      {"without capitalised words", [](const std::string& w) { return !std::isupper(static_cast<unsigned char>(w[0])); }},
      {"lower case, no possessives", [&](const std::string& w) {
         return !possessive(w) && !std::isupper(static_cast<unsigned char>(w[0]));
       }},
      {"empty dictionary", [](const std::string&) { return false; }},
  };
  Time("shipped folder", shipped);
  int n = 0;
  for (const Variant& v : variants) {
    const fs::path folder = scratch / std::to_string(n++);
    WriteVariant(shipped, folder, words, v.keep);
    Time(v.name, folder);
  }
  fs::remove_all(scratch);
  return 0;
}
