#include "shapes/ShapeTraining.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pages/ImageFiles.h"
#include "pages/SpriteArea.h"
#include "platform/FileLayer.h"
#include "shapes/FeatureMatch.h"
#include "shapes/NotationGroups.h"
#include "shapes/RunDescription.h"
#include "shapes/ShapeRuns.h"
#include "shapes/TemplateRefinement.h"
#include "shapes/ZoneFeatureRecordHeader.h"
#include "tests/shapes/ShapeBitmaps.h"
#include "tests/shapes/TrainingInputsFake.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace {

TypeList Types16() {
  TypeList list;
  std::string bad;
  EXPECT_TRUE(ParseTypeList("02 TrebleClef\n08 BassClef\n40 Rest\n<\n", &list, &bad));
  return list;
}

std::vector<uint8_t> HeaderOf(const std::vector<std::string>& fields, bool notation = false, bool* ok = nullptr) {
  const TypeList types = Types16();
  SampleHeader h;
  bool all = true;
  for (const std::string& f : fields) all = ApplySampleKeyword(f.c_str(), types, notation, &h) && all;
  if (ok) *ok = all;
  return std::vector<uint8_t>(h.bytes, h.bytes + 8);
}

TEST(SampleKeywords, EachKeywordSetsItsHeaderBits) {
  struct Case {
    std::string field;
    std::vector<uint8_t> want;
    bool applies;
  } cases[] = {
      {"ndst", {255, 0, 0, 8, 0, 0, 0, 0}, true},  // letter case does not matter
      {"NDST", {255, 0, 0, 8, 0, 0, 0, 0}, true},
      {"PART:1-2", {255, 64, 0, 0, 0, 0, 0, 0}, true},
      {"PART:1-1", {255, 0, 0, 0, 0, 0, 0, 0}, true},
      {"PART:3-4", {255, 0xE0, 0, 0, 0, 0, 0, 0}, true},
      {"PART:5-1", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"PART:0-1", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"YDSP:3-2", {255, 0, 0, 0, 35, 0, 0, 0}, true},
      {"YDSP:3/2", {255, 0, 0, 0, 35, 0, 0, 0}, true},
      {"YPOS:6", {255, 6, 0, 0, 0, 0, 0, 0}, true},
      {"YPOS:16", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"LBNA:1", {255, 0, 1, 0, 0, 0, 0, 0}, true},
      {"RBNA:1", {255, 0, 4, 0, 0, 0, 0, 0}, true},
      {"PCRM:2", {255, 0, 32, 0, 0, 0, 0, 0}, true},
      {"ERBN:2", {255, 0, 0, 128, 0, 0, 0, 0}, true},
      {"DBLW", {255, 0, 0, 0, 0, 1, 0, 0}, true},
      {"OVPR:3", {255, 0, 0, 0, 0, 6, 0, 0}, true},
      {"CONF:5", {255, 0, 0, 0, 0, 80, 0, 0}, true},
      {"BLSM:bassclef", {255, 0, 0, 0, 0, 0, 0, 8}, true},
      {"BRSM:TrebleClef", {255, 0, 0, 0, 0, 0, 0, 2}, true},
      {"BLSM:NoSuchType", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"BRSM:NoSuchType", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"WRED:5", {255, 0, 0, 0, 0, 0, 0x50, 0}, true},
      {"XCOL:1-3", {255, 0, 0, 0, 0, 0, 0x0B, 0}, true},
      {"XCOL:0-8", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"NDST:1", {255, 0, 0, 0, 0, 0, 0, 0}, false},  // wrong number of values
      {"WHAT", {255, 0, 0, 0, 0, 0, 0, 0}, false},
      {"SEMB", {255, 0, 0, 0, 0, 0, 0, 0}, false},    // notation only
  };
  for (const Case& c : cases) {
    bool ok = false;
    EXPECT_EQ(HeaderOf({c.field}, false, &ok), c.want) << c.field;
    EXPECT_EQ(ok, c.applies) << c.field;
  }
  // One context row serves both lists: naming two rows is refused.
  bool ok = true;
  EXPECT_EQ(HeaderOf({"BLSM:BassClef", "BRSM:TrebleClef"}, false, &ok)[7], 8);
  EXPECT_FALSE(ok);
  EXPECT_EQ(HeaderOf({"BLSM:BassClef", "BRSM:bassclef"}, false, &ok)[7], 8);
  EXPECT_TRUE(ok);
  // The match tuning keeps its two halves apart.
  const std::vector<uint8_t> tuned = HeaderOf({"XCOL:1-2", "WRED:3"});
  EXPECT_EQ(ZoneHeaderWeight(tuned.data()), 97);
  EXPECT_TRUE(ZoneHeaderExcludesFirstColumn(tuned.data()));
  EXPECT_EQ(ZoneHeaderExcludedLastColumns(tuned.data()), 2);
}

