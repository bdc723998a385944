#include "reading/ReadingThread.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <thread>

#include "Code/Quorm/Quorm.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "platform/TextUtils.h"
#include "pages/SpriteArea.h"
#include "reading/PageSprites.h"
#include "reading/StaveGeometry.h"
#include "reading/StaveLines.h"
#include "reading/StaveLocating.h"
#include "reading/StaveSpacing.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

namespace {

constexpr unsigned kTextNoMemoryForPage = 10012;
constexpr unsigned kTextEngineStartFailed = 10026;

class NoReadingHost : public ReadingHost {
 public:
  void PostToFrame(unsigned) override {}
  void DebugLine(const char16_t*) override {}
  void LockDrawing() override {}
  void UnlockDrawing() override {}
};

ReadingHost* host = nullptr;

std::mutex noticeLock;
std::deque<ReadingNotice> notices;

std::mutex threadLock;
std::thread readingThread;

class DrawingLock {
 public:
  DrawingLock() { CurrentReadingHost().LockDrawing(); }
  ~DrawingLock() { CurrentReadingHost().UnlockDrawing(); }
};

// ---- Default steps ----

uint8_t* SpriteImageOfPage(PageData* page, uint32_t* strideWords) {
  if (!page->imageArea) return nullptr;
  uint8_t* header = nullptr;
  char name[kImageNameBytes + 1] = {};
  std::memcpy(name, page->imageName, kImageNameBytes);
  if (FindSprite(page->Area(), name, &header) || !header) return nullptr;
  const PageImage image = SpriteImageView(page->Area());
  if (image.bitsPerPixel != 1 || !image.rows) return nullptr;
  *strideWords = static_cast<uint32_t>(image.rowBytes / 4);
  return image.rows;
}

const char* EngineLoadImage(const uint32_t* bits, int width, int height, int stretch) {
  return LoadPageImage(bits, width, height, stretch);
}

const ReadingSteps kDefaultSteps = {
    LoadPageForReading, SpriteImageOfPage, LocateReadingPageStaves,  RemoveStaveLines, AllocateWorkLists,
    StartEngine,     EngineLoadImage,   RunStaffStageWithHints, RecognisePage, FreePageBitmap,
    CloseEngine,
};
ReadingSteps steps = kDefaultSteps;

// ---- The stage table ----

StageEntry stageTable[] = {
    {ReadingStage::kFindChars, StageScope::kPage, nullptr, nullptr},
    {ReadingStage::kAssignStavesToParts, StageScope::kPage, nullptr, nullptr},
    {ReadingStage::kNoteheads, StageScope::kNotationStave, u"Noteheads: %d\n", nullptr},
    {ReadingStage::kTabNumbers, StageScope::kTabStave, u"Guitar tab numbers: %d\n", nullptr},
    {ReadingStage::kBigSymbols, StageScope::kEveryStave, u"Bigsymbols: %d\n", nullptr},
    {ReadingStage::kConvertNoteRecords, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kNoteValues, StageScope::kGroup, u"Notevalues: %d\n", nullptr},
    {ReadingStage::kOverlapCleanUp, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kArticulation, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kArticulationSlot, StageScope::kGroup, u"Articulation: %d\n", nullptr},
    {ReadingStage::kAppenditures, StageScope::kGroup, u"Appenditures: %d\n", nullptr},
    {ReadingStage::kSlursTiesHairpins, StageScope::kGroup, u"Slurs, ties, hairpins: %d\n", nullptr},
    {ReadingStage::kDotsAndWords, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kGuitarFrames, StageScope::kGroup, u"Guitar frames: %d\n", nullptr},
    {ReadingStage::kFinishGroup, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kGroupOverlaps, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kInterpretStaveSymbols, StageScope::kGroup, nullptr, nullptr},
    {ReadingStage::kCorrectBarRhythms, StageScope::kAfterPage, nullptr, nullptr},
};
static_assert(sizeof stageTable / sizeof stageTable[0] == static_cast<size_t>(ReadingStage::kCount),
              "one entry per stage");

void TimeLine(const char16_t* format, uint32_t since) {
  if (!format) return;
  char16_t line[256];
  FormatWide(line, 256, format, static_cast<int>(GetCentiseconds() - since));
  CurrentReadingHost().DebugLine(line);
}

// Runs the entries of one scope; 0 when one ended the page.
int RunScope(StageScope scope, StageContext& context) {
  for (StageEntry& entry : stageTable) {
    if (entry.scope != scope) continue;
    const uint32_t t0 = GetCentiseconds();
    if (entry.run && !entry.run(context)) return 0;
    TimeLine(entry.timeLine, t0);
  }
  return 1;
}

// ---- Page table writes of the thread ----

PageRecord* ReadRow() {
  const int32_t row = Reading().pageIndex;
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return nullptr;
  return &pageTable.rows[row];
}

// The page goes back to pending, unticked, so that reading the next page
// does not start it again; with a problem code it is marked and listed.
void ReturnPageToPending(bool markProblem, uint32_t code) {
  std::lock_guard<std::mutex> lock(PageTableLock());
  PageRecord* record = ReadRow();
  if (!record) return;
  record->state = kPageNotRead;
  record->flags &= ~kPageSelected;
  if (markProblem) {
    record->flags = (record->flags & ~(kPageHasProblem | kPageProblemCodeMask)) | kPageHasProblem | (code << kPageProblemCodeShift);
    if (Reading().pageIndex >= 0) AddPageProblem(Reading().pageIndex);
  }
}

// Every end straight from the thread: the flags cleared, one WM_APP+10.
void EndEarly(bool abort) {
  if (abort) Flags().abort = 1;
  ReadingActive() = 0;
  LocatingStaves() = 0;
  CurrentReadingHost().PostToFrame(kReadingEndedMessage);
}

// Boxes of code the thread runs (page loading, the stages) wait for the frame.
int BoxToFrame(const platform::MessageBoxSeen& box) {
  QueueReadingBox(box.text, box.caption, box.style);
  return (box.style & 0xF) == 4 || (box.style & 0xF) == 3 ? platform::kAnswerNo : platform::kAnswerOk;
}

class BoxSink {
 public:
  BoxSink() : old_(platform::SetThreadMessageBoxSink(BoxToFrame)) {}
  ~BoxSink() { platform::SetThreadMessageBoxSink(old_); }

