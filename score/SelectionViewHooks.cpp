#include "score/SelectionViewHooks.h"

namespace {

bool NoView(ViewScrollState*) { return false; }
bool NothingScrolled(ScrollBarKind, int32_t) { return false; }
void NoRepaint() {}
void NoInvalidate(const ScoreBox&) {}
void NoTrace(const char*) {}

constexpr SelectionViewHooks kDefaultHooks = {NoView, NothingScrolled, NoRepaint, NoInvalidate,
                                              NoTrace};

SelectionViewHooks g_hooks = kDefaultHooks;

}  // namespace

const SelectionViewHooks& CurrentSelectionViewHooks() { return g_hooks; }

SelectionViewHooks SetSelectionViewHooks(const SelectionViewHooks& hooks) {
  SelectionViewHooks old = g_hooks;
  g_hooks.queryScroll = hooks.queryScroll ? hooks.queryScroll : kDefaultHooks.queryScroll;
  g_hooks.setScrollPosition =
      hooks.setScrollPosition ? hooks.setScrollPosition : kDefaultHooks.setScrollPosition;
  g_hooks.repaintNow = hooks.repaintNow ? hooks.repaintNow : kDefaultHooks.repaintNow;
  g_hooks.invalidateArea = hooks.invalidateArea ? hooks.invalidateArea : kDefaultHooks.invalidateArea;
  g_hooks.trace = hooks.trace ? hooks.trace : kDefaultHooks.trace;
  return old;
}

void ResetSelectionViewHooks() { g_hooks = kDefaultHooks; }
