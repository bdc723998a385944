// Reading the score file. The whole file is read and checked into a stream
// set of its own; the score changes only when every field is sound.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "platform/ReplacingFile.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

constexpr uint32_t kStreamSpare = 128;  // room beyond a read stream for the first edits

// Bounded little-endian reads from the file's bytes.
class ByteSource {
 public:
  ByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Remaining() const { return size_ - position_; }

  bool Take(size_t n, const uint8_t** where) {
    if (n > Remaining()) return false;
    *where = data_ + position_;
    position_ += n;
    return true;
  }
  bool Skip(size_t n) {
    const uint8_t* ignored;
    return Take(n, &ignored);
  }
  bool U8(uint8_t* value) { return Number(1, value); }
  bool U16(uint16_t* value) { return Number(2, value); }
  bool U24(uint32_t* value) { return Number(3, value); }
  bool U32(uint32_t* value) { return Number(4, value); }

  // A NUL-ended 8-bit text, of which the first keepBytes - 1 bytes are kept;
  // false only when the file ends before the NUL.
  bool Text8(size_t keepBytes, std::string* out) {
    const void* end = std::memchr(data_ + position_, 0, Remaining());
    if (!end) return false;
    const size_t n = static_cast<const uint8_t*>(end) - (data_ + position_);
    out->assign(reinterpret_cast<const char*>(data_ + position_), std::min(n, keepBytes - 1));
    position_ += n + 1;
    return true;
  }
  // UTF-16LE up to a 0 unit, of which the first keepUnits - 1 units are
  // kept; false only when the file ends before the 0 unit.
  bool Text16(size_t keepUnits, std::u16string* out) {
    out->clear();
    for (;;) {
      uint16_t unit;
      if (!U16(&unit)) return false;
      if (unit == 0) return true;
      if (out->size() + 1 < keepUnits) out->push_back(static_cast<char16_t>(unit));
    }
  }