TEST(SampleKeywords, NotationKeywordsSetTheSampleFields) {
  const TypeList types = Types16();
  SampleHeader h;
  for (const char* f : {"TYPF:3", "BLCK:45", "PART:2-1", "SEMB"}) EXPECT_TRUE(ApplySampleKeyword(f, types, true, &h));
  EXPECT_EQ(h.typf, 3);
  EXPECT_EQ(h.darkness, 45);
  EXPECT_EQ(h.part, 1);
  EXPECT_EQ(h.bytes[1], 16);  // (4 + 2 - 5) x 16
  EXPECT_EQ(h.bytes[5], 128);
  EXPECT_FALSE(ApplySampleKeyword("BLCK:101", types, true, &h));
}

TEST(LineFields, CopiesAreBounded) {
  char field[8];
  EXPECT_EQ(NextLineField("  ab\tcd", 0, field, sizeof field), 4);
  EXPECT_STREQ(field, "ab");
  EXPECT_EQ(NextLineField("  ab\tcd", 4, field, sizeof field), 7);
  EXPECT_STREQ(field, "cd");
  EXPECT_EQ(NextLineField("  ab\tcd", 7, field, sizeof field), -1);
  EXPECT_EQ(NextLineField("abcdefgh", 0, field, sizeof field), -2);  // 8 characters do not fit 8 bytes
  EXPECT_EQ(NextLineField("abcdefg", 0, field, sizeof field), 7);

  char k[5], a[4], b[4];
  EXPECT_EQ(ParseKeywordField("PART:1-2", k, sizeof k, a, sizeof a, b, sizeof b), 2);
  EXPECT_STREQ(k, "PART");
  EXPECT_STREQ(a, "1");
  EXPECT_STREQ(b, "2");
  EXPECT_EQ(ParseKeywordField("NDST", k, sizeof k, a, sizeof a, b, sizeof b), 0);
  EXPECT_EQ(ParseKeywordField("BLSM:x", k, sizeof k, a, sizeof a, b, sizeof b), 1);
  EXPECT_EQ(ParseKeywordField("LONGER:1", k, sizeof k, a, sizeof a, b, sizeof b), -1);
  EXPECT_EQ(ParseKeywordField("BLSM:TrebleClef", k, sizeof k, a, sizeof a, b, sizeof b), -1);
  EXPECT_EQ(ParseKeywordField("PART:1-1234", k, sizeof k, a, sizeof a, b, sizeof b), -1);
}

TEST(TrainingTexts, TypeListsAreCheckedWhole) {
  TypeList list;
  std::string bad;
  ASSERT_TRUE(ParseTypeList("10 Flat\n11 Sharp\r\n\n<end\n", &list, &bad));
  EXPECT_EQ(list.Find("SHARP"), 17);
  EXPECT_EQ(list.Find("natural"), -1);
  std::string many;
  for (int i = 0; i < 257; ++i) many += "01 n" + std::to_string(i) + "\n";
  struct Case {
    std::string text;
    bool badLineSet;
  } cases[] = {
      {"10 Flat\n", false},                                      // no closing line
      {"10 " + std::string(32, 'a') + "\n<\n", true},            // a name of 32 characters
      {"10 " + std::string(31, 'a') + "\n" + std::string(128, 'x') + "\n<\n", true},  // a line past 127
      {"zz Flat\n<\n", true},
      {"10\n<\n", true},
      {many + "<\n", true},                                      // 257 entries
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseTypeList(c.text, &list, &bad)) << c.text.substr(0, 40);
    EXPECT_EQ(!bad.empty(), c.badLineSet) << c.text.substr(0, 40);
  }
  EXPECT_TRUE(ParseTypeList("10 " + std::string(31, 'a') + "\n<\n", &list, &bad));
}

