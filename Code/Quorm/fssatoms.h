// Symbol atoms: the connected components left on the page once the line-like
// objects are erased (each possibly split where touching symbols meet), the
// pieces that fixed-size symbol recognition groups into symbols; and a table
// of atom pairs with a value each (pairs known to form one symbol).
#pragma once

#include <cstdint>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Geometry.h"

struct SymbolAtom {
  int32_t top, left, height, width;  // pixels
  uint32_t* bits;                    // owned: height x width bits, row after row (1 = ink)
  int32_t state, spare;              // copied from the component, or set by the stage that made it
  int32_t link;                      // -1 when made from a component
  int32_t flag;                      // 1: flagged by another stage
  int32_t index;                     // its own index
};

// One atom per connected component (link -1, flag 0), with a copy of its
// raster and its link and index words as state and spare; then frees the
// component table.
void MakeAtomsFromComponents();
// Appends an atom that takes over the bits block (engine heap; may be null
// for an empty raster); returns its index.
int32_t AddSymbolAtom(int32_t top, int32_t left, int32_t height, int32_t width, uint32_t* bits, int32_t state,
                      int32_t spare, int32_t link, int32_t flag);
int32_t GetSymbolAtomCount();
// Accessors: index checked 0..count-1. The record's bits stay owned by the table.
SymbolAtom GetSymbolAtom(int32_t i);
struct SymbolAtomInfo {
  int32_t top, left, height, width;
  uint32_t* bits;
  int32_t state, spare;
};
SymbolAtomInfo GetSymbolAtomInfo(int32_t i);
EngineBox GetSymbolAtomBox(int32_t i);  // (left, top, left + width, top + height)
// The atom's raster as a raster record (for GetBitMatrixBit and friends).
RasterRecord GetSymbolAtomRaster(int32_t i);
int32_t IsAtomFlagged(int32_t i);

// Pairs are kept as (smaller, larger) index, whichever order they are given in.
void AddAtomPair(int32_t a, int32_t b, int32_t value);
int32_t HasAtomPair(int32_t a, int32_t b);
// The value of the first pair added under that key; a missing pair is a
// failed check.
int32_t GetAtomPairValue(int32_t a, int32_t b);
int32_t GetAtomPairCount();

// The module's free function: every atom's bits, the atom and pair tables and
// the decomposition work block.
void FreeSymbolAtoms();
