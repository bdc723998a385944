// Reading one page of the page store on a thread of its own: the page is
// loaded into readPage, its staves taken or located, the lines erased on a
// working copy, the engine run and then the recognition stages, stave by
// stave and group by group, in the order of one stage table. The frame is
// told by a posted message; it merges the page (ReadPageHandOver.h).
//
// The thread never shows a box or waits for the user: every notice it has
// (status text, error text) is queued and shown by the interface thread when
// it handles the message the thread posts (TakeReadingNotices).
#pragma once

#include <cstdint>
#include <mutex>

#include "Code/Quorm/EngineHost.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

// Posted to the frame (wParam 0, lParam 0).
constexpr unsigned kReadingEndedMessage = 0x800A;    // the reading has ended
constexpr unsigned kReadNextPageMessage = 0x800B;    // read the next pending page
constexpr unsigned kReadPageDoneMessage = 0x800C;    // merge the read page
constexpr unsigned kReadNextPageTimer = 32779;

// Shown when a page is to be read into a score that has its 20 pages.
constexpr unsigned kTextScoreFull = 10025;

// Page record flags that reading reads and writes besides those of the
// page table (pages/PageTable.h).
constexpr uint32_t kPageSkipStaveTidy = 1u << 1;
constexpr uint32_t kPageManyErrors = 1u << 4;
constexpr uint32_t kPageWantsPosition = 1u << 7;
constexpr uint32_t kPageTargetShift = 16;   // bits 16-31: the wanted score position
constexpr uint32_t kProblemNoStaves = 0;
constexpr uint32_t kProblemStavePositions = 1;  // staves not located exactly
constexpr uint32_t kProblemNarrowStaves = 5;
constexpr uint32_t kProblemNotRead = 2;  // loading or preparing the page failed
constexpr uint32_t kProblemOnlyPercussion = 4;  // no stave but percussion staves: no notehead size

// The state of the one reading in progress. readingActive and locatingStaves
// are the engine's ReadingFlags(); the user's stop is Flags().abort.
struct ReadingState {
  int32_t pageIndex = -1;
  uint32_t scorePosition = 1;    // 1-based place the page takes in the score
  std::atomic<uint32_t> pageHasItems{0};
  uint32_t stavesLocatedNow = 0;
  uint32_t handwrittenPage = 0;
  uint32_t handwritingMode = 0;
  std::atomic<int32_t> progressScale{1};
  std::atomic<int32_t> progressValue{0};
  uint32_t startTime = 0;
  // The page view's size as the thread found it (height less its 26-pixel
  // bar); 0 when there is no page view. The stages draw only inside it.
  int32_t viewWidth = 0, viewHeight = 0;
  // A request to read the next page that came while a page was read.
  std::atomic<uint32_t> nextPageRequested{0};
};
ReadingState& Reading();
inline std::atomic<uint32_t>& ReadingActive() { return ReadingFlags().readingInProgress; }
inline std::atomic<uint32_t>& LocatingStaves() { return ReadingFlags().pageReadingRun; }

// The page table's fields that the thread writes (state, flags) and the
// problem list are changed only under this lock; no row is removed or moved
// while a page is read.
std::mutex& PageTableLock();
// A page is listed once, so the list has room for every row of the table.
constexpr int kProblemListSlots = kMaxPages;
struct ProblemList {
  int32_t rows[kProblemListSlots];
  int32_t count;
};
ProblemList& PageProblems();  // under PageTableLock
void AddPageProblem(int row);

// ---- What the thread asks of the interface thread ----
// Where the stages' debug boxes are drawn.
enum class DebugSurface : int { kPageView, kPagesPane };
class ReadingHost {
 public:
  virtual ~ReadingHost() = default;
  // Runs first on the reading thread: priority below normal, input attached.
  virtual void ThreadStarted() {}
  virtual void PostToFrame(unsigned message) = 0;
  // A line of the debug output (the stage times).
  virtual void DebugLine(const char16_t* text) = 0;
  // The drawing lock "ReadingMutex".
  virtual void LockDrawing() = 0;
  virtual void UnlockDrawing() = 0;
  // Interface thread: shows a notice before a reading of handwritten music.
  virtual void ShowReadingNotice(int dialogId) {}
  virtual void InvalidatePagesPane() {}
  virtual void InvalidatePageView() {}
  // The page view window's outer width and height; false when it has none.
  virtual bool MeasureViewWindow(int32_t* width, int32_t* height) { return false; }
  // Debug drawing of the stages: outlines a box of the page (page pixels,
  // inclusive) in a colour of the drawing palette; called under LockDrawing.
  virtual void OutlineDebugBox(DebugSurface surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int colour) {}
};
ReadingHost& CurrentReadingHost();
void SetReadingHost(ReadingHost* host);  // null: the default (posts nothing)

