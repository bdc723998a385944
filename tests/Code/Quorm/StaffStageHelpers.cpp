#include "tests/Code/Quorm/StaffStageHelpers.h"

#include <algorithm>
#include <cmath>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"

namespace {
std::vector<unsigned>* g_progress = nullptr;
int RecordProgress(unsigned percent) {
  if (g_progress) g_progress->push_back(percent);
  return 0;
}
}  // namespace

int RunStaffStageOn(const SynthPage& page, std::vector<unsigned>* progress) {
  FreeEngine();
  if (LoadPageImage(page.bits(), page.width(), page.height(), 0) != kEngineOk) return -1;
  g_progress = progress;
  const int result = RunStaffStage(1, RecordProgress, nullptr);
  g_progress = nullptr;
  return result;
}

void StaffHints::Add(int left, int right, int yOffset, const std::vector<int>& lineYs, int group) {
  std::vector<int16_t> row(24, 0);
  row[0] = static_cast<int16_t>(left);
  row[1] = static_cast<int16_t>(right);
  row[2] = static_cast<int16_t>(yOffset);
  row[4] = static_cast<int16_t>(lineYs.size());
  row[7] = static_cast<int16_t>(group);
  rows.insert(rows.end(), row.begin(), row.end());
  std::vector<int16_t> table(6 * 1024, 0);
  for (size_t k = 0; k < lineYs.size() && k < 6; ++k)
    std::fill(table.begin() + 1024 * k, table.begin() + 1024 * (k + 1), static_cast<int16_t>(lineYs[k]));
  lines.insert(lines.end(), table.begin(), table.end());
  ++count;
}

void StaffHints::AddFromPainter(const StaffPainter& painter, int staff, int group) {
  const SynthStaff& s = painter.staff(staff);
  const int top = static_cast<int>(std::floor(s.top));
  std::vector<int> ys(s.lines, 0);
  Add(s.left, s.right, top, ys, group);
  int16_t* table = &lines[lines.size() - 6 * 1024];
  for (int k = 0; k < s.lines; ++k)
    for (int i = 0; i < 1024; ++i) {
      const double x = s.left + (s.right - s.left) * (i / 1024.0);
      table[1024 * k + i] = static_cast<int16_t>(std::lround(painter.LineY(staff, k, x)) - top);
    }
}

int RunHintedStageOn(const SynthPage& page, const StaffHints& hints) {
  FreeEngine();
  if (LoadPageImage(page.bits(), page.width(), page.height(), 0) != kEngineOk) return -1;
  return RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), hints.count, nullptr, nullptr);
}

double LineError(const StaffPainter& painter, int painted, int found) {
  const SynthStaff& s = painter.staff(painted);
  const int from = std::max(s.left, GetStaffLeftX(found));
  const int to = std::min(s.right, GetStaffRightX(found));
  double worst = 0;
  for (int line = 0; line < s.lines && line < GetStaffLineCount(found); ++line)
    for (int x = from; x < to; x += 7)
      worst = std::max(worst, std::fabs(StaffLineY(found, line, x) - painter.LineY(painted, line, x)));
  return worst;
}
