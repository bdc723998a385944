#include "shell/ScoreEditorHooks.h"

namespace {
ScoreEditorHooks Hooks;
}

void SetScoreEditorHooks(const ScoreEditorHooks& hooks) { Hooks = hooks; }
const ScoreEditorHooks& EditorHooks() { return Hooks; }