// Notices queued by the reading thread for the interface thread.
enum class NoticeKind : int { kStatusText, kErrorText, kBox };
constexpr int kNoticeTextUnits = 512;
struct ReadingNotice {
  NoticeKind kind;
  unsigned stringId;                  // status and error texts
  unsigned style;                     // kBox: the box's style
  char16_t text[kNoticeTextUnits];    // kBox: its text and caption
  char16_t caption[128];
};
void QueueReadingNotice(NoticeKind kind, unsigned stringId);
// A box that code running on the reading thread wanted to show (its answer
// is OK, or No for a question).
void QueueReadingBox(const char16_t* text, const char16_t* caption, unsigned style);
// Takes at most capacity queued notices (oldest first); their number.
int TakeReadingNotices(ReadingNotice* out, int capacity);

// ---- The work lists of one page ----
struct ReadingWorkLists {
  SymbolRecord* symbols = nullptr;
  NoteRecord* notes = nullptr;
  uint8_t* curvesA = nullptr;
  uint8_t* curvesB = nullptr;
  uint8_t* characters = nullptr;
  uint8_t* words = nullptr;
  uint8_t* extra = nullptr;
  uint32_t symbolCount = 0, noteCount = 0, curveACount = 0, curveBCount = 0;
  uint32_t charCount = 0, wordCount = 0, extraCount = 0;
};
// All seven or none: false leaves nothing allocated.
bool AllocateWorkLists(ReadingWorkLists* lists);
void FreeWorkLists(ReadingWorkLists* lists);

// ---- The staves' outer boxes ----
// Per stave left, top, right and bottom: the top is the highest of the
// stave's three top samples (left, middle, right) and the bottom is lowered
// by as much as the middle or right sample lies below the left one, so that
// a sloping or bowed stave lies inside its box.
struct StaveBoxes {
  int16_t box[kMaxPageStaves][4] = {};
  int count = 0;
};
void MeasureStaveBoxes(const StaveRow* rows, int count, StaveBoxes* out);

// ---- The stage table ----
// What a stage sees of the page being read.
struct StageContext {
  PageData* page = nullptr;
  uint8_t* image = nullptr;  // the page image (refetched before each stage)
  uint8_t* copy = nullptr;   // the working copy, stave lines erased
  uint32_t strideWords = 0;  // 32-bit words per row
  StaveRow* rows = nullptr;
  int staveCount = 0;
  ReadingWorkLists* lists = nullptr;
  const StaveBoxes* staveBoxes = nullptr;  // null: measured from rows where needed
  int stave = 0;        // per-stave stages: the stave
  int firstStave = 0;   // group stages: the group's first stave
  int partIndex = 0;
};
using StageFunction = int (*)(StageContext& context);  // 1 go on, 0 end the page
// The line look-ups' view of a page: its image, resolution and line table.
StavePage PageGeometry(PageData& page, uint8_t* image, uint32_t strideWords);

enum class StageScope : uint8_t {
  kPage,          // once per page, before the staves
  kNotationStave, // per stave of kind 0 or 2
  kTabStave,      // per stave of kind 1
  kEveryStave,    // per stave
  kGroup,         // per stave group, after its last stave's stave stages
  kAfterPage,     // once, after the last stave
};
enum class ReadingStage : int {
  kFindChars,
  kAssignStavesToParts,
  kNoteheads,
  kTabNumbers,
  kBigSymbols,
  kConvertNoteRecords,
  kNoteValues,
  kOverlapCleanUp,
  kArticulation,
  kArticulationSlot,
  kAppenditures,
  kSlursTiesHairpins,
  kDotsAndWords,
  kGuitarFrames,
  kFinishGroup,
  kGroupOverlaps,  // curves in the text margins, rests moved clear of notes
  kInterpretStaveSymbols,
  kCorrectBarRhythms,
  kCount,
};
struct StageEntry {
  ReadingStage id;
  StageScope scope;
  const char16_t* timeLine;  // with one %d, or null for an untimed entry
  StageFunction run;         // null: empty, goes on and writes nothing
};
// The one stage order of a page, in running order.
StageEntry* ReadingStageTable();
int ReadingStageCount();
// Fills (or, with null, empties) an entry; returns the one it replaced.
StageFunction SetReadingStage(ReadingStage id, StageFunction run);

