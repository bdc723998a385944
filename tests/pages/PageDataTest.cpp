// The page data file: the version written, versions 0 to 6 read, hostile
// files refused without touching the page, and the store's save and load.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "tests/pages/PageStoreFixture.h"
#include "tests/support/BoxRecorder.h"

namespace {

StaveRecord Stave(int16_t left, int16_t top, int16_t lineCount) {
  StaveRecord r;
  r.left = left;
  r.top = top;
  r.right = static_cast<int16_t>(left + 1500);
  r.bottom = static_cast<int16_t>(top + 40);
  r.slope = 12;
  r.group = 1;
  r.lineCount = lineCount;
  r.lineThickness = 3;
  r.midX = static_cast<int16_t>(left + 750);
  r.midTop = static_cast<int16_t>(top + 1);
  r.rightTop = static_cast<int16_t>(top + 2);
  r.kind = 2;
  r.spacingOverride = 9.5;
  r.joinLeftEnd = 700;
  r.joinRightStart = 720;
  return r;
}

// Field by field, as an older program wrote it.
struct OldStave {
  StaveRecord r;
  uint32_t curvesValid = 0;
  uint32_t modelCurves = 0;
  int16_t curveBase = 0;  // curve value of line k, column c: base + k * 8 + c % 5
};

FileBytes OldFile(uint32_t version, const std::vector<OldStave>& staves, const std::vector<std::array<int, 4>>& boxes,
                  uint32_t key, const std::vector<int32_t>& values, uint32_t offsetX, uint32_t offsetY) {
  FileBytes f;
  PutLE(&f, staves.size() | version << 8, 4);
  for (const OldStave& s : staves) {
    for (int v : {s.r.left, s.r.right, s.r.top, s.r.bottom, s.r.slope, s.r.group, s.r.lineCount, s.r.lineThickness,
                  s.r.midX, s.r.midTop, s.r.rightTop})
      PutLE(&f, static_cast<uint32_t>(v), 4);
    if (version >= 1) PutLE(&f, static_cast<uint32_t>(s.r.kind), 4);
    if (version >= 3) {
      uint64_t bits;
      std::memcpy(&bits, &s.r.spacingOverride, 8);
      PutLE(&f, bits, 8);
    }
    if (version >= 4) {
      PutLE(&f, s.curvesValid, 4);
      if (s.curvesValid) {
        PutLE(&f, s.modelCurves, 4);
        const int columns = version == 4 ? 256 : 1024;
        for (int k = 0; k < s.r.lineCount; ++k)
          for (int c = 0; c < columns; ++c) {
            const uint16_t y = static_cast<uint16_t>(s.curveBase + k * 8 + c % 5);
            f.push_back(static_cast<uint8_t>(y >> 8));
            f.push_back(static_cast<uint8_t>(y));
          }
      }
    }
    if (version >= 6) {
      PutLE(&f, static_cast<uint32_t>(s.r.joinLeftEnd), 4);
      PutLE(&f, static_cast<uint32_t>(s.r.joinRightStart), 4);
    }
  }
  PutLE(&f, boxes.size(), 4);
  for (const auto& b : boxes)
    for (int v : b) PutLE(&f, static_cast<uint32_t>(v), 4);
  PutLE(&f, key, 4);
  if (version >= 2) {
    for (int32_t v : values) PutLE(&f, static_cast<uint32_t>(v), 4);
    PutLE(&f, 2480, 4);
    PutLE(&f, 3508, 4);
    PutLE(&f, offsetX, 4);
    PutLE(&f, offsetY, 4);
  }
  return f;
}

class PageDataTest : public PageStoreTest {
 protected:
  void SetUp() override {
    PageStoreTest::SetUp();
    path_ = StorePath(u"data");
    *page_ = PageData();
  }
  PageDataRead Read(uint32_t* key = nullptr) { return ReadPageDataFile(path_.c_str(), page_.get(), key); }

