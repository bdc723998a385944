#include "reading/StaveLocating.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Quorm.h"
#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"
#include "reading/ReadingThread.h"

namespace {

constexpr unsigned kTextEngineStartFailed = 10026;
constexpr unsigned kTextPageNameSeparator = 10182;
constexpr unsigned kTextAllNarrow = 10064;
constexpr unsigned kTextAreNarrow = 10065;
constexpr unsigned kTextIsNarrow = 10066;
constexpr unsigned kTextAdvice200 = 10067;
constexpr unsigned kTextAdvice300 = 10068;
constexpr unsigned kTextAdvice400 = 10069;
constexpr unsigned kTextAdviceAtLeast = 10070;
constexpr unsigned kTextStaves = 10071;
constexpr unsigned kTextStaff = 10072;
constexpr unsigned kTextDpiDarker = 10073;
constexpr unsigned kTextDarker = 10074;
constexpr unsigned kTextSpace = 10183;
constexpr unsigned kTextRange = 10189;
constexpr unsigned kTextListSeparator = 10192;

constexpr int kNarrowHeight = 40;

class TextBuilder {
 public:
  TextBuilder(char16_t* text, size_t capacity) : text_(text), capacity_(capacity) {
    if (capacity_) text_[0] = 0;
  }
  void Add(const char16_t* part) {
    for (; part && *part && length_ + 1 < capacity_; ++part) text_[length_++] = *part;
    if (capacity_) text_[length_] = 0;
  }
  void AddString(unsigned id) {
    char16_t part[512];
    LoadUiString(id, part, 512);
    Add(part);
  }
  void AddNumber(int value) {
    char16_t digits[16];
    FormatDecimal(digits, static_cast<uint32_t>(std::max(0, value)));
    Add(digits);
  }

 private:
  char16_t* text_;
  size_t capacity_;
  size_t length_ = 0;
};

bool RowHasInk(const uint8_t* image, size_t strideBytes, uint32_t y, uint32_t fromByte, uint32_t toByte) {
  const uint8_t* row = image + size_t(y) * strideBytes;
  for (uint32_t b = fromByte; b <= toByte; ++b)
    if (row[b]) return true;
  return false;
}

}  // namespace

int AdvisedResolution(int resolution, int m) {
  // A stave of no height gets the finest advice rather than a division by 0.
  int r = m > 0 ? resolution * kNarrowHeight / m : 400;
  r = r % 100 >= 50 ? (r / 100 + 1) * 100 : r / 100 * 100;
  if (r <= resolution) r = resolution + 100;
  return std::min(r, 400);
}

uint32_t NarrowStaveAdvice(char16_t* text, size_t capacity, const StaveRow* rows, int count, int resolution,
                           const char16_t* pageName) {
  int narrow[kMaxPageStaves];
  int narrowCount = 0, m = 0;
  for (int s = 0; s < count && s < kMaxPageStaves; ++s) {
    if (rows[s].lineCount < 4) continue;
    const int h = rows[s].bottom - rows[s].top;
    if (h >= kNarrowHeight) continue;
    if (narrowCount == 0 || h < m) m = h;
    narrow[narrowCount++] = s + 1;
  }
  if (narrowCount == 0) return 1;
  if (!text || capacity == 0) return 0;
  const int r = AdvisedResolution(resolution, m);
  TextBuilder out(text, capacity);
  if (resolution >= r) return 0;
  if (pageName) {
    out.Add(pageName);
    out.AddString(kTextPageNameSeparator);
  }
  if (narrowCount == count) {
    out.AddString(kTextAllNarrow);
  } else {
    out.AddString(narrowCount == 1 ? kTextStaff : kTextStaves);
    out.AddString(kTextSpace);
    for (int i = 0; i < narrowCount;) {
      int j = i;
      while (j + 1 < narrowCount && narrow[j + 1] == narrow[j] + 1) ++j;
      if (i > 0) out.AddString(kTextListSeparator);
      out.AddNumber(narrow[i]);
      if (j > i) {
        out.AddString(kTextRange);
        out.AddNumber(narrow[j]);
      }
      i = j + 1;
    }
    out.AddString(kTextSpace);
    out.AddString(narrowCount == 1 ? kTextIsNarrow : kTextAreNarrow);
  }
  out.AddString(kTextSpace);
  switch (r) {
    case 200: out.AddString(kTextAdvice200); out.AddString(kTextSpace); out.AddString(kTextDarker); break;
    case 300: out.AddString(kTextAdvice300); out.AddString(kTextSpace); out.AddString(kTextDarker); break;
    case 400: out.AddString(kTextAdvice400); out.AddString(kTextSpace); out.AddString(kTextDarker); break;
    default:
      out.AddString(kTextAdviceAtLeast);
      out.AddString(kTextSpace);
      out.AddNumber(r);
      out.AddString(kTextSpace);
      out.AddString(kTextDpiDarker);
  }
  return 0;
}

