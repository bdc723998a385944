// The frame's command ids: who handles each one. Ids outside the table are
// not the frame's; they go on to the active document window.
#pragma once

enum class CommandHandler {
  Frame,    // the frame handles it itself
  Service,  // a service of another subsystem handles it, when installed
  None,     // no handler exists: always disabled
};

struct CommandEntry {
  int first;
  int last;
  CommandHandler handler;
  bool (*installed)();  // for Service: whether its service is there
};

// The entry that holds id, or null.
const CommandEntry* FindCommand(int id);
// Whether a command of the table can run now: the frame's own always, a
// service's while it is installed, the rest never. False for other ids.
bool CommandHasHandler(int id);
// Every entry, for the menu-state pass.
const CommandEntry* CommandEntries(int* count);