 private:
  platform::MessageBoxObserver old_;
};

int ContinueReading(int check) { return PollUserAbort(check) && !Flags().abort ? 1 : 0; }
int StaffStageProgress(unsigned percent) { return OnReadingProgress(percent); }

bool StaveInsideImage(const StaveRecord& stave, const PageData& page) {
  return stave.left >= 1 && stave.top >= 1 && stave.right >= 0 && stave.bottom >= 0 &&
         static_cast<uint32_t>(stave.right) < page.width && static_cast<uint32_t>(stave.bottom) < page.height;
}

}  // namespace

StavePage PageGeometry(PageData& page, uint8_t* image, uint32_t strideWords) {
  StavePage geometry;
  geometry.image.rows = image;
  geometry.image.width = static_cast<int32_t>(page.width);
  geometry.image.height = static_cast<int32_t>(page.height);
  geometry.image.rowBytes = static_cast<size_t>(strideWords) * 4;
  geometry.image.bitsPerPixel = 1;
  geometry.resolution = page.resolution > 0 ? page.resolution : 300;
  geometry.lines = &page.lineCurves;
  geometry.curvesValid = page.curvesValid;
  geometry.modelCurves = page.modelCurves;
  return geometry;
}

ReadingState& Reading() {
  static ReadingState state;
  return state;
}

std::mutex& PageTableLock() {
  static std::mutex lock;
  return lock;
}

ProblemList& PageProblems() {
  static ProblemList list{};
  return list;
}

void AddPageProblem(int row) {
  ProblemList& list = PageProblems();
  for (int i = 0; i < list.count; ++i)
    if (list.rows[i] == row) return;  // a page is listed once
  if (list.count < kProblemListSlots) list.rows[list.count++] = row;
}

