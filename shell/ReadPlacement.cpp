#include "shell/ReadPlacement.h"

#include <algorithm>

#include "pages/PageStoreScoreLinks.h"
#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/ScorePageDeletion.h"
#include "shell/ShellServices.h"

namespace {

constexpr unsigned kStrWarningCaption = 10075;
constexpr unsigned kStrAlreadyReadAsPage = 10082;
constexpr unsigned kStrWillReplacePage = 10083;
constexpr unsigned kStrCorrectionsLost = 10084;
constexpr unsigned kStrBlank = 10183;
constexpr int kTextUnits = 1024;

void Append(char16_t* out, int units, int* n, const char16_t* text) {
  for (; *text && *n + 1 < units; ++text) out[(*n)++] = *text;
  out[*n] = 0;
}

void AppendString(char16_t* out, int units, int* n, unsigned id) {
  char16_t text[kTextUnits];
  LoadUiString(id, text, kTextUnits);
  Append(out, units, n, text);
}

bool AskToReadAgain(int page) {
  char16_t text[kTextUnits], caption[kTextUnits];
  ReReadQuestionText(page, text, kTextUnits);
  LoadUiString(kStrWarningCaption, caption, kTextUnits);
  return platform::ShowMessageBox(text, caption, platform::kBoxYesNo | platform::kBoxIconQuestion) ==
         platform::kAnswerYes;
}

// Takes score page `page` out of the score: deleted when the score has other
// pages (the current page then stays within the score), else the score is
// emptied and its window laid out again.
void RemoveScorePage(int page) {
  if (ScorePages.count > 1) {
    ScorePages.current = page;
    DeleteScorePage(1, 0);
    ScorePages.current = std::clamp(ScorePages.current, 1, ScorePages.count);
  } else {
    ResetScoreContent();
    if (const auto place = CurrentShellServices().placeScoreViews) place(1);
  }
}

}  // namespace

void ReReadQuestionText(int page, char16_t* out, int units) {
  if (units <= 0) return;
  out[0] = 0;
  int n = 0;
  char16_t number[16];
  FormatWide(number, 16, u"%d", page);
  AppendString(out, units, &n, kStrAlreadyReadAsPage);
  AppendString(out, units, &n, kStrBlank);
  Append(out, units, &n, number);
  AppendString(out, units, &n, kStrBlank);
  AppendString(out, units, &n, kStrWillReplacePage);
  AppendString(out, units, &n, kStrBlank);
  Append(out, units, &n, number);
  AppendString(out, units, &n, kStrCorrectionsLost);
}

bool ReadRowIntoScore(int row, int command) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  const int pages = ScorePages.count, current = ScorePages.current;
  int position;
  switch (command) {
    case IDM_READ_PLACE_AT_END: position = pages + 1; break;
    case IDM_READ_PLACE_BEFORE: position = current - 1; break;
    case IDM_READ_PLACE_AFTER: position = current + 1; break;
    case IDM_READ_REPLACE: position = current; break;
    default: return false;
  }
  // While a page is read only a page for the end of the score is taken (it
  // waits its turn, ticked).
  if (ReadingActive()) return ReadPageIntoScore(row, std::clamp(position, 1, pages + 1));
  const int own = ScorePageOfKey(pageTable.rows[row].pageKey);
  if (own > 0 && !(command == IDM_READ_REPLACE && own == current)) {
    // The page is read again where it stands, in place of its old reading.
    if (!AskToReadAgain(own)) return false;
    RemoveScorePage(own);
    position = own;
  } else if (command == IDM_READ_REPLACE) {
    if (pages < 1) return false;
    RemoveScorePage(current);
  }
  return ReadPageIntoScore(row, std::clamp(position, 1, ScorePages.count + 1));
}