TEST(TrainingTexts, ContextListsRowsAndRefusals) {
  std::vector<ContextRow> left, right;
  std::string bad;
  ASSERT_TRUE(ParseContextLists("title\n>left\n....<\n....10 02 05 <\n>right\n....40 03 09 41 01 02 <\n>\n", &left,
                                &right, &bad));
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0][0].type, 0);
  EXPECT_EQ(left[1][0], (ContextEntry{0x10, 2, 5}));
  EXPECT_EQ(left[1][1].type, 0);
  ASSERT_EQ(right.size(), 1u);
  EXPECT_EQ(right[0][1], (ContextEntry{0x41, 1, 2}));

  std::string full = "....";
  for (int i = 0; i < 32; ++i) full += "10 02 05 ";
  ASSERT_TRUE(ParseContextLists(">\n" + full + "<\n>\n>\n", &left, &right, &bad));
  EXPECT_EQ(left[0][31], (ContextEntry{0x10, 2, 5}));
  std::string rows;
  for (int i = 0; i < 129; ++i) rows += "....<\n";
  const std::string cases[] = {
      ">\n" + full + "10 02 05 <\n>\n>\n",  // 33 entries
      ">\n" + rows + ">\n>\n",               // 129 rows
      ">\n....10 02 05\n>\n>\n",            // a row without '<'
      ">\n....1x 02 05 <\n>\n>\n",
      ">\n....<\n>\n....<\n",               // no closing line
      "no lists at all\n",
  };
  for (const std::string& text : cases) EXPECT_FALSE(ParseContextLists(text, &left, &right, &bad)) << text.substr(0, 30);
}

// Rows are numbered by their lines: a blank line is an empty row and the
// rows after it keep their numbers.
TEST(TrainingTexts, ABlankContextLineIsAnEmptyRow) {
  std::vector<ContextRow> left, right;
  std::string bad;
  ASSERT_TRUE(ParseContextLists(">\n....<\n\n....10 02 05 <\n>\n  \n....41 01 02 <\n>\n", &left, &right, &bad));
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left[1][0].type, 0);
  EXPECT_EQ(left[2][0], (ContextEntry{0x10, 2, 5}));
  ASSERT_EQ(right.size(), 2u);
  EXPECT_EQ(right[0][0].type, 0);
  EXPECT_EQ(right[1][0], (ContextEntry{0x41, 1, 2}));
}

TEST(TrainingRecords, EightRecordsWithTheirOffsets) {
  const ZoneGridParameters& p = GridParameters(ZoneGrid::k8x8);
  TestBitmap black(32, 32);
  black.Fill(0, 0, 32, 32);
  std::vector<uint8_t> records(8 * ZoneFeatureRecordBytes(p), 0);
  records[0] = 17;
  records[3] = 8;
  ASSERT_TRUE(ComputeTrainingRecords(black.bits.data(), 32, 32, black.stride, p, records.data()));
  for (int r = 0; r < 8; ++r) {
    const uint8_t* rec = records.data() + r * ZoneFeatureRecordBytes(p);
    EXPECT_EQ(rec[0], 17);
    EXPECT_EQ(rec[3], 8);
    const uint8_t* cells = rec + kZoneHeaderBytes;
    const int want[8][2] = {{0, 15}, {27, 15}, {27, 15}, {63, 0}, {0, 0}, {0, 0}, {0, 0}, {27, 0}};
    // Records 4 to 7 move by a whole cell row (4 pixels): the row pushed past
    // the edge is empty; record 8 counts white, of which there is none.
    EXPECT_EQ(CellAt(cells, want[r][0]), want[r][1]) << r;
  }
  EXPECT_FALSE(ComputeTrainingRecords(black.bits.data(), 256, 32, black.stride, p, records.data()));
  EXPECT_FALSE(ComputeTrainingRecords(black.bits.data(), 32, 256, black.stride, p, records.data()));
}