ReadingHost& CurrentReadingHost() {
  static NoReadingHost none;
  return host ? *host : none;
}
void SetReadingHost(ReadingHost* newHost) { host = newHost; }

void QueueReadingNotice(NoticeKind kind, unsigned stringId) {
  std::lock_guard<std::mutex> lock(noticeLock);
  if (notices.size() >= 64) return;
  ReadingNotice notice{};
  notice.kind = kind;
  notice.stringId = stringId;
  notices.push_back(notice);
}

void QueueReadingBox(const char16_t* text, const char16_t* caption, unsigned style) {
  ReadingNotice notice{};
  notice.kind = NoticeKind::kBox;
  notice.style = style;
  for (int i = 0; text && text[i] && i + 1 < kNoticeTextUnits; ++i) notice.text[i] = text[i];
  for (int i = 0; caption && caption[i] && i + 1 < 128; ++i) notice.caption[i] = caption[i];
  std::lock_guard<std::mutex> lock(noticeLock);
  if (notices.size() < 64) notices.push_back(notice);
}

int TakeReadingNotices(ReadingNotice* out, int capacity) {
  std::lock_guard<std::mutex> lock(noticeLock);
  int n = 0;
  while (n < capacity && !notices.empty()) {
    out[n++] = notices.front();
    notices.pop_front();
  }
  return n;
}

bool AllocateWorkLists(ReadingWorkLists* lists) {
  *lists = ReadingWorkLists{};
  Handle blocks[7] = {};
  const size_t sizes[7] = {
      sizeof(SymbolRecord) * kSymbolListCapacity,         sizeof(NoteRecord) * kNoteListCapacity,
      size_t(kCurveAItemBytes) * kCurveAListCapacity,     size_t(kCurveBItemBytes) * kCurveBListCapacity,
      size_t(kCharRecordBytes) * kCharListCapacity,       size_t(kWordRecordBytes) * kWordListCapacity,
      size_t(kExtraListBytes)};
  for (int i = 0; i < 7; ++i) {
    if (!AllocHandle(&blocks[i], sizes[i])) {
      for (Handle& block : blocks) FreeHandle(&block);
      return false;
    }
    std::memset(blocks[i], 0, sizes[i]);
  }
  lists->symbols = static_cast<SymbolRecord*>(blocks[0]);
  lists->notes = static_cast<NoteRecord*>(blocks[1]);
  lists->curvesA = static_cast<uint8_t*>(blocks[2]);
  lists->curvesB = static_cast<uint8_t*>(blocks[3]);
  lists->characters = static_cast<uint8_t*>(blocks[4]);
  lists->words = static_cast<uint8_t*>(blocks[5]);
  lists->extra = static_cast<uint8_t*>(blocks[6]);
  return true;
}

void FreeWorkLists(ReadingWorkLists* lists) {
  Handle blocks[7] = {lists->symbols, lists->notes, lists->curvesA, lists->curvesB,
                      lists->characters, lists->words, lists->extra};
  for (Handle& block : blocks) FreeHandle(&block);
  *lists = ReadingWorkLists{};
}

StageEntry* ReadingStageTable() { return stageTable; }
int ReadingStageCount() { return static_cast<int>(ReadingStage::kCount); }

StageFunction SetReadingStage(ReadingStage id, StageFunction run) {
  for (StageEntry& entry : stageTable)
    if (entry.id == id) {
      const StageFunction old = entry.run;
      entry.run = run;
      return old;
    }
  return nullptr;
}

const ReadingSteps& DefaultReadingSteps() { return kDefaultSteps; }
ReadingSteps& CurrentReadingSteps() { return steps; }

int OnReadingProgress(unsigned percent) {
  ReadingState& state = Reading();
  if (percent == static_cast<unsigned>(-1))
    state.progressValue += 1;
  else
    state.progressValue = static_cast<int32_t>(static_cast<int64_t>(state.progressScale) * percent / 100);
  CurrentReadingHost().InvalidatePagesPane();
  return 1;
}

int ProgressUnits(int groups, int staves) {
  int units = 3 * groups + 2 * staves;
  if (ReadTextOption()) units += 9;
  if (General().readSlursHairpinsAndTies) units += staves;
  if (Unsaved().readArticulations) units += groups;
  return units;
}

