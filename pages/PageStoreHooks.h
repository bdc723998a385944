// What the page store asks of the application shell: the pages pane, the
// page window, the score window and the shell's own lists of score pages.
// The shell wires them in. Until it does, each default is what happens
// without that service: no pane, window or score view to update, no problem
// pages, and no page keys beyond those of the score model's page list.
#pragma once

#include <cstdint>

struct PageData;

struct PageStoreHooks {
  // Lays out the pages pane rows and scroll ranges.
  void (*layoutPagesPane)();
  // Re-checks every row against its image and the score, orders the pane
  // and returns the new current row (row is the current one).
  int (*refreshPagesPane)(int row);
  void (*scrollPagesPaneToRow)(int row);
  // Whether the shell's lists of the open score's pages hold this key.
  bool (*isScorePageKey)(uint32_t key);
  // The list of rows of pages that ended with a reading problem.
  int* (*problemPages)(int** count);
  // A removed row was the current page: the score window is laid out and
  // repainted, the page window closed and its image freed.
  void (*currentPageRemoved)();
  // A removed row lay before the current one: the page window's caption.
  void (*pageWindowCaptionChanged)();
  // The scanned-page names of the shell: receive a new page's name.
  void (*setPageNames)(const char16_t* name);
  // Clears the border of a page image just loaded into the page view.
  void (*clearPageBorder)(PageData* page);
  // The page view holds no page image at all.
  void (*pageViewHasNoImage)();
  // The page view shows the placeholder, not a stored page.
  void (*pageViewShowsPlaceholder)();
  // The score view's scale, per cent, for the page view's page.
  void (*setScoreViewScale)(double scale);
  // Lays out the score document's views again after the page data changed.
  void (*placeScoreViews)();
  // Leaves the scanning state: a stored page is loaded into the view, or an
  // image file is opened for reading. The one place the shell sets it.
  void (*endScanning)();
};

const PageStoreHooks& CurrentPageStoreHooks();
// Installs hooks (a null member keeps that member's default); returns the old set.
PageStoreHooks SetPageStoreHooks(const PageStoreHooks& hooks);
void ResetPageStoreHooks();