// A small but complete set of inputs: one 8 x 8 sample, two 8 x 16 samples.
MemoryTrainingInputs SmallInputs() {
  MemoryTrainingInputs in;
  in.texts[u"8x8Types.txt"] = "10 Flat\n11 Sharp\n<\n";
  in.texts[u"8x16Types.txt"] = "02 TrebleClef\n08 BassClef\n<\n";
  in.texts[u"XxX.txt"] =
      "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n"
      "> 8x16\n- a comment\nclefA PART:1-2 DBLW BLSM:BassClef\nclefB YPOS:3 NOSUCH\n|\n"
      "> 8x8\nflatA CONF:2\n|\n";
  in.texts[u"LRSymLists.txt"] = ">\n....08 04 02 <\n>\n....<\n>\n";
  TestBitmap a(12, 30), b(14, 28), f(10, 20);
  a.Fill(2, 0, 5, 30);
  b.Fill(0, 10, 14, 14);
  f.Fill(1, 0, 3, 20);
  f.Fill(1, 12, 8, 19);
  in.AddSample(u"Symb8x16", "clefA", a);
  in.AddSample(u"Symb8x16", "clefB", b);
  in.AddSample(u"Symb8x8", "flatA", f);
  return in;
}

TEST(ShapeTraining, TrainsRecordsTablesAndContextRows) {
  MemoryTrainingInputs in = SmallInputs();
  BoxRecorder boxes;
  TrainingImageResolution() = 300;
  ShapeDatabase db;
  ASSERT_TRUE(TrainShapeDatabase(in, &db));
  EXPECT_EQ(TrainingImageResolution(), 300);  // restored
  ASSERT_EQ(boxes.Boxes().size(), 1u);        // the one syntax error, reported and passed over
  EXPECT_NE(boxes.Boxes()[0].text.find(u"NOSUCH"), std::u16string::npos);
  EXPECT_EQ(db.RecordCount(ZoneGrid::k8x16), 16u);
  EXPECT_EQ(db.RecordCount(ZoneGrid::k8x8), 8u);
  EXPECT_EQ(db.RecordCount(ZoneGrid::k16x16), 0u);
  const uint8_t* clefA = db.Record(ZoneGrid::k8x16, 0);
  EXPECT_EQ(clefA[0], 255);  // "clefA" is no name of the list
  const uint8_t* flat = db.Record(ZoneGrid::k8x8, 0);
  EXPECT_EQ(flat[0], 255);
  EXPECT_EQ(clefA[1], 64);
  EXPECT_EQ(clefA[5], 1);
  EXPECT_EQ(ZoneHeaderContextRow(clefA), 8);
  EXPECT_EQ(db.Record(ZoneGrid::k8x16, 8)[1], 3);
  ASSERT_EQ(db.LeftContextList.size(), 1u);
  EXPECT_EQ(db.LeftContextList[0][0], (ContextEntry{8, 4, 2}));
  // Saved and loaded back unchanged.
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SerializeShapeDatabase(db, &bytes));
  ShapeDatabase back;
  ASSERT_TRUE(ParseShapeDatabase(bytes.data(), bytes.size(), &back));
  EXPECT_EQ(back.records[1], db.records[1]);
}

TEST(ShapeTraining, NamedSamplesTakeTheirTypeCodeAndFillTheTables) {
  MemoryTrainingInputs in = SmallInputs();
  in.texts[u"XxX.txt"] = "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nBassClef.7 PART:2-3 DBLW\n|\n> 8x8\nsharp\n|\n";
  TestBitmap s(10, 20);
  s.Fill(2, 2, 8, 18);
  in.AddSample(u"Symb8x16", "BassClef.7", s);
  in.AddSample(u"Symb8x8", "sharp", s);
  BoxRecorder boxes;
  ShapeDatabase db;
  ASSERT_TRUE(TrainShapeDatabase(in, &db));
  EXPECT_EQ(db.Record(ZoneGrid::k8x16, 0)[0], 8);
  EXPECT_EQ(db.Record(ZoneGrid::k8x8, 0)[0], 17);
  EXPECT_EQ(db.ShapeTypePartTable[8], 2);
  EXPECT_EQ(db.ShapeTypeFlagTable[8], 1u);
  // The trained group matches its own sample.
  uint8_t cells[2 + 64];
  ASSERT_TRUE(ComputeZoneFeatures(s.bits.data(), 0, 0, s.width, s.height, s.stride, GridParameters(ZoneGrid::k8x16),
                                  cells));
  EXPECT_EQ(BestGroupScore(ZoneGrid::k8x16, cells + 2, db.Record(ZoneGrid::k8x16, 0), 96, 70), 100);
}

