#include "shapes/ClassifierStartup.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <set>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/ShellFlags.h"
#include "shapes/FeatureMatch.h"
#include "shapes/NotationMatch.h"
#include "shapes/ShapeTraining.h"
#include "shapes/ShapeRuns.h"
#include "shapes/ZoneFeatureRecordHeader.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

std::vector<uint8_t> Shipped(const char* name) { return ReadBytes(SourcePath(std::string("resources/data/") + name)); }

class ClassifierStartupTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = ResourceFolder();
    ASSERT_EQ(FileMakeDir(scratch_.File(u"Resources").c_str()), nullptr);
    SetResourceFolder(scratch_.Path().c_str());
    Flags().startupAbort = 0;
  }
  void TearDown() override {
    SetResourceFolder(saved_.c_str());
    FreeShapeDatabases();
    Flags().startupAbort = 0;
  }
  void Put(const char16_t* name, const std::vector<uint8_t>& bytes) {
    char16_t path[1024];
    ASSERT_TRUE(MakeResourcesSubPath(path, name));
    WriteTestFile(path, bytes);
  }
  ScratchFolder scratch_;
  std::u16string saved_;
};

TEST_F(ClassifierStartupTest, TheShippedFilesLoad) {
  Put(kShapeDatabaseName, Shipped("XxXData"));
  Put(kNotationDatabaseName, Shipped("Notation"));
  BoxRecorder boxes;
  BuildShapeDatabaseAtStartup();
  EXPECT_EQ(Flags().startupAbort, 0u);
  for (const RecordedBox& box : boxes.Boxes()) ADD_FAILURE() << U8(box.text);
  ASSERT_NE(Classifier(), nullptr);
  EXPECT_GT(Classifier()->shapes.RecordCount(ZoneGrid::k8x16), 8u);
  EXPECT_GT(Classifier()->notation.groupCount, 0u);
}

TEST_F(ClassifierStartupTest, AMissingOrDamagedFileEndsStartUpWithAMessage) {
  std::vector<uint8_t> cut = Shipped("XxXData");
  cut.resize(cut.size() / 2);
  std::vector<uint8_t> notation = Shipped("Notation");
  ASSERT_GT(notation.size(), 16u);
  notation[4] ^= 0x40;  // the first block's length
  struct Case {
    const char* what;
    std::vector<uint8_t> shapes, notation;
    bool shapesPresent;
  } cases[] = {
      {"no XxXData", {}, Shipped("Notation"), false},
      {"XxXData cut short", cut, Shipped("Notation"), true},
      {"Notation damaged", Shipped("XxXData"), notation, true},
  };
  for (const Case& c : cases) {
    char16_t path[1024];
    ASSERT_TRUE(MakeResourcesSubPath(path, kShapeDatabaseName));
    FileDelete(path);
    if (c.shapesPresent) Put(kShapeDatabaseName, c.shapes);
    Put(kNotationDatabaseName, c.notation);
    Flags().startupAbort = 0;
    BoxRecorder boxes;
    BuildShapeDatabaseAtStartup();
    EXPECT_EQ(Flags().startupAbort, 1u) << c.what;
    EXPECT_EQ(Classifier(), nullptr) << c.what;
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.what;
    EXPECT_NE(boxes.Boxes()[0].text.find(c.shapesPresent ? u"damaged" : u"Cannot open"), std::u16string::npos)
        << c.what;
  }
}

#ifndef _WIN32
// "XxXData" that opens but whose length cannot be taken (a link to a file of
// the process table, which cannot seek to its end): the loader says so,
// naming the file, and start-up ends.
TEST_F(ClassifierStartupTest, AFileThatOpensButCannotBeReadEndsStartUpWithTheLoadersMessage) {
  char16_t path[1024];
  ASSERT_TRUE(MakeResourcesSubPath(path, kShapeDatabaseName));
  std::string link;
  for (const char16_t* c = path; *c; ++c) link.push_back(*c == u'\\' ? '/' : static_cast<char>(*c));
  ASSERT_EQ(symlink("/proc/self/status", link.c_str()), 0);
  Put(kNotationDatabaseName, Shipped("Notation"));
  BoxRecorder boxes;
  BuildShapeDatabaseAtStartup();
  EXPECT_EQ(Flags().startupAbort, 1u);
  EXPECT_EQ(Classifier(), nullptr);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(u"damaged"), std::u16string::npos) << U8(boxes.Boxes()[0].text);
  EXPECT_NE(boxes.Boxes()[0].text.find(path), std::u16string::npos) << U8(boxes.Boxes()[0].text);
}
#endif

