// Engine data files for tests: a scratch program folder whose
// "Resources\Quorm" holds a copy of the shipped set (or the sample set with
// entries), which tests then damage file by file; and byte builders for the
// binary formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

using Bytes = std::vector<uint8_t>;

void PutInt32(Bytes& out, int32_t value);
void PutBytes(Bytes& out, const uint8_t* data, size_t n);

// A music reference record with the given type and size limits (per cent).
Bytes MusicRecordBytes(int32_t type, int32_t minWidth, int32_t maxWidth, int32_t minHeight, int32_t maxHeight);
Bytes NoteheadRecordBytes(int32_t headClass, int32_t variant);
// A whole reference file: count then the records.
Bytes ReferenceFile(int32_t count, const std::vector<Bytes>& records);

std::string ReadFileBytes(const std::u16string& path);
void WriteFileBytes(const std::u16string& path, const std::string& data);
inline void WriteFileBytes(const std::u16string& path, const Bytes& data) {
  WriteFileBytes(path, std::string(data.begin(), data.end()));
}

// The built sets: "bin/Resources/Quorm" (shipped) and "test-data/Quorm"
// (samples with entries) of the build tree.
std::u16string ShippedEngineFolder();
std::u16string SampleEngineFolder();
// Empty when the build wrote both sets; else a message that names every
// missing file and the build target that writes them.
std::string MissingEngineData();
// For ASSERT_TRUE in the tests that need the files: a build without them
// fails those tests with that message instead of passing them.
::testing::AssertionResult EngineDataBuilt();
// The engine-folder form (ANSI) of a path.
std::string EngineText(const std::u16string& path);

// A program folder with "Resources\Quorm" filled from a built set (the
// sample set has no "STD" references; those come from the shipped set). A
// source file that is missing fails the running test. While it lives it is
// the resource folder (so StartEngine finds it) and the engine folder.
class EngineDataFolder {
 public:
  explicit EngineDataFolder(bool samples = false);
  ~EngineDataFolder();
  EngineDataFolder(const EngineDataFolder&) = delete;
  EngineDataFolder& operator=(const EngineDataFolder&) = delete;

  // A file below "Resources\Quorm", e.g. "Learned\\fssOLD".
  std::u16string File(const std::u16string& relative) const;
  void Write(const std::u16string& relative, const std::string& data) const { WriteFileBytes(File(relative), data); }
  void Write(const std::u16string& relative, const Bytes& data) const { WriteFileBytes(File(relative), data); }
  void Remove(const std::u16string& relative) const;

 private:
  ScratchFolder scratch_;
  std::u16string engine_;
  std::u16string savedResourceFolder_;
  std::string savedEngineFolder_;
};