uint32_t ScorePositionFromFlags(uint32_t flags, int scorePageCount) {
  const uint32_t end = static_cast<uint32_t>(std::max(0, scorePageCount)) + 1;
  if (!(flags & kPageWantsPosition)) return end;
  const uint32_t wanted = flags >> 16;
  return wanted >= 1 && wanted <= end ? wanted : end;
}

void StaveRowsForEngine(const StaveRow* rows, int count, int16_t* out) {
  for (int i = 0; i < count; ++i) {
    int16_t* w = out + i * 24;
    std::fill(w, w + 24, int16_t(0));
    const StaveRow& r = rows[i];
    const int16_t fields[13] = {r.left, r.right, r.top,  r.bottom, r.lineCount, r.lineThickness, r.slope,
                                r.group, r.number, r.midX, r.midTop, r.rightTop, r.kind};
    std::copy(fields, fields + 13, w);
  }
}

void MeasureMinStaveHeights(const StaveRow* rows, int count, int dpiUnit, int32_t* out) {
  for (int n = 0; n <= kMaxStaveLines; ++n) {
    int32_t smallest = -1;
    for (int i = 0; i < count; ++i)
      if (rows[i].lineCount == n) {
        const int32_t h = rows[i].bottom - rows[i].top;
        if (smallest < 0 || h < smallest) smallest = h;
      }
    if (smallest < 0) {
      out[n] = 0;
      continue;
    }
    const int32_t t = smallest * 4 / 3 - 2 * dpiUnit;
    int32_t last = -1;
    for (int i = 0; i < count; ++i)
      if (rows[i].lineCount == n && rows[i].bottom - rows[i].top >= t) last = rows[i].bottom - rows[i].top;
    out[n] = last >= 0 ? std::min(t, last - dpiUnit) : smallest - dpiUnit;
  }
}

void MeasureStaveBoxes(const StaveRow* rows, int count, StaveBoxes* out) {
  out->count = std::clamp(count, 0, kMaxPageStaves);
  for (int s = 0; s < out->count; ++s) {
    const StaveRow& r = rows[s];
    const int rise = std::max({0, r.rightTop - r.top, r.midTop - r.top});
    out->box[s][0] = r.left;
    out->box[s][1] = std::min({r.top, r.midTop, r.rightTop});
    out->box[s][2] = r.right;
    out->box[s][3] = static_cast<int16_t>(std::min(32767, r.bottom + rise));
  }
}