// A sample that fits one window may come before or after the pieces of the
// type's others: the type keeps the most pieces.
TEST(ShapeTraining, ATypesPartCountIsTheMostPiecesOfItsSamples) {
  for (const char* samples : {"BassClef.1 PART:1-2\nBassClef.2 PART:2-2\nBassClef.3\n",
                              "BassClef.3\nBassClef.1 PART:1-2\nBassClef.2 PART:2-2\n"}) {
    SCOPED_TRACE(samples);
    MemoryTrainingInputs in = SmallInputs();
    in.texts[u"XxX.txt"] = std::string("> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\n") + samples + "|\n> 8x8\nflatA\n|\n";
    TestBitmap s(10, 20);
    s.Fill(2, 2, 8, 18);
    for (const char* name : {"BassClef.1", "BassClef.2", "BassClef.3"}) in.AddSample(u"Symb8x16", name, s);
    ShapeDatabase db;
    ASSERT_TRUE(TrainShapeDatabase(in, &db));
    EXPECT_EQ(db.ShapeTypePartTable[8], 1);
  }
}

// Blank lines in "XxX.txt" take no part: not as samples, not before a
// section's 'X', and the records and their context rows stay as they were.
TEST(ShapeTraining, BlankLinesInTheSampleListChangeNothing) {
  const std::string plain = "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nBassClef.7 BLSM:BassClef\n|\n> 8x8\nsharp\n|\n";
  const std::string blank =
      "> 16x32\n\nX\n> 8x32\n \nX\n> 16x16\nX\n> 8x16\n\nBassClef.7 BLSM:BassClef\n\t\n|\n> 8x8\nsharp\n\n|\n";
  ShapeDatabase db[2];
  for (int k = 0; k < 2; ++k) {
    MemoryTrainingInputs in = SmallInputs();
    in.texts[u"XxX.txt"] = k == 0 ? plain : blank;
    TestBitmap s(10, 20);
    s.Fill(2, 2, 8, 18);
    in.AddSample(u"Symb8x16", "BassClef.7", s);
    in.AddSample(u"Symb8x8", "sharp", s);
    ASSERT_TRUE(TrainShapeDatabase(in, &db[k])) << k;
  }
  for (int g = 0; g < 5; ++g) EXPECT_EQ(db[1].records[g], db[0].records[g]) << g;
  EXPECT_EQ(ZoneHeaderContextRow(db[1].Record(ZoneGrid::k8x16, 0)), 8);
}

TEST(ShapeTraining, BadInputsStopWithAMessageAndGiveNothing) {
  struct Case {
    const char* what;
    void (*spoil)(MemoryTrainingInputs*);
  } cases[] = {
      {"missing sample", [](MemoryTrainingInputs* in) { in->samples.clear(); }},
      {"four sections", [](MemoryTrainingInputs* in) { in->texts[u"XxX.txt"] = "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n"; }},
      {"section never closed", [](MemoryTrainingInputs* in) { in->texts[u"XxX.txt"] = "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\nflatA\n"; }},
      {"unknown grid", [](MemoryTrainingInputs* in) { in->texts[u"XxX.txt"] = "> 9x9\nX\n"; }},
      {"long name", [](MemoryTrainingInputs* in) { in->texts[u"XxX.txt"] = "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\n" + std::string(300, 'n') + "\n|\n"; }},
      {"long line", [](MemoryTrainingInputs* in) { in->texts[u"XxX.txt"] = std::string(1100, '-') + "\n"; }},
      {"big sample", [](MemoryTrainingInputs* in) { in->samples.erase(u"Symb8x8/flatA"); in->AddSample(u"Symb8x8", "flatA", TestBitmap(256, 10)); }},
      {"no context lists", [](MemoryTrainingInputs* in) { in->texts.erase(u"LRSymLists.txt"); }},
      {"type list open", [](MemoryTrainingInputs* in) { in->texts[u"8x8Types.txt"] = "10 Flat\n"; }},
  };
  for (const Case& c : cases) {
    MemoryTrainingInputs in = SmallInputs();
    c.spoil(&in);
    BoxRecorder boxes;
    ShapeDatabase db;
    db.ShapeTypePartTable[5] = 3;
    TrainingImageResolution() = 400;
    EXPECT_FALSE(TrainShapeDatabase(in, &db)) << c.what;
    EXPECT_EQ(db.ShapeTypePartTable[5], 3) << c.what;  // untouched
    EXPECT_EQ(TrainingImageResolution(), 400) << c.what;
  }
}