// What the stages rely on in the shipped "XxXData" and "Notation".
TEST(ShippedClassifierData, HoldsTheTypesTheStagesLookFor) {
  const std::vector<uint8_t> bytes = Shipped("XxXData");
  ShapeDatabase db;
  ASSERT_TRUE(ParseShapeDatabase(bytes.data(), bytes.size(), &db));
  std::set<int> big, small;
  for (size_t g = 0; g < db.RecordCount(ZoneGrid::k8x16); g += kSampleGroupRecords)
    big.insert(ZoneHeaderType(db.Record(ZoneGrid::k8x16, g)));
  for (size_t g = 0; g < db.RecordCount(ZoneGrid::k8x8); g += kSampleGroupRecords)
    small.insert(ZoneHeaderType(db.Record(ZoneGrid::k8x8, g)));
  // The walk of the big-symbol step starts at the second group; the third
  // is a treble clef.
  EXPECT_EQ(ZoneHeaderType(db.Record(ZoneGrid::k8x16, 0)), 255);
  EXPECT_EQ(ZoneHeaderType(db.Record(ZoneGrid::k8x16, 2 * kSampleGroupRecords)), 2);
  for (int t : {2, 8, 81, 87, 42, 43, 64, 65, 66, 67, 68, 69, 70, 71, 72}) EXPECT_TRUE(big.count(t)) << t;
  for (int t = 32; t <= 41; ++t) EXPECT_TRUE(big.count(t)) << t;
  for (int t : {16, 17, 128, 129, 130}) EXPECT_TRUE(small.count(t)) << t;
  EXPECT_EQ(db.ShapeTypePartTable[2], 3);  // the treble clef in four pieces
  EXPECT_EQ(db.ShapeTypePartTable[68], 1);  // the quaver rest in two
  EXPECT_FALSE(db.LeftContextList.empty());
  // A digit names its own context row.
  for (size_t g = 0; g < db.RecordCount(ZoneGrid::k8x16); g += kSampleGroupRecords) {
    const uint8_t* h = db.Record(ZoneGrid::k8x16, g);
    if (ZoneHeaderType(h) >= 32 && ZoneHeaderType(h) <= 41) {
      EXPECT_EQ(ZoneHeaderContextRow(h), ZoneHeaderType(h));
    }
  }

  const std::vector<uint8_t> notes = Shipped("Notation");
  NotationDatabase notation;
  ASSERT_TRUE(ParseNotationDatabase(notes.data(), notes.size(), &notation));
  std::set<int> headParts;
  for (size_t at = 0; at < notation.groups.size();) {
    NotationGroup g;
    ASSERT_TRUE(ReadNotationGroup(notation.groups.data() + at, notation.groups.size() - at, &g));
    at += g.length;
    EXPECT_EQ(g.typf, 255);
    if (g.type != 1) continue;
    headParts.insert((g.header[1] >> 4) & 3);
    EXPECT_TRUE(g.hasThresholds);
    EXPECT_GT(g.maybe, g.safe);
  }
  EXPECT_EQ(headParts, (std::set<int>{0, 1}));  // heads in spaces and on lines
}

// The shipped templates take the training set's own heads and leave its
// other shapes, in the stage's own grading.
TEST(ShippedClassifierData, SolidHeadTemplatesGradeHeadsAndOtherShapes) {
  const std::vector<uint8_t> notes = Shipped("Notation");
  NotationDatabase notation;
  ASSERT_TRUE(ParseNotationDatabase(notes.data(), notes.size(), &notation));
  const std::u16string saved = DeveloperDataFolder();
  SetDeveloperDataFolder(SourcePath("resources/training/inputs"));
  FolderTrainingInputs inputs;
  std::string text;
  ASSERT_TRUE(inputs.ReadText(u"NotesXxX.txt", &text));
  int heads = 0, headsTaken = 0, others = 0, othersTaken = 0;
  size_t at = 0;
  for (std::string line; at < text.size(); at += line.size() + 1) {
    line = text.substr(at, text.find('\n', at) - at);
    if (line.empty() || line[0] == '>' || line[0] == '-' || line[0] == '|' || line[0] == 'X') continue;
    const std::string name = line.substr(0, line.find(' '));
    SampleBitmap b;
    ASSERT_TRUE(inputs.LoadSample(u"Symb8x8", name, &b)) << name;
    const bool head = name.rfind("SolidHead.", 0) == 0;
    const HeadPlace place = line.find("PART:2") != std::string::npos ? HeadPlace::kLine : HeadPlace::kSpace;
    const int grade = GradeNotationShape(notation, b.bits.data(), b.stride, 0, 0, b.width, b.height, kSolidHeadType,
                                         place);
    (head ? heads : others) += 1;
    (head ? headsTaken : othersTaken) += grade >= 90;
  }
  SetDeveloperDataFolder(saved);
  ASSERT_GT(heads, 0);
  ASSERT_GT(others, 0);
  EXPECT_GE(headsTaken * 10, heads * 9);   // at least 90 per cent of the heads
  EXPECT_LE(othersTaken * 50, others);     // at most 2 per cent of the rest
}

}  // namespace