  std::unique_ptr<PageData> page_ = std::make_unique<PageData>();
  std::u16string path_;
};

TEST_F(PageDataTest, VersionSixRoundTrips) {
  auto out = std::make_unique<PageData>();
  out->staves[0] = Stave(100, 200, 5);
  out->staves[1] = Stave(100, 400, 6);
  out->curvesValid[0] = 1;
  out->modelCurves[0] = 1;
  for (int k = 0; k < 5; ++k)
    for (int c = 0; c < kStaveColumns; ++c) out->lineCurves.y[0][k][c] = static_cast<int16_t>(k * 10 - c % 7);
  out->boxCount = 2;
  out->boxes[0][0] = -5;
  out->boxes[1][3] = 999;
  out->boxValues[0] = 0.4567f;
  out->boxValues[1] = -1.5f;
  out->scaledWidth = 10;
  out->scaledHeight = 20;
  out->offsetX = 0;
  out->offsetY = 0;
  PageDataFileFields fields;
  fields.pageKey = 0xCAFE;
  ASSERT_TRUE(WritePageDataFile(path_.c_str(), *out, out->staves, 2, fields));
  EXPECT_EQ(ReadAll(path_)[0], 2);
  EXPECT_EQ(ReadAll(path_)[1], 6);

  uint32_t key = 0;
  ASSERT_EQ(Read(&key), PageDataRead::kRead);
  EXPECT_EQ(key, 0xCAFEu);
  ASSERT_EQ(page_->staveCount, 2u);
  const StaveRecord& r = page_->staves[1];
  const StaveRecord e = Stave(100, 400, 6);
  EXPECT_EQ(r.left, e.left);
  EXPECT_EQ(r.right, e.right);
  EXPECT_EQ(r.top, e.top);
  EXPECT_EQ(r.bottom, e.bottom);
  EXPECT_EQ(r.slope, e.slope);
  EXPECT_EQ(r.lineCount, 6);
  EXPECT_EQ(r.midTop, e.midTop);
  EXPECT_EQ(r.rightTop, e.rightTop);
  EXPECT_EQ(r.kind, 2);
  EXPECT_EQ(r.spacingOverride, 9.5);
  EXPECT_EQ(r.joinLeftEnd, 700);
  EXPECT_EQ(r.joinRightStart, 720);
  EXPECT_EQ(page_->curvesValid[0], 1u);
  EXPECT_EQ(page_->modelCurves[0], 1u);
  EXPECT_EQ(page_->curvesValid[1], 0u);
  EXPECT_EQ(page_->lineCurves.y[0][4][1023], 40 - 1023 % 7);
  EXPECT_EQ(page_->lineCurves.y[0][1][6], 10 - 6);
  ASSERT_EQ(page_->boxCount, 2);
  EXPECT_EQ(page_->boxes[0][0], -5);
  EXPECT_EQ(page_->boxes[1][3], 999);
  EXPECT_FLOAT_EQ(page_->boxValues[0], 0.456f);  // kept in thousandths
  EXPECT_FLOAT_EQ(page_->boxValues[1], -1.5f);
  EXPECT_EQ(page_->scaledWidth, 10u);
  EXPECT_EQ(page_->scaledHeight, 20u);
}

TEST_F(PageDataTest, EveryOlderVersionReadsWithItsDefaults) {
  for (uint32_t version = 0; version <= 6; ++version) {
    SCOPED_TRACE(version);
    OldStave s;
    s.r = Stave(100, 200, 5);
    s.curvesValid = 1;
    s.modelCurves = 1;
    s.curveBase = 50;
    WriteTestFile(path_, OldFile(version, {s}, {{1, 2, 3, 4}}, 77, {1500}, 10, 20));
    *page_ = PageData();
    page_->lineCurves.y[0][0][300] = -9;  // not in a version-4 curve
    uint32_t key = 0;
    ASSERT_EQ(Read(&key), PageDataRead::kRead);
    EXPECT_EQ(key, 77u);
    const StaveRecord& r = page_->staves[0];
    ASSERT_EQ(page_->staveCount, 1u);
    EXPECT_EQ(r.kind, version >= 1 ? 2 : 0);
    EXPECT_EQ(r.spacingOverride, version >= 3 ? 9.5 : 0.0);
    EXPECT_EQ(page_->curvesValid[0], version >= 4 ? 1u : 0u);
    EXPECT_EQ(r.joinLeftEnd, version >= 6 ? 700 : -1);
    EXPECT_EQ(r.joinRightStart, version >= 6 ? 720 : -1);
    // Offsets shift the staves from version 2 on.
    EXPECT_EQ(r.left, version >= 2 ? 110 : 100);
    EXPECT_EQ(r.top, version >= 2 ? 220 : 200);
    EXPECT_EQ(r.midX, version >= 2 ? 860 : 850);
    EXPECT_EQ(r.rightTop, version >= 2 ? 222 : 202);
    EXPECT_EQ(page_->boxCount, 1);
    EXPECT_FLOAT_EQ(page_->boxValues[0], version >= 2 ? 1.5f : 0.0f);
    if (version >= 4) {
      EXPECT_EQ(page_->lineCurves.y[0][4][255], 50 + 32 + 255 % 5);
      EXPECT_EQ(page_->lineCurves.y[0][0][300], version == 4 ? -9 : 50 + 0);
    }
  }
}

TEST_F(PageDataTest, FourteenStavesLoadThirteenAndTheRestStaysAligned) {
  std::vector<OldStave> staves(14);
  for (int i = 0; i < 14; ++i) {
    staves[i].r = Stave(10, static_cast<int16_t>(100 * i), 5);
    staves[i].curvesValid = 1;
  }
  staves[13].r.lineCount = 6;  // the skipped block holds six curves
  WriteTestFile(path_, OldFile(6, staves, {{5, 6, 7, 8}}, 4242, {3000}, 0, 0));
  uint32_t key = 0;
  ASSERT_EQ(Read(&key), PageDataRead::kRead);
  EXPECT_EQ(page_->staveCount, 13u);
  EXPECT_EQ(page_->staves[12].top, 1200);
  EXPECT_EQ(key, 4242u);
  EXPECT_EQ(page_->boxes[0][3], 8);
  EXPECT_FLOAT_EQ(page_->boxValues[0], 3.0f);
}

TEST_F(PageDataTest, BoxesPastTheCapAreReadPast) {
  std::vector<std::array<int, 4>> boxes(kMaxLoadedBoxes + 3, {1, 1, 1, 1});
  boxes.back() = {9, 9, 9, 9};
  std::vector<int32_t> values(boxes.size(), 250);
  WriteTestFile(path_, OldFile(6, {}, boxes, 31337, values, 1, 2));
  uint32_t key = 0;
  ASSERT_EQ(Read(&key), PageDataRead::kRead);
  EXPECT_EQ(page_->boxCount, kMaxLoadedBoxes);
  EXPECT_EQ(key, 31337u);
  EXPECT_EQ(page_->offsetX, 1u);
  EXPECT_EQ(page_->offsetY, 2u);
  EXPECT_FLOAT_EQ(page_->boxValues[kMaxLoadedBoxes - 1], 0.25f);
}

TEST_F(PageDataTest, HostileFilesAreRefusedAndLeaveThePageAlone) {
  OldStave good;
  good.r = Stave(100, 200, 5);
  good.curvesValid = 1;
  const FileBytes whole = OldFile(6, {good}, {{1, 2, 3, 4}}, 1, {0}, 0, 0);
  struct Case {
    std::string what;
    FileBytes file;
  };
  std::vector<Case> cases;
  for (size_t n : {size_t(0), size_t(3), size_t(30), size_t(100), whole.size() / 2, whole.size() - 1})
    cases.push_back({"cut at " + std::to_string(n), FileBytes(whole.begin(), whole.begin() + n)});
  {
    // A damaged stave whose curves would run past the end of the file.
    OldStave bad = good;
    bad.r.lineCount = 30000;
    bad.curvesValid = 0;
    cases.push_back({"a damaged stave's curves past the end", OldFile(6, {good, bad}, {}, 1, {}, 0, 0)});
    FileBytes& f = cases.back().file;
    // Claim curves for the bad stave: its curve flag (after 12 words and the
    // spacing) becomes 1, so 30000 lines of curves are due.
    const size_t badBlock = 4 + (12 * 4 + 8 + 4 + 4 + 5 * 1024 * 2 + 8);
    f[badBlock + 12 * 4 + 8] = 1;
  }
  cases.push_back({"version 7", OldFile(7, {}, {}, 1, {}, 0, 0)});
  FileBytes hugeBoxes;
  PutLE(&hugeBoxes, 6 << 8, 4);
  PutLE(&hugeBoxes, 0xFFFFFFFF, 4);
  cases.push_back({"a box count past the file", hugeBoxes});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteTestFile(path_, c.file);
    *page_ = PageData();
    page_->staveCount = 3;
    page_->boxCount = 9;
    EXPECT_EQ(Read(), PageDataRead::kDamaged);
    EXPECT_EQ(page_->staveCount, 3u);
    EXPECT_EQ(page_->boxCount, 9);
  }
}

