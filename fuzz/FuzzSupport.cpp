// What every fuzz target shares: quiet boxes, the scratch folder and the
// registration tables of the replay program.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "fuzz/FuzzTarget.h"
#include "fuzz/FuzzRegistry.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"
#include "platform/Utf8.h"

namespace fuzz {
namespace {

int AnswerOk(const platform::MessageBoxSeen&) { return platform::kAnswerOk; }

const std::string& ScratchFolderUtf8() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kv-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
      std::perror("kv fuzz: no scratch folder");
      std::abort();
    }
    return std::string(made);
  }();
  return folder;
}

void WriteBytes(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) {
    std::fprintf(stderr, "kv fuzz: cannot write %s\n", path.c_str());
    std::abort();
  }
}

std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "kv fuzz: cannot read seed source %s\n", path.c_str());
    std::abort();
  }
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::map<std::string, FuzzEntry>& Targets() {
  static std::map<std::string, FuzzEntry> targets;
  return targets;
}

std::map<std::string, std::vector<FuzzSeedMaker>>& SeedMakers() {
  static std::map<std::string, std::vector<FuzzSeedMaker>> makers;
  return makers;
}

TargetRegistration::TargetRegistration(const char* name, FuzzEntry entry) { Targets()[name] = entry; }
SeedRegistration::SeedRegistration(const char* name, FuzzSeedMaker maker) { SeedMakers()[name].push_back(maker); }

void QuietMessageBoxes() {
  static const bool done = [] {
    platform::SetMessageBoxObserver(AnswerOk);
    return true;
  }();
  (void)done;
}

std::u16string ScratchFolderPath() { return Utf8ToUtf16(ScratchFolderUtf8()); }

std::u16string ScratchPath(const char* name) { return Utf8ToUtf16(ScratchFolderUtf8() + "/" + name); }

std::u16string InputFile(const uint8_t* data, size_t size, const char* extension) {
  const std::string path = ScratchFolderUtf8() + "/input" + (extension ? extension : "");
  WriteBytes(path, data, size);
  return Utf8ToUtf16(path);
}

void WriteFuzzFile(const std::u16string& path, const uint8_t* data, size_t size) {
  // Through the file layer, which takes the program's path form.
  std::FILE* f = FileOpen(path.c_str(), kFileWrite, false);
  const bool written = f && (size == 0 || FileWriteBytes(f, data, size) == nullptr);
  if (f) FileClose(f);
  if (!written) {
    std::fprintf(stderr, "kv fuzz: cannot write %s\n", Utf16ToUtf8(path.c_str()).c_str());
    std::abort();
  }
}

void WriteSeed(const std::string& folder, const std::string& name, const void* data, size_t size) {
  WriteBytes(folder + "/" + name, data, size);
}

void WriteChoiceSeed(const std::string& folder, const std::string& name, char choice, const std::string& bytes) {
  const std::string input = std::string(1, choice) + bytes;
  WriteSeed(folder, name, input.data(), input.size());
}

void CopySeed(const std::string& folder, const std::string& name, const std::string& from) {
  const std::vector<char> bytes = ReadBytes(from);
  WriteBytes(folder + "/" + name, bytes.data(), bytes.size());
}

void CopySeed(const std::string& folder, const std::string& name, const std::u16string& from) {
  // Through the file layer, which takes the program's path form.
  std::FILE* f = FileOpen(from.c_str(), kFileRead, false);
  if (!f) {
    std::fprintf(stderr, "kv fuzz: cannot read seed source %s\n", Utf16ToUtf8(from.c_str()).c_str());
    std::abort();
  }
  std::vector<uint8_t> bytes;
  for (int c; (c = FileReadByte(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
  FileClose(f);
  WriteBytes(folder + "/" + name, bytes.data(), bytes.size());
}

std::string SourceDir() { return KV_FUZZ_SOURCE_DIR; }

}  // namespace fuzz
