#include "pages/PageStoreHooks.h"

namespace {

void NoLayout() {}
int KeepRow(int row) { return row; }
void NoScroll(int) {}
bool NoScorePageKey(uint32_t) { return false; }
int* NoProblemPages(int** count) {
  *count = nullptr;
  return nullptr;
}
void NoWindow() {}
void NoPageNames(const char16_t*) {}
void NoBorder(PageData*) {}
void NoScale(double) {}

const PageStoreHooks kDefaults = {NoLayout, KeepRow, NoScroll, NoScorePageKey, NoProblemPages,
                                  NoWindow, NoWindow, NoPageNames, NoBorder, NoWindow, NoWindow,
                                  NoScale,  NoLayout, NoWindow};
PageStoreHooks current = kDefaults;

template <typename T>
void Take(T* slot, T given, T fallback) {
  *slot = given ? given : fallback;
}

}  // namespace

const PageStoreHooks& CurrentPageStoreHooks() { return current; }

PageStoreHooks SetPageStoreHooks(const PageStoreHooks& hooks) {
  const PageStoreHooks old = current;
  Take(&current.layoutPagesPane, hooks.layoutPagesPane, kDefaults.layoutPagesPane);
  Take(&current.refreshPagesPane, hooks.refreshPagesPane, kDefaults.refreshPagesPane);
  Take(&current.scrollPagesPaneToRow, hooks.scrollPagesPaneToRow, kDefaults.scrollPagesPaneToRow);
  Take(&current.isScorePageKey, hooks.isScorePageKey, kDefaults.isScorePageKey);
  Take(&current.problemPages, hooks.problemPages, kDefaults.problemPages);
  Take(&current.currentPageRemoved, hooks.currentPageRemoved, kDefaults.currentPageRemoved);
  Take(&current.pageWindowCaptionChanged, hooks.pageWindowCaptionChanged, kDefaults.pageWindowCaptionChanged);
  Take(&current.setPageNames, hooks.setPageNames, kDefaults.setPageNames);
  Take(&current.clearPageBorder, hooks.clearPageBorder, kDefaults.clearPageBorder);
  Take(&current.pageViewHasNoImage, hooks.pageViewHasNoImage, kDefaults.pageViewHasNoImage);
  Take(&current.pageViewShowsPlaceholder, hooks.pageViewShowsPlaceholder, kDefaults.pageViewShowsPlaceholder);
  Take(&current.setScoreViewScale, hooks.setScoreViewScale, kDefaults.setScoreViewScale);
  Take(&current.placeScoreViews, hooks.placeScoreViews, kDefaults.placeScoreViews);
  Take(&current.endScanning, hooks.endScanning, kDefaults.endScanning);
  return old;
}

void ResetPageStoreHooks() { current = kDefaults; }
