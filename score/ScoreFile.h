// The score file ".opt" (magic "Vadoruvi"), its backup form (magic "Backup")
// for the automatic backup and the undo snapshots, and the hand-over copy
// "Transfer.opt" for the outside notation programs. Besides the part streams
// and part records (ScoreStream.h) the file keeps the score's page sizes and
// its list of pages, which live here.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- The score's page sizes and page list ----

struct ScorePageSizes {
  uint32_t width;        // of the score's first page, in the score's page units
  uint32_t height;
  uint8_t staveSpacing;  // 1 for an empty score
  uint16_t staveWidth;   // 1 for an empty score
};
extern ScorePageSizes ScorePageSize;

constexpr int kMaxScorePages = 20;
constexpr uint16_t kNoPageDataId = 0xFFFF;
constexpr uint32_t kNoPageKey = 0xFFFFFFFF;

// One page of the score: its page record's data id (naming the page's data
// file), the record's second field and the record's unique key.
struct ScorePageRow {
  uint16_t dataId;
  uint16_t field;
  uint32_t key;
};
struct ScorePageList {
  int32_t count;    // pages of the score, from its page marks
  int32_t current;  // the page shown, from 1
  ScorePageRow rows[kMaxScorePages];
  // The data key of each page: the key its page data file carries while the
  // file's boxes belong to this score page. Kept as read and written.
  uint32_t second[kMaxScorePages];
};
extern ScorePageList ScorePages;

// Where the score came from and what it is called.
constexpr size_t kScorePathUnits = 260;
struct ScoreDocument {
  char16_t path[kScorePathUnits];   // the score file, empty for a new score
  char16_t title[kScorePathUnits];  // shown in the score window's title
};
extern ScoreDocument CurrentScore;

// The score model's part of resetting the score: runs the shell's resetScore
// hook (playback and the like), frees every score stream, empties the page
// list and sets the stave spacing and stave width to 1.
void ResetScoreContent();

// ---- Files ----

constexpr char16_t kTransferFileName[] = u"Transfer.opt";
constexpr char16_t kBackupFileName[] = u"_BackupFile_";

enum ScoreFileTarget : int { kTargetScore = 0, kTargetCadenzor = 1, kTargetR8 = 2 };

// Writes the score to path. internal: no rhythm check and no bookkeeping
// afterwards (automatic backup, undo snapshot). backupForm: the "Backup"
// magic and the stamp. noPageData: no page data (undo snapshots).
// chosenVersion: the version the user chose for Save, or 0.
// The file is written beside path and replaces it only when every byte was
// stored; 1 written, 0 failed (shown; the old file and the modified flag stay).
int WriteScoreFile(const char16_t* path, int internal, int target, int backupForm, int noPageData,
                   int chosenVersion);
// The version that an outside program understands (target 1 Cadenzor, 2 R8).
uint8_t ChooseSaveVersion(int target);
// "Transfer.opt" in the page store for an outside program; 1 written.
int WriteTransferFile(int target);

// Reads a score file (backupForm: the "Backup" magic) and makes it the
// score; snapshot restores an undo snapshot into the streams and part
// records only. The file is checked whole before anything changes: 1 read,
// 0 refused or failed (shown; the score as it was).
int ReadScoreFile(const char16_t* path, int snapshot, int backupForm);

// Sets state 4 in the page record of every page of the score and writes the
// page index.
void MarkScorePages();

// The file-name part of path, cut at a final "." within its last five
// characters, into destination (capacity units, always NUL-ended).
void GetBaseFileName(char16_t* destination, size_t capacity, const char16_t* path);
template <size_t N>
void GetBaseFileName(char16_t (&destination)[N], const char16_t* path) {
  GetBaseFileName(destination, N, path);
}
