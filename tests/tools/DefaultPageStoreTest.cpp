// The shipped default page store is an empty store: an index with no rows.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/FileLayer.h"
#include "tests/support/TestPaths.h"

TEST(DefaultPageStore, IndexIsVersionThreeWithNoPages) {
  std::u16string path = BuildPath("bin/Resources/Default MusicPages/!Index");
  std::FILE* f = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  uint32_t marker = 0, count = 1, mark = 1;
  ASSERT_TRUE(ReadU32LE(f, &marker));
  int version = FileReadByte(f);
  ASSERT_TRUE(ReadU32LE(f, &count));
  ASSERT_TRUE(ReadU32LE(f, &mark));
  EXPECT_EQ(FileReadByte(f), EOF);  // nothing follows
  FileClose(f);
  EXPECT_EQ(marker, 0x0FFFFFFEu);
  EXPECT_EQ(version, 3);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(mark, 0u);
}