// ---- Notation ----

MemoryTrainingInputs NotationInputs(const std::string& samples) {
  MemoryTrainingInputs in = SmallInputs();
  in.texts[u"8x8Types.txt"] = "01 A\n02 B\n<\n";
  in.texts[u"NotesXxX.txt"] = "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\n" + samples + "|\n";
  return in;
}

TestBitmap Head(int seed) {
  TestBitmap h(16 + seed % 3, 12 + seed % 2);
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x) {
      const int dx = 2 * x - h.width + 1, dy = 2 * y - h.height + 1;
      if (dx * dx * h.height * h.height + dy * dy * h.width * h.width <= h.width * h.width * h.height * h.height)
        h.Set(x, y);
    }
  return h;
}
TestBitmap Bar(int seed) {
  TestBitmap b(12, 30);
  b.Fill(4 + seed % 3, 0, 7 + seed % 3, 30);
  return b;
}

TEST(NotationTraining, GroupsFollowTypeAndPartInFileOrder) {
  MemoryTrainingInputs in = NotationInputs("A.1\n- a comment line is no sample\nA.2 BLCK:40\nB.3\nA.4\nA.5 PART:2-1\n");
  const char* names[] = {"A.1", "A.2", "B.3", "A.4", "A.5"};
  for (int i = 1; i <= 5; ++i) in.AddSample(u"Symb8x8", names[i - 1], Head(i));
  BoxRecorder boxes;
  NotationDatabase db;
  ASSERT_TRUE(TrainNotationGroups(in, &db));
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(db.groupCount, 4u);
  EXPECT_EQ(db.descriptionCount, 5u);
  std::vector<std::pair<int, int>> seen;  // (type, count)
  for (size_t at = 0; at < db.groups.size();) {
    NotationGroup g;
    ASSERT_TRUE(ReadNotationGroup(db.groups.data() + at, db.groups.size() - at, &g));
    seen.emplace_back(g.type, static_cast<int>(g.count));
    at += g.length;
  }
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 2}, {2, 1}, {1, 1}, {1, 1}}));
  EXPECT_EQ(db.NotationDarknessTable[1], -1);  // the last sample of type A had no BLCK
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SerializeNotationDatabase(db, &bytes));
}

TEST(NotationTraining, GroupsOfMoreThan64AreRefused) {
  std::string lines;
  for (int i = 0; i < 65; ++i) lines += "A.s\n";
  MemoryTrainingInputs in = NotationInputs(lines);
  in.AddSample(u"Symb8x8", "A.s", Head(0));
  BoxRecorder boxes;
  NotationDatabase db;
  EXPECT_FALSE(TrainNotationGroups(in, &db));
  ASSERT_FALSE(boxes.Boxes().empty());
  EXPECT_NE(boxes.Boxes().back().text.find(u"64"), std::u16string::npos);
}

int StubDistance(const uint8_t* a, const uint8_t* b) {
  // The darkness bytes tell the samples apart: same kind, near; else far.
  return std::abs(a[6] - b[6]);
}

