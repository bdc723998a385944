// The staff stage on a fuzzed 1-bit page (up to a strip of A4 width), in one
// whole engine run as the reading pipeline makes it: StartEngine,
// LoadPageImage, RunStaffStage, the staff table read back through its
// accessors, FreePageBitmap, CloseEngine.
//
// Input: a flags byte (bit 0: six-line staves, bits 1-2: the stretch width),
// the width and the height (two bytes each, little-endian, folded into the
// bounds below), then the page's rows as the engine takes them (32-bit words,
// bit 0 the leftmost pixel); rows past the end of the input are white.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/vertsegs.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"
#include "fuzz/engine/StaffPage.h"

namespace {

int KeepGoing(int) { return 1; }
int Progress(unsigned) { return 0; }

// The staff table of a completed stage, read as the later stages read it.
void ReadStaffTable() {
  const int32_t staves = GetStaffCount();
  if (staves < 0 || staves > kMaxStaves) std::abort();
  for (int32_t s = 0; s < staves; ++s) {
    const int32_t lines = GetStaffLineCount(s);
    if (lines < 1 || lines > kMaxStaffLines) std::abort();
    const int32_t left = GetStaffLeftX(s), right = GetStaffRightX(s);
    (void)GetStaffSpace(s);
    (void)GetStaffSlope(s);
    for (int32_t line = 0; line < lines; ++line)
      for (int32_t x : {left, (left + right) / 2, right}) (void)StaffLineY(s, line, x);
    (void)GetStaffSystem(s);
  }
  const int32_t systems = GetSystemCount();
  for (int32_t system = 0; system < systems; ++system) {
    int32_t corners[8];
    GetSystemCorners(system, corners);
    for (int32_t i = 0; i < GetSystemStaffCount(system); ++i) (void)GetStaffOfSystem(system, i);
  }
}

}  // namespace

KV_FUZZ_TARGET(engine_staff_stage) {
  fuzz::StaffPageInput page;
  if (!fuzz::DecodeStaffPage(data, size, &page)) return 0;
  fuzz::StaffStageRun run;
  EngineCode loaded = LoadPageImage(page.bits.data(), page.width, page.height, page.stretch);
  if (loaded == kEngineOk) {
    const int result = RunStaffStage(page.sixLines, Progress, KeepGoing);
    if (result == kStageCompleted) {
      ReadStaffTable();
    } else if (result != kStageStopped && result != kStageFailed) {
      // A failed internal check or an exhausted heap on a page this small.
      std::fprintf(stderr, "kv fuzz: the staff stage answered %d\n", result);
      std::abort();
    }
  } else if (std::strcmp(loaded, kCodeNoSegments) != 0) {
    std::fprintf(stderr, "kv fuzz: LoadPageImage answered %s\n", loaded);
    std::abort();
  }
  FreePageBitmap();
  return 0;
}