void GroupStaves(const uint8_t* image, uint32_t strideWords, uint32_t width, uint32_t height, int resolution,
                 StaveRow* rows, int count, uint32_t* curvesValid) {
  if (count <= 0) return;
  const size_t strideBytes = size_t(strideWords) * 4;
  const int reach = resolution / 16;
  int16_t group = 0;
  rows[0].group = 0;
  int first = 0;
  int minLeft = rows[0].left;
  for (int i = 1; i < count; ++i) {
    const int gap = rows[i].top - rows[i - 1].bottom;
    bool joins = false;
    if (gap >= 1 && image && width > 0 && strideBytes > 0) {
      // Whole bytes from the group's left end less a margin to the stave's
      // left end plus the margin, inside the image.
      const int from = std::max(0, (minLeft - reach) / 8 * 8);
      const int to = std::min<int>(int(std::min<size_t>(width, strideBytes * 8)) - 1, rows[i].left + reach);
      int black = 0;
      if (to >= from)
        for (int y = rows[i - 1].bottom + 1; y <= rows[i].top; ++y)
          if (y >= 0 && uint32_t(y) < height && RowHasInk(image, strideBytes, uint32_t(y), uint32_t(from / 8),
                                                         uint32_t(to / 8)))
            ++black;
      joins = black * 100 / gap >= 90;
    }
    if (!joins) {
      ++group;
      first = i;
      minLeft = rows[i].left;
    } else {
      minLeft = std::min<int>(minLeft, rows[i].left);
      for (int j = first; j <= i; ++j)
        if (rows[j].left > minLeft + reach) {
          rows[j].left = static_cast<int16_t>(minLeft);
          if (curvesValid) curvesValid[j] = 0;
        }
    }
    rows[i].group = group;
  }
  // Numbers within each group from 0.
  int16_t number = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && rows[i].group != rows[i - 1].group) number = 0;
    rows[i].number = number++;
  }
}

