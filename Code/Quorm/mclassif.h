// The music symbol classifier: what a patch of ink is, as up to five
// candidate types with normalised costs.
#pragma once

#include <cstdint>

constexpr int kMaxSymbolCandidates = 5;

struct SymbolCandidate {
  int32_t type;
  int32_t cost;  // Q10: 0 a perfect match, 1024 at the type's base cost
};

struct SymbolCandidates {
  int32_t count;  // 0..5
  SymbolCandidate entries[kMaxSymbolCandidates];
};

// patch: one byte per pixel (non-zero = ink), rows of (x1 - x0) bytes.
void ClassifyAtomPatch(SymbolCandidates* result, const uint8_t* patch, int32_t x0, int32_t y0,
                       int32_t x1, int32_t y1, int32_t* referenceHeight);
void ClassifySymbolPatch(const uint8_t* patch, SymbolCandidates* result, int32_t width,
                         int32_t height, int32_t staff);
int32_t SymbolAcceptanceCost(int32_t type);
// patch: one 32-bit word per pixel (the low byte is the ink); the height is
// given in quarter pixels. 1 when a type-800 reference fits and scores below 3701.
int32_t PatchHasType800(const uint32_t* patch, int32_t width, int32_t height4);
// Hooks of a flag (0..4) from the projections of the patch along ten slopes.
int32_t CountFlagHooks(const uint8_t* patch, int32_t width, int32_t height, int32_t staff, int32_t up);
void FreePatchBuffers();
