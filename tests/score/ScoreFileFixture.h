// A fixture score that holds every item kind, the bytes each item is written
// as in versions 5, 4 and 3 (and read back as from a version-3 file), a
// builder for score files written field by field, and hooks that record what
// the score file asks of the shell.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "score/InstrumentNameLists.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace scorefile_test {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes* out, uint32_t v) {
  out->push_back(uint8_t(v));
  out->push_back(uint8_t(v >> 8));
}
inline void PutU24(Bytes* out, uint32_t v) {
  PutU16(out, v);
  out->push_back(uint8_t(v >> 16));
}
inline void PutU32(Bytes* out, uint32_t v) {
  PutU16(out, v);
  PutU16(out, v >> 16);
}
inline void PutWide(Bytes* out, const std::u16string& text) {
  for (char16_t c : text) PutU16(out, c);
}
inline void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }
inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) Append(&all, part);
  return all;
}

// A kind-7 item of version 3 and later: first byte, u16 payload length, payload.
inline Bytes TextItem(uint8_t firstByte, const Bytes& payload) {
  Bytes item{firstByte};
  PutU16(&item, static_cast<uint32_t>(payload.size()));
  Append(&item, payload);
  return item;
}
inline Bytes StaffText(uint8_t firstByte, uint8_t dx, uint8_t dy, const std::u16string& text) {
  Bytes payload{dx, dy};
  PutWide(&payload, text);
  return TextItem(firstByte, payload);
}
inline Bytes PageText(uint8_t firstByte, uint16_t x, uint16_t y, const std::u16string& text) {
  Bytes payload;
  PutU16(&payload, x);
  PutU16(&payload, y);
  PutWide(&payload, text);
  return TextItem(firstByte, payload);
}

// One item as it lies in memory (version 5), as written for versions 4 and
// 3, and as read back from the version-3 file (voices 2 and 3 become 0).
// An empty column is the same as the column before it.
struct FixtureItem {
  Bytes v5, v4, v3, v3Read;
};
enum Column { kV5 = 0, kV4 = 1, kV3 = 2, kV3Read = 3 };
inline const Bytes& ItemAt(const FixtureItem& item, Column column) {
  const Bytes* columns[] = {&item.v5, &item.v4, &item.v3, &item.v3Read};
  for (int c = column; c > 0; --c)
    if (!columns[c]->empty()) return *columns[c];
  return item.v5;
}

