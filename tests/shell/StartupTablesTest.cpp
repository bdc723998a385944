#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/Folders.h"
#include "shell/StartupTables.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"

namespace {

TEST(StartupTables, FractionTablesHoldScaledProducts) {
  std::vector<uint8_t> block(kFractionBlockBytes, 0xEE);
  FillFractionTables(block.data());
  const uint8_t* a = block.data();
  const uint8_t* b = a + 256 * 64;
  struct Case { unsigned i, j, a, b; };  // b only where j < 32
  for (Case c : {Case{0, 0, 0, 0}, Case{255, 63, 251, 0}, Case{64, 1, 1, 2}, Case{63, 1, 0, 1}, Case{100, 31, 48, 96},
                 Case{255, 31, 123, 247}, Case{1, 31, 0, 0}}) {
    EXPECT_EQ(a[c.i * 64 + c.j], c.a) << c.i << "," << c.j;
    if (c.j < 32) EXPECT_EQ(b[c.i * 32 + c.j], c.b) << c.i << "," << c.j;
  }
  EXPECT_EQ(a[100 * 64 + 31], 48);
  EXPECT_EQ(b[255 * 32 + 31], 247);
  EXPECT_EQ(b[256 * 32 - 1], 247);  // the block ends with table B's last entry
}

TEST(StartupTables, BitTables) {
  uint8_t count[256], top[256], bottom[256];
  FillBitCountTable(count);
  FillFirstBitFromTopTable(top);
  FillFirstBitFromBottomTable(bottom);
  struct Case { unsigned value, count, top, bottom; };
  for (Case c : {Case{0x00, 0, 8, 0}, Case{0x01, 1, 7, 8}, Case{0x80, 1, 0, 1}, Case{0xFF, 8, 0, 8},
                 Case{0x10, 1, 3, 4}, Case{0x06, 2, 5, 7}, Case{0x41, 2, 1, 8}, Case{0xA0, 2, 0, 3}}) {
    EXPECT_EQ(count[c.value], c.count) << c.value;
    EXPECT_EQ(top[c.value], c.top) << c.value;
    EXPECT_EQ(bottom[c.value], c.bottom) << c.value;
  }
}

class OtableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ResourceFolder();
    SetResourceFolder(scratch_.Path().c_str());
    std::u16string resources = scratch_.File(u"Resources");
    ASSERT_TRUE(platform::MakeDirectory(resources.c_str()));
    ASSERT_TRUE(AllocateStartupTables());
  }
  void TearDown() override {
    FreeStartupTables();
    SetResourceFolder(saved_.c_str());
  }
  void WriteOtable(size_t size, uint8_t fill) {
    char16_t path[300];
    ASSERT_TRUE(MakeResourcesSubPath(path, kOtableFileName));
    WriteTestFile(path, std::vector<uint8_t>(size, fill));
  }
  const uint8_t* Otable() { return static_cast<const uint8_t*>(Tables().otable); }

  ScratchFolder scratch_;
  std::u16string saved_;
};

TEST_F(OtableTest, AllocatedTablesAreFilled) {
  ASSERT_NE(FractionTableA(), nullptr);
  EXPECT_EQ(FractionTableA()[200 * 64 + 50], 200 * 50 / 64);
  EXPECT_EQ(FractionTableB()[200 * 32 + 30], 200 * 30 / 32);
  EXPECT_EQ(Tables().bitCount[0x77], 6);
}

TEST_F(OtableTest, ReadsTheWholeFile) {
  WriteOtable(kOtableBytes, 0x5A);
  EXPECT_TRUE(ReadOtable());
  EXPECT_EQ(Otable()[0], 0x5A);
  EXPECT_EQ(Otable()[kOtableBytes - 1], 0x5A);
}

TEST_F(OtableTest, MissingOrOversizedFileIsRefused) {
  EXPECT_FALSE(ReadOtable());
  WriteOtable(kOtableBytes + 1, 0x11);
  EXPECT_FALSE(ReadOtable());
}

}  // namespace
