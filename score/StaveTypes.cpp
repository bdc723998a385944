#include "score/StaveTypes.h"

StaveRecord StaveRecordFromRow(const StaveRow& row) {
  StaveRecord r;
  r.left = row.left;
  r.top = row.top;
  r.right = row.right;
  r.bottom = row.bottom;
  r.slope = row.slope;
  r.group = row.group;
  r.lineCount = row.lineCount;
  r.lineThickness = row.lineThickness;
  r.midX = row.midX;
  r.midTop = row.midTop;
  r.rightTop = row.rightTop;
  r.kind = row.kind;
  r.spacingOverride = row.spacingOverride;
  r.joinLeftEnd = row.joinLeftEnd;
  r.joinRightStart = row.joinRightStart;
  return r;
}

StaveRow StaveRowFromRecord(const StaveRecord& record) {
  StaveRow r;
  r.left = record.left;
  r.right = record.right;
  r.top = record.top;
  r.bottom = record.bottom;
  r.lineCount = record.lineCount;
  r.lineThickness = record.lineThickness;
  r.slope = record.slope;
  r.group = record.group;
  r.number = 0;
  r.midX = record.midX;
  r.midTop = record.midTop;
  r.rightTop = record.rightTop;
  r.kind = record.kind;
  r.spacingOverride = record.spacingOverride;
  r.joinLeftEnd = record.joinLeftEnd;
  r.joinRightStart = record.joinRightStart;
  return r;
}