 private:
  template <class T>
  bool Number(size_t n, T* value) {
    const uint8_t* bytes;
    if (!Take(n, &bytes)) return false;
    uint32_t v = 0;
    for (size_t i = n; i > 0; --i) v = v << 8 | bytes[i - 1];
    *value = static_cast<T>(v);
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

enum class Refusal { kNone, kNotOurFile, kDamaged, kNewerFormat, kShown };

struct LoadedPage {
  uint16_t dataId;
  uint16_t field;
  uint32_t key;
  const uint8_t* data;  // within the file's bytes
  uint32_t dataSize;
};

struct LoadedScore {
  LoadedScore() = default;
  LoadedScore(const LoadedScore&) = delete;
  LoadedScore& operator=(const LoadedScore&) = delete;
  ~LoadedScore() { FreeStreamSet(&streams); }

  uint8_t version = 0;
  uint16_t pageWidth = 0, pageHeight = 0;
  uint8_t staveSpacing = 0;
  uint16_t staveWidth = 0;
  int partCount = 0;
  PartRecord parts[kPartSlots] = {};
  char16_t names[kPartSlots][kPartNameUnits] = {};
  bool anyTablaturePart = false;
  StreamSet streams = {};
  std::vector<uint8_t> marks;  // the structure marks the score keeps, when not the file's own
  int pages = 0;       // from the page marks
  uint32_t storedCount = 0;  // the file's own page count
  int rowCount = 0;    // page rows read, at most pages
  uint32_t keys[kMaxScorePages] = {};
  uint32_t second[kMaxScorePages] = {};
  LoadedPage rows[kMaxScorePages] = {};
};

// A stream of the loaded set, allocated at its length plus the spare room.
bool AllocateStream(LoadedScore* score, int slot, const uint8_t* bytes, uint32_t length) {
  if (!AllocHandleChecked(&score->streams.block[slot], static_cast<size_t>(length) + kStreamSpare,
                          kTextNoMemoryToLoad, 0))
    return false;
  if (length) std::memcpy(score->streams.block[slot], bytes, length);
  score->streams.used[slot] = length;
  return true;
}

bool ReadName(ByteSource* source, uint8_t version, std::u16string* name) {
  if (version >= kFirstWideTextVersion) return source->Text16(kMaxStoredNameUnits, name);
  std::string ansi;
  if (!source->Text8(kMaxStoredNameUnits, &ansi)) return false;
  *name = AnsiToWide(ansi.c_str());
  return true;
}

// Versions before 4 know voices 0 and 1: voices 2 and 3 become voice 0.
void ClearHighVoices(uint8_t* stream, uint32_t used, uint8_t version) {
  WalkStream(stream, used, version, [&](uint32_t offset, const uint8_t*, uint32_t) {
    uint8_t* item = stream + offset;
    switch (KindOf(item)) {
      case kItemChord:
        if (ChordVoice(item) >= 2) SetChordVoice(item, 0);
        break;
      case kItemRest:
        if (RestVoice(item) >= 2) item[1] &= 0x3F;
        break;
      case kItemMark:
        if (MarkVoice(item) >= 2) SetMarkVoice(item, 0);
        break;
      default:
        break;
    }
    return true;
  });
}

Refusal ReadHeader(ByteSource* source, bool backupForm, LoadedScore* score) {
  const char* magic = backupForm ? kBackupMagic : kScoreMagic;
  const size_t magicBytes = backupForm ? kBackupMagicBytes : kScoreMagicBytes;
  const uint8_t* found;
  if (!source->Take(magicBytes, &found) || std::memcmp(found, magic, magicBytes) != 0) return Refusal::kNotOurFile;
  std::string product;
  if (!source->Text8(kMaxProductTextBytes, &product)) return Refusal::kDamaged;
  if (!source->U8(&score->version) || score->version < kOldestScoreFileVersion) return Refusal::kDamaged;
  if (score->version > kCurrentScoreFormatVersion) return Refusal::kNewerFormat;
  if (backupForm && !source->Skip(kBackupStampBytes)) return Refusal::kDamaged;
  uint8_t partCount;
  if (!source->U16(&score->pageWidth) || !source->U16(&score->pageHeight) || !source->U8(&score->staveSpacing) ||
      !source->U16(&score->staveWidth) || !source->U8(&partCount) || partCount > kMaxPartCount)
    return Refusal::kDamaged;
  score->partCount = partCount;
  return Refusal::kNone;
}

Refusal ReadParts(ByteSource* source, bool convertVoices, LoadedScore* score) {
  for (int slot = 0; slot < score->partCount; ++slot) {
    uint32_t descriptor;
    std::u16string name, listName;
    uint32_t length;
    const uint8_t* bytes;
    if (!source->U24(&descriptor) || !ReadName(source, score->version, &name) ||
        !ReadName(source, score->version, &listName) || !source->U32(&length) || !source->Take(length, &bytes) ||
        !IsStreamWellFormed(bytes, length, score->version))
      return Refusal::kDamaged;
    score->parts[slot] = PartRecordForVersion(UnpackPartDescriptor(descriptor), score->version);
    if (descriptor & kDescriptorTablature) score->anyTablaturePart = true;
    const size_t units = std::min<size_t>(name.size(), kPartNameUnits - 1);
    std::copy(name.begin(), name.begin() + units, score->names[slot]);
    if (!AllocateStream(score, slot, bytes, length)) return Refusal::kShown;
    if (convertVoices) ClearHighVoices(StreamBytes(score->streams, slot), length, score->version);
  }
  return Refusal::kNone;
}

// The structure marks, copied into every slot that is not a part. A score
// of two parts and more keeps the marks of its first part (slot 1) there,
// which are the marks it is saved with: a file whose own marks differ from
// them has them read as the score will be saved.
Refusal ReadMarks(ByteSource* source, LoadedScore* score, const uint8_t** marks, uint32_t* length) {
  if (!source->U32(length) || !source->Take(*length, marks)) return Refusal::kDamaged;
  for (uint32_t i = 0; i < *length; ++i)
    if (!IsStructureMark(*marks + i)) return Refusal::kDamaged;
  if (score->partCount >= 2) {
    score->marks.clear();
    if (!CollectStructureMarks(StreamBytes(score->streams, 1), score->streams.used[1], score->version, &score->marks))
      return Refusal::kDamaged;
    *marks = score->marks.data();
    *length = static_cast<uint32_t>(score->marks.size());
  }
  for (int slot = score->partCount; slot < kPartSlots; ++slot)
    if (!AllocateStream(score, slot, *marks, *length)) return Refusal::kShown;
  return Refusal::kNone;
}

// The page lists and rows. The page count is the one the page marks give;
// the file's own count only says how many rows it holds. Rows it holds are
// read whole (one cut short is damage); rows for pages beyond its count are
// taken when they are there, and bytes after the last row are ignored.
Refusal ReadPages(ByteSource* source, bool withPageData, LoadedScore* score) {
  if (score->version >= kFirstVersionWithPageLists) {
    for (int page = 0; page < score->pages; ++page)
      if (!source->U32(&score->keys[page])) return Refusal::kDamaged;
    for (int page = 0; page < score->pages; ++page)
      if (!source->U32(&score->second[page])) return Refusal::kDamaged;
  }
  if (!source->U32(&score->storedCount)) return Refusal::kDamaged;
  for (int page = 0; page < score->pages; ++page) {
    const bool held = static_cast<uint32_t>(page) < score->storedCount;
    if (!held && source->Remaining() == 0) break;
    LoadedPage row = {};
    uint16_t rowBytes;
    bool whole = source->U16(&rowBytes) && rowBytes >= kPageRowBytes && source->U16(&row.dataId) &&
                 source->U16(&row.field) && source->U32(&row.key) && source->Skip(rowBytes - kPageRowBytes);
    if (whole && withPageData) whole = source->U32(&row.dataSize) && source->Take(row.dataSize, &row.data);
    if (!whole) {
      if (held) return Refusal::kDamaged;
      break;
    }
    score->rows[page] = row;
    score->rowCount = page + 1;
  }
  return Refusal::kNone;
}

Refusal ParseScoreFile(const uint8_t* bytes, size_t size, bool snapshot, bool backupForm, LoadedScore* score) {
  ByteSource source(bytes, size);
  Refusal refusal = ReadHeader(&source, backupForm, score);
  if (refusal == Refusal::kNone) {
    const bool convertVoices = score->version < kFirstVersionWithFourVoices && !snapshot && !backupForm;
    refusal = ReadParts(&source, convertVoices, score);
  }
  const uint8_t* marks = nullptr;
  uint32_t marksLength = 0;
  if (refusal == Refusal::kNone) refusal = ReadMarks(&source, score, &marks, &marksLength);
  if (refusal != Refusal::kNone) return refusal;
  score->pages = CountFilePages(score->streams, score->partCount, marks, marksLength, score->version);
  return ReadPages(&source, !snapshot, score);
}

void ShowRefusal(Refusal refusal) {
  switch (refusal) {
    case Refusal::kNotOurFile: MessageById(nullptr, kTextNotOurFile); break;
    case Refusal::kDamaged: MessageById(nullptr, kTextDamagedScoreFile); break;
    case Refusal::kNewerFormat: MessageById(nullptr, kTextNewerScoreFile); break;
    case Refusal::kNone:
    case Refusal::kShown: break;
  }
}

// Step 1 of opening: never while pages are read; a modified score is saved
// first when the user asks, and the opening goes on only when it then is.
bool MayReplaceScore() {
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  if (hooks.isReadingPages()) {
    MessageById(nullptr, kTextBusyReading);
    return false;
  }
  if (hooks.isScoreSaved()) return true;
  char16_t question[513], caption[257];
  LoadUiString(kTextSaveFirst, question, 513);
  LoadUiString(kTextWarningCaption, caption, 257);
  platform::ReleaseMouseForBox();
  const int answer = platform::ShowMessageBox(question, caption, platform::kBoxYesNoCancel | platform::kBoxIconWarning);
  if (answer == platform::kAnswerNo) return true;
  if (answer != platform::kAnswerYes) return false;
  hooks.runSaveCommand();
  return hooks.isScoreSaved() != 0;
}

// The page's data as its data file, written only for a page that a local
// page record was found for.
void WritePageData(uint16_t dataId, const LoadedPage& row) {
  char16_t folder[kScorePathUnits], path[kScorePathUnits];
  if (!MakePageDataFolder(folder, kScorePathUnits, dataId) || !MakePageDataPath(path, kScorePathUnits, dataId))
    return;
  if (!FileExists(folder)) platform::MakeDirectory(folder);
  ReplacingFile file(path);
  file.Write(row.data, row.dataSize);
  if (!file.Commit()) {
    char16_t cannot[65], text[513];
    LoadUiString(kTextCannotOpen, cannot, 65);
    FormatWide(text, 513, u"%s%s", cannot, path);
    ErrorBox(nullptr, text);
  }
}

// Whether a data id can name the data of a score page that no local page
// record holds: the page records keep theirs, and no two pages of the score
// share one.
bool DataIdIsFree(uint16_t dataId, int pagesTaken) {
  if (dataId == kNoPageDataId || CurrentScoreFileHooks().isPageDataIdInUse(dataId)) return false;
  for (int page = 0; page < pagesTaken; ++page)
    if (ScorePages.rows[page].dataId == dataId) return false;
  return true;
}

// A data id for a page whose own id is taken: the smallest that is free and
// that no other page row of the file names.
uint16_t SpareDataId(const LoadedScore& score, int pagesTaken) {
  for (uint32_t id = 0; id < kNoPageDataId; ++id) {
    const uint16_t candidate = static_cast<uint16_t>(id);
    bool named = false;
    for (int page = 0; page < score.rowCount && !named; ++page) named = score.rows[page].dataId == candidate;
    if (!named && DataIdIsFree(candidate, pagesTaken)) return candidate;
  }
  return kNoPageDataId;
}

// The score's page rows. A page whose key finds a local page record takes
// that record's id and field; any other page keeps the row the file gives
// for it (on a fresh load under a spare id when its own is taken), so that
// its data goes with the score when it is saved again.
void TakePageList(const LoadedScore& score, bool snapshot) {
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  ScorePages.count = score.pages;
  for (int page = 0; page < kMaxScorePages; ++page) {
    ScorePages.rows[page] = ScorePageRow{kNoPageDataId, 0, kNoPageKey};
    ScorePages.second[page] = kNoPageKey;
  }
  const bool lists = score.version >= kFirstVersionWithPageLists;
  for (int page = 0; page < score.pages; ++page) {
    const LoadedPage* row = page < score.rowCount ? &score.rows[page] : nullptr;
    const uint32_t key = lists ? score.keys[page] : kNoPageKey;
    if (lists) ScorePages.second[page] = score.second[page];
    uint16_t dataId, field;
    if (key != kNoPageKey && hooks.findPageRecord(key, &dataId, &field)) {
      ScorePages.rows[page] = ScorePageRow{dataId, field, key};
      if (!snapshot && row && row->dataSize > 0 && row->key == key && dataId != kNoPageDataId)
        WritePageData(dataId, *row);
      continue;
    }
    if (!row) {
      ScorePages.rows[page].key = key;
      continue;
    }
    dataId = row->dataId;
    if (!snapshot && dataId != kNoPageDataId && !DataIdIsFree(dataId, page)) dataId = SpareDataId(score, page);
    ScorePages.rows[page] = ScorePageRow{dataId, row->field, key};
    if (!snapshot && row->dataSize > 0 && dataId != kNoPageDataId) WritePageData(dataId, *row);
  }
}

// The score's title from its file name: without an extension of up to three
// characters and without trailing digits and white space.
void TitleOfScoreFile(const char16_t* path) {
  char16_t name[kScorePathUnits];
  const char16_t* fileName = PathFileName(path);
  size_t length = std::min(std::char_traits<char16_t>::length(fileName), kScorePathUnits - 1);
  std::copy(fileName, fileName + length, name);
  name[length] = 0;
  for (size_t i = length; i > 0 && length - (i - 1) <= 4; --i)
    if (name[i - 1] == u'.') {
      name[i - 1] = 0;
      break;
    }
  const char16_t* title = TrimTrailingDigits(name);
  length = std::min(std::char_traits<char16_t>::length(title), kScorePathUnits - 1);
  std::copy(title, title + length, CurrentScore.title);
  CurrentScore.title[length] = 0;
}

void TakeScore(LoadedScore* score, const char16_t* path, bool snapshot, bool backupForm) {
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  if (snapshot) {
    ResetScoreStreams();
  } else {
    GetBaseFileName(CurrentScore.title, path);
    ResetScoreContent();
  }
  SwapStreamSets(&ScoreStream, &score->streams);
  ScoreFormatVersion = score->version;
  PartCount = score->partCount;
  ResetPartRecords();
  for (int slot = 0; slot < score->partCount; ++slot) {
    StorePartRecord(slot, score->parts[slot]);
    std::copy(score->names[slot], score->names[slot] + kPartNameUnits, PartNameTable[slot]);
  }
  if (score->anyTablaturePart) Global().printGuitarTabRhythm = false;
  ScorePageSize = ScorePageSizes{score->pageWidth, score->pageHeight, score->staveSpacing, score->staveWidth};
  hooks.setFirstPageSize(score->pageWidth, score->pageHeight);

  if (!snapshot) ScorePages.current = 1;
  TakePageList(*score, snapshot);
  hooks.countPageMarks();
  if (!snapshot) hooks.updatePageCounter();

  if (!snapshot) {
    if (!backupForm) hooks.addRecentFile(path);
    const size_t length = std::min(std::char_traits<char16_t>::length(path), kScorePathUnits - 1);
    std::copy(path, path + length, CurrentScore.path);
    CurrentScore.path[length] = 0;
    if (backupForm) {
      char16_t name[kScorePathUnits];
      if (!hooks.getScoreNameOfPages(name, kScorePathUnits)) LoadUiString(kTextBackupName, name, kScorePathUnits);
      hooks.setScoreNameOfPages(name, 0);
    }
    hooks.tidyPageRecords();
    hooks.writePageIndex();
    TitleOfScoreFile(path);
    hooks.setScoreSaved(1);
    hooks.updateScoreWindowTitle(CurrentScore.title);
    hooks.showReadScore();
  }
  hooks.resetEditorPartTables();
  if (!snapshot && score->version >= kFirstWideTextVersion) ScoreFormatVersion = kCurrentScoreFormatVersion;
  // Said once, after the score is in place; a score of more pages than are
  // kept has had its own warning.
  const bool tooManyPages = score->pages == kMaxScorePages && score->storedCount > kMaxScorePages;
  if (!snapshot && score->storedCount != static_cast<uint32_t>(score->pages) && !tooManyPages)
    MessageById(nullptr, kTextPageCountFromMarks);
}

}  // namespace

int ReadScoreFile(const char16_t* path, int snapshot, int backupForm) {
  if (!path || !*path) return 0;
  if (!snapshot && !MayReplaceScore()) return 0;

  std::FILE* stream = FileOpen(path, kFileRead, true);
  if (!stream) return 0;
  const long size = FileSize(stream);
  Handle bytes = nullptr;
  Refusal refusal = Refusal::kDamaged;
  if (size >= 0) {
    if (!AllocHandleChecked(&bytes, static_cast<size_t>(size) + 1, kTextNoMemoryToLoad, 0)) refusal = Refusal::kShown;
    else if (FileRead(stream, bytes, static_cast<size_t>(size)) == 0) refusal = Refusal::kNone;
  }
  FileClose(stream);

  LoadedScore score;
  if (refusal == Refusal::kNone)
    refusal = ParseScoreFile(static_cast<const uint8_t*>(bytes), static_cast<size_t>(size), snapshot != 0,
                             backupForm != 0, &score);
  if (refusal == Refusal::kNone) TakeScore(&score, path, snapshot != 0, backupForm != 0);
  FreeHandle(&bytes);
  if (refusal != Refusal::kNone) {
    ShowRefusal(refusal);
    return 0;
  }
  return 1;
}
