#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Userdict.h"
#include "platform/Folders.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"

namespace {

// A page with two five-line staves joined by bar lines.
struct TestPage {
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 400;
  static constexpr int kWords = (kWidth + 31) / 32;
  std::vector<uint32_t> bits = std::vector<uint32_t>(kWords * kHeight, 0);

  TestPage() {
    for (int staff = 0; staff < 2; ++staff)
      for (int line = 0; line < 5; ++line)
        for (int y = 0; y < 2; ++y)
          for (int x = 50; x < 750; ++x) Set(80 + staff * 160 + line * 20 + y, x);
    for (int x : {50, 300, 520, 748})
      for (int y = 80; y < 322; ++y)
        for (int t = 0; t < 2; ++t) Set(y, x + t);
  }
  void Set(int y, int x) { bits[y * kWords + x / 32] |= 1u << (x % 32); }
};

std::vector<unsigned> progressSeen;
int answersLeft = -1;  // -1: always go on

int RecordProgress(unsigned percent) {
  progressSeen.push_back(percent);
  return 0;
}
int KeepGoing(int) {
  if (answersLeft < 0) return 1;
  return answersLeft-- > 0 ? 1 : 0;
}

// Hints of the two staves as the reading pipeline hands them over.
struct Hints {
  std::vector<int16_t> rows = std::vector<int16_t>(2 * 24, 0);
  std::vector<int16_t> lines = std::vector<int16_t>(2 * 6 * 1024, 0);
  Hints() {
    for (int staff = 0; staff < 2; ++staff) {
      int16_t* row = &rows[staff * 24];
      row[0] = 50;
      row[1] = 750;
      row[2] = static_cast<int16_t>(80 + staff * 160);
      row[4] = 5;
      row[7] = 0;
      for (int line = 0; line < 5; ++line)
        for (int k = 0; k < 1024; ++k) lines[(6 * staff + line) * 1024 + k] = static_cast<int16_t>(line * 20);
    }
  }
};

class EngineRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    progressSeen.clear();
    answersLeft = -1;
    FailEngineAllocationAfter(0);
  }
  void TearDown() override {
    FailEngineAllocationAfter(0);
    CloseEngine();
  }
  // What the first staff stage found of one staff: rows of its top and
  // bottom lines at the page's middle column, its ends and its system.
  struct FoundStaff {
    int32_t top, bottom, left, right, system;
    bool operator==(const FoundStaff& o) const {
      return top == o.top && bottom == o.bottom && left == o.left && right == o.right && system == o.system;
    }
  };
  // A whole page-reading run; the results of its steps.
  struct RunResults {
    int start = -1;
    EngineCode load = "none";
    int staffStage = -1;
    std::vector<FoundStaff> staves;
    int hinted = -1;
    int page = -1;
    EngineCode failure = nullptr;  // the run's failure before it was closed
  };
  RunResults ReadPage() {
    RunResults r;
    r.start = StartEngine();
    r.failure = LastEngineFailure();
    if (r.start != 0) return r;
    r.load = LoadPageImage(page.bits.data(), TestPage::kWidth, TestPage::kHeight, 0);
    r.failure = LastEngineFailure();
    if (r.load != nullptr) return r;
    r.staffStage = RunStaffStage(1, RecordProgress, KeepGoing);
    for (int32_t i = 0; i < GetStaffCount(); ++i)
      r.staves.push_back({StaffTopLineY(i, TestPage::kWidth / 2), StaffBottomLineY(i, TestPage::kWidth / 2),
                          GetStaffLeftX(i), GetStaffRightX(i), GetStaffSystem(i)});
    r.hinted = RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), 2, RecordProgress, KeepGoing);
    r.page = RecognisePage(0.8f, RecordProgress, KeepGoing);
    r.failure = LastEngineFailure();
    FreePageBitmap();
    CloseEngine();
    return r;
  }
  RecordingEngineHost host;
  TestPage page;
  Hints hints;
};

TEST_F(EngineRun, StartsOnTheShippedDataAndClosesTwice) {
  EngineDataFolder folder;
  EXPECT_EQ(StartEngine(), 0);
  EXPECT_EQ(LastEngineFailure(), nullptr);
  EXPECT_EQ(CloseEngine(), 0);
  EXPECT_EQ(CloseEngine(), 0);
  FreeEngine();
  FreeEngine();
  EXPECT_TRUE(host.FramePosts().empty());
}

