// The score editor in the score window: the window's editor hooks (keys,
// clicks, keypad codes, the selection's state) and the undo ring's view
// hooks filled by the editor's core.
#pragma once

// Called once at start-up, before the windows exist.
void InstallScoreEditor();
