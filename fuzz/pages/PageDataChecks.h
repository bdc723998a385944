// What the page data targets compare: two stave records field by field.
#pragma once

#include <cstring>

#include "score/StaveTypes.h"

namespace fuzz {

inline bool SameStave(const StaveRecord& a, const StaveRecord& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom && a.slope == b.slope &&
         a.group == b.group && a.lineCount == b.lineCount && a.lineThickness == b.lineThickness && a.midX == b.midX &&
         a.midTop == b.midTop && a.rightTop == b.rightTop && a.kind == b.kind &&
         std::memcmp(&a.spacingOverride, &b.spacingOverride, sizeof a.spacingOverride) == 0 &&
         a.joinLeftEnd == b.joinLeftEnd && a.joinRightStart == b.joinRightStart;
}

}  // namespace fuzz
