// The undo ring against a reference list of states with a cursor: random
// edits, undos and redos, page changes and an undo folder that cannot be
// written for a while; after every step the score equals the state the list
// names and the checker finds nothing.
#include <filesystem>
#include <memory>
#include <fstream>
#include <random>
#include <vector>

#include "EditorFixture.h"
#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "editor/core/ScoreUndoRing.h"
#include "pages/CurrentPageData.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchDataFolder.h"

namespace {

struct ScoreState {
  std::vector<std::vector<uint8_t>> streams;
  int boxes = 0;
  int page = 0;
  bool operator==(const ScoreState& o) const { return streams == o.streams && boxes == o.boxes && page == o.page; }
};

ScoreState Now() {
  ScoreState state;
  for (int slot = 0; slot < PartCount; ++slot) {
    const uint8_t* bytes = StreamBytes(ScoreStream, slot);
    state.streams.emplace_back(bytes, bytes + ScoreStream.used[slot]);
  }
  state.boxes = viewPage.boxCount;
  state.page = ScorePages.current;
  return state;
}

// The reference: the snapshots that can be reached, oldest first, and the
// place the next one goes.
struct UndoModel {
  std::vector<ScoreState> list;
  size_t cursor = 0;
  bool taken = true;
  int page = 0;
  bool blocked = false;

  bool Push(const ScoreState& present) {
    if (!list.empty() && page != present.page) Clear();
    const bool empty = list.empty();
    if (empty) page = present.page;
    if (blocked) return false;
    list.resize(cursor);
    list.push_back(present);
    ++cursor;
    if (list.size() > static_cast<size_t>(kUndoSteps)) {
      list.erase(list.begin());
      --cursor;
    }
    if (empty) taken = false;
    return true;
  }
  void Clear() {
    list.clear();
    cursor = 0;
    taken = true;
  }
  // The state an undo leads to, or none (the score stays).
  bool Undo(const ScoreState& present, ScoreState* to) {
    if (list.empty() || cursor == 0) return false;
    if (!taken) {
      if (page == present.page && Push(present)) --cursor;
      taken = true;
    }
    if (blocked) return false;
    *to = list[--cursor];
    return true;
  }
  bool Redo(ScoreState* to) {
    if (cursor + 1 >= list.size() || blocked) return false;
    *to = list[++cursor];
    return true;
  }
};

class ScoreUndoRingTest : public EditorFixture {
 public:
  void SetUp() override {
    EditorFixture::SetUp();
    TheEditorState() = EditorState{};
    Load(kFormat5Score, 5);
    ScorePages.rows[0].dataId = 3;
    ScorePages.rows[1].dataId = 4;
    ClearScoreUndo();
    ASSERT_TRUE(SavePageData(false, true));
  }
  void TearDown() override {
    ClearScoreUndo();
    EditorFixture::TearDown();
  }
  const ScratchDataFolder& data() const { return *pageStore_; }

  // A random edit through the editor's writes, with its snapshot; false when
  // none was tried.
  bool RandomEdit(std::mt19937& random) {
    std::vector<int> rows;
    for (int r = 0; r < view().index.count; ++r) {
      const uint8_t* item = RowBytes(r);
      if (view().index.rows[r].part >= 1 && (KindOf(item) == kItemChord || KindOf(item) == kItemRest)) rows.push_back(r);
    }
    if (rows.empty()) return false;
    const int row = rows[random() % rows.size()];
    view().selection.hoverRow = row;
    if (TakeItemIntoSelection(view()) != 1) return false;
    switch (random() % 3) {
      case 0: {  // a value toggled in place
        uint8_t* edit = view().selection.edit.Bytes();
        edit[1] ^= KindOf(edit) == kItemChord ? 0x40 : 0x01;  // a dot
        return WriteEditItem(view(), true, false, true) == 1;
      }
      case 1: {  // a crotchet rest after it
        view().selection.edit.SelectKind(kItemRest);
        view().selection.edit.Reserve(2);
        view().selection.edit.Bytes()[0] = kItemRest | kDurationQuarter << 4;
        view().selection.edit.Bytes()[1] = 0;
        return WriteEditItem(view(), false, false, true) == 1;
      }
      default:
        return rows.size() > 6 && RemoveSelectedItem(view(), true) == 1;
    }
  }

