#include "tests/reading/ScriptedReading.h"

#include <vector>

#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/ShellFlags.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"

namespace {

ReadingScript script;
std::vector<uint32_t> pageBits;

uint32_t StrideWords() { return static_cast<uint32_t>((script.width + 31) / 32); }

int ScriptedLoad(int, PageData* page) {
  if (script.loadFails) return 0;
  page->width = script.width;
  page->height = script.height;
  page->resolution = 300;
  page->staveCount = 0;
  if (script.storedStaves) {
    StaveRecord& stave = page->staves[0];
    stave = StaveRecord{};
    stave.left = static_cast<int16_t>(script.staveLeft);
    stave.right = static_cast<int16_t>(script.staveRight);
    stave.top = static_cast<int16_t>(script.staveTop);
    stave.bottom = static_cast<int16_t>(script.staveTop + 4 * script.staveSpace);
    stave.lineCount = 5;
    stave.lineThickness = 2;
    stave.midX = static_cast<int16_t>((script.staveLeft + script.staveRight) / 2);
    stave.midTop = stave.top;
    stave.rightTop = stave.top;
    page->curvesValid[0] = 0;
    page->staveCount = 1;
  }
  return 1;
}
uint8_t* ScriptedImage(PageData*, uint32_t* stride) {
  *stride = StrideWords();
  return script.spriteMissing ? nullptr : reinterpret_cast<uint8_t*>(pageBits.data());
}
int ScriptedLocate(PageData*, StaveRow*, int* count) {
  *count = 0;
  return 1;
}
int ScriptedRemove(const uint8_t*, uint8_t*, uint32_t, uint32_t, const StaveRow*, int, int, const StavePage&) {
  return script.linesNoMemory ? 0x10000 : 0;
}
bool ScriptedLists(ReadingWorkLists* lists) { return !script.listsFail && AllocateWorkLists(lists); }
int ScriptedStart() {
  ++script.engineStarts;
  return script.engineStart;
}
const char* ScriptedLoadImage(const uint32_t*, int, int, int) { return nullptr; }
int ScriptedStaffStage(const int16_t*, const int16_t*, int, ProgressCallback, ContinueCallback) {
  return script.staffStage;
}
int ScriptedRecognise(float, ProgressCallback progress, ContinueCallback) {
  progress(50);
  if (script.escDuringRecognise) Flags().abort = 1;  // as the user's Esc sets it
  return script.recognise;
}
void ScriptedFree() {}
int ScriptedClose() {
  ++script.engineCloses;
  return 0;
}

const ReadingSteps kScripted = {ScriptedLoad,      ScriptedImage,      ScriptedLocate,    ScriptedRemove,
                                ScriptedLists,     ScriptedStart,      ScriptedLoadImage, ScriptedStaffStage,
                                ScriptedRecognise, ScriptedFree,       ScriptedClose};

}  // namespace

ReadingScript& Script() { return script; }

const ReadingSteps& ScriptedReadingSteps() { return kScripted; }

void BeginScriptedReading(ReadingHost& host, const ReadingScript& wanted, int pages) {
  script = wanted;
  pageBits.assign(static_cast<size_t>(StrideWords()) * script.height, 0);
  SetReadingHost(&host);
  CurrentReadingSteps() = kScripted;
  pageTable = PageTable{};
  pageTable.pageCount = pages;
  for (int i = 0; i < pages; ++i) {
    pageTable.rows[i].flags = kPageSelected;
    pageTable.rows[i].pageKey = 77 + i;
  }
  ScorePages = ScorePageList{};
  PageProblems().count = 0;
  Flags().abort = 0;
  Reading().pageIndex = 0;
  ReadingActive() = 1;
  ReadingNotice drain[64];
  TakeReadingNotices(drain, 64);
}

void EndScriptedReading() {
  JoinReadingThread();
  for (int i = 0; i < ReadingStageCount(); ++i) SetReadingStage(static_cast<ReadingStage>(i), nullptr);
  SetReadingStartHook(nullptr);
  CurrentReadingSteps() = DefaultReadingSteps();
  SetReadingHost(nullptr);
  ReadingActive() = 0;
  LocatingStaves() = 0;
  Flags().abort = 0;
  FreeHandle(&readPage.imageArea);
}

int StageGivesItems(StageContext&) {
  Reading().pageHasItems = 1;
  return 1;
}

int RecordStreamEnds(StreamSet* score, uint32_t (*pageStarts)[kPageStartSlots], int pageNumber) {
  for (int slot = 0; slot < kPartSlots; ++slot) {
    uint32_t used = StreamUsedLength(*score, slot);
    if (used > 0 && StreamBytes(*score, slot)[used - 1] == kEndOfScore) score->used[slot] = --used;
    pageStarts[pageNumber - 1][slot] = used;
  }
  return 1;
}