void ReadingThreadBody() {
  ReadingState& state = Reading();
  ReadingHost& frame = CurrentReadingHost();
  frame.ThreadStarted();
  BoxSink boxes;
  PageData& page = readPage;

  // 1. The page's flags.
  uint32_t flags = 0;
  {
    std::lock_guard<std::mutex> lock(PageTableLock());
    if (PageRecord* record = ReadRow()) flags = record->flags;
  }
  state.handwrittenPage = (flags & kPageHandwritten) ? 1 : 0;
  Flags().abort = 0;
  state.pageHasItems = 0;
  state.stavesLocatedNow = 0;
  LocatingStaves() = 1;
  const bool skipStaveTidy = (flags & kPageSkipStaveTidy) != 0;

  // 2. Nothing more fits into the score.
  if (ScorePages.count >= kMaxScorePages || !ReadRow()) {
    QueueReadingNotice(NoticeKind::kStatusText, kTextScoreFull);
    EndEarly(true);
    return;
  }
  // 3. This reading starts a score.
  if (ScorePages.count == 0) Flags().newScore = 1;

  // 4-5. The page and its stave data.
  if (!steps.loadPage(state.pageIndex, &page)) {
    ReturnPageToPending(true, kProblemNotRead);
    EndEarly(true);
    return;
  }
  page.staveCount = std::min<uint32_t>(page.staveCount, kStaveSlots);

  // 8-9. Where the page goes; the record is being read.
  state.scorePosition = ScorePositionFromFlags(flags, ScorePages.count);
  state.startTime = GetCentiseconds();
  {
    std::lock_guard<std::mutex> lock(PageTableLock());
    if (PageRecord* record = ReadRow()) {
      record->state = 1;
      record->flags &= ~((1u << 4) | (1u << 5) | (1u << 6));
    }
  }
  page.boxCount = 0;
  PollUserAbort(0);

  // 10. The page image.
  uint32_t strideWords = 0;
  uint8_t* image = steps.pageImage(&page, &strideWords);
  if (!image) {
    ReturnPageToPending(true, kProblemNotRead);
    EndEarly(true);
    return;
  }

  // 11. The work lists.
  StaveRow rows[kMaxPageStaves] = {};
  ReadingWorkLists lists;
  if (!steps.allocateWorkLists(&lists)) {
    QueueReadingNotice(NoticeKind::kErrorText, kTextNoMemoryForPage);
    ReturnPageToPending(true, kProblemNotRead);
    EndEarly(true);
    return;
  }

  const int resolution = page.resolution > 0 ? page.resolution : 300;
  const int dpiUnit = std::max(1, resolution / 100);
  // 12. The page view the stages draw into.
  int32_t viewWidth = 0, viewHeight = 0;
  if (frame.MeasureViewWindow(&viewWidth, &viewHeight)) {
    state.viewWidth = std::max(0, viewWidth);
    state.viewHeight = std::max(0, viewHeight - 26);
  } else {
    state.viewWidth = state.viewHeight = 0;
  }
  StaveLookup().readingActive = true;
  StavePage geometry = PageGeometry(page, image, strideWords);

  // 13. The staves: the stored ones when they all lie inside the image.
  int staveCount = static_cast<int>(page.staveCount);
  for (int s = 0; s < staveCount; ++s)
    if (!StaveInsideImage(page.staves[s], page)) staveCount = 0;
  staveCount = std::min(staveCount, kMaxPageStaves);
  if (staveCount > 0) {
    int16_t group = 0;
    for (int s = 0; s < staveCount; ++s) {
      if (s > 0 && page.staves[s].group != page.staves[s - 1].group) ++group;
      rows[s] = StaveRowFromRecord(page.staves[s]);
      rows[s].group = group;
    }
    for (int s = 0; s < staveCount; ++s) {
      rows[s].number = static_cast<int16_t>(StaveIndexInGroup(rows, staveCount, s));
      if (!page.curvesValid[s]) CalculateStavePositions(rows[s], s, geometry);
    }
  } else {
    int found = 0;
    if (!steps.locateStaves(&page, rows, &found)) found = 0;
    found = std::clamp(found, 0, kMaxPageStaves);
    state.stavesLocatedNow = 1;
    staveCount = 0;
    for (int s = 0; s < found; ++s) {
      const StaveRecord record = StaveRecordFromRow(rows[s]);
      if (!StaveInsideImage(record, page)) continue;
      rows[staveCount] = rows[s];
      if (staveCount != s) {
        // The row moves whole: its curves and their flags.
        std::memcpy(page.lineCurves.y[staveCount], page.lineCurves.y[s], sizeof page.lineCurves.y[s]);
        page.curvesValid[staveCount] = page.curvesValid[s];
        page.modelCurves[staveCount] = page.modelCurves[s];
      }
      page.staves[staveCount++] = record;
    }
    page.staveCount = static_cast<uint32_t>(staveCount);
  }

  // 14. The page view shows this page: its staves, under the drawing lock.
  if (pageTable.currentPage == state.pageIndex && viewPage.imageArea) {
    DrawingLock lock;
    std::copy(page.staves, page.staves + kStaveSlots, viewPage.staves);
    viewPage.staveCount = page.staveCount;
    std::copy(page.curvesValid, page.curvesValid + kStaveSlots, viewPage.curvesValid);
    std::copy(page.modelCurves, page.modelCurves + kStaveSlots, viewPage.modelCurves);
    std::memcpy(&viewPage.lineCurves, &page.lineCurves, sizeof page.lineCurves);
    frame.InvalidatePageView();
  }

  // 15. Nothing to read.
  LocatingStaves() = 0;
  Handle copyBlock = nullptr;
  bool engineStarted = false;
  bool ended = false;  // the page ends without reaching the merge
  std::unique_ptr<EngineRunLock> engineLock;
  if (staveCount == 0) {
    FreeWorkLists(&lists);
    StaveLookup().readingActive = false;
    // A blank page or a finder that failed is marked like a page without
    // staves; a page the user stopped goes back to pending unmarked.
    ReturnPageToPending(!Flags().abort, kProblemNoStaves);
    EndEarly(Flags().abort != 0);
    return;
  }

  // 16-17. Measures kept for the stages and the merge.
  MeasureMinStaveHeights(rows, staveCount, dpiUnit, MinStaveHeightByLines());
  StaveBoxes staveBoxes;
  MeasureStaveBoxes(rows, staveCount, &staveBoxes);

  // 18. The working copy.
  state.progressScale = 16384;
  state.progressValue = 0;
  frame.InvalidatePagesPane();
  const size_t imageBytes = static_cast<size_t>(strideWords) * 4 * page.height;
  if (!AllocHandle(&copyBlock, imageBytes)) {
    QueueReadingNotice(NoticeKind::kErrorText, kTextNoMemoryForPage);
    Flags().abort = 1;
    ended = true;
  } else {
    std::memcpy(copyBlock, image, imageBytes);
  }
  uint8_t* copy = static_cast<uint8_t*>(copyBlock);

  // 19. The stave lines off the copy.
  if (!ended && !skipStaveTidy)
    for (int s = 0; s < staveCount && !ended; ++s)
      if (steps.removeStaveLines(image, copy, strideWords, page.height, rows, staveCount, s, geometry) == 0x10000) {
        QueueReadingNotice(NoticeKind::kErrorText, kTextNoMemoryForPage);
        Flags().abort = 1;
        ended = true;
      }

  // 20. The engine, held from its start to its close.
  try {
    if (!ended) {
      engineLock.reset(new EngineRunLock());
      // A start that failed half-way is closed like a started one.
      engineStarted = true;
      if (steps.startEngine() != 0) {
        QueueReadingNotice(NoticeKind::kErrorText, kTextEngineStartFailed);
        Flags().abort = 1;
        ended = true;
      }
    }
    if (!ended && steps.loadPageImage(reinterpret_cast<const uint32_t*>(image), static_cast<int>(page.width),
                                      static_cast<int>(page.height), 0)) {
      Flags().abort = 1;
      ended = true;
    }
    if (!ended) {
      state.progressValue = state.progressScale * 4 / 100;
      int16_t engineRows[kMaxPageStaves * 24];
      StaveRowsForEngine(rows, staveCount, engineRows);
      const int result = steps.runStaffStage(engineRows, &page.lineCurves.y[0][0][0], staveCount,
                                             StaffStageProgress, ContinueReading);
      state.progressValue = state.progressScale * 24 / 100;
      // A stop, a failed stage (9999) or a failure number ends the page.
      if (result != kStageCompleted) {
        Flags().abort = 1;
        ended = true;
      }
    }
    if (!ended && steps.recognisePage(0.8f, OnReadingProgress, ContinueReading) != 0) {
      Flags().abort = 1;
      ended = true;
    }

    // 21-23. The stages.
    StageContext context;
    context.page = &page;
    context.copy = copy;
    context.strideWords = strideWords;
    context.rows = rows;
    context.staveCount = staveCount;
    context.lists = &lists;
    context.staveBoxes = &staveBoxes;
    if (!ended) {
      SpacingForShortStaves(rows, staveCount, resolution);
      context.image = steps.pageImage(&page, &strideWords);
      if (!context.image || !RunScope(StageScope::kPage, context)) ended = true;
    }
    if (!ended) {
      const int groups = rows[staveCount - 1].group + 1;
      const int units = ProgressUnits(groups, staveCount);
      state.progressScale = static_cast<int32_t>(units * 5.000000298023242);
      state.progressValue = static_cast<int32_t>(state.progressScale * 0.800000011920929 + 1.0);
      for (int s = 0; s < staveCount; ++s) page.staves[s] = StaveRecordFromRow(rows[s]);
      page.staveCount = static_cast<uint32_t>(staveCount);
      for (int slot = 0; slot < kPartSlots; ++slot) {
        FreeHandle(&WorkStream.block[slot]);
        WorkStream.used[slot] = 0;
      }
    }
    int groupStart = 0;
    for (int s = 0; s < staveCount && !ended; ++s) {
      context.image = steps.pageImage(&page, &strideWords);
      if (!context.image) {
        ended = true;
        break;
      }
      context.stave = s;
      context.partIndex = rows[s].number - 1;
      SetStaveUnits(rows, s, resolution);
      const StageScope own = rows[s].kind == 1 ? StageScope::kTabStave : StageScope::kNotationStave;
      if (!RunScope(own, context) || !RunScope(StageScope::kEveryStave, context)) {
        ended = true;
        break;
      }
      if (s + 1 == staveCount || rows[s + 1].group != rows[s].group) {
        const uint32_t t0 = GetCentiseconds();
        context.firstStave = groupStart;
        if (!RunScope(StageScope::kGroup, context)) {
          ended = true;
          break;
        }
        state.progressValue += 1;
        frame.InvalidatePagesPane();
        lists.curveBCount = lists.curveACount = lists.symbolCount = lists.noteCount = 0;
        TimeLine(u"FinishStaveGroup: %d\n", t0);
        groupStart = s + 1;
      }
    }
    if (!ended && !RunScope(StageScope::kAfterPage, context)) ended = true;
  } catch (const EngineFailure&) {
    // An accessor was given what the engine does not have: this page fails.
    Flags().abort = 1;
    ended = true;
  }

  // 24. The end.
  FreeWorkLists(&lists);
  FreeHandle(&copyBlock);
  if (engineStarted) {
    steps.freePageBitmap();
    steps.closeEngine();
  }
  engineLock.reset();
  StaveLookup().readingActive = false;
  if (Flags().abort) {
    ReturnPageToPending(false, 0);
    EndEarly(false);
  } else {
    frame.PostToFrame(kReadPageDoneMessage);
  }
}