// ---- The steps outside the stages, replaceable for tests ----
struct ReadingSteps {
  // Loads the page of the row into page (image and page data); 0 failed.
  int (*loadPage)(int row, PageData* page);
  // The page's 1-bit image in page (null when the sprite is missing), its
  // row stride in 32-bit words.
  uint8_t* (*pageImage)(PageData* page, uint32_t* strideWords);
  // Locates the staves of page into rows (at most 13); 1 when the finder
  // completed (count may be 0).
  int (*locateStaves)(PageData* page, StaveRow* rows, int* count);
  // Erases the lines of stave s on copy; 0x10000 ends the page.
  int (*removeStaveLines)(const uint8_t* image, uint8_t* copy, uint32_t strideWords, uint32_t height,
                          const StaveRow* rows, int count, int s, const StavePage& geometry);
  bool (*allocateWorkLists)(ReadingWorkLists* lists);
  // The engine: StartEngine (0 ready), LoadPageImage (null loaded),
  // RunStaffStageWithHints (0 completed), RecognisePage (0 completed),
  // FreePageBitmap, CloseEngine.
  int (*startEngine)();
  const char* (*loadPageImage)(const uint32_t* bits, int width, int height, int stretch);
  int (*runStaffStage)(const int16_t* rows, const int16_t* lines, int count, ProgressCallback progress,
                       ContinueCallback keepGoing);
  int (*recognisePage)(float factor, ProgressCallback progress, ContinueCallback keepGoing);
  void (*freePageBitmap)();
  int (*closeEngine)();
};
const ReadingSteps& DefaultReadingSteps();
ReadingSteps& CurrentReadingSteps();

// ---- The notices before reading handwritten music ----
constexpr int kHandwritingNotice = 1282;
constexpr int kMusicPaperNotice = 1283;
// Each is shown at most once a run, and only while its option ("Show
// HandwrittenWarning dialog", "Show DottedStavesWarning dialog") is on;
// true when it was shown now.
bool ShowHandwrittenWarning();
bool ShowMusicPaperNotice();
// Both may be shown again (a new run, or a test).
void ResetReadingNotices();

// ---- Running ----
// Interface thread: starts reading the page of row on the reading thread.
// Refused (false) while a page is read or the score is full; a full score
// shows kTextScoreFull in the status bar.
bool StartReading(int row);
// Called by StartReading on the interface thread just before the thread
// starts (score building takes its copy of the score there); null: none.
void SetReadingStartHook(void (*hook)());
// The thread body; also called directly by tests. Ends with exactly one
// posted message: kReadPageDoneMessage or kReadingEndedMessage.
void ReadingThreadBody();
// Interface thread: waits until the last reading thread has ended (exit).
void JoinReadingThread();

// Progress given to the engine: per cent of the scale; -1 adds one.
int OnReadingProgress(unsigned percent);
// The units of the pages pane's progress bar for the stages of a page of so
// many stave groups and staves: three a group and two a stave, nine more
// when text is read, one a stave when curves are read and one a group when
// articulation marks are read.
int ProgressUnits(int groups, int staves);
// The score's 1-based place for the page whose record has flags.
uint32_t ScorePositionFromFlags(uint32_t flags, int scorePageCount);
// The stave row's engine form: 24 words per row, as the hinted staff stage takes it.
void StaveRowsForEngine(const StaveRow* rows, int count, int16_t* out);

// The per-line-count least stave heights of the page (into MinStaveHeightByLines).
void MeasureMinStaveHeights(const StaveRow* rows, int count, int dpiUnit, int32_t* out);
