#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Code/Quorm/Engpaths.h"
#include "platform/Platform.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace {

EnginePath PathOf(const std::string& text) {
  EnginePath path;
  EXPECT_TRUE(MakeEnginePath(text.c_str(), &path));
  return path;
}

// Restores the engine folder that the test changed.
class EngineFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = EngineFolder(); }
  void TearDown() override { SetEngineFolder(saved.text); }
  EnginePath saved;
};

TEST(EnginePaths, JoinAddsOneBackslash) {
  EXPECT_STREQ(JoinEnginePath(PathOf("C:\\Prog\\Resources\\Quorm"), "Learned").text,
               "C:\\Prog\\Resources\\Quorm\\Learned");
  EXPECT_STREQ(JoinEnginePath(PathOf(""), "Learned").text, "\\Learned");
  EXPECT_STREQ(JoinEnginePath(PathOf("a"), nullptr).text, "");
}

TEST(EnginePaths, AJoinThatWouldReach264BytesIsEmpty) {
  struct Case {
    size_t base, component;
    bool empty;
  };
  const Case cases[] = {{260, 2, true}, {259, 2, false}, {261, 1, true}, {0, 262, true}, {0, 261, false}, {263, 0, true}};
  for (const Case& c : cases) {
    EnginePath joined = JoinEnginePath(PathOf(std::string(c.base, 'b')), std::string(c.component, 'c').c_str());
    if (c.empty) {
      EXPECT_STREQ(joined.text, "") << c.base << "+" << c.component;
    } else {
      EXPECT_EQ(std::string(joined.text).size(), c.base + c.component + 1);
    }
  }
}

TEST(EnginePaths, MakeRefusesMissingAndOverlongTexts) {
  EnginePath path;
  EXPECT_FALSE(MakeEnginePath(nullptr, &path));
  EXPECT_FALSE(MakeEnginePath(std::string(264, 'x').c_str(), &path));
  EXPECT_STREQ(path.text, "");
  EXPECT_TRUE(MakeEnginePath(std::string(263, 'x').c_str(), &path));
  EXPECT_EQ(std::string(path.text).size(), 263u);
}

TEST_F(EngineFolderTest, DataFilePathsWithTheDefaultOptions) {
  SetEngineFolder("C:\\Prog\\Resources\\Quorm");
  EXPECT_STREQ(GetFssRefPath(1), "C:\\Prog\\Resources\\Quorm\\Learned\\fssOLD");
  EXPECT_STREQ(GetFssRefPath(0), "C:\\Prog\\Resources\\Quorm\\Learned\\fssSTD");
  EXPECT_STREQ(GetNheadRefPath(1), "C:\\Prog\\Resources\\Quorm\\Learned\\nhOLD");
  EXPECT_STREQ(GetNheadRefPath(0), "C:\\Prog\\Resources\\Quorm\\Learned\\nhSTD");
  EXPECT_STREQ(GetTextRefPath(), "C:\\Prog\\Resources\\Quorm\\Learned\\Text");
  EXPECT_STREQ(GetLangDataPath("English"), "C:\\Prog\\Resources\\Quorm\\Langs\\English\\langdata.txt");
  EXPECT_STREQ(GetSylngramPath("English"), "C:\\Prog\\Resources\\Quorm\\Langs\\English\\sylngram.bin");
  EXPECT_STREQ(GetUserDictPath(), "C:\\Prog\\Resources\\Quorm\\User\\dict.txt");
}

TEST_F(EngineFolderTest, AnOverlongFolderNamesNoFileAnywhere) {
  SetEngineFolder(std::string(255, 'f').c_str());
  EXPECT_STREQ(GetFssRefPath(1), "");  // never "\Learned\fssOLD" at a drive's root
  EXPECT_STREQ(GetLangDataPath("English"), "");
  EXPECT_EQ(OpenEngineFile(GetFssRefPath(1), "rb"), nullptr);
  SetEngineFolder(std::string(264, 'f').c_str());
  EXPECT_STREQ(EngineFolder().text, "");
}

TEST(EnginePaths, ReadInt32LittleEndian) {
  ScratchFolder folder;
  std::u16string file = folder.File(u"ints");
  std::FILE* out = platform::OpenStream(file.c_str(), "wb");
  const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, 0x7F};
  std::fwrite(bytes, 1, sizeof bytes, out);
  std::fclose(out);
  std::string ansi = U8(file);
  std::FILE* in = OpenEngineFile(ansi.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(EngineFileSize(in), 9);
  EXPECT_EQ(ReadInt32LE(in), 67305985);
  EXPECT_EQ(ReadInt32LE(in), -2);
  EXPECT_EQ(ReadInt32LE(in), 0x7F);  // bytes past the end read as 0
  EXPECT_TRUE(std::feof(in));
  std::fclose(in);
  EXPECT_EQ(OpenEngineFile("", "rb"), nullptr);
  EXPECT_EQ(OpenEngineFile(nullptr, "rb"), nullptr);
}

}  // namespace
