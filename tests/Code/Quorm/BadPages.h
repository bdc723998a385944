// Pages without music for the engine's robustness tests: each is read to
// its end without a failed check.
#pragma once

#include <functional>
#include <vector>

#include "tests/Code/Quorm/PageSynth.h"

struct BadPage {
  const char* what;
  std::function<void(SynthPage&)> draw;
};

// Draws each page on 800 x 600 and reads it whole (ReadSynthPage).
void ExpectBadPagesReadToTheEnd(const std::vector<BadPage>& pages);

// Reads the page with one straight five-line hint from column 40 to 960, its
// top line at row 200 and its lines spacing apart, through the hinted staff
// stage and the page reading.
void ExpectHintedPageReadToTheEnd(const SynthPage& page, int spacing);
