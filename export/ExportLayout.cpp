#include "export/ExportLayout.h"

#include "score/ScoreFile.h"

bool CItemIndexPositions::ItemExtent(int part, uint32_t offset, int32_t* left, int32_t* right) const {
  if (part < 0) return false;
  const ItemIndexRow* row = ItemRowAt(index_, FindItemRow(index_, static_cast<uint32_t>(part), offset));
  if (!row) return false;
  *left = row->left;
  *right = row->right;
  return true;
}

void CCollectedPositions::Add(const ItemIndex& index) {
  const int count = index.count < 0 ? 0 : index.count > kItemIndexCapacity ? kItemIndexCapacity : index.count;
  rows_.insert(rows_.end(), index.rows, index.rows + count);
}

bool CCollectedPositions::ItemExtent(int part, uint32_t offset, int32_t* left, int32_t* right) const {
  if (part < 0) return false;
  for (const ItemIndexRow& row : rows_) {
    if (row.part != static_cast<uint32_t>(part) || row.offset != offset) continue;
    *left = row.left;
    *right = row.right;
    return true;
  }
  return false;
}

void LayOutEveryScorePage(void (*layOutPage)(), const ItemIndex& index, CCollectedPositions* out) {
  const int32_t shown = ScorePages.current;
  const int32_t pages = ScorePages.count < 1 ? 1 : ScorePages.count > kMaxScorePages ? kMaxScorePages : ScorePages.count;
  for (int32_t page = 1; page <= pages; ++page) {
    ScorePages.current = page;
    layOutPage();
    out->Add(index);
  }
  ScorePages.current = shown;
  layOutPage();
}
