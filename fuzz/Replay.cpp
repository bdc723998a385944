// The replay program: makes every target's seeds with the program's own
// writers, then runs each target's entry over its seeds and its saved
// regression inputs (fuzz/regressions/<target>/). No fuzzing happens here;
// a fault shows as a sanitizer report and a failed run.
//
//   kv_fuzz_replay --seeds DIR [--regressions DIR] [--make-seeds-only] [--list] [target ...]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/FuzzRegistry.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Usage() {
  std::fprintf(stderr,
               "usage: kv_fuzz_replay --seeds DIR [--regressions DIR] [--make-seeds-only] [--list] [target ...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path seeds, regressions;
  bool seedsOnly = false, list = false;
  std::set<std::string> chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seeds" && i + 1 < argc) {
      seeds = argv[++i];
    } else if (arg == "--regressions" && i + 1 < argc) {
      regressions = argv[++i];
    } else if (arg == "--make-seeds-only") {
      seedsOnly = true;
    } else if (arg == "--list") {
      list = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      chosen.insert(arg);
    }
  }
  if (list) {
    for (const auto& target : fuzz::Targets()) std::printf("%s\n", target.first.c_str());
    return 0;
  }
  if (seeds.empty()) return Usage();
  for (const std::string& name : chosen) {
    if (!fuzz::Targets().count(name)) {
      std::fprintf(stderr, "no fuzz target named %s\n", name.c_str());
      return 2;
    }
  }
  fuzz::QuietMessageBoxes();

  int passed = 0, failed = 0;
  for (const auto& target : fuzz::Targets()) {
    const std::string& name = target.first;
    if (!chosen.empty() && !chosen.count(name)) continue;
    const fs::path folder = seeds / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (FuzzSeedMaker maker : fuzz::SeedMakers()[name]) maker(folder.string());
    if (seedsOnly) continue;

    std::vector<fs::path> inputs = FilesIn(folder);
    if (!regressions.empty()) {
      const std::vector<fs::path> saved = FilesIn(regressions / name);
      inputs.insert(inputs.end(), saved.begin(), saved.end());
    }
    if (inputs.empty()) {
      std::printf("%s: no seeds and no regression inputs\n", name.c_str());
      ++failed;
      continue;
    }
    for (const fs::path& input : inputs) {
      const std::vector<uint8_t> bytes = ReadAll(input);
      target.second(bytes.data(), bytes.size());
    }
    std::printf("%s: %zu inputs\n", name.c_str(), inputs.size());
    std::fflush(stdout);
    ++passed;
  }
  if (!seedsOnly) std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