TEST_F(EngineRun, AWholeRunCompletesAndASecondOneGivesTheSame) {
  EngineDataFolder folder;
  RunResults first = ReadPage();
  EXPECT_EQ(first.start, 0);
  EXPECT_EQ(first.load, nullptr);
  EXPECT_EQ(first.page, 0);
  EXPECT_EQ(progressSeen.back(), 80u);
  // The staff stage found the page's two staves, one system joined by the
  // bar lines.
  EXPECT_EQ(first.staffStage, 0);
  ASSERT_EQ(first.staves.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const FoundStaff& f = first.staves[i];
    EXPECT_NEAR(f.top, 80 + 160 * i, 1) << "staff " << i;
    EXPECT_NEAR(f.bottom, 160 + 160 * i, 1) << "staff " << i;
    EXPECT_NEAR(f.left, 50, 10) << "staff " << i;
    EXPECT_NEAR(f.right, 750, 10) << "staff " << i;
    EXPECT_EQ(f.system, 0) << "staff " << i;
  }
  RunResults second = ReadPage();
  EXPECT_EQ(second.staffStage, first.staffStage);
  EXPECT_TRUE(second.staves == first.staves);
  EXPECT_EQ(second.hinted, first.hinted);
  EXPECT_EQ(second.page, 0);
  EXPECT_EQ(host.FailurePosts(), 0u);
}

TEST_F(EngineRun, ProgressOfPageRecognitionScalesWithTheFactor) {
  EngineDataFolder folder;
  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(LoadPageImage(page.bits.data(), TestPage::kWidth, TestPage::kHeight, 0), nullptr);
  RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), 2, nullptr, nullptr);
  progressSeen.clear();
  EXPECT_EQ(RecognisePage(0.8f, RecordProgress, KeepGoing), 0);
  EXPECT_EQ(progressSeen, (std::vector<unsigned>{24, 27, 29, 35, 46, 59, 67, 72, 77, 80}));
  CloseEngine();
  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(LoadPageImage(page.bits.data(), TestPage::kWidth, TestPage::kHeight, 0), nullptr);
  RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), 2, nullptr, nullptr);
  progressSeen.clear();
  EXPECT_EQ(RecognisePage(1.0f, RecordProgress, KeepGoing), 0);
  EXPECT_EQ(progressSeen.back(), 100u);
}

TEST_F(EngineRun, AStopAtTheFirstQuestionEndsTheStageAfterItsFirstReport) {
  EngineDataFolder folder;
  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(LoadPageImage(page.bits.data(), TestPage::kWidth, TestPage::kHeight, 0), nullptr);
  answersLeft = 0;
  EXPECT_EQ(RunStaffStage(1, RecordProgress, KeepGoing), 1);
  ASSERT_FALSE(progressSeen.empty());
  EXPECT_EQ(progressSeen[0], 0u);
  progressSeen.clear();
  answersLeft = 0;
  EXPECT_EQ(RecognisePage(0.8f, RecordProgress, KeepGoing), 1);
  EXPECT_EQ(progressSeen, (std::vector<unsigned>{24}));
}

TEST_F(EngineRun, APageWithoutVerticalSegmentsStopsEveryStage) {
  EngineDataFolder folder;
  ASSERT_EQ(StartEngine(), 0);
  std::vector<uint32_t> blank(TestPage::kWords * TestPage::kHeight, 0);
  EXPECT_STREQ(LoadPageImage(blank.data(), TestPage::kWidth, TestPage::kHeight, 0), "Xnovsegs");
  EXPECT_EQ(RunStaffStage(1, RecordProgress, KeepGoing), 1);
  // The reading run goes on to its other stages: they have no page to read.
  EXPECT_EQ(RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), 2, RecordProgress, KeepGoing), 1);
  EXPECT_EQ(RecognisePage(0.8f, RecordProgress, KeepGoing), 1);
  EXPECT_EQ(host.FailurePosts(), 0u);
}

TEST_F(EngineRun, APageWithoutStavesEndsTheStaffStageWith9999AfterReporting100) {
  EngineDataFolder folder;
  ASSERT_EQ(StartEngine(), 0);
  TestPage marks;
  std::fill(marks.bits.begin(), marks.bits.end(), 0u);
  for (int x = 100; x < 700; x += 37)
    for (int y = 100; y < 140; ++y) marks.Set(y, x);
  ASSERT_EQ(LoadPageImage(marks.bits.data(), TestPage::kWidth, TestPage::kHeight, 0), nullptr);
  EXPECT_EQ(RunStaffStage(1, RecordProgress, KeepGoing), 9999);
  EXPECT_EQ(progressSeen.back(), 100u);
  EXPECT_EQ(host.FailurePosts(), 0u);
}

// ---- A failed check in any entry point ----

struct Trip {
  EngineEntry entry;
  const char* name;
};

