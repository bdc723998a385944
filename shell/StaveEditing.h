// Editing the staves of the page shown in the page view (viewPage, page-table
// row pageTable.currentPage): the undo ring's steps, the commands of the
// page document, new, moved and deleted staves, and the stave data file
// written after every change. Interface thread only; callers that draw hold
// "ReadingMutex".
#pragma once

#include "shell/StaveUndoRing.h"

constexpr int kMaxEditedStaves = 13;

enum class StaveEditRefusal { kNone, kPageBeingRead, kLockedPage, kNoPage };
// Whether the shown page's staves may be edited now: not while it is being
// read, not on a page whose staves came with its image.
StaveEditRefusal StaveEditRefused();

StaveUndoRing& StaveRing();
StaveViewState& StaveView();

// Writes the shown page's staves into its data file (the working copy with
// working); the stored copy of a page that is not the current score page's
// removes the working copy. False when nothing was written.
bool WritePageStaveData(bool working);

// One undo step before an edit.
void PushStaveUndo();
// False (the caller beeps) when there was nothing to undo or redo; the data
// file is written after each step.
bool UndoStaveEdit();
bool RedoStaveEdit();

// The page document's stave commands: 602 Undo, 601 Redo, 127 and 8 delete
// the selected stave, 27 deselects, 53 and 54 give it 5 or 6 lines. 1 when
// the code is one of them, 0 when not. A refused edit changes nothing: on a
// locked page it is ignored (1); while the page is being read it returns
// kStaveCommandRefused, and the caller says so with SayPageBeingRead once it
// has let go of "ReadingMutex" (the box's modal loop must not hold up the
// reading thread).
constexpr int kStaveCommandRefused = 2;
int StaveViewCommand(int code);
// The box saying the shown page is being read and its staves cannot be
// edited (string 11539).
void SayPageBeingRead();

// Finds the shown page's staves again with the engine's staff finder
// (hooks: its progress window), as the only staves of the page, and writes
// them; the status bar says how many. While a page is read nothing changes
// (with ask, string 11522 says why); a locked page is refused. withUndo
// keeps the staves before as an undo step. The number found, -1 when refused.
struct LocatingHooks;
int LocateStaves(bool ask, bool withUndo, const LocatingHooks* hooks);

// A stave drawn from (x0, y0) to (x1, y1) in image pixels, in either
// direction: inserted in top order with the system of the stave it comes
// before, five lines, selected. -1 when 13 staves exist already.
int InsertDrawnStave(int x0, int y0, int x1, int y1);
// Moves stave s by (dx, dy) image pixels, kept within its limits.
void MoveStave(int s, int dx, int dy);
// Removes stave s; the later staves move up.
void DeleteStave(int s);

// Fits stave s to the page's ink after an edit (decide: its number of lines
// is decided from the image too); a stave of fewer than four lines becomes
// an ordinary five-line stave. Nothing without a two-level page image.
void RebuildEditedStave(int s, bool decide);
// Decides stave s's system from the ink at its left end; true when a
// system number changed.
bool RegroupEditedStave(int s);

// One step of a drag of the selected stave in mode (a StaveDragMode but the
// new stave's): the stave as it was at the drag's start moved by (dx, dy)
// image pixels, kept within its limits and fitted to the page; a drag of
// the whole stave, its left end or its bottom line also regroups it.
void DragSelectedStave(int mode, const StaveRecord& start, int dx, int dy, bool decide);
// The stave being drawn, s, spans the press point and the pointer in
// whichever direction it was drawn, kept within its limits and fitted.
void SizeDrawnStave(int s, int pressX, int pressY, int x, int y);

// Alt+click on empty page: a copy of the selected stave centred on image
// height y, inserted in top order with the system of the stave it comes
// before, fitted, regrouped, selected and written. -1 (the caller beeps)
// without a selected stave or with 13 staves.
int CopySelectedStaveTo(int y, bool decide);
// Alt+click on stave hit, a neighbour of the selected stave: their systems
// are split when they share one, joined otherwise, and the file written.
// False (the caller beeps) when they are not neighbours.
bool JoinOrSplitWithSelected(int hit);
