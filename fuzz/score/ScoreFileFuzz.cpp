// The score file and its backup form: any bytes are read as the program reads
// an opened score, an automatic backup and an undo snapshot; whatever is read
// is written in the same form and read back to the same score.
#include <cstring>
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ScoreFuzzState.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileFormat.h"

namespace {

constexpr size_t kLimit = 1 << 20;

// Reads the file as the given form; when it is read, writes it again in that
// form and checks that the copy reads back to the same score.
void ReadAndRoundTrip(const std::u16string& input, int snapshot, int backupForm) {
  fuzz::ResetScoreState();
  if (ReadScoreFile(input.c_str(), snapshot, backupForm) != 1) {
    fuzz::RemoveScorePageData();
    return;
  }
  const fuzz::ScoreSnapshot read = fuzz::ScoreSnapshot::Take();
  const std::u16string copy = fuzz::ScratchPath(backupForm ? "copy-backup" : "copy.opt");
  if (WriteScoreFile(copy.c_str(), 1, kTargetScore, backupForm, snapshot, 0) != 1) fuzz::Fail("a read score was not written");
  if (snapshot) {
    // An undo snapshot is restored over the score as it stands.
    ResetScoreStreams();
    ResetPartRecords();
  } else {
    fuzz::RemoveScorePageData();
    const ScorePageList pages = ScorePages;
    fuzz::ResetScoreState();
    ScorePages.current = pages.current;
  }
  if (ReadScoreFile(copy.c_str(), snapshot, backupForm) != 1) fuzz::Fail("a written score was not read back");
  const std::string difference = read.Difference(fuzz::ScoreSnapshot::Take());
  if (!difference.empty()) fuzz::Fail("the score read back differs: " + difference);
  fuzz::RemoveScorePageData();
}

}  // namespace

KV_FUZZ_TARGET(score_file) {
  if (size > kLimit) return 0;
  fuzz::PrepareScoreFolders();
  const bool backup = size >= kBackupMagicBytes && std::memcmp(data, kBackupMagic, kBackupMagicBytes) == 0;
  const std::u16string input = fuzz::InputFile(data, size, backup ? "" : ".opt");
  if (backup) {
    ReadAndRoundTrip(input, 1, 1);  // an undo snapshot
    ReadAndRoundTrip(input, 0, 1);  // the automatic backup
  } else {
    ReadAndRoundTrip(input, 0, 0);
  }
  fuzz::ResetScoreState();
  return 0;
}
