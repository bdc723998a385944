#include "stages/StemCandidates.h"

#include <cstdlib>

#include "reading/StaveSpacing.h"

bool AreStemPartners(const NoteRecord& a, const NoteRecord& b, int32_t unit) {
  if (a.stave != b.stave) return false;
  const bool aLeft = a.left < b.left || (a.left == b.left && a.step <= b.step);
  const NoteRecord& l = aLeft ? a : b;
  const NoteRecord& r = aLeft ? b : a;
  const int32_t u2 = 2 * unit;
  if (std::abs(static_cast<int32_t>(r.left) - l.left) <= u2 && l.stemRight == r.stemRight) return true;
  return std::abs(static_cast<int32_t>(r.left) - l.right) <= u2 && l.stemRight == 1 && r.stemRight == 0;
}

bool AreStemPartners(const NoteRecord& a, const NoteRecord& b) {
  return AreStemPartners(a, b, CurrentStaveUnits().staveUnit);
}

bool AreStemPartners(const NoteRecord* notes, uint32_t i, uint32_t j) {
  return AreStemPartners(notes[i], notes[j]);
}
