// Damaged and foreign score files are refused with a message and change nothing.
#include <functional>

#include "platform/HandleTestControls.h"
#include "tests/score/ScoreFileFixture.h"

namespace scorefile_test {
namespace {

class MalformedScoreFileTest : public ScoreFileTest {
 protected:
  // Reads bytes as a file and expects a refusal with the text of one string,
  // the score as it was and no page data written.
  void ExpectRefused(const Bytes& bytes, unsigned textId, int snapshot = 0, int backupForm = 0) {
    ASSERT_TRUE(WriteBytes(ScorePath(), bytes));
    platform::RemoveFile(PagePath(u"TDir0000/Data0005").c_str());
    const ScoreState before = ScoreState::Take();
    boxes_.Clear();
    EXPECT_EQ(ReadScoreFile(ScorePath().c_str(), snapshot, backupForm), 0);
    ScoreState::Take().ExpectSame(before);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, UiString(textId));
    EXPECT_FALSE(Exists(PagePath(u"TDir0000/Data0005")));
    EXPECT_TRUE(log_.recentFiles.empty());
  }
};

TEST_F(MalformedScoreFileTest, EveryTruncationIsRefused) {
  const Bytes whole = ExpectedFixtureFile(5).Serialize();
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    ExpectRefused(Bytes(whole.begin(), whole.begin() + length), length < 9 ? 10052 : 11620);
    if (HasFailure()) break;
  }
}

TEST_F(MalformedScoreFileTest, DamagedFieldsAreRefused) {
  const uint32_t kFar = 0x7FFFFFF0;
  struct Case {
    const char* what;
    std::function<void(TestScoreFile*)> damage;
    unsigned textId;
  } cases[] = {
      {"part count 14", [](TestScoreFile* f) { f->partCountField = 14; }, 11620},
      {"part count 255", [](TestScoreFile* f) { f->partCountField = 255; }, 11620},
      {"stream length past the end", [&](TestScoreFile* f) { f->parts[1].lengthField = kFar; }, 11620},
      {"stream length one past the end",
       [](TestScoreFile* f) { f->parts[1].lengthField = int64_t(f->parts[1].stream.size()) + 1000000; }, 11620},
      {"marks length past the end", [&](TestScoreFile* f) { f->marksLengthField = kFar; }, 11620},
      {"page data size past the end", [&](TestScoreFile* f) { f->rows[1].dataSizeField = kFar; }, 11620},
      {"version 0", [](TestScoreFile* f) { f->version = 0; }, 11620},
      {"version 9", [](TestScoreFile* f) { f->version = 9; }, 11621},
      {"last item overruns its stream",
       [](TestScoreFile* f) { f->parts[0].stream = Join({PageText(0x2F, 1, 2, u"T"), {0x80, 0x88, 0x80, 0x07, 0xFF, 0x00}}); },
       11620},
      {"chord cut by the stream's end", [](TestScoreFile* f) { f->parts[1].stream = {0x09, 0x00, 0xFC, 0x18}; }, 11620},
      {"marks that are not structure marks", [](TestScoreFile* f) { f->marks = {0x80, 0x09, 0x00, 0x88, 0x90}; },
       11620},
      {"row size below 8", [](TestScoreFile* f) { f->rows[0].rowBytes = 6; }, 11620},
      {"row size past the end", [](TestScoreFile* f) { f->rows[1].rowBytes = 0xFFFF; }, 11620},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestScoreFile file = ExpectedFixtureFile(5);
    c.damage(&file);
    ExpectRefused(file.Serialize(), c.textId);
  }
}

TEST_F(MalformedScoreFileTest, AnUnterminatedNameIsRefused) {
  TestScoreFile file = ExpectedFixtureFile(5);
  Bytes bytes = file.Serialize();
  // The file ends inside the first part's name.
  const size_t nameStart = 9 + 26 + 1 + 2 + 2 + 1 + 2 + 1 + 3;
  ExpectRefused(Bytes(bytes.begin(), bytes.begin() + nameStart + 2 * 5), 11620);
  // A name of 400 characters that the file's end cuts.
  file.parts[0].name = std::u16string(400, u'x');
  bytes = file.Serialize();
  ExpectRefused(Bytes(bytes.begin(), bytes.begin() + nameStart + 2 * 300), 11620);
}

TEST_F(MalformedScoreFileTest, TheWrongMagicIsNotOurFile) {
  TestScoreFile backup = ExpectedFixtureFile(5);
  backup.backup = true;
  ExpectRefused(backup.Serialize(), 10052);
  ExpectRefused(ExpectedFixtureFile(5).Serialize(), 10052, 0, 1);
  ExpectRefused(Bytes{'V', 'a', 'd', 'o', 'r', 'u', 'v', 'i', 'x', 0}, 10052);
  ExpectRefused(Bytes{}, 10052);
}

TEST_F(MalformedScoreFileTest, ExtraRowBytesAreSkipped) {
  TestScoreFile file = ExpectedFixtureFile(5);
  file.rows[0].rowBytes = 11;
  file.rows[0].extra = {1, 2, 3};
  ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
  EXPECT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(ScorePages.rows[0].key, kKey1);
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0000/Data0005")), PageOneData());
}

TEST_F(MalformedScoreFileTest, NoMemoryForTheFileChangesNothing) {
  ASSERT_TRUE(WriteBytes(ScorePath(), ExpectedFixtureFile(5).Serialize()));
  const ScoreState before = ScoreState::Take();
  FailAllocationsForTest(true);
  const int read = ReadScoreFile(ScorePath().c_str(), 0, 0);
  FailAllocationsForTest(false);
  EXPECT_EQ(read, 0);
  ScoreState::Take().ExpectSame(before);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text.rfind(UiString(10037), 0), 0u);
}

TEST_F(MalformedScoreFileTest, AFailedSnapshotLeavesTheScore) {
  TestScoreFile file = ExpectedFixtureFile(5);
  file.backup = true;
  file.withPageData = false;
  Bytes bytes = file.Serialize();
  ExpectRefused(Bytes(bytes.begin(), bytes.end() - 3), 11620, 1, 1);
  // A snapshot that cannot be opened at all.
  const ScoreState before = ScoreState::Take();
  boxes_.Clear();
  EXPECT_EQ(ReadScoreFile(scratch_.File(u"Undo0001").c_str(), 1, 1), 0);
  ScoreState::Take().ExpectSame(before);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text.rfind(UiString(10229), 0), 0u);
}

}  // namespace
}  // namespace scorefile_test
