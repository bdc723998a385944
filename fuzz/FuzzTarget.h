// One fuzz target per reader. A target file declares its entry with
// KV_FUZZ_TARGET(name) { ... return 0; }: in the libFuzzer build (the "fuzz"
// preset) it becomes that executable's LLVMFuzzerTestOneInput; in the native
// build every target registers itself with the replay program, which runs it
// over its seeds and saved regression inputs on every test run.
//
// Seeds come from the program's own writers: KV_FUZZ_SEEDS(name) { ... }
// writes seed files into the folder it is given (only the replay program
// compiles seed makers).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using FuzzEntry = int (*)(const uint8_t* data, size_t size);
using FuzzSeedMaker = void (*)(const std::string& folder);

namespace fuzz {

struct TargetRegistration {
  TargetRegistration(const char* name, FuzzEntry entry);
};
struct SeedRegistration {
  SeedRegistration(const char* name, FuzzSeedMaker maker);
};

// Once per process: message boxes answered quietly (with OK) instead of
// printed, so that millions of runs do not flood the output.
void QuietMessageBoxes();

// The bytes as a file in this process's scratch folder, for readers that
// take a path; the same name is reused by every run. The extension includes
// its dot (".tif"), or is empty.
std::u16string InputFile(const uint8_t* data, size_t size, const char* extension);
// The bytes as the file at path (a file of a page store the target made).
void WriteFuzzFile(const std::u16string& path, const uint8_t* data, size_t size);
// A further path in the scratch folder (for outputs and round trips).
std::u16string ScratchPath(const char* name);
// The scratch folder itself, in the platform's form.
std::u16string ScratchFolderPath();

// Seed helpers: writes bytes to folder/name.
void WriteSeed(const std::string& folder, const std::string& name, const void* data, size_t size);
// A seed of a target whose first byte chooses what it does with the rest:
// choice, then bytes.
void WriteChoiceSeed(const std::string& folder, const std::string& name, char choice, const std::string& bytes);
// Copies an existing file (a test fixture or a file a writer just made).
void CopySeed(const std::string& folder, const std::string& name, const std::u16string& from);
void CopySeed(const std::string& folder, const std::string& name, const std::string& from);
// The source tree (for fixtures): KV_SOURCE_DIR at build time.
std::string SourceDir();

}  // namespace fuzz

#define KV_FUZZ_CAT2(a, b) a##b
#define KV_FUZZ_CAT(a, b) KV_FUZZ_CAT2(a, b)

#ifdef KV_FUZZ_ENGINE
#define KV_FUZZ_TARGET(name)                                                              \
  static int KV_FUZZ_CAT(name, _entry)(const uint8_t* data, size_t size);                 \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {              \
    fuzz::QuietMessageBoxes();                                                            \
    return KV_FUZZ_CAT(name, _entry)(data, size);                                         \
  }                                                                                       \
  static int KV_FUZZ_CAT(name, _entry)(const uint8_t* data, size_t size)
#else
#define KV_FUZZ_TARGET(name)                                                              \
  static int KV_FUZZ_CAT(name, _entry)(const uint8_t* data, size_t size);                 \
  static fuzz::TargetRegistration KV_FUZZ_CAT(name, _target)(#name, KV_FUZZ_CAT(name, _entry)); \
  static int KV_FUZZ_CAT(name, _entry)(const uint8_t* data, size_t size)
#endif

#define KV_FUZZ_SEEDS(name)                                                               \
  static void KV_FUZZ_CAT(name, _seeds)(const std::string& folder);                       \
  static fuzz::SeedRegistration KV_FUZZ_CAT(name, _seed_maker)(#name, KV_FUZZ_CAT(name, _seeds)); \
  static void KV_FUZZ_CAT(name, _seeds)(const std::string& folder)
