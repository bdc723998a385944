// The engine over a scratch engine folder, for the data-file targets and the
// staff-stage target: the shipped data files (as the build writes them; the
// text references and the user dictionary as their small samples, which
// start and load far sooner) are copied once into a program folder in the
// scratch folder, which becomes the resource folder, so that the engine
// reads them exactly as the program does. The engine is started once and
// kept: a data-file target replaces one file and loads it into the started
// engine as StartEngine loads it (the module's tables freed, its loader run),
// then puts the folder's own file back. After a failed load the next load
// must work; only a load that unwound restarts the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "Code/Quorm/Quorm.h"

namespace fuzz {

// Below "Resources\Quorm" of the scratch program folder.
constexpr char kMusicOldFile[] = "Learned\\fssOLD";
constexpr char kMusicStdFile[] = "Learned\\fssSTD";
constexpr char kNoteheadOldFile[] = "Learned\\nhOLD";
constexpr char kNoteheadStdFile[] = "Learned\\nhSTD";
constexpr char kTextFile[] = "Learned\\Text";
constexpr char kLangDataFile[] = "Langs\\English\\langdata.txt";
constexpr char kSylngramFile[] = "Langs\\English\\sylngram.bin";
constexpr char kUserDictFile[] = "User\\dict.txt";

// The music and notehead reference files that the engine's options choose.
const char* MusicReferenceFile();
const char* NoteheadReferenceFile();

// The scratch program folder with the program's set (made once per process),
// made the resource folder.
void UseScratchEngineFolder();
void WriteEngineFile(const char* relative, const uint8_t* data, size_t size);
// The program folder's own file back in place.
void RestoreEngineFile(const char* relative);

// Once per process (and again after a failed load): the engine started
// over the scratch folder; aborts when the files as they stand do not start
// it.
void KeepEngineStarted();

// The loaders StartEngine runs, one per data file (the language data's load
// also reloads the user dictionary, as StartEngine's does).
enum class EngineData { kMusicReferences, kTextReferences, kLanguage, kUserDictionary };
// Loads the files of one loader into the started engine, as they stand. A
// load that fails must leave one of the expected codes (else abort: any
// other code is a finding); the folder's own file relative is then put back and
// the load must work again. A load that unwound (a failed check, exhausted
// memory) restarts the engine first. Returns true when the files loaded;
// the caller then holds the engine (EngineRunLock) while it looks at the
// tables.
bool LoadEngineData(EngineData data, const char* relative, std::initializer_list<const char*> expected);

// One whole engine run of the staff-stage target, as the reading pipeline
// makes it: StartEngine on construction, CloseEngine on destruction, the
// engine held in between, over a program folder of its own holding the same
// set (the staff stage reads neither the text references nor the user
// dictionary), so that a start per input stays cheap. The data-file targets'
// engine is started afresh after it.
class StaffStageRun {
 public:
  StaffStageRun();
  ~StaffStageRun();
  StaffStageRun(const StaffStageRun&) = delete;
  StaffStageRun& operator=(const StaffStageRun&) = delete;

 private:
  EngineRunLock lock_;
};

// Seeds: runs the project's engine data writer (tools/make_engine_data.py)
// for one kind from its sample source in tests/Code/Quorm/data, or writes the
// shipped set into a folder; returns the file's bytes (empty on failure,
// which aborts: a seed maker must not silently make nothing).
std::string WriteSampleEngineFile(const std::string& kind);
const std::string& ShippedEngineFileBytes(const char* relative);
// The shipped user dictionary's first lines (about 4 KB).
std::string ShippedDictionaryHead();

}  // namespace fuzz
