// The layout of the score file, shared by its reader and writer. All numbers
// are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "score/ScoreStream.h"

// The magic texts with their NUL.
constexpr char kScoreMagic[] = "Vadoruvi";  // 9 bytes
constexpr char kBackupMagic[] = "Backup";   // 7 bytes
constexpr size_t kScoreMagicBytes = sizeof kScoreMagic;
constexpr size_t kBackupMagicBytes = sizeof kBackupMagic;
// Written with its NUL (26 bytes); read as a NUL-ended text and ignored.
constexpr char kProductText[] = "Velmorant Korvalinde Lite";
constexpr size_t kProductTextBytes = sizeof kProductText;
constexpr size_t kMaxProductTextBytes = 256;  // kept of a longer product text
constexpr size_t kBackupStampBytes = 13;

constexpr uint8_t kOldestScoreFileVersion = 1;
constexpr uint8_t kFirstVersionWithPageLists = 2;
constexpr uint8_t kFirstWideTextVersion = 3;
constexpr uint8_t kFirstVersionWithFourVoices = 4;

constexpr int kMaxPartCount = kPartSlots;
// Names are at most this many characters (with the NUL) in a file; the
// reader cuts a longer name to this length.
constexpr size_t kMaxStoredNameUnits = 260;

constexpr uint16_t kPageRowBytes = 8;
// Page data of a page whose data file is missing: u32 256, u32 0, u32 0.
constexpr uint32_t kPlaceholderPageDataBytes = 12;
void MakePlaceholderPageData(uint8_t out[kPlaceholderPageDataBytes]);

// The page data file of a page data id: "TDir" + id / 32 and in it "Data" +
// id, both as four lower-case hex digits, in the page store. False when the
// path does not fit.
bool MakePageDataFolder(char16_t* out, size_t capacity, uint16_t dataId);
bool MakePageDataPath(char16_t* out, size_t capacity, uint16_t dataId);

// ---- PartDescriptor, 24 bits ----

struct PartRecord {
  int16_t fields[kPartFieldCount];
  int16_t tablatureFlag;
  uint32_t tablatureKind;
  int16_t smallStave;
  int16_t partFlag;
};

enum : uint32_t {
  kDescriptorFieldBits = 5,
  kDescriptorTabNoRhythm = 1u << 17,  // tablature while "Print guitar tab rhythm" is off
  kDescriptorKindShift = 18,          // bits 18-20
  kDescriptorKindMask = 7,
  kDescriptorSmallStave = 1u << 21,
  kDescriptorPartFlag = 1u << 22,
  kDescriptorTablature = 1u << 23,
};

PartRecord PartRecordOfSlot(int slot);
void StorePartRecord(int slot, const PartRecord& record);
// The record as a file version can hold it: below version 4 the few-line
// kinds 1..3 are kind 5; below version 3 any kind above 0 is kind 5 and the
// part is no tablature part. The writer stores this, and the reader takes a
// file's descriptor as its version means it.
PartRecord PartRecordForVersion(const PartRecord& record, uint8_t version);
// The descriptor as written for a file version (older versions know fewer
// tablature kinds).
uint32_t PackPartDescriptor(const PartRecord& record, uint8_t version, bool printGuitarTabRhythm);
PartRecord UnpackPartDescriptor(uint32_t descriptor);

// ---- Structure marks ----

// The structure marks of a stream, in stream order, appended to marks: the
// marks a score file holds are those of slot 1 (a part, or the first slot of
// marks in a score of one part). False when the stream does not walk to its
// used length.
bool CollectStructureMarks(const uint8_t* stream, uint32_t used, uint8_t version, std::vector<uint8_t>* marks);

// ---- Pages ----

// The pages that a stream's page marks make: 1, plus one for each page mark
// followed by something other than the end mark; at most maxPages + 1 (a
// number above maxPages means too many). Stops at a malformed item.
int CountStreamPages(const uint8_t* stream, uint32_t used, uint8_t version, int maxPages);
// The score's page count as the file gives it: the most pages of any slot, at
// most kMaxScorePages. Slots from partCount up hold the marks.
int CountFilePages(const StreamSet& parts, int partCount, const uint8_t* marks, uint32_t marksLength,
                   uint8_t version);

// ---- Versions ----

// ChooseSaveVersion for given detected versions of the outside programs
// (0.0 when not installed).
uint8_t ChooseSaveVersionFor(int target, uint8_t memoryVersion, double cadenzorVersion, double r8Version);
// The version a file is written in: an internal file or one without page
// data keeps the in-memory version; a chosen version counts for the score
// itself; outside programs get what they understand. Scores laid out below
// version 3 keep their version, and a version at or above 3 is never written
// below 3 nor above the current version.
uint8_t ChooseWriteVersion(int internal, int target, int noPageData, int chosenVersion, uint8_t memoryVersion);

// ---- Texts of the reader and writer ----

enum ScoreFileText : unsigned {
  kTextNoMemoryToLoad = 10037,     // "Insufficient memory available to load file"
  kTextNotOurFile = 10052,         // "This is not a file produced by Korvalinde."
  kTextWarningCaption = 10075,     // "Warning from Velmorant Korvalinde"
  kTextSaveFirst = 10077,          // "Do you want to save the current score first? ..."
  kTextBackupName = 11533,         // "Backup"
  kTextBusyReading = 11541,        // "It is not possible to open Korvalinde files whilst ..."
  kTextDamagedScoreFile = 11620,   // the file is damaged or incomplete
  kTextNewerScoreFile = 11621,     // written in a format this program does not know
  kTextScoreNotSaved = 11622,      // %s: the save failed, the file there unchanged
  kTextPageCountFromMarks = 11623, // the file's page count differs; pages counted from the score
  kTextCannotOpen = 10229,         // "Cannot open " (followed by the path)
};