class TrippedEntry : public EngineRun, public ::testing::WithParamInterface<Trip> {};

TEST_P(TrippedEntry, ReturnsTheCodeTellsTheFrameFreesTheRunAndTheThreadLivesOn) {
  EngineDataFolder folder(true);
  const Trip trip = GetParam();
  ReadingFlags().readingInProgress = 1;
  ReadingFlags().pageReadingRun = 1;
  std::atomic<bool> returned{false};
  std::string answer;
  int musicLeft = -1;
  std::thread reading([&] {
    auto tripHere = [&](EngineEntry entry) {
      if (entry == trip.entry) ArmEngineCheckTrip(entry);
      return entry == trip.entry;
    };
    bool done = false;
    if (trip.entry == EngineEntry::InitialiseEngine) {
      ArmEngineCheckTrip(EngineEntry::InitialiseEngine);
      EngineCode code = InitialiseEngine();
      answer = code ? code : "null";
      done = true;
    }
    if (!done) {
      bool here = tripHere(EngineEntry::StartEngine);
      int start = StartEngine();
      if (here) answer = std::to_string(start), done = true;
    }
    if (!done) {
      bool here = tripHere(EngineEntry::LoadPageImage);
      EngineCode code = LoadPageImage(page.bits.data(), TestPage::kWidth, TestPage::kHeight, 0);
      if (here) answer = code ? code : "null", done = true;
    }
    if (!done) {
      bool here = tripHere(EngineEntry::RunStaffStage);
      int result = RunStaffStage(1, RecordProgress, KeepGoing);
      if (here) answer = std::to_string(result), done = true;
    }
    if (!done) {
      bool here = tripHere(EngineEntry::RunStaffStageWithHints);
      int result = RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), 2, RecordProgress, KeepGoing);
      if (here) answer = std::to_string(result), done = true;
    }
    if (!done) {
      bool here = tripHere(EngineEntry::RecognisePage);
      int result = RecognisePage(0.8f, RecordProgress, KeepGoing);
      if (here) answer = std::to_string(result), done = true;
    }
    if (!done) {
      bool here = tripHere(EngineEntry::FreePageBitmap);
      FreePageBitmap();
      if (here) answer = "freed", done = true;
    }
    if (!done) {
      tripHere(EngineEntry::CloseEngine);
      answer = std::to_string(CloseEngine());
    }
    musicLeft = LoadedMusicReferences().musicCount;
    returned = true;
  });
  reading.join();
  ASSERT_TRUE(returned) << trip.name;

  const std::string expected = trip.entry == EngineEntry::StartEngine       ? "1"
                               : trip.entry == EngineEntry::InitialiseEngine ? "Xftlinterr"
                               : trip.entry == EngineEntry::LoadPageImage    ? "Xftlinterr"
                               : trip.entry == EngineEntry::FreePageBitmap   ? "freed"
                               : trip.entry == EngineEntry::CloseEngine      ? "0"
                                                                             : "1101";
  EXPECT_EQ(answer, expected) << trip.name;
  EXPECT_STREQ(LastEngineFailure(), "Xftlinterr") << trip.name;
  EXPECT_EQ(host.FailurePosts(), 1u) << trip.name;
  EXPECT_EQ(ReadingFlags().readingInProgress.load(), 0u) << trip.name;
  EXPECT_EQ(ReadingFlags().pageReadingRun.load(), 0u) << trip.name;
  EXPECT_EQ(musicLeft, 0) << trip.name << ": the run's tables were not freed";

  // The next run works as if nothing had happened.
  RunResults next = ReadPage();
  EXPECT_EQ(next.start, 0) << trip.name;
  EXPECT_EQ(next.load, nullptr) << trip.name;
  EXPECT_EQ(next.page, 0) << trip.name;
  EXPECT_EQ(host.FailurePosts(), 1u) << trip.name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryEntryPoint, TrippedEntry,
    ::testing::Values(Trip{EngineEntry::StartEngine, "StartEngine"}, Trip{EngineEntry::InitialiseEngine, "InitialiseEngine"},
                      Trip{EngineEntry::LoadPageImage, "LoadPageImage"}, Trip{EngineEntry::RunStaffStage, "RunStaffStage"},
                      Trip{EngineEntry::RunStaffStageWithHints, "RunStaffStageWithHints"},
                      Trip{EngineEntry::RecognisePage, "RecognisePage"}, Trip{EngineEntry::FreePageBitmap, "FreePageBitmap"},
                      Trip{EngineEntry::CloseEngine, "CloseEngine"}),
    [](const ::testing::TestParamInfo<Trip>& info) { return std::string(info.param.name); });

