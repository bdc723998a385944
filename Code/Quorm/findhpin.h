// The hairpin finder: crescendo and diminuendo wedges among the page's
// connected components, each stored with its box and the side of its wide
// end.
#pragma once

#include <cstdint>

#include "Code/Quorm/concmpts.h"

struct FoundHairpin {
  int32_t opening;  // 1: the wide end is on the right; 0: on the left
  int32_t top;
  int32_t bottom;   // top + height
  int32_t left;
  int32_t right;    // left + width
};

// Tests every connected component in table order and keeps the wedges.
void DetectHairpins();
// The test of one component: 1 with *opening set when it is a wedge, else 0.
int32_t IsHairpinComponent(const ConnectedComponent& component, int32_t* opening);
// Appends a hairpin found elsewhere (or made by hand); returns its index.
int32_t AddFoundHairpin(const FoundHairpin& hairpin);
int32_t GetHairpinCount();
// Checked 0..count-1.
int32_t GetHairpinOpening(int32_t i);
int32_t GetHairpinTop(int32_t i);
int32_t GetHairpinBottom(int32_t i);
int32_t GetHairpinLeft(int32_t i);
int32_t GetHairpinRight(int32_t i);
// The module's free function: the table, count and capacity.
void FreeHairpins();
