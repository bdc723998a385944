// A benchmark page for the engine's object stages: staves full of beamed
// notes (a head on a down stem, a beam over every pair of stems), painted and
// put into the finders' tables, with one staff every ten staff spaces.
#pragma once

#include <cstdint>

// With secondStems, every fourth note also gets a second, costly stem beside
// the first, which conflicts with it.
void MakeBeamedPage(int32_t notes, int32_t width, bool secondStems);
