#include "export/ExportLayout.h"

bool CItemIndexPositions::ItemExtent(int part, uint32_t offset, int32_t* left, int32_t* right) const {
  if (part < 0) return false;
  const ItemIndexRow* row = ItemRowAt(index_, FindItemRow(index_, static_cast<uint32_t>(part), offset));
  if (!row) return false;
  *left = row->left;
  *right = row->right;
  return true;
}
