// Writing the score file: everything is gathered and checked first, then
// written beside the target, which is replaced only when every byte was stored.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "score/DownConversion.h"
#include "score/InstrumentNameLists.h"
#include "platform/ReplacingFile.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

void ShowNotSaved(const char16_t* path) {
  char16_t format[513];
  char16_t text[1024];
  LoadUiString(kTextScoreNotSaved, format, 513);
  FormatWide(text, 1024, format, path);
  ErrorBox(nullptr, text);
}

// The structure marks of a slot, in stream order.
bool CollectMarks(int slot, Bytes* marks) {
  return CollectStructureMarks(StreamBytes(ScoreStream, slot), ScoreStream.used[slot], ScoreFormatVersion, marks);
}

void WriteName(ReplacingFile* file, const char16_t* name, uint8_t version) {
  if (version >= kFirstWideTextVersion) {
    for (; *name; ++name) file->WriteU16(*name);
    file->WriteU16(0);
  } else {
    const char* ansi = WideToAnsi(name);
    file->Write(ansi, std::strlen(ansi) + 1);
  }
}

bool ReadPageDataFile(uint16_t dataId, Bytes* data) {
  char16_t path[kScorePathUnits];
  if (dataId == kNoPageDataId || !MakePageDataPath(path, kScorePathUnits, dataId)) return false;
  std::FILE* stream = FileOpen(path, kFileRead, false);
  if (!stream) return false;
  const long size = FileSize(stream);
  bool read = size >= 0 && static_cast<unsigned long>(size) <= UINT32_MAX;
  if (read) {
    data->resize(static_cast<size_t>(size));
    read = FileRead(stream, data->data(), data->size()) == 0;
  }
  FileClose(stream);
  return read;
}

// The page's data file whole, or the placeholder when it is missing or
// cannot be read.
Bytes PageData(uint16_t dataId) {
  Bytes data;
  if (ReadPageDataFile(dataId, &data)) return data;
  data.assign(kPlaceholderPageDataBytes, 0);
  MakePlaceholderPageData(data.data());
  return data;
}

struct PreparedScore {
  uint8_t version;
  int partCount;
  Bytes streams[kPartSlots];
  Bytes marks;
  int pages;
};

// The streams as the file will hold them; false when a stream in memory does
// not walk to its used length (writing it would make a file that cannot be read).
bool PrepareScore(uint8_t version, PreparedScore* prepared) {
  prepared->version = version;
  prepared->partCount = std::clamp<int>(PartCount, 0, kPartSlots);
  for (int slot = 0; slot < prepared->partCount; ++slot) {
    const uint8_t* stream = StreamBytes(ScoreStream, slot);
    if (stream && !AppendStreamForVersion(stream, ScoreStream.used[slot], ScoreFormatVersion, version,
                                          &prepared->streams[slot]))
      return false;
  }
  if (!CollectMarks(1, &prepared->marks)) return false;
  prepared->pages = CountFilePages(ScoreStream, prepared->partCount, prepared->marks.data(),
                                   static_cast<uint32_t>(prepared->marks.size()), ScoreFormatVersion);
  return true;
}

void WriteHeader(ReplacingFile* file, const PreparedScore& score, bool backupForm) {
  if (backupForm) file->Write(kBackupMagic, kBackupMagicBytes);
  else file->Write(kScoreMagic, kScoreMagicBytes);
  file->Write(kProductText, kProductTextBytes);
  file->WriteU8(score.version);
  if (backupForm) {
    const uint32_t clock = GetCentiseconds();
    for (uint32_t i = 0; i < kBackupStampBytes; ++i) file->WriteU8(static_cast<uint8_t>(clock * i));
  }
  file->WriteU16(static_cast<uint16_t>(ScorePageSize.width));
  file->WriteU16(static_cast<uint16_t>(ScorePageSize.height));
  file->WriteU8(ScorePageSize.staveSpacing);
  file->WriteU16(ScorePageSize.staveWidth);
  file->WriteU8(static_cast<uint8_t>(score.partCount));
}

void WriteParts(ReplacingFile* file, const PreparedScore& score) {
  const bool printTabRhythm = Global().printGuitarTabRhythm;
  for (int slot = 0; slot < score.partCount; ++slot) {
    file->WriteU24(PackPartDescriptor(PartRecordOfSlot(slot), score.version, printTabRhythm));
    char16_t name[kPartNameUnits + 1];
    std::copy(PartNameTable[slot], PartNameTable[slot] + kPartNameUnits, name);
    name[kPartNameUnits] = 0;
    WriteName(file, name, score.version);
    const char16_t* listName = LookupPartInstrumentName(slot);
    WriteName(file, listName ? listName : u"", score.version);
    file->WriteU32(static_cast<uint32_t>(score.streams[slot].size()));
    file->Write(score.streams[slot].data(), score.streams[slot].size());
  }
  file->WriteU32(static_cast<uint32_t>(score.marks.size()));
  file->Write(score.marks.data(), score.marks.size());
}

ScorePageRow PageRow(int page) {
  if (page < ScorePages.count) return ScorePages.rows[page];
  return ScorePageRow{kNoPageDataId, 0, kNoPageKey};
}

void WritePages(ReplacingFile* file, const PreparedScore& score, bool withPageData) {
  if (score.version >= kFirstVersionWithPageLists) {
    for (int page = 0; page < score.pages; ++page) file->WriteU32(PageRow(page).key);
    for (int page = 0; page < score.pages; ++page)
      file->WriteU32(page < ScorePages.count ? ScorePages.second[page] : kNoPageKey);
  }
  file->WriteU32(static_cast<uint32_t>(score.pages));
  for (int page = 0; page < score.pages && !file->Failed(); ++page) {
    const ScorePageRow row = PageRow(page);
    file->WriteU16(kPageRowBytes);
    file->WriteU16(row.dataId);
    file->WriteU16(row.field);
    file->WriteU32(row.key);
    if (withPageData) {
      const Bytes data = PageData(row.dataId);
      file->WriteU32(static_cast<uint32_t>(data.size()));
      file->Write(data.data(), data.size());
    }
  }
}

}  // namespace

int WriteScoreFile(const char16_t* path, int internal, int target, int backupForm, int noPageData,
                   int chosenVersion) {
  if (!path || !*path) return 0;
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  if (!internal && hooks.checkBarRhythms() == 0) return 0;

  PreparedScore score;
  if (!PrepareScore(ChooseWriteVersion(internal, target, noPageData, chosenVersion, ScoreFormatVersion), &score)) {
    ShowNotSaved(path);
    return 0;
  }
  {
    ReplacingFile file(path);
    WriteHeader(&file, score, backupForm != 0);
    WriteParts(&file, score);
    WritePages(&file, score, noPageData == 0);
    if (!file.Commit()) {
      ShowNotSaved(path);
      return 0;
    }
  }
  if (internal) return 1;

  hooks.setScoreSaved(1);
  if (target != kTargetScore) {
    MarkScorePages();
    return 1;
  }
  hooks.addRecentFile(path);
  const size_t length = std::min(std::char_traits<char16_t>::length(path), kScorePathUnits - 1);
  std::copy(path, path + length, CurrentScore.path);
  CurrentScore.path[length] = 0;
  GetBaseFileName(CurrentScore.title, path);
  // The pages keep the score's file, by which the pages pane opens it again.
  hooks.setScoreNameOfPages(CurrentScore.path, 0);
  hooks.updateScoreWindowTitle(CurrentScore.title);
  MarkScorePages();
  return 1;
}