// A stave with an impossible line count costs only itself: the staves
// around it, their curves, the boxes and the key are all loaded, and the
// damage is reported.
TEST_F(PageDataTest, AStaveWithAnImpossibleLineCountIsLeftOutAndTheRestLoads) {
  struct Case {
    int lines;
    uint32_t curvesValid;  // the bad block claims curves (one per line it names)
  } const cases[] = {{0, 0}, {7, 0}, {-1, 0}, {30000, 0}, {7, 1}, {0, 1}, {-3, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lines << " lines, curves " << c.curvesValid);
    std::vector<OldStave> staves(3);
    for (int i = 0; i < 3; ++i) {
      staves[i].r = Stave(10, static_cast<int16_t>(100 * (i + 1)), 5);
      staves[i].curvesValid = 1;
      staves[i].curveBase = static_cast<int16_t>(10 * i);
    }
    staves[1].r.lineCount = static_cast<int16_t>(c.lines);
    staves[1].curvesValid = c.curvesValid;
    WriteTestFile(path_, OldFile(6, staves, {{5, 6, 7, 8}}, 77, {1500}, 0, 0));
    *page_ = PageData();
    BoxRecorder boxes;
    uint32_t key = 0;
    ASSERT_EQ(Read(&key), PageDataRead::kRead);
    ASSERT_EQ(page_->staveCount, 2u);
    EXPECT_EQ(page_->staves[0].top, 100);
    EXPECT_EQ(page_->staves[1].top, 300);
    EXPECT_EQ(page_->curvesValid[1], 1u);
    EXPECT_EQ(page_->lineCurves.y[1][4][1023], 20 + 4 * 8 + 1023 % 5);
    EXPECT_EQ(page_->boxCount, 1);
    EXPECT_EQ(page_->boxes[0][2], 7);
    EXPECT_FLOAT_EQ(page_->boxValues[0], 1.5f);
    EXPECT_EQ(key, 77u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(path_), std::u16string::npos);
  }
}