namespace {
bool handwritingNoticeShown = false;
bool musicPaperNoticeShown = false;

bool ShowNoticeOnce(bool option, bool& shown, int dialogId) {
  if (!option || shown) return false;
  shown = true;
  CurrentReadingHost().ShowReadingNotice(dialogId);
  return true;
}
}  // namespace

bool ShowHandwrittenWarning() {
  return ShowNoticeOnce(Global().showHandwrittenWarning, handwritingNoticeShown, kHandwritingNotice);
}

bool ShowMusicPaperNotice() {
  return ShowNoticeOnce(Global().showDottedStavesWarning, musicPaperNoticeShown, kMusicPaperNotice);
}

void ResetReadingNotices() { handwritingNoticeShown = musicPaperNoticeShown = false; }

namespace {
void (*readingStartHook)() = nullptr;
}  // namespace

void SetReadingStartHook(void (*hook)()) { readingStartHook = hook; }

bool StartReading(int row) {
  if (ReadingActive()) return false;
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  if (ScorePages.count >= kMaxScorePages) {
    ShowStatusClearTime(kTextScoreFull);
    return false;
  }
  JoinReadingThread();
  if (readingStartHook) readingStartHook();
  ReadingState& state = Reading();
  state.progressScale = 1;
  state.progressValue = 0;
  state.pageIndex = row;
  state.handwritingMode = Unsaved().readHandwritten ? 1 : 0;
  if (state.handwritingMode == 1) {
    ShowHandwrittenWarning();
    if (!(pageTable.rows[row].flags & kPageHandwritten)) ShowMusicPaperNotice();
  }
  ReadingActive() = 1;
  LocatingStaves() = 0;
  std::lock_guard<std::mutex> lock(threadLock);
  try {
    readingThread = std::thread(ReadingThreadBody);
  } catch (...) {
    ReadingActive() = 0;
    return false;
  }
  return true;
}

void JoinReadingThread() {
  std::lock_guard<std::mutex> lock(threadLock);
  if (readingThread.joinable()) readingThread.join();
}
