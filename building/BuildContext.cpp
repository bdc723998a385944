#include "building/BuildContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Settings.h"

PartSlotRecord ScorePartSlot(int slot) {
  PartSlotRecord part;
  std::copy(std::begin(PartNameTable[slot]), std::end(PartNameTable[slot]), part.name);
  part.tablature = PartTablatureFlags[slot];
  part.smallStave = PartSmallStave[slot];
  part.flag = PartFlag[slot];
  std::copy(std::begin(PartFields[slot]), std::end(PartFields[slot]), part.fields);
  return part;
}

void SetScorePartSlot(int slot, const PartSlotRecord& part) {
  std::copy(std::begin(part.name), std::end(part.name), PartNameTable[slot]);
  PartTablatureFlags[slot] = part.tablature;
  PartSmallStave[slot] = part.smallStave;
  PartFlag[slot] = part.flag;
  std::copy(std::begin(part.fields), std::end(part.fields), PartFields[slot]);
}

void TakeScoreSnapshot(ScoreSnapshot* snapshot) {
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const uint32_t used = StreamUsedLength(ScoreStream, slot);
    const uint8_t* bytes = StreamBytes(ScoreStream, slot);
    if (bytes && used)
      snapshot->streams[slot].assign(bytes, bytes + used);
    else
      snapshot->streams[slot].clear();
  }
  snapshot->partCount = std::clamp<int32_t>(PartCount, 0, kPartSlots);
  for (int slot = 0; slot < kPartSlots; ++slot) snapshot->parts[slot] = ScorePartSlot(slot);
  snapshot->pageCount = std::clamp<int32_t>(ScorePages.count, 0, kMaxScorePages);
  snapshot->version = ScoreFormatVersion;
  snapshot->rhythmCorrection = Unsaved().readTuplets;
  snapshot->bracketTuplets = Global().bracketTuplets;
  snapshot->readText = Unsaved().readText;
}

BuildContext& ReadingBuildContext() {
  static BuildContext context;
  return context;
}

void PrepareReadingBuildContext() {
  BuildContext& context = ReadingBuildContext();
  const BarVoiceStep barVoices = context.barVoices;
  const TextItemWriters textItems = context.textItems;
  context = BuildContext{};
  context.barVoices = barVoices;
  context.textItems = textItems;
  TakeScoreSnapshot(&context.snapshot);
  context.version = context.snapshot.version;
  context.ReadingPartCount = context.snapshot.partCount;
  std::copy(std::begin(context.snapshot.parts), std::end(context.snapshot.parts), context.parts);
  context.firstNewSlot = context.ReadingPartCount;
  context.scorePage = context.snapshot.pageCount + 1;
}

void BindStageContext(BuildContext& context, const StageContext& stage) {
  context.page = stage.page;
  if (stage.page) context.resolution = stage.page->resolution > 0 ? stage.page->resolution : 300;
  context.scorePage = static_cast<int32_t>(Reading().scorePosition);
  PageLists& lists = context.lists;
  lists.rows = stage.rows;
  lists.staveCount = stage.staveCount;
  if (ReadingWorkLists* work = stage.lists) {
    lists.symbols = work->symbols;
    lists.symbolCount = &work->symbolCount;
    lists.notes = work->notes;
    lists.noteCount = &work->noteCount;
    lists.curves = reinterpret_cast<CurveItem*>(work->curvesA);
    lists.curveCount = work->curveACount;
    lists.lines = reinterpret_cast<LineItem*>(work->curvesB);
    lists.lineCount = work->curveBCount;
    lists.chars = reinterpret_cast<CharRecord*>(work->characters);
    lists.charCount = &work->charCount;
    lists.words = reinterpret_cast<WordRecord*>(work->words);
    lists.wordCount = &work->wordCount;
  }
}

bool IsTablatureSlot(const BuildContext& context, int slot) {
  return slot >= 0 && slot < kPartSlots && context.parts[slot].tablature.flag != 0;
}

int32_t StreamUnits(const BuildContext& context, double pixels) {
  const int dpi = context.resolution > 0 ? context.resolution : 300;
  return static_cast<int32_t>(std::lround(pixels * 127.0 / dpi));
}

uint8_t TextOffsetByte(const BuildContext& context, double pixels) {
  const int dpi = context.resolution > 0 ? context.resolution : 300;
  const long mm = std::lround(pixels * 25.4 / dpi);
  return MakeSignMagnitude(static_cast<int>(std::clamp<long>(mm, -127, 127)));
}

int EnsureStreamRoom(BuildContext& context, int slot, uint32_t n) {
  if (slot < 0 || slot >= kPartSlots) return 0;
  return GrowStream(context.streams, slot, n);
}

bool AppendStreamBytes(BuildContext& context, int slot, const uint8_t* bytes, uint32_t n) {
  if (slot < 0 || slot >= kPartSlots) return false;
  StreamSet& set = *context.streams;
  const uint32_t used = set.used[slot];
  if (!set.block[slot] || StreamCapacity(set, slot) < used + n) return false;
  std::memcpy(StreamBytes(set, slot) + used, bytes, n);
  set.used[slot] = used + n;
  return true;
}

bool InsertStreamBytes(BuildContext& context, int slot, uint32_t offset, const uint8_t* bytes, uint32_t n) {
  if (slot < 0 || slot >= kPartSlots) return false;
  StreamSet& set = *context.streams;
  const uint32_t used = set.used[slot];
  if (offset > used || !set.block[slot] || StreamCapacity(set, slot) < used + n) return false;
  uint8_t* data = StreamBytes(set, slot);
  std::memmove(data + offset + n, data + offset, used - offset);
  std::memcpy(data + offset, bytes, n);
  set.used[slot] = used + n;
  return true;
}

int BoxCount(const BuildContext& context) {
  return context.page ? std::clamp<int>(context.page->boxCount, 0, kMaxObjectBoxes) : 0;
}

bool AppendObjectBox(BuildContext& context, ObjectBox box, float score) {
  if (!context.page) return false;
  const int count = BoxCount(context);
  if (count >= kMaxObjectBoxes) return false;
  int16_t* row = context.page->boxes[count];
  row[0] = box.left;
  row[1] = box.right;
  row[2] = box.top;
  row[3] = box.bottom;
  context.page->boxValues[count] = score;
  context.page->boxCount = static_cast<int16_t>(count + 1);
  return true;
}

bool InsertObjectBox(BuildContext& context, int index, ObjectBox box, float score) {
  if (!context.page) return false;
  ObjectBoxList list = ContextObjectBoxes(context);
  if (!InsertObjectBoxRow(&list, index, EventBox{box.left, box.right, box.top, box.bottom}, score)) return false;
  context.page->boxCount = static_cast<int16_t>(list.count);
  return true;
}

ObjectBoxList ContextObjectBoxes(const BuildContext& context) {
  ObjectBoxList boxes;
  if (!context.page) return boxes;
  boxes.rows = context.page->boxes;
  boxes.values = context.page->boxValues;
  boxes.count = BoxCount(context);
  boxes.capacity = kMaxObjectBoxes;
  return boxes;
}

ObjectBox ObjectBoxAt(const BuildContext& context, int index) {
  if (!context.page || index < 0 || index >= BoxCount(context)) return ObjectBox{0, 0, 0, 0};
  const int16_t* row = context.page->boxes[index];
  return ObjectBox{row[0], row[1], row[2], row[3]};
}
