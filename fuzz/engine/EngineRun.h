// One engine run over a scratch engine folder, for the data-file targets and
// the staff-stage target: the shipped data files (as the build writes them)
// are copied once into a program folder in the scratch folder, which becomes
// the resource folder, so that StartEngine reads them exactly as the program
// does. A target replaces one file, runs the engine and puts the shipped
// file back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

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

// Once per process: the scratch program folder with the shipped set, made
// the resource folder.
void UseScratchEngineFolder();
void WriteEngineFile(const char* relative, const uint8_t* data, size_t size);
// The shipped file back in place.
void RestoreEngineFile(const char* relative);

// StartEngine with the files as they stand. A start that fails must leave
// one of the expected codes (else abort); the engine is closed again after a
// failed start. Returns true when it started.
bool StartEngineRun(std::initializer_list<const char*> expected);
// With the shipped file back, a fresh run must start and close cleanly.
void ExpectCleanRunAfter(const char* relative);

// Seeds: runs the project's engine data writer (tools/make_engine_data.py)
// for one kind from its sample source in tests/Code/Quorm/data, or writes the
// shipped set into a folder; returns the file's bytes (empty on failure,
// which aborts: a seed maker must not silently make nothing).
std::string WriteSampleEngineFile(const std::string& kind);
std::string ShippedEngineFileBytes(const char* relative);

}  // namespace fuzz