inline Bytes LongLyric() {
  std::u16string text;
  for (int i = 0; i < 300; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
  return StaffText(0x0F, 0, 0x85, text);  // payload 602: b2 is 2
}

inline Bytes FullChord() {
  Bytes item{0xFC, 0x18, 0x00, 0x00, 0x18};  // 31 notes, half notes, voice 3
  for (int i = 0; i < 31; ++i) item.push_back(uint8_t((i % 8) << 5 | i));
  return item;
}
inline Bytes WithByte(Bytes item, size_t at, uint8_t value) {
  item[at] = value;
  return item;
}

// The page-level slot 0 and the guitar part in slot 1.
inline std::vector<FixtureItem> Slot0Items() {
  return {
      {PageText(0x2F, 100, 50, u"\u00c9tude"), {}, {}, {}},
      {{0x80}, {}, {}, {}},
      {{0x88}, {}, {}, {}},
      {{0x80}, {}, {}, {}},
      {{0x90}, {}, {}, {}},
  };
}

inline std::vector<FixtureItem> Slot1Items() {
  return {
      // tablature clef, octave up: a treble clef below version 4
      {{0x51, 0x02}, {}, {0x09, 0x02}, {}},
      // key of one sharp that playback does not apply: bit 7 only in version 5
      {{0x9A}, {0x1A}, {}, {}},
      {{0x1B, 0x05}, {}, {}, {}},
      // one note, placement bits in b2 (version 5 only), voice 0
      {{0x0C, 0x14, 0x28, 0x01, 0xA0, 0x4C}, {0x0C, 0x14, 0x20, 0x01, 0xA0, 0x4C}, {}, {}},
      // 31 notes in voice 3: voice 2 below version 4, read back as voice 0
      {FullChord(), {}, WithByte(FullChord(), 4, 0x10), WithByte(FullChord(), 4, 0x00)},
      // rest in voice 2 with a fermata in b1 bits 2-5
      {{0x55, 0x85}, {0x55, 0x81}, {}, {0x55, 0x01}},
      {{0x45, 0xC0}, {}, {0x45, 0x80}, {0x45, 0x00}},
      // 20 bars rest in voice 3
      {{0x4D, 0xC1}, {}, {0x4D, 0x81}, {0x4D, 0x01}},
      // bar line of style 9: style 0 below version 5
      {{0x48}, {0x00}, {}, {}},
      {{0x86, 0x60, 0x80, 0x03, 0x0F}, {}, {}, {0x86, 0x60, 0x00, 0x03, 0x0F}},
      {{0x8E, 0x20, 0xC1, 0x00, 0x00}, {}, {0x8E, 0x20, 0x81, 0x00, 0x00}, {0x8E, 0x20, 0x01, 0x00, 0x00}},
      // pedal and ornament marks: hidden marks below version 5
      {{0xD6, 0x10, 0x00, 0x02, 0x00}, {0xFE, 0x10, 0x00, 0x02, 0x00}, {}, {}},
      {{0xE6, 0x10, 0x40, 0x01, 0x00}, {0xFE, 0x10, 0x40, 0x01, 0x00}, {}, {}},
      {{0xFE, 0x01, 0x00, 0x00, 0x00}, {}, {}, {}},
      {LongLyric(), {}, {}, {}},
      {{0x80}, {}, {}, {}},
      // coda and segno words: staff texts below version 5
      {StaffText(0x4F, 1, 2, u"Coda"), StaffText(0x07, 1, 2, u"Coda"), {}, {}},
      {StaffText(0x57, 1, 2, u"Segno"), StaffText(0x07, 1, 2, u"Segno"), {}, {}},
      // repeat ending: the count byte goes, the text moves up, a 0 byte pads
      {TextItem(0x67, {0x01, 0x02, 0x03, '1', 0, '.', 0}), TextItem(0x07, {0x01, 0x02, '1', 0, '.', 0, 0}), {}, {}},
      {StaffText(0x07, 0x83, 4, u"dolce"), {}, {}, {}},
      {TextItem(0x77, {0x00, 0x00, 0x03, 0x41, 0x12, 0x05, 0x21}), {}, {}, {}},
      {{0x88}, {}, {}, {}},
      {{0x0C, 0x14, 0x00, 0x00, 0x08, 0x0E}, {}, {}, {}},
      {{0x23, 0x85}, {}, {}, {}},
      {{0x80}, {}, {}, {}},
      {{0x90}, {}, {}, {}},
  };
}

// A percussion part on a one-line stave.
inline std::vector<FixtureItem> Slot2Items() {
  return {
      {{0x41, 0x00}, {}, {}, {}},
      {{0x55, 0x00}, {}, {}, {}},
      {{0x80}, {}, {}, {}},
      {{0x88}, {}, {}, {}},
      {{0x0C, 0x14, 0x00, 0x00, 0x00, 0x0C}, {}, {}, {}},
      {{0x80}, {}, {}, {}},
      {{0x90}, {}, {}, {}},
  };
}

inline Bytes Stream(const std::vector<FixtureItem>& items, Column column) {
  Bytes stream;
  for (const FixtureItem& item : items) Append(&stream, ItemAt(item, column));
  return stream;
}
inline Bytes FixtureMarks() { return {0x80, 0x88, 0x80, 0x90}; }

constexpr uint32_t kKey1 = 0x11111111, kKey2 = 0x22222222;
constexpr uint16_t kId1 = 5, kId2 = 40;
inline Bytes PageOneData() { return {'p', 'a', 'g', 'e', ' ', 'o', 'n', 'e', 0, 0xFF, 0x7F}; }
inline Bytes Placeholder() { return {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }

// Puts bytes as a stream into a slot of the score set.
inline void SetScoreStream(int slot, const Bytes& bytes) {
  FreeHandle(&ScoreStream.block[slot]);
  ScoreStream.used[slot] = 0;
  if (bytes.empty()) return;
  ASSERT_EQ(GrowScoreStream(slot, static_cast<uint32_t>(bytes.size())), 1);
  std::memcpy(ScoreStream.block[slot], bytes.data(), bytes.size());
  ScoreStream.used[slot] = static_cast<uint32_t>(bytes.size());
}
inline Bytes ScoreStreamBytes(int slot) {
  const uint8_t* bytes = StreamBytes(ScoreStream, slot);
  return bytes ? Bytes(bytes, bytes + ScoreStream.used[slot]) : Bytes();
}

inline void SetPartName(int slot, const char16_t* name) {
  std::memset(PartNameTable[slot], 0, sizeof PartNameTable[slot]);
  for (int i = 0; name[i] && i < kPartNameUnits - 1; ++i) PartNameTable[slot][i] = name[i];
}

// Builds the fixture score in memory (version 5, three parts, two pages).
inline void LoadFixtureScore() {
  ResetScoreStreams();
  ResetPartRecords();
  ScoreFormatVersion = 5;
  PartCount = 3;
  SetScoreStream(0, Stream(Slot0Items(), kV5));
  SetScoreStream(1, Stream(Slot1Items(), kV5));
  SetScoreStream(2, Stream(Slot2Items(), kV5));
  for (int slot = 3; slot < kPartSlots; ++slot) SetScoreStream(slot, FixtureMarks());
  SetPartName(0, u"Score");
  SetPartName(1, u"Guitar");
  SetPartName(2, u"Drums");
  PartTablatureFlags[2].kind = 1;
  PartFields[0][0] = 1, PartFields[0][1] = 2, PartFields[0][2] = 3;
  PartFlag[0] = 1;
  PartFields[1][0] = 31, PartFields[1][1] = 0, PartFields[1][2] = 17;
  PartTablatureFlags[1].flag = 1;
  PartTablatureFlags[1].kind = 6;
  PartSmallStave[1] = 1;
  Global().printGuitarTabRhythm = false;
  ScorePageSize = ScorePageSizes{2480, 3508, 42, 1900};
  ScorePages = ScorePageList{};
  ScorePages.count = 2;
  ScorePages.current = 1;
  ScorePages.rows[0] = ScorePageRow{kId1, 7, kKey1};
  ScorePages.rows[1] = ScorePageRow{kId2, 9, kKey2};
  ScorePages.second[0] = 0xA1;
  ScorePages.second[1] = 0xA2;
}

// ---- Score files, field by field ----

struct FilePart {
  uint32_t descriptor;
  std::u16string name, listName;
  Bytes stream;
  int64_t lengthField = -1;  // -1: the stream's length
};
struct FileRow {
  uint16_t rowBytes = 8;
  uint16_t dataId;
  uint16_t field;
  uint32_t key;
  Bytes data;
  Bytes extra;  // row bytes beyond 8
  int64_t dataSizeField = -1;  // -1: the data's size
};
struct TestScoreFile {
  bool backup = false;
  bool withPageData = true;
  uint8_t version = 5;
  Bytes stamp = Bytes(13, 0);
  uint16_t width = 2480, height = 3508;
  uint8_t spacing = 42;
  uint16_t staveWidth = 1900;
  int partCountField = -1;  // -1: the number of parts
  std::vector<FilePart> parts;
  Bytes marks;
  int64_t marksLengthField = -1;  // -1: the marks' length
  std::vector<uint32_t> keys, second;
  int storedCount = -1;  // -1: the number of rows
  std::vector<FileRow> rows;

  Bytes Serialize() const {
    Bytes out;
    const std::string magic = backup ? std::string("Backup", 7) : std::string("Vadoruvi", 9);
    out.insert(out.end(), magic.begin(), magic.end());
    const char product[] = "Velmorant Korvalinde Lite";
    out.insert(out.end(), product, product + sizeof product);
    out.push_back(version);
    if (backup) Append(&out, stamp);
    PutU16(&out, width);
    PutU16(&out, height);
    out.push_back(spacing);
    PutU16(&out, staveWidth);
    out.push_back(uint8_t(partCountField >= 0 ? partCountField : int(parts.size())));
    for (const FilePart& part : parts) {
      PutU24(&out, part.descriptor);
      PutName(&out, part.name);
      PutName(&out, part.listName);
      PutU32(&out, static_cast<uint32_t>(part.lengthField >= 0 ? part.lengthField : int64_t(part.stream.size())));
      Append(&out, part.stream);
    }
    PutU32(&out, static_cast<uint32_t>(marksLengthField >= 0 ? marksLengthField : int64_t(marks.size())));
    Append(&out, marks);
    if (version >= 2) {
      for (uint32_t key : keys) PutU32(&out, key);
      for (uint32_t value : second) PutU32(&out, value);
    }
    PutU32(&out, static_cast<uint32_t>(storedCount >= 0 ? storedCount : int(rows.size())));
    for (const FileRow& row : rows) {
      PutU16(&out, row.rowBytes);
      PutU16(&out, row.dataId);
      PutU16(&out, row.field);
      PutU32(&out, row.key);
      Append(&out, row.extra);
      if (withPageData) {
        PutU32(&out, static_cast<uint32_t>(row.dataSizeField >= 0 ? row.dataSizeField : int64_t(row.data.size())));
        Append(&out, row.data);
      }
    }
    return out;
  }

 private:
  void PutName(Bytes* out, const std::u16string& name) const {
    if (version >= 3) {
      PutWide(out, name);
      PutU16(out, 0);
    } else {
      for (char16_t c : name) out->push_back(uint8_t(c));
      out->push_back(0);
    }
  }
};

// The descriptors of the fixture's parts ("Print guitar tab rhythm" off).
// The tablature field holds the stave's lines: 5, 6 for the guitar, 1 for
// the drums (5 below version 4).
inline uint32_t Slot0Descriptor() { return 1 | 2 << 5 | 3 << 10 | 5 << 18 | 1 << 22; }
inline uint32_t Slot1Descriptor() { return 31 | 17 << 10 | 1 << 17 | 6 << 18 | 1 << 21 | 1 << 23; }
inline uint32_t Slot2Descriptor(uint8_t version) { return (version < 4 ? 5 : 1) << 18; }

// The fixture score's file as the down-conversion table says it is written.
inline TestScoreFile ExpectedFixtureFile(uint8_t version) {
  const Column column = version >= 5 ? kV5 : version == 4 ? kV4 : kV3;
  TestScoreFile file;
  file.version = version;
  file.parts.push_back({Slot0Descriptor(), u"Score", LookupPartInstrumentName(0), Stream(Slot0Items(), column), -1});
  file.parts.push_back({Slot1Descriptor(), u"Guitar", LookupPartInstrumentName(1), Stream(Slot1Items(), column), -1});
  file.parts.push_back(
      {Slot2Descriptor(version), u"Drums", LookupPartInstrumentName(2), Stream(Slot2Items(), column), -1});
  file.marks = FixtureMarks();
  file.keys = {kKey1, kKey2};
  file.second = {0xA1, 0xA2};
  file.rows.push_back({8, kId1, 7, kKey1, PageOneData(), {}, -1});
  file.rows.push_back({8, kId2, 9, kKey2, Placeholder(), {}, -1});
  return file;
}

inline Bytes ReadBytes(const std::u16string& path) {
  std::ifstream in(U8(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool WriteBytes(const std::u16string& path, const Bytes& bytes) {
  std::ofstream out(U8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
// Equal bytes; on a difference, where the first one is.
inline ::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
  const size_t common = std::min(actual.size(), expected.size());
  for (size_t i = 0; i < common; ++i)
    if (actual[i] != expected[i])
      return ::testing::AssertionFailure() << "first difference at byte " << i << ": " << int(actual[i])
                                           << " instead of " << int(expected[i]);
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << actual.size() << " bytes instead of " << expected.size();
  return ::testing::AssertionSuccess();
}
inline bool Exists(const std::u16string& path) { return std::ifstream(U8(path)).good(); }

// ---- What the score file asked of the shell ----

struct HookLog {
  int saved = 1;
  std::vector<int> savedCalls;
  std::vector<std::u16string> titles, recentFiles, pageNames;
  std::vector<uint32_t> markedKeys;
  int pageIndexWrites = 0, tidyCalls = 0, shownReads = 0, editorResets = 0, saveCommands = 0;
  int rhythmAnswer = 1;
  int readingPages = 0;
  bool saveCommandSaves = false;
  std::map<uint32_t, std::pair<uint16_t, uint16_t>> pageRecords;  // key: data id, field
};
inline HookLog*& Log() {
  static HookLog* log = nullptr;
  return log;
}

inline ScoreFileHooks RecordingHooks() {
  ScoreFileHooks hooks{};
  hooks.checkBarRhythms = [] { return Log()->rhythmAnswer; };
  hooks.setScoreSaved = [](int saved) {
    Log()->saved = saved;
    Log()->savedCalls.push_back(saved);
  };
  hooks.isScoreSaved = [] { return Log()->saved; };
  hooks.updateScoreWindowTitle = [](const char16_t* title) { Log()->titles.push_back(title); };
  hooks.addRecentFile = [](const char16_t* path) { Log()->recentFiles.push_back(path); };
  hooks.isReadingPages = [] { return Log()->readingPages; };
  hooks.runSaveCommand = [] {
    ++Log()->saveCommands;
    if (Log()->saveCommandSaves) Log()->saved = 1;
  };
  hooks.showReadScore = [] { ++Log()->shownReads; };
  hooks.resetEditorPartTables = [] { ++Log()->editorResets; };
  hooks.findPageRecord = [](uint32_t key, uint16_t* id, uint16_t* field) {
    auto found = Log()->pageRecords.find(key);
    if (found == Log()->pageRecords.end()) return false;
    *id = found->second.first;
    *field = found->second.second;
    return true;
  };
  hooks.isPageDataIdInUse = [](uint16_t id) {
    for (const auto& record : Log()->pageRecords)
      if (record.second.first == id) return true;
    return false;
  };
  hooks.markPageRecordSaved = [](uint32_t key) { Log()->markedKeys.push_back(key); };
  hooks.writePageIndex = [] { ++Log()->pageIndexWrites; };
  hooks.setScoreNameOfPages = [](const char16_t* name, int) { Log()->pageNames.push_back(name); };
  hooks.tidyPageRecords = [] { ++Log()->tidyCalls; };
  return hooks;
}

// Everything of the score that a refused file must leave alone.
struct ScoreState {
  Bytes streams[kPartSlots];
  int32_t partCount;
  uint8_t version;
  std::u16string names[kPartSlots];
  int16_t tabFlags[kPartSlots];
  ScorePageSizes sizes;
  int32_t pageCount;
  ScorePageRow rows[kMaxScorePages];
  std::u16string path, title;
  int saved;

  static ScoreState Take() {
    ScoreState s{};
    for (int slot = 0; slot < kPartSlots; ++slot) {
      s.streams[slot] = ScoreStreamBytes(slot);
      s.names[slot] = PartNameTable[slot];
      s.tabFlags[slot] = PartTablatureFlags[slot].flag;
    }
    s.partCount = PartCount;
    s.version = ScoreFormatVersion;
    s.sizes = ScorePageSize;
    s.pageCount = ScorePages.count;
    std::copy(ScorePages.rows, ScorePages.rows + kMaxScorePages, s.rows);
    s.path = CurrentScore.path;
    s.title = CurrentScore.title;
    s.saved = CurrentScoreFileHooks().isScoreSaved();
    return s;
  }
  void ExpectSame(const ScoreState& other) const {
    for (int slot = 0; slot < kPartSlots; ++slot) {
      EXPECT_EQ(streams[slot], other.streams[slot]) << "slot " << slot;
      EXPECT_EQ(names[slot], other.names[slot]);
      EXPECT_EQ(tabFlags[slot], other.tabFlags[slot]);
    }
    EXPECT_EQ(partCount, other.partCount);
    EXPECT_EQ(version, other.version);
    EXPECT_EQ(sizes.width, other.sizes.width);
    EXPECT_EQ(sizes.staveSpacing, other.sizes.staveSpacing);
    EXPECT_EQ(pageCount, other.pageCount);
    for (int page = 0; page < kMaxScorePages; ++page) {
      EXPECT_EQ(rows[page].dataId, other.rows[page].dataId);
      EXPECT_EQ(rows[page].key, other.rows[page].key);
    }
    EXPECT_EQ(path, other.path);
    EXPECT_EQ(title, other.title);
    EXPECT_EQ(saved, other.saved);
  }
};

// A scratch page store with the fixture score in memory and recording hooks.
class ScoreFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldDataFolder_ = DataFolder();
    oldPrintTabRhythm_ = Global().printGuitarTabRhythm;
    SetDataFolder(scratch_.Path().c_str());
    platform::MakeDirectory(scratch_.File(u"RuzazEvova_d5").c_str());
    platform::MakeDirectory(PagePath(u"TDir0000").c_str());
    WriteBytes(PagePath(u"TDir0000/Data0005"), PageOneData());
    Log() = &log_;
    log_.pageRecords[kKey1] = {kId1, 7};
    log_.pageRecords[kKey2] = {kId2, 9};
    SetScoreFileHooks(RecordingHooks());
    ClearPartNameCache();
    LoadFixtureScore();
    std::memset(&CurrentScore, 0, sizeof CurrentScore);
  }
  void TearDown() override {
    ResetScoreFileHooks();
    Log() = nullptr;
    ResetScoreStreams();
    ResetPartRecords();
    ScorePages = ScorePageList{};
    ScoreFormatVersion = kCurrentScoreFormatVersion;
    PartCount = 0;
    ClearPartNameCache();
    Global().printGuitarTabRhythm = oldPrintTabRhythm_;
    SetDataFolder(oldDataFolder_.c_str());
  }

  // A path in the page store, with the platform's separators.
  std::u16string PagePath(const std::u16string& name) const {
    std::u16string path = scratch_.File(u"RuzazEvova_d5") + u"/" + name;
#ifdef _WIN32
    for (char16_t& c : path)
      if (c == u'/') c = u'\\';
#endif
    return path;
  }
  std::u16string ScorePath() const { return scratch_.File(u"score.opt"); }

  BoxRecorder boxes_;
  ScratchFolder scratch_;
  HookLog log_;

 private:
  std::u16string oldDataFolder_;
  bool oldPrintTabRhythm_ = true;
};

inline std::u16string UiString(unsigned id) {
  char16_t text[1024];
  LoadUiString(id, text, 1024);
  return text;
}

}  // namespace scorefile_test