TEST_F(PageDataTest, BoxValuesOutsideTheFieldAreHeldAtItsEnds) {
  auto out = std::make_unique<PageData>();
  out->boxCount = 3;
  out->boxValues[0] = 1e12f;
  out->boxValues[1] = -1e12f;
  out->boxValues[2] = std::numeric_limits<float>::quiet_NaN();
  ASSERT_TRUE(WritePageDataFile(path_.c_str(), *out, out->staves, 0, {}));
  ASSERT_EQ(Read(), PageDataRead::kRead);
  EXPECT_FLOAT_EQ(page_->boxValues[0], 2147483.647f);
  EXPECT_FLOAT_EQ(page_->boxValues[1], -2147483.648f);
  EXPECT_EQ(page_->boxValues[2], 0.0f);
}

// A loaded value is n / 1000 held in a float, often a hair below n / 1000:
// saved again it must give n, not n - 1 (a page saved after each edit would
// lose a thousandth each time); values between thousandths still truncate.
TEST_F(PageDataTest, BoxValuesKeepTheirThousandthsThroughLoadAndSave) {
  const int32_t stored[] = {1, 3, 7, 29, 456, 999, 1001, -3, -999, 123456, 2000000, 0};
  const std::vector<std::array<int, 4>> boxes(std::size(stored), std::array<int, 4>{1, 2, 3, 4});
  WriteTestFile(path_, OldFile(6, {}, boxes, 9, std::vector<int32_t>(std::begin(stored), std::end(stored)), 0, 0));
  ASSERT_EQ(Read(), PageDataRead::kRead);
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(WritePageDataFile(path_.c_str(), *page_, page_->staves, 0, {}));
    *page_ = PageData();
    ASSERT_EQ(Read(), PageDataRead::kRead);
    for (size_t i = 0; i < std::size(stored); ++i)
      EXPECT_EQ(page_->boxValues[i], static_cast<float>(stored[i] / 1000.0)) << stored[i] << " round " << round;
  }
  const struct {
    float value;
    int32_t thousandths;
  } between[] = {{0.4567f, 456}, {-0.4567f, -456}, {1.9999f, 1999}, {0.0005f, 0}};
  for (const auto& c : between) {
    auto out = std::make_unique<PageData>();
    out->boxCount = 1;
    out->boxValues[0] = c.value;
    ASSERT_TRUE(WritePageDataFile(path_.c_str(), *out, out->staves, 0, {}));
    ASSERT_EQ(Read(), PageDataRead::kRead);
    EXPECT_EQ(page_->boxValues[0], static_cast<float>(c.thousandths / 1000.0)) << c.value;
  }
}

