#include "score/ScoreFileFormat.h"

#include <algorithm>

#include "platform/Folders.h"
#include "platform/TextUtils.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"

void MakePlaceholderPageData(uint8_t out[kPlaceholderPageDataBytes]) {
  static const uint8_t placeholder[kPlaceholderPageDataBytes] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::copy(placeholder, placeholder + kPlaceholderPageDataBytes, out);
}

bool MakePageDataFolder(char16_t* out, size_t capacity, uint16_t dataId) {
  char16_t name[16];
  FormatWide(name, 16, u"TDir%04x", static_cast<unsigned>(dataId / 32));
  return MakeMusicPagesPath(out, capacity, name);
}

bool MakePageDataPath(char16_t* out, size_t capacity, uint16_t dataId) {
  char16_t name[32];
  FormatWide(name, 32, u"TDir%04x\\Data%04x", static_cast<unsigned>(dataId / 32),
             static_cast<unsigned>(dataId));
  return MakeMusicPagesPath(out, capacity, name);
}

// ---- PartDescriptor ----

PartRecord PartRecordOfSlot(int slot) {
  PartRecord record{};
  for (int i = 0; i < kPartFieldCount; ++i) record.fields[i] = PartFields[slot][i];
  record.tablatureFlag = PartTablatureFlags[slot].flag;
  record.tablatureKind = PartTablatureFlags[slot].kind;
  record.smallStave = PartSmallStave[slot];
  record.partFlag = PartFlag[slot];
  return record;
}

void StorePartRecord(int slot, const PartRecord& record) {
  for (int i = 0; i < kPartFieldCount; ++i) PartFields[slot][i] = record.fields[i];
  PartTablatureFlags[slot].flag = record.tablatureFlag;
  PartTablatureFlags[slot].kind = record.tablatureKind;
  PartSmallStave[slot] = record.smallStave;
  PartFlag[slot] = record.partFlag;
}

PartRecord PartRecordForVersion(const PartRecord& record, uint8_t version) {
  PartRecord known = record;
  if (version < kFirstVersionWithFourVoices && record.tablatureKind >= 1 && record.tablatureKind <= 3)
    known.tablatureKind = 5;
  if (version < kFirstWideTextVersion && record.tablatureKind > 0) {
    known.tablatureKind = 5;
    known.tablatureFlag = 0;
  }
  return known;
}

uint32_t PackPartDescriptor(const PartRecord& record, uint8_t version, bool printGuitarTabRhythm) {
  uint32_t descriptor = 0;
  for (int i = 0; i < kPartFieldCount; ++i)
    descriptor |= static_cast<uint32_t>(record.fields[i] & kPartFieldMask) << (kDescriptorFieldBits * i);

  const PartRecord known = PartRecordForVersion(record, version);
  if (record.tablatureFlag != 0 && !printGuitarTabRhythm) descriptor |= kDescriptorTabNoRhythm;
  descriptor |= (known.tablatureKind & kDescriptorKindMask) << kDescriptorKindShift;
  if (record.smallStave != 0) descriptor |= kDescriptorSmallStave;
  if (record.partFlag != 0) descriptor |= kDescriptorPartFlag;
  if (known.tablatureFlag != 0) descriptor |= kDescriptorTablature;
  return descriptor;
}

PartRecord UnpackPartDescriptor(uint32_t descriptor) {
  PartRecord record{};
  for (int i = 0; i < kPartFieldCount; ++i)
    record.fields[i] = static_cast<int16_t>((descriptor >> (kDescriptorFieldBits * i)) & kPartFieldMask);
  record.tablatureKind = (descriptor >> kDescriptorKindShift) & kDescriptorKindMask;
  record.smallStave = (descriptor & kDescriptorSmallStave) ? 1 : 0;
  record.partFlag = (descriptor & kDescriptorPartFlag) ? 1 : 0;
  record.tablatureFlag = (descriptor & kDescriptorTablature) ? 1 : 0;
  return record;
}

bool CollectStructureMarks(const uint8_t* stream, uint32_t used, uint8_t version, std::vector<uint8_t>* marks) {
  if (!stream) return true;
  return WalkStream(stream, used, version, [&](uint32_t, const uint8_t* item, uint32_t) {
           if (IsStructureMark(item)) marks->push_back(item[0]);
           return true;
         }) == WalkResult::kComplete;
}

// ---- Pages ----

int CountStreamPages(const uint8_t* stream, uint32_t used, uint8_t version, int maxPages) {
  int pages = 1;
  if (!stream) return pages;
  ItemCursor cursor(stream, used, version);
  while (cursor.Next()) {
    if (!IsPageMark(cursor.Item())) continue;
    uint32_t next = cursor.Offset() + 1;
    if (next < used && stream[next] != kEndOfScore && ++pages > maxPages) break;
  }
  return pages;
}

int CountFilePages(const StreamSet& parts, int partCount, const uint8_t* marks, uint32_t marksLength,
                   uint8_t version) {
  int pages = 1;
  for (int slot = 0; slot < partCount; ++slot)
    pages = std::max(pages, CountStreamPages(StreamBytes(parts, slot), parts.used[slot], version, kMaxScorePages));
  if (partCount < kPartSlots)
    pages = std::max(pages, CountStreamPages(marks, marksLength, version, kMaxScorePages));
  return std::min(pages, kMaxScorePages);
}