// ---- Bad data files and exhausted memory fail the run, never the process ----

TEST_F(EngineRun, ABadDataFileFailsTheStartWithItsCode) {
  const struct {
    const char16_t* file;
    std::string bytes;
    const char* code;
  } cases[] = {
      {u"Learned\\fssOLD", "\x01\0\0\0", "Xrdomrdat"},
      {u"Learned\\nhOLD", std::string("\xff\xff\xff\x7f", 4), "Xrdomrdat"},
      {u"Learned\\Text", std::string(103, '\0'), "Xrdocrdat"},
      {u"Langs\\English\\langdata.txt", "SymbolTypesStart\n", "Xspllinit"},
      {u"Langs\\English\\sylngram.bin", std::string(20962, '\0'), "Xspllinit"},
  };
  for (const auto& c : cases) {
    EngineDataFolder folder;
    folder.Write(c.file, std::string(c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(StartEngine(), 1);
    EXPECT_STREQ(LastEngineFailure(), c.code);
  }
  {
    EngineDataFolder folder;
    folder.Remove(u"Learned\\Text");
    EXPECT_EQ(StartEngine(), 1);
    EXPECT_STREQ(LastEngineFailure(), "Xreaddat");
  }
  {
    EngineDataFolder folder;
    folder.Remove(u"User\\dict.txt");
    EXPECT_EQ(StartEngine(), 1);
    EXPECT_STREQ(LastEngineFailure(), "Xudicinit");
  }
  EXPECT_EQ(host.FailurePosts(), 0u);
  EngineDataFolder folder;
  EXPECT_EQ(StartEngine(), 0);
}

TEST_F(EngineRun, AnOverlongProgramFolderFailsTheStartAsAFailedCheck) {
  EngineDataFolder folder;
  std::u16string saved = ResourceFolder();
  SetResourceFolder((u"C:\\" + std::u16string(250, u'p')).c_str());
  EXPECT_EQ(StartEngine(), 1);
  SetResourceFolder(saved.c_str());
  EXPECT_EQ(host.FailurePosts(), 1u);
  EXPECT_EQ(StartEngine(), 0);
}

TEST_F(EngineRun, EveryExhaustedAllocationOfARunReturnsHeapmemAndTheNextRunWorks) {
  EngineDataFolder folder(true);
  int failures = 0;
  for (long n = 1; n < 2000; ++n) {
    FailEngineAllocationAfter(n);
    RunResults r = ReadPage();
    FailEngineAllocationAfter(0);
    EngineCode code = r.failure;
    bool failed = r.start == 1 || (r.load != nullptr) || r.staffStage == 1103 || r.staffStage == 1104 ||
                  r.hinted == 1103 || r.hinted == 1104 || r.page == 1103 || r.page == 1104;
    if (!failed) break;  // n is past the run's last allocation
    ++failures;
    ASSERT_TRUE(code && (std::string(code) == "Xheapmem" || std::string(code) == "Xsheapmem" ||
                         std::string(code) == "Xmem1bpp"))
        << "allocation " << n << ": start " << r.start << " load " << (r.load ? r.load : "null") << " staff "
        << r.staffStage << " hinted " << r.hinted << " page " << r.page << " code " << (code ? code : "null");
    CloseEngine();
  }
  EXPECT_GT(failures, 5);
  EXPECT_EQ(host.FailurePosts(), 0u);
  RunResults next = ReadPage();
  EXPECT_EQ(next.page, 0);
}

TEST_F(EngineRun, RunsOnTwoThreadsAreSerialised) {
  EngineDataFolder folder(true);
  std::atomic<int> bad{0};
  auto reader = [&] {
    for (int i = 0; i < 5; ++i) {
      EngineRunLock lock;
      if (StartEngine() != 0) ++bad;
      if (LoadedMusicReferences().musicCount != 3) ++bad;
      if (LoadPageImage(page.bits.data(), TestPage::kWidth, TestPage::kHeight, 0) != nullptr) ++bad;
      std::this_thread::yield();
      if (GetUserWordCount() != 7) ++bad;
      FreePageBitmap();
      CloseEngine();
    }
  };
  std::thread a(reader), b(reader);
  a.join();
  b.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST(CostToConfidence, MapsCostsInto90To100) {
  struct Case {
    int cost, percent;
  };
  const Case cases[] = {{0, 100}, {1477, 94}, {100000, 90}, {2147483647, 90}, {-5, 100}, {-2147483647 - 1, 100}};
  for (const Case& c : cases) EXPECT_EQ(CostToConfidence(c.cost), c.percent) << c.cost;
}

}  // namespace