TEST(NotationRefinement, ThresholdsAndPartRecordsAreReadBackByTheMatcher) {
  std::string lines;
  for (int i = 0; i < 4; ++i) lines += "A." + std::to_string(i) + "\n";
  for (int i = 0; i < 3; ++i) lines += "B." + std::to_string(i) + "\n";
  lines += "unnamed\n";  // type 255: dropped
  MemoryTrainingInputs in = NotationInputs(lines);
  for (int i = 0; i < 4; ++i) in.AddSample(u"Symb8x8", "A." + std::to_string(i), Head(i));
  for (int i = 0; i < 3; ++i) in.AddSample(u"Symb8x8", "B." + std::to_string(i), Bar(i));
  in.AddSample(u"Symb8x8", "unnamed", Head(0));
  BoxRecorder boxes;
  NotationDatabase trained, refined;
  ASSERT_TRUE(TrainNotationGroups(in, &trained));
  EXPECT_EQ(trained.groupCount, 3u);
  RefinementSummary summary;
  ASSERT_TRUE(ReportClassifierPerformance(trained, &refined, StubDistance, &summary));
  EXPECT_EQ(refined.groupCount, 2u);
  EXPECT_GT(summary.templates, 0);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SerializeNotationDatabase(refined, &bytes));
  NotationDatabase back;
  ASSERT_TRUE(ParseNotationDatabase(bytes.data(), bytes.size(), &back));
  NotationGroup bars;
  size_t at = 0;
  NotationGroup heads;
  ASSERT_TRUE(ReadNotationGroup(back.groups.data(), back.groups.size(), &heads));
  at += heads.length;
  ASSERT_TRUE(ReadNotationGroup(back.groups.data() + at, back.groups.size() - at, &bars));
  EXPECT_EQ(heads.type, 1);
  EXPECT_EQ(bars.type, 2);
  EXPECT_TRUE(heads.hasThresholds);
  EXPECT_GE(heads.maybe, heads.safe);
  // Every bar has its long vertical run: one vertical part record.
  ASSERT_FALSE(bars.parts.empty());
  EXPECT_EQ(bars.parts[0].direction, 1);
  EXPECT_NE(FindMusicBlock(back.groups.data(), back.groups.size()), nullptr);
}

TEST(NotationRefinement, RealDistancesSeparateHeadsFromBars) {
  std::string lines;
  for (int i = 0; i < 5; ++i) lines += "A." + std::to_string(i) + "\n";
  for (int i = 0; i < 5; ++i) lines += "B." + std::to_string(i) + "\n";
  MemoryTrainingInputs in = NotationInputs(lines);
  for (int i = 0; i < 5; ++i) in.AddSample(u"Symb8x8", "A." + std::to_string(i), Head(i));
  for (int i = 0; i < 5; ++i) in.AddSample(u"Symb8x8", "B." + std::to_string(i), Bar(i));
  BoxRecorder boxes;
  NotationDatabase db;
  ASSERT_TRUE(TrainNotationDatabase(in, &db));
  NotationGroup heads;
  ASSERT_TRUE(ReadNotationGroup(db.groups.data(), db.groups.size(), &heads));
  // A fresh head grades well against the head templates; a bar does not.
  auto grade = [&](const TestBitmap& b) {
    uint8_t grid[64];
    ComputeZoneDensityGrid(b.bits.data(), b.stride, 0, 0, b.width, b.height, 8, 8, grid);
    std::vector<uint8_t> d(ShapeRunDescriptionMaxBytes(8, 8));
    BuildShapeRunDescription(grid, 8, 8, db.NotationDarknessTable[1], d.data());
    int g = 0;
    return MatchShapeTemplates(heads, db.descriptions.data(), db.descriptions.size(), d.data(), &g);
  };
  EXPECT_GE(grade(Head(7)), 90);
  EXPECT_LT(grade(Bar(1)), 90);
}

}  // namespace

// ---- Inputs read from a folder through the file layer and the image loader ----

