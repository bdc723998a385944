// The time signature in force where the current score page begins: the one
// the editor and the views take for a page that does not write its own.
#pragma once

#include <cstdint>

struct MeterAtPage {
  int32_t numerator = -1;        // -1: none
  int32_t denominatorCode = -1;  // as the time-signature item holds it
};
// The meter of the current score page, as FindMeterAtPage last found it.
MeterAtPage& CurrentMeterAtPage();

// Finds the last shown time signature before the current score page
// (ScorePages.current) in the part slots 1 up to the part count (slot 0 is
// not searched), by where it stands: after more staff boundaries (0x80), or
// after as many at the same or a later bar. None (-1, -1) on page 1, with
// fewer than two parts, or when no part has one before the page.
void FindMeterAtPage();
