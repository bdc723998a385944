// A page opened into a score that has its 20 pages is not read: it waits in
// the page store, and the status bar says why.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStreams.h"
#include "tests/e2e/ProgramCase.h"

namespace {

constexpr unsigned kScoreFullText = 10025;

// One part on 20 pages, each page one empty staff.
bool WriteFullScore(const std::u16string& path) {
  if (!ProgramUnderTest::SeedPagesFolder()) return false;
  SetDataFolder(ProgramUnderTest::DataFolder().c_str());
  ResetScoreStreams();
  ResetPartRecords();
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  PartCount = 1;
  std::vector<uint8_t> stream;
  for (int page = 1; page < kMaxScorePages; ++page) stream.insert(stream.end(), {kBarBoundary, kPageMark});
  stream.insert(stream.end(), {kBarBoundary, kEndOfScore});
  if (GrowScoreStream(0, static_cast<uint32_t>(stream.size())) != 1) return false;
  std::memcpy(StreamBytes(ScoreStreams, 0), stream.data(), stream.size());
  ScoreStreams.used[0] = static_cast<uint32_t>(stream.size());
  std::memcpy(PartNameTable[0], u"Piano", sizeof u"Piano");
  ScorePages = ScorePageList{};
  ScorePages.count = kMaxScorePages;
  for (int page = 0; page < kMaxScorePages; ++page) {
    ScorePages.rows[page] = ScorePageRow{kNoPageDataId, 300, 0x5C0E0000u + static_cast<uint32_t>(page)};
    ScorePages.second[page] = kNoPageKey;
  }
  const bool written = WriteScoreFile(path.c_str(), 1, kTargetScore, 0, 0, 0) == 1;
  EXPECT_TRUE(written) << "cannot write " << Narrow(path);
  return written;
}

}  // namespace

TEST_F(ProgramCase, APageForAFullScoreWaitsAndTheStatusBarSaysWhy) {
  const std::u16string score = InputPath(u"fullscore.opt");
  ASSERT_TRUE(WriteFullScore(score));
  const std::u16string tiff = CopyPageTiff(u"onetoomany.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  ASSERT_EQ(dde.Execute(OpenCommand(score)), ExecuteResult::kAccepted);
  ASSERT_EQ(dde.Execute(OpenCommand(tiff)), ExecuteResult::kAccepted);
  const std::u16string full = ProgramText(kScoreFullText);
  const bool told = program.WaitUntil([&] { return program.StatusText(2) == full; }, "the full score in the status bar",
                                      kPageOpenTimeoutMs);
  ASSERT_TRUE(told) << "the status bar shows \"" << Narrow(program.StatusText(2)) << "\"";
  ASSERT_TRUE(program.StaysQuiet(1000)) << "the refusal asks nothing";
  PageRecord record{};
  ASSERT_TRUE(PageNamed(u"onetoomany", &record));
  EXPECT_EQ(record.state, kPageNotRead) << "the page waits in the store for room in the score";
  ASSERT_TRUE(ExitCleanly());
}
