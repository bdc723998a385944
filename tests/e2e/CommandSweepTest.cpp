// Every command of the frame's command table, posted with no document open:
// no crash, no box, and the frame keeps answering. The few commands that
// open a dialog of their own get it closed again.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include "ResourceIds.h"
#include "shell/CommandTable.h"
#include "tests/e2e/ProgramCase.h"

namespace {

// The commands that show a dialog even with nothing open (Open PDFs stays
// greyed, and does nothing, while no PDF page loader is installed).
const int kDialogCommands[] = {IDM_HELP_ABOUT, IDM_FILE_OPEN};
// Ids that are no command of the frame: never a stave index or anything else.
const int kForeignIds[] = {1, 999, 30000, 41000, 49999, 56000, 65535};
constexpr DWORD kSettleMs = 150;

// The commands that open the Preferences dialog, closed by its Cancel (1009).
const int kPreferencesCommands[] = {IDM_FILE_PREFERENCES, IDM_FILE_SCANNER_SETUP};
bool OpensPreferences(int id) {
  return std::find(std::begin(kPreferencesCommands), std::end(kPreferencesCommands), id) != std::end(kPreferencesCommands);
}

bool OpensDialog(int id) { return std::find(std::begin(kDialogCommands), std::end(kDialogCommands), id) != std::end(kDialogCommands); }

}  // namespace

class CommandSweep : public ProgramCase {
 protected:
  // Posts one command and checks what follows; false stops the sweep.
  bool Post(int id) {
    SCOPED_TRACE("command " + std::to_string(id));
    if (!program.PostCommand(static_cast<WORD>(id))) return false;
    if (OpensDialog(id)) {
      if (!program.CloseDialog()) return false;
    }
    if (OpensPreferences(id)) {
      HWND dialog = program.WaitForDialog();
      if (!dialog || !program.PressDialogButton(dialog, IDC_PREFS_CANCEL)) return false;
    }
    return program.StaysQuiet(kSettleMs);
  }
};

TEST_F(CommandSweep, EveryCommandWithNothingOpen) {
  ASSERT_TRUE(StartQuietly());
  int count = 0;
  const CommandEntry* entries = CommandEntries(&count);
  ASSERT_GT(count, 0);
  for (int e = 0; e < count; ++e) {
    for (int id = entries[e].first; id <= entries[e].last; ++id) {
      if (id == IDM_FILE_EXIT) continue;  // ends the sweep below
      ASSERT_TRUE(Post(id));
    }
  }
  for (int id : kForeignIds) ASSERT_TRUE(Post(id));
  ASSERT_TRUE(ExitCleanly());
}
