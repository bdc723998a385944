#include "fuzz/engine/EngineRun.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/Userdict.h"
#include "Code/Quorm/options.h"
#include "fuzz/FuzzTarget.h"
#include "platform/Folders.h"
#include "platform/Utf8.h"

namespace fuzz {
namespace {

const char* const kEngineFiles[] = {kMusicOldFile, kMusicStdFile, kNoteheadOldFile, kNoteheadStdFile,
                                    kTextFile,     kLangDataFile, kSylngramFile,    kUserDictFile};
const char* const kEngineFolders[] = {"", "/Resources", "/Resources/Quorm", "/Resources/Quorm/Learned",
                                      "/Resources/Quorm/Langs", "/Resources/Quorm/Langs/English",
                                      "/Resources/Quorm/User"};
// The program folders below the scratch folder: the data-file targets' and
// the staff stage's.
constexpr char kDataProgram[] = "/program";
constexpr char kStaffProgram[] = "/staff-program";

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
std::string EngineFolderUtf8(const char* program) { return ScratchUtf8() + program + "/Resources/Quorm"; }

// The bytes a program folder holds for a file: the shipped file, but the
// small samples for the text references and the user dictionary, whose
// shipped files take a start (and a load that must work again after a failed
// one) far longer to read than the rest together.
const std::string& ProgramFileBytes(const char* relative) {
  static const std::string text = WriteSampleEngineFile("text");
  static const std::string dictionary = WriteSampleEngineFile("dict");
  if (std::strcmp(relative, kTextFile) == 0) return text;
  if (std::strcmp(relative, kUserDictFile) == 0) return dictionary;
  return ShippedEngineFileBytes(relative);
}

// A program folder below the scratch folder holding the program's set.
void MakeProgramFolder(const char* program) {
  for (const char* folder : kEngineFolders) {
    const std::string path = ScratchUtf8() + program + folder;
    if (mkdir(path.c_str(), 0700) != 0 && access(path.c_str(), F_OK) != 0) Fail("cannot make", path);
  }
  for (const char* file : kEngineFiles) {
    const std::string& bytes = ProgramFileBytes(file);
    WriteAll(NativePath(EngineFolderUtf8(program), file), bytes.data(), bytes.size());
  }
}

void UseProgramFolder(const char* program) { SetResourceFolder(Utf8ToUtf16(ScratchUtf8() + program + "/").c_str()); }

// Whether the engine stands started over the data-file targets' folder.
bool engineStarted = false;

// One loader of StartEngine, run as it runs there: its module's tables freed
// first. A failed check or exhausted memory inside it unwinds to here.
EngineCode RunLoader(EngineData data, bool* unwound) {
  try {
    switch (data) {
      case EngineData::kMusicReferences:
        FreeMusicReferences();
        return LoadMusicReferences();
      case EngineData::kTextReferences: {
        FreeTextReferences();
        TextRefHeader header{};
        if (EngineCode code = ReadTextRefHeader(GetTextRefPath(), &header)) return code;
        return LoadTextReferences();
      }
      case EngineData::kLanguage: return InitialiseSpelling(GetLanguageOption());
      case EngineData::kUserDictionary:
        FreeUserDictionary();
        return LoadUserDictionary();
    }
  } catch (const EngineFailure& failure) {
    *unwound = true;
    return failure.code();
  }
  return nullptr;
}

}  // namespace

const char* MusicReferenceFile() { return GetUseOldReferencesOption() ? kMusicOldFile : kMusicStdFile; }
const char* NoteheadReferenceFile() { return GetUseOldReferencesOption() ? kNoteheadOldFile : kNoteheadStdFile; }

const std::string& ShippedEngineFileBytes(const char* relative) {
  static std::map<std::string, std::string> read;
  auto found = read.find(relative);
  if (found != read.end()) return found->second;
  const std::string path = NativePath(KV_FUZZ_SHIPPED_ENGINE_DATA, relative);
  std::ifstream probe(path, std::ios::binary);
  if (!probe) Fail("the build did not write the shipped engine file", path);
  return read[relative] = ReadAll(path);
}

std::string ShippedDictionaryHead() {
  const std::string& shipped = ShippedEngineFileBytes(kUserDictFile);
  const size_t cut = shipped.find('\n', std::min<size_t>(shipped.size(), 4096));
  return shipped.substr(0, cut == std::string::npos ? shipped.size() : cut + 1);
}

void UseScratchEngineFolder() {
  static const bool made = [] {
    MakeProgramFolder(kDataProgram);
    return true;
  }();
  (void)made;
  UseProgramFolder(kDataProgram);
}

void WriteEngineFile(const char* relative, const uint8_t* data, size_t size) {
  WriteAll(NativePath(EngineFolderUtf8(kDataProgram), relative), data, size);
}

void RestoreEngineFile(const char* relative) {
  const std::string& bytes = ProgramFileBytes(relative);
  WriteEngineFile(relative, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void KeepEngineStarted() {
  if (engineStarted) return;
  UseScratchEngineFolder();
  EngineRunLock run;
  if (StartEngine() != 0) Fail("the engine does not start:", LastEngineFailure() ? LastEngineFailure() : "");
  engineStarted = true;
}

bool LoadEngineData(EngineData data, const char* relative, std::initializer_list<const char*> expected) {
  KeepEngineStarted();
  EngineRunLock run;
  bool unwound = false;
  const EngineCode code = RunLoader(data, &unwound);
  if (code == nullptr) return true;
  bool known = false;
  for (const char* name : expected) known = known || std::strcmp(name, code) == 0;
  if (!known) Fail("a failed load left an unexpected code:", code);
  RestoreEngineFile(relative);
  if (unwound) {
    // The module's tables are as the unwinding left them: a fresh run.
    engineStarted = false;
    KeepEngineStarted();
    return false;
  }
  bool again = false;
  if (const EngineCode next = RunLoader(data, &again)) Fail("the shipped file no longer loads after a failed load:", next);
  return false;
}

StaffStageRun::StaffStageRun() {
  static const bool made = [] {
    MakeProgramFolder(kStaffProgram);
    return true;
  }();
  (void)made;
  engineStarted = false;
  UseProgramFolder(kStaffProgram);
  if (StartEngine() != 0) Fail("the engine does not start:", LastEngineFailure() ? LastEngineFailure() : "");
}

StaffStageRun::~StaffStageRun() {
  CloseEngine();
  UseProgramFolder(kDataProgram);
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
