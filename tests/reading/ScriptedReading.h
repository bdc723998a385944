// The reading thread's steps scripted for tests: a blank page with one
// stored five-line stave and an engine that finds nothing, each step able to
// be told to fail; and the page table and reading state of a fresh run.
#pragma once

#include <vector>

#include "reading/ReadingThread.h"
#include "score/PageMarks.h"

struct ReadingScript {
  // The page and its stored stave (two-pixel lines, space apart).
  int width = 256, height = 160;
  int staveLeft = 10, staveRight = 240, staveTop = 40, staveSpace = 10;
  // Failures.
  bool loadFails = false, spriteMissing = false, listsFail = false, storedStaves = true;
  int engineStart = 0, staffStage = 0, recognise = 0;
  bool escDuringRecognise = false;  // the recognition sets the user's stop
  bool linesNoMemory = false;       // the line removal runs out of memory
  // What the steps saw.
  int engineStarts = 0, engineCloses = 0;
};

// A host that keeps the messages posted to the frame and draws nothing.
class QuietReadingHost : public ReadingHost {
 public:
  void PostToFrame(unsigned message) override { posted.push_back(message); }
  void DebugLine(const char16_t*) override {}
  void LockDrawing() override {}
  void UnlockDrawing() override {}
  std::vector<unsigned> posted;
};

// The script the steps follow.
ReadingScript& Script();
// Steps that follow Script().
const ReadingSteps& ScriptedReadingSteps();

// Sets the script (with a blank page), the host and the scripted steps; the
// first `pages` rows of the page table are selected pages; the score has no
// pages, no problem is listed, no notice waits, and row 0 is being read.
void BeginScriptedReading(ReadingHost& host, const ReadingScript& script = ReadingScript{}, int pages = 1);
// Joins the thread and takes the stages, the start hook, the steps and the
// host out again; frees the read page's image.
void EndScriptedReading();

// A stage that writes the page's items (as score building does).
int StageGivesItems(StageContext&);
// Stands in for score building's finisher: every stream ends where the new
// page begins.
int RecordStreamEnds(StreamSet* score, uint32_t (*pageStarts)[kPageStartSlots], int pageNumber);