TEST_F(PageDataTest, CurvesOfAStaveWithoutUsableLinesAreNotWritten) {
  auto out = std::make_unique<PageData>();
  out->staves[0] = Stave(0, 0, 9);
  out->curvesValid[0] = 1;
  out->boxCount = 1;
  ASSERT_TRUE(WritePageDataFile(path_.c_str(), *out, out->staves, 1, {}));
  // Head, one stave block without curves, one box, key, value, sizes.
  EXPECT_EQ(ReadAll(path_).size(), 4u + (12 * 4 + 8 + 4 + 8) + 4 + 16 + 4 + 4 + 16);
}

TEST_F(PageDataTest, TheStoreSavesAndLoadsTheWorkingCopyFirst) {
  BoxRecorder boxes;
  pageTable.rows[0].scanId = 40;
  pageTable.pageCount = 1;
  auto page = std::make_unique<PageData>();
  page->staveCount = 0;
  EXPECT_FALSE(SavePageData(0, false, *page, 1));  // no boxes: no file
  char16_t saved[kPagePathUnits];
  ASSERT_TRUE(PageFilePath(PageFile::kData, 40, false, saved));
  EXPECT_FALSE(FileExists(saved));

  page->boxCount = 1;
  page->staves[0] = Stave(10, 20, 5);
  page->staveCount = 1;
  ASSERT_TRUE(SavePageData(0, false, *page, 5));
  page->staves[0].top = 99;
  ASSERT_TRUE(SavePageData(0, true, *page, 6));
  uint32_t key = 0;
  LoadPageData(page_.get(), 0, &key);
  EXPECT_EQ(key, 6u);
  EXPECT_EQ(page_->staves[0].top, 99);

  char16_t working[kPagePathUnits];
  ASSERT_TRUE(PageFilePath(PageFile::kWorkingData, 40, false, working));
  FileDelete(working);
  LoadPageData(page_.get(), 0, &key);
  EXPECT_EQ(key, 5u);
  EXPECT_EQ(page_->staves[0].top, 20);

  pageTable.rows[0].pageKey = 8;
  ASSERT_TRUE(SavePageData(0, false, *page));
  LoadPageData(page_.get(), 0, &key);
  EXPECT_EQ(key, 8u);

  FileDelete(saved);
  LoadPageData(page_.get(), 0);
  EXPECT_EQ(page_->staveCount, 0u);
  EXPECT_TRUE(boxes.Boxes().empty());
}

// A page new to the store has staves (given by the user) before it has any
// boxes: they are written alone and come back on loading.
TEST_F(PageDataTest, StavesOfAPageWithoutBoxesAreWrittenAlone) {
  BoxRecorder boxes;
  pageTable.rows[0].scanId = 41;
  pageTable.rows[0].pageKey = 12;
  pageTable.pageCount = 1;
  auto page = std::make_unique<PageData>();
  page->boxCount = 3;  // boxes left from another page are not this page's
  page->scaledWidth = 999;
  page->staves[0] = Stave(10, 20, 5);
  page->staves[1] = Stave(10, 120, 6);
  page->staveCount = 2;
  page->curvesValid[1] = 1;
  page->modelCurves[1] = 0;
  for (int k = 0; k < 6; ++k)
    for (int c = 0; c < kStaveColumns; ++c) page->lineCurves.y[1][k][c] = static_cast<int16_t>(8 * k);
  EXPECT_FALSE(SavePageStaves(1, false, *page));  // no such row
  ASSERT_TRUE(SavePageStaves(0, false, *page));
  uint32_t key = 0;
  LoadPageData(page_.get(), 0, &key);
  EXPECT_EQ(key, 12u);
  ASSERT_EQ(page_->staveCount, 2u);
  EXPECT_EQ(page_->staves[1].top, 120);
  EXPECT_EQ(page_->staves[1].lineCount, 6);
  EXPECT_EQ(page_->curvesValid[0], 0u);
  EXPECT_EQ(page_->curvesValid[1], 1u);
  EXPECT_EQ(page_->lineCurves.y[1][5][700], 40);
  EXPECT_EQ(page_->boxCount, 0);
  EXPECT_EQ(page_->scaledWidth, 0u);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