uint32_t StartPageReading(const uint8_t* image, uint32_t strideWords, PageData* page, const int32_t* pageRow, bool forReading,
                          const LocatingHooks* hooks, StaveRow* rows, int* count) {
  *count = 0;
  const uint32_t width = page->width, height = page->height;
  const size_t strideBytes = size_t(strideWords) * 4;
  ProgressCallback progress = forReading ? OnReadingProgress : (hooks ? hooks->progress : nullptr);
  if (forReading) {
    Reading().progressValue = 0;
    Reading().progressScale = 100;
    OnReadingProgress(0);
  } else if (hooks && hooks->begin) {
    hooks->begin();
  }
  auto finish = [&] {
    if (!forReading && hooks && hooks->end) hooks->end();
  };
  // A blank page has nothing to find.
  bool ink = false;
  const uint32_t usedBytes = std::min<uint32_t>((width + 7) / 8, uint32_t(strideBytes));
  for (uint32_t y = 0; y < height && !ink && image; ++y) ink = RowHasInk(image, strideBytes, y, 0, usedBytes ? usedBytes - 1 : 0);
  if (!ink || usedBytes == 0) {
    finish();
    return 0;
  }

  int found = 0;
  uint32_t completed = 0;
  {
    EngineRunLock lock;
    if (StartEngine() != 0) {
      CloseEngine();
      QueueReadingNotice(NoticeKind::kErrorText, kTextEngineStartFailed);
      finish();
      return 0;
    }
    const int stretch = (page->resolution > 0 && forReading && Reading().handwrittenPage) ? page->resolution / 50 : 0;
    if (!LoadPageImage(reinterpret_cast<const uint32_t*>(image), int(width), int(height), stretch) &&
        RunStaffStage(1, progress, PollUserAbort) == kStageCompleted) {
      completed = 1;
      try {
        const int32_t staffs = GetStaffCount();
        int16_t g = 0;
        for (int32_t i = 0; i < staffs && found < kMaxPageStaves; ++i) {
          StaveRow row;
          const int32_t lines = std::clamp<int32_t>(GetStaffLineCount(i), 1, kMaxStaveLines);
          row.lineCount = int16_t(lines);
          row.kind = int16_t((lines == 4 || lines == 6) ? 1 : lines < 4 ? 2 : 0);
          row.group = int16_t(GetStaffSystem(i));
          if (found > 0 && row.group != rows[found - 1].group) g = 0;
          row.number = g++;
          const int32_t left = GetStaffLeftX(i), right = GetStaffRightX(i);
          const bool joined = i + 1 < staffs && GetStaffLineCount(i + 1) == lines &&
                              StaffTopLineY(i + 1, GetStaffLeftX(i + 1)) <= StaffLineY(i, lines / 2, 0);
          const int s = found;
          if (joined) {
            const int32_t left2 = GetStaffLeftX(i + 1), right2 = GetStaffRightX(i + 1);
            row.left = int16_t(std::min(left, left2));
            row.right = int16_t(std::max(right, right2));
            row.top = int16_t(std::min(StaffTopLineY(i, left), StaffTopLineY(i + 1, left2)));
            row.bottom = int16_t(std::max(StaffBottomLineY(i, left), StaffBottomLineY(i + 1, left2)));
            row.lineThickness = int16_t(RoundQ10((GetStaffLineThickness(i + 1) + GetStaffLineThicknessSpread(i + 1) +
                                                  GetStaffLineThickness(i) + GetStaffLineThicknessSpread(i)) / 2));
            row.joinLeftEnd = int16_t(std::min(right, right2));
            row.joinRightStart = int16_t(std::max(left, left2));
            for (int k = 0; k < lines; ++k)
              for (int c = 0; c < kStaveColumns; ++c) {
                const int32_t x = row.left + int32_t(c * (row.right - row.left) * 0.0009765625 + 0.5);
                int32_t y;
                if (x >= left && x < right)
                  y = StaffLineY(i, k, x);
                else if (x >= left2 && x < right2)
                  y = StaffLineY(i + 1, k, x);
                else
                  y = StaffLineY(i, k, right - 1);
                page->lineCurves.y[s][k][c] = int16_t(y - row.top);
              }
            ++i;
          } else {
            row.left = int16_t(left);
            row.right = int16_t(right);
            row.top = int16_t(StaffTopLineY(i, 0));
            row.bottom = int16_t(StaffBottomLineY(i, 0));
            row.lineThickness = int16_t(RoundQ10(GetStaffLineThickness(i) + GetStaffLineThicknessSpread(i)));
            row.joinLeftEnd = row.joinRightStart = int16_t(65535);
            const double column = (row.right - row.left) / double(kStaveColumns);
            for (int k = 0; k < lines; ++k)
              for (int c = 0; c < kStaveColumns; ++c)
                page->lineCurves.y[s][k][c] =
                    int16_t(StaffLineY(i, k, row.left + int32_t(c * column + 0.5)) - row.top);
          }
          row.midX = int16_t((row.left + row.right) / 2);
          row.midTop = row.rightTop = row.top;
          page->curvesValid[s] = 1;
          page->modelCurves[s] = 0;
          rows[found++] = row;
        }
      } catch (const EngineFailure&) {
        completed = 0;
        found = 0;
      }
    }
    FreePageBitmap();
    CloseEngine();
  }
  finish();

  if (completed) GroupStaves(image, strideWords, width, height, page->resolution, rows, found, page->curvesValid);
  if (!completed) found = 0;
  *count = found;

  // The page's problem marks.
  if (pageRow) {
    std::lock_guard<std::mutex> lock(PageTableLock());
    const int32_t row = *pageRow;
    if (row >= 0 && static_cast<uint32_t>(row) < pageTable.pageCount) {
      PageRecord& record = pageTable.rows[row];
      record.flags &= ~(kPageHasProblem | kPageProblemCodeMask);
      bool problem = false;
      if (completed && found == 0) {
        record.flags |= kPageHasProblem;
        problem = true;
      }
      if (!NarrowStaveAdvice(nullptr, 0, rows, found, page->resolution, nullptr)) {
        record.flags |= kPageHasProblem | (kProblemNarrowStaves << kPageProblemCodeShift);
        problem = true;
      }
      if (problem) AddPageProblem(row);
    }
  }
  return completed;
}

int LocateReadingPageStaves(PageData* page, StaveRow* rows, int* count) {
  uint32_t stride = 0;
  uint8_t* image = CurrentReadingSteps().pageImage(page, &stride);
  if (!image) {
    *count = 0;
    return 0;
  }
  return static_cast<int>(StartPageReading(image, stride, page, &Reading().pageIndex, true, nullptr, rows, count));
}
