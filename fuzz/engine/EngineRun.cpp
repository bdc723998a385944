#include "fuzz/engine/EngineRun.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/options.h"
#include "fuzz/FuzzTarget.h"
#include "platform/Folders.h"
#include "platform/Utf8.h"

namespace fuzz {
namespace {

const char* const kEngineFiles[] = {kMusicOldFile, kMusicStdFile, kNoteheadOldFile, kNoteheadStdFile,
                                    kTextFile,     kLangDataFile, kSylngramFile,    kUserDictFile};
const char* const kEngineFolders[] = {"program", "program/Resources", "program/Resources/Quorm",
                                      "program/Resources/Quorm/Learned", "program/Resources/Quorm/Langs",
                                      "program/Resources/Quorm/Langs/English", "program/Resources/Quorm/User"};

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "kv fuzz: %s %s\n", what, detail.c_str());
  std::abort();
}

// "Learned\fssOLD" in the native form below a folder.
std::string NativePath(const std::string& folder, const char* relative) {
  std::string path = folder + "/";
  for (const char* p = relative; *p; ++p) path += *p == '\\' ? '/' : *p;
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) Fail("cannot write", path);
}

std::string ScratchUtf8() { return Utf16ToUtf8(ScratchFolderPath().c_str()); }
std::string EngineFolderUtf8() { return ScratchUtf8() + "/program/Resources/Quorm"; }

}  // namespace

const char* MusicReferenceFile() { return GetUseOldReferencesOption() ? kMusicOldFile : kMusicStdFile; }
const char* NoteheadReferenceFile() { return GetUseOldReferencesOption() ? kNoteheadOldFile : kNoteheadStdFile; }

std::string ShippedEngineFileBytes(const char* relative) {
  const std::string path = NativePath(KV_FUZZ_SHIPPED_ENGINE_DATA, relative);
  std::ifstream probe(path, std::ios::binary);
  if (!probe) Fail("the build did not write the shipped engine file", path);
  return ReadAll(path);
}

void UseScratchEngineFolder() {
  static const bool done = [] {
    for (const char* folder : kEngineFolders) {
      const std::string path = ScratchUtf8() + "/" + folder;
      if (mkdir(path.c_str(), 0700) != 0 && access(path.c_str(), F_OK) != 0) Fail("cannot make", path);
    }
    for (const char* file : kEngineFiles) RestoreEngineFile(file);
    SetResourceFolder(Utf8ToUtf16(ScratchUtf8() + "/program/").c_str());
    return true;
  }();
  (void)done;
}

void WriteEngineFile(const char* relative, const uint8_t* data, size_t size) {
  WriteAll(NativePath(EngineFolderUtf8(), relative), data, size);
}

void RestoreEngineFile(const char* relative) {
  const std::string bytes = ShippedEngineFileBytes(relative);
  WriteAll(NativePath(EngineFolderUtf8(), relative), bytes.data(), bytes.size());
}

bool StartEngineRun(std::initializer_list<const char*> expected) {
  EngineRunLock run;
  const int started = StartEngine();
  if (started == 0) {
    if (LastEngineFailure() != nullptr) Fail("a started engine holds a failure:", LastEngineFailure());
    return true;
  }
  if (started != 1) Fail("StartEngine answered", std::to_string(started));
  EngineCode code = LastEngineFailure();
  if (code == nullptr) Fail("a failed start left no code", "");
  // The loader's own codes ("Xudicfile" is one that the error table lacks).
  bool known = false;
  for (const char* name : expected) known = known || std::strcmp(name, code) == 0;
  if (!known) Fail("a failed start left an unexpected code:", code);
  CloseEngine();
  if (LastEngineFailure() != nullptr) Fail("closing did not clear the failure", code);
  return false;
}

void ExpectCleanRunAfter(const char* relative) {
  RestoreEngineFile(relative);
  EngineRunLock run;
  if (StartEngine() != 0) Fail("the shipped files no longer start the engine after", relative);
  CloseEngine();
}

std::string WriteSampleEngineFile(const std::string& kind) {
  char folder[] = "/tmp/kv-fuzz-seed-XXXXXX";
  if (!mkdtemp(folder)) Fail("no seed folder for", kind);
  const std::string out = std::string(folder) + "/" + kind;
  const std::string source = SourceDir() + "/tests/Code/Quorm/data/" + kind + ".json";
  const std::string command = std::string("'") + KV_FUZZ_PYTHON + "' '" + SourceDir() +
                              "/tools/make_engine_data.py' write " + kind + " '" + source + "' '" + out + "'";
  if (std::system(command.c_str()) != 0) Fail("the engine data writer failed:", command);
  std::string bytes = ReadAll(out);
  std::remove(out.c_str());
  rmdir(folder);
  if (bytes.empty()) Fail("the engine data writer wrote nothing for", kind);
  return bytes;
}

}  // namespace fuzz