  void ShowPage(int page) {
    ScorePages.current = page;
    view().selection = SelectionState{};
    Layout();
    BoxesFromRows();
    SavePageData(false, true);
  }
};

TEST_F(ScoreUndoRingTest, TheRingFollowsTheReferenceList) {
  BoxRecorder boxes;
  ShowPage(1);
  ClearScoreUndo();
  const std::filesystem::path undo = std::filesystem::path(data().PageStore()) / "Undo";
  const std::filesystem::path away = std::filesystem::path(data().PageStore()) / "Undo.away";
  UndoModel model;
  std::mt19937 random(37);
  int undos = 0, redos = 0, failedPushes = 0;
  for (int step = 0; step < 300; ++step) {
    SCOPED_TRACE(step);
    if (step == 170 || step == 240) {
      // The undo folder becomes a plain file: nothing can be written or read there.
      model.blocked = step == 170;
      if (model.blocked) {
        std::filesystem::create_directories(undo);
        std::filesystem::rename(undo, away);
        std::ofstream(undo) << "in the way";
      } else {
        std::filesystem::remove(undo);
        std::filesystem::rename(away, undo);
      }
    }
    const ScoreState before = Now();
    const int choice = static_cast<int>(random() % 100);
    ScoreState expected = before;
    if (choice < 55) {
      UndoModel tried = model;
      const bool pushed = tried.Push(before);
      if (RandomEdit(random)) {
        model = tried;
        failedPushes += pushed ? 0 : 1;
        model.taken = false;
      }
      expected = Now();
    } else if (choice < 77) {
      ScoreState to;
      if (model.Undo(before, &to)) expected = to, ++undos;
      UndoScoreEdit(view());
    } else if (choice < 97) {
      ScoreState to;
      if (model.Redo(&to)) expected = to, ++redos;
      RedoScoreEdit(view());
    } else {
      ShowPage(3 - ScorePages.current);
      expected = Now();
    }
    ASSERT_EQ(SnapshotTaken(), model.taken);
    ASSERT_TRUE(Now() == expected) << "choice " << choice << " cursor " << model.cursor << " of " << model.list.size()
                                   << " boxes " << Now().boxes << " expected " << expected.boxes;
    ASSERT_EQ(CanUndoScore(), !model.list.empty() && model.cursor != 0);
    ASSERT_EQ(CanRedoScore(), model.cursor + 1 < model.list.size());
    const std::vector<ScoreFault> faults = Check();
    ASSERT_TRUE(faults.empty()) << DescribeFaults(faults);
  }
  EXPECT_GT(undos, 20);
  EXPECT_GT(redos, 5);
  EXPECT_GT(failedPushes, 0);
  EXPECT_FALSE(boxes.Boxes().empty());  // the failed snapshots were reported
}

TEST_F(ScoreUndoRingTest, After102SnapshotsTheOldest101StepsBackIsReached) {
  ShowPage(1);
  ClearScoreUndo();
  const ScoreState start = Now();
  std::vector<ScoreState> states;
  for (int i = 0; i < 102; ++i) {
    states.push_back(Now());
    ASSERT_EQ(PushScoreUndo(view()), 1);
    // A change between snapshots: a dot on the first chord.
    view().selection.hoverRow = FindRow(kItemChord, 1);
    ASSERT_EQ(TakeItemIntoSelection(view()), 1);
    view().selection.edit.Bytes()[1] ^= 0x40;
    ASSERT_EQ(WriteEditItem(view(), true, false, false), 1);
  }
  EXPECT_EQ(TheUndoRing().count, kUndoSteps);
  SnapshotTaken() = true;
  int steps = 0;
  while (CanUndoScore()) {
    ASSERT_EQ(UndoScoreEdit(view()), 1);
    ++steps;
  }
  EXPECT_EQ(steps, kUndoSteps);
  EXPECT_TRUE(Now() == states[1]);  // the first snapshot was overwritten
  (void)start;
}

TEST_F(ScoreUndoRingTest, WithNoScorePageNothingIsWritten) {
  const int pages = ScorePages.count;
  ScorePages.count = 0;
  EXPECT_EQ(PushScoreUndo(view()), 0);
  EXPECT_FALSE(CanUndoScore());
  ScorePages.count = pages;
}

TEST_F(ScoreUndoRingTest, ADamagedSnapshotChangesNothing) {
  BoxRecorder boxes;
  ShowPage(1);
  ClearScoreUndo();
  ASSERT_EQ(PushScoreUndo(view()), 1);
  const int row = FindRow(kItemChord, 1);
  view().selection.hoverRow = row;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  view().selection.edit.Bytes()[1] ^= 0x40;
  ASSERT_EQ(WriteEditItem(view(), true, false, false), 1);
  SnapshotTaken() = true;
  const ScoreState changed = Now();
  // The snapshot's file cut short.
  const std::filesystem::path snapshot = std::filesystem::path(data().PageStore()) / "Undo" / "Undo0000";
  std::filesystem::resize_file(snapshot, 40);
  EXPECT_EQ(UndoScoreEdit(view()), 0);
  EXPECT_TRUE(Now() == changed);
  EXPECT_FALSE(boxes.Boxes().empty());
  EXPECT_TRUE(CanUndoScore());  // the ring stays where it was
}

}  // namespace
