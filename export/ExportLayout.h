// Where the laid-out page put the score's items, for the exports that need
// more than the streams say (a hairpin ends at the chord under its drawn
// end). The caller that can lay the page out fills it; without one the
// exports keep to what the streams alone give.
#pragma once

#include <cstdint>
#include <vector>

#include "score/ItemIndex.h"

class CExportItemPositions {
 public:
  virtual ~CExportItemPositions() = default;
  // The left and right edges, in page units, of the item at offset in the
  // part slot's stream; false when the layout did not place it.
  virtual bool ItemExtent(int part, uint32_t offset, int32_t* left, int32_t* right) const = 0;
};

// The positions an item index holds (the rows a layout pass of the score
// view wrote). The index must outlive this object.
class CItemIndexPositions : public CExportItemPositions {
 public:
  explicit CItemIndexPositions(const ItemIndex& index) : index_(index) {}
  bool ItemExtent(int part, uint32_t offset, int32_t* left, int32_t* right) const override;

 private:
  const ItemIndex& index_;
};

// Positions gathered from several layout passes, one for each page of the
// score (a page's pass only places that page's items).
class CCollectedPositions : public CExportItemPositions {
 public:
  // Keeps the rows of one pass.
  void Add(const ItemIndex& index);
  bool ItemExtent(int part, uint32_t offset, int32_t* left, int32_t* right) const override;

 private:
  std::vector<ItemIndexRow> rows_;
};

// Lays every page of the score out in turn (layOutPage lays out the page
// ScorePages.current names into index) and gathers the rows into out; the
// page shown before is current and laid out again at the end.
void LayOutEveryScorePage(void (*layOutPage)(), const ItemIndex& index, CCollectedPositions* out);
