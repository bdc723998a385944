// Symbol atoms and atom pairs.
#include "Code/Quorm/fssatoms.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/fssdecom.h"

namespace {

struct AtomPair {
  int32_t a;  // the smaller index
  int32_t b;
  int32_t value;
};

EngineTable<SymbolAtom, 1000> gAtoms;
EngineTable<AtomPair, 1000> gPairs;
bool gPairsSorted = false;

bool PairLess(const AtomPair& x, const AtomPair& y) { return x.a != y.a ? x.a < y.a : x.b < y.b; }

// The first pair of the key, or null.
const AtomPair* FindPair(int32_t a, int32_t b) {
  if (a > b) std::swap(a, b);
  if (gPairs.count == 0) return nullptr;
  if (!gPairsSorted) {
    std::stable_sort(gPairs.records, gPairs.records + gPairs.count, PairLess);
    gPairsSorted = true;
  }
  const AtomPair key{a, b, 0};
  const AtomPair* end = gPairs.records + gPairs.count;
  const AtomPair* at = std::lower_bound(static_cast<const AtomPair*>(gPairs.records), end, key, PairLess);
  return at != end && at->a == a && at->b == b ? at : nullptr;
}

}  // namespace

void MakeAtomsFromComponents() {
  const int32_t count = GetComponentCount();
  for (int32_t i = 0; i < count; ++i) {
    const ConnectedComponent& component = *GetComponentRecord(i);
    uint32_t* bits = nullptr;
    const int32_t words = component.bits != nullptr ? RasterWordCount(component.rows, component.columns) : 0;
    if (words > 0) {
      EngineAllocChecked(bits, sizeof(uint32_t) * static_cast<size_t>(words));
      std::memcpy(bits, component.bits, sizeof(uint32_t) * static_cast<size_t>(words));
    }
    AddSymbolAtom(component.top, component.left, component.rows, component.columns, bits, component.link,
                  component.index, -1, 0);
  }
  FreeConnectedComponents();
}

int32_t AddSymbolAtom(int32_t top, int32_t left, int32_t height, int32_t width, uint32_t* bits, int32_t state,
                      int32_t spare, int32_t link, int32_t flag) {
  ENGINE_CHECK(height >= 0 && width >= 0);
  // Owned from here on, whatever happens while the table grows.
  struct Holder {
    uint32_t* bits;
    ~Holder() { EngineFree(bits); }
  } holder{bits};
  const int32_t index = gAtoms.count;
  gAtoms.Append(SymbolAtom{top, left, height, width, bits, state, spare, link, flag, index});
  holder.bits = nullptr;
  return index;
}

int32_t GetSymbolAtomCount() { return gAtoms.count; }
SymbolAtom GetSymbolAtom(int32_t i) { return gAtoms.At(i); }

SymbolAtomInfo GetSymbolAtomInfo(int32_t i) {
  const SymbolAtom& atom = gAtoms.At(i);
  return SymbolAtomInfo{atom.top, atom.left, atom.height, atom.width, atom.bits, atom.state, atom.spare};
}

EngineBox GetSymbolAtomBox(int32_t i) {
  const SymbolAtom& atom = gAtoms.At(i);
  return EngineBox{atom.left, atom.top, atom.left + atom.width, atom.top + atom.height};
}

RasterRecord GetSymbolAtomRaster(int32_t i) {
  const SymbolAtom& atom = gAtoms.At(i);
  return RasterRecord{atom.top, atom.left, atom.height, atom.width, atom.bits, atom.link, atom.index};
}

int32_t IsAtomFlagged(int32_t i) { return gAtoms.At(i).flag == 1 ? 1 : 0; }

void AddAtomPair(int32_t a, int32_t b, int32_t value) {
  if (a > b) std::swap(a, b);
  gPairs.Append(AtomPair{a, b, value});
  gPairsSorted = false;
}

int32_t HasAtomPair(int32_t a, int32_t b) { return FindPair(a, b) != nullptr ? 1 : 0; }

int32_t GetAtomPairValue(int32_t a, int32_t b) {
  const AtomPair* pair = FindPair(a, b);
  ENGINE_CHECK(pair != nullptr);
  return pair->value;
}

int32_t GetAtomPairCount() { return gPairs.count; }

void FreeSymbolAtoms() {
  for (int32_t i = 0; i < gAtoms.count; ++i) EngineFree(gAtoms.records[i].bits);
  gAtoms.Free();
  gPairs.Free();
  gPairsSorted = false;
  FreeClusterDecomposition();
}
