// Training the two classifier databases from the developer folder's text
// files and sample bitmaps. Only the training tool runs this; the program
// loads the shipped files (ClassifierDatabases.h).
//
// Inputs, all in one folder:
//   "8x8Types.txt", "8x16Types.txt": type lists, "hh name" per line, closed
//       by a line starting with '<';
//   "XxX.txt", "NotesXxX.txt": five sections, each a line starting with '>'
//       that names its grid ("8x8", "8x16", "16x16", "8x32", "16x32"), then
//       'X' (no samples) or sample lines up to a line starting with '|';
//       lines starting with '-' are comments. A sample line is the sample's
//       name (a bitmap "Symb<grid>/<name>.bmp") and keyword fields; the name,
//       or its part before the first '.', names the sample's type;
//   "LRSymLists.txt": LeftContextList and RightContextList.
// Every copy is bounded; a malformed line, a file that ends before its
// closing line, or a sample that cannot be used stops the training with a
// message, and nothing is saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shapes/ClassifierDatabases.h"
#include "shapes/ZoneFeatures.h"

constexpr int kTypeNameMax = 31;
constexpr int kTypeListMax = 256;
constexpr size_t kTypeListLineMax = 127;
constexpr size_t kTrainingLineMax = 1023;
constexpr size_t kFieldMax = 255;
constexpr int kMaxGroupDescriptions = 64;

struct TypeList {
  std::vector<std::pair<int, std::string>> entries;
  // The first entry of that name (letter case ignored); -1 when none.
  int Find(const char* name) const;
};

// ---- Line fields ----

// Skips spaces and tabs from position; -1 at the end of the line; else copies
// the field (up to a space, tab or the end) into field and returns the
// position after it. A field of capacity characters or more is not copied:
// -2.
int NextLineField(const char* line, int position, char* field, size_t capacity);
// keyword[:first[-second|/second]]; returns the number of values (0..2), or
// -1 when a part does not fit its buffer.
int ParseKeywordField(const char* field, char* keyword, size_t keywordCapacity, char* first, size_t firstCapacity,
                      char* second, size_t secondCapacity);

// ---- Sample headers ----

struct SampleHeader {
  uint8_t bytes[8] = {255, 0, 0, 0, 0, 0, 0, 0};
  // Notation training only.
  int typf = 255;
  int darkness = -1;
  int part = 0;
};

// Applies one keyword field to the header; false when it applies no keyword
// (unknown keyword, wrong number of values, a value out of its range, an
// unknown type name for BLSM). types16 names the context rows.
bool ApplySampleKeyword(const char* field, const TypeList& types16, bool notation, SampleHeader* header);

// ---- Parsing the texts ----

// False on a malformed line (*badLine set) or a list without its closing line
// (*badLine empty).
bool ParseTypeList(const std::string& text, TypeList* list, std::string* badLine);
bool ParseContextLists(const std::string& text, std::vector<ContextRow>* left, std::vector<ContextRow>* right,
                       std::string* badLine);

// ---- Records ----

// The eight records of one sample (each kZoneHeaderBytes + packed cells);
// the header of the first is copied to all. False for a bitmap of 256 pixels
// or more in either direction.
bool ComputeTrainingRecords(const uint8_t* bits, int width, int height, int stride, const ZoneGridParameters& grid,
                            uint8_t* records);

// ---- Inputs ----

struct SampleBitmap {
  std::vector<uint8_t> bits;
  int width = 0, height = 0, stride = 0;  // stride: row words less one
};

class TrainingInputs {
 public:
  virtual ~TrainingInputs() = default;
  // False when the file cannot be read (reported by the source).
  virtual bool ReadText(const char16_t* name, std::string* text) = 0;
  // False when the bitmap cannot be had (reported by the source).
  virtual bool LoadSample(const char16_t* folder, const std::string& name, SampleBitmap* out) = 0;
};

// Reads from DeveloperDataFolder() through the file layer and the page image
// loader.
class FolderTrainingInputs : public TrainingInputs {
 public:
  bool ReadText(const char16_t* name, std::string* text) override;
  bool LoadSample(const char16_t* folder, const std::string& name, SampleBitmap* out) override;
};

// The image resolution (dots per inch) samples are read at: 200 while a
// training runs, the value it had before restored when the run ends, however
// it ends.
int& TrainingImageResolution();

// Trains "XxXData" into *db (untouched on failure); problems are reported.
bool TrainShapeDatabase(TrainingInputs& inputs, ShapeDatabase* db);
// Trains "Notation" (the templates refined) into *db.
bool TrainNotationDatabase(TrainingInputs& inputs, NotationDatabase* db);
// The notation groups as trained, before refinement (tests and the tool).
bool TrainNotationGroups(TrainingInputs& inputs, NotationDatabase* db);
