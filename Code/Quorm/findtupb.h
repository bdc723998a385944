// The tuplet-bracket finder: a thin straight line with a hook at one or both
// ends, among the page's connected components.
#pragma once

#include <cstdint>

#include "Code/Quorm/concmpts.h"

struct FoundTupletBracket {
  int32_t leftY, leftX;    // left end: row on the straight line, component left
  int32_t rightY, rightX;  // right end: component left + width
  int32_t opening;         // 0: the line is the top edge, hooks down; 1: bottom edge, hooks up
  int32_t leftHook;
  int32_t rightHook;
};

constexpr int32_t kMaxTupletBrackets = 200;

// Tests the connected components while fewer than 200 brackets are stored.
void DetectTupletBrackets();
// The test of one component: 1 and the bracket in *out, else 0.
int32_t IsTupletBracketComponent(const ConnectedComponent& component, FoundTupletBracket* out);
int32_t GetTupletBracketCount();
// Copies bracket i (checked 0..count-1).
void GetTupletBracket(FoundTupletBracket* out, int32_t i);
// The module's free function: clears the table and the count.
void ClearTupletBrackets();