namespace {

class FolderInputsTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = DeveloperDataFolder();
    SetDeveloperDataFolder(scratch_.Path());
    ASSERT_EQ(FileMakeDir(scratch_.File(u"Symb8x8").c_str()), nullptr);
    for (const char16_t* sub : {u"Symb8x16", u"Symb16x16", u"Symb8x32", u"Symb16x32"})
      ASSERT_EQ(FileMakeDir(scratch_.File(sub).c_str()), nullptr);
    const MemoryTrainingInputs small = SmallInputs();
    for (const auto& [name, text] : small.texts) Write(name, text);
    Write(u"XxX.txt", "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\nSharp.1\n|\n");
  }
  void TearDown() override { SetDeveloperDataFolder(saved_); }
  std::u16string Sample(const char16_t* name) const {
    const std::u16string folder = scratch_.File(u"Symb8x8");
    return folder + scratch_.File(u"x")[scratch_.Path().size()] + name;
  }
  void Write(const std::u16string& name, const std::string& text) {
    std::FILE* f = FileOpen(scratch_.File(name).c_str(), kFileWrite, false);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(FileWriteBytes(f, text.data(), text.size()), nullptr);
    ASSERT_EQ(FileClose(f), nullptr);
  }
  // A 1-bit bitmap written by the program's own writer.
  void WriteBitmap(const std::u16string& path, const TestBitmap& b) {
    std::vector<uint8_t> area(SpriteAreaBytes(PaddedRowBytes(b.width, 1) * b.height));
    InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
    ASSERT_EQ(CreateSprite(area.data(), kPageSpriteName, b.width, b.height, kSpriteMode1Bit), nullptr);
    const size_t rowBytes = PaddedRowBytes(b.width, 1);
    for (int y = 0; y < b.height; ++y)
      for (int x = 0; x < b.width; ++x)
        if (b.Get(x, y)) SpriteRows(area.data())[y * rowBytes + x / 8] |= static_cast<uint8_t>(1 << (x % 8));
    ASSERT_EQ(SaveSpriteBmp(area.data(), path.c_str(), 0), nullptr);
  }
  ScratchFolder scratch_;
  std::u16string saved_;
};

TEST_F(FolderInputsTest, TrainsFromBitmapFiles) {
  TestBitmap sharp(12, 14);
  sharp.Fill(3, 0, 5, 14);
  sharp.Fill(0, 4, 12, 6);
  WriteBitmap(Sample(u"Sharp.1.bmp"), sharp);
  FolderTrainingInputs inputs;
  BoxRecorder boxes;
  ShapeDatabase db;
  ASSERT_TRUE(TrainShapeDatabase(inputs, &db));
  for (const RecordedBox& box : boxes.Boxes()) ADD_FAILURE() << U8(box.text);
  ASSERT_EQ(db.RecordCount(ZoneGrid::k8x8), 8u);
  EXPECT_EQ(db.Record(ZoneGrid::k8x8, 0)[0], 17);
  // The same cells as the bitmap drawn in memory.
  std::vector<uint8_t> records(8 * ZoneFeatureRecordBytes(GridParameters(ZoneGrid::k8x8)), 0);
  records[0] = 17;
  ASSERT_TRUE(ComputeTrainingRecords(sharp.bits.data(), sharp.width, sharp.height, sharp.stride,
                                     GridParameters(ZoneGrid::k8x8), records.data()));
  EXPECT_EQ(db.records[0], records);
}

TEST_F(FolderInputsTest, AnUnusableBitmapStopsTheTraining) {
  struct Case {
    const char* what;
    std::string bytes;  // empty: a 300-pixel-wide 1-bit bitmap
  } cases[] = {
      {"not a bitmap", "this is no bitmap at all"},
      {"cut short", "BM\x3e\x00\x00\x00"},
      {"too wide", ""},
  };
  for (const Case& c : cases) {
    if (c.bytes.empty()) {
      WriteBitmap(Sample(u"Sharp.1.bmp"), TestBitmap(300, 10));
    } else {
      std::FILE* f = FileOpen(Sample(u"Sharp.1.bmp").c_str(), kFileWrite, false);
      ASSERT_NE(f, nullptr);
      ASSERT_EQ(FileWriteBytes(f, c.bytes.data(), c.bytes.size()), nullptr);
      ASSERT_EQ(FileClose(f), nullptr);
    }
    FolderTrainingInputs inputs;
    BoxRecorder boxes;
    ShapeDatabase db;
    EXPECT_FALSE(TrainShapeDatabase(inputs, &db)) << c.what;
    EXPECT_EQ(db.RecordCount(ZoneGrid::k8x8), 0u) << c.what;
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.what;
    EXPECT_NE(boxes.Boxes()[0].text.find(u"Sharp.1"), std::u16string::npos) << c.what;
  }
}

}  // namespace
