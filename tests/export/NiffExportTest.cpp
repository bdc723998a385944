#include <functional>

#include <memory>

#include "export/ExportLayout.h"
#include "export/niffio/NiffStorage.h"
#include "tests/export/NiffScores.h"

namespace {

struct NoteSeen {
  int shape;
  int step;
  std::string duration;
};

std::vector<NoteSeen> NotesOf(const NiffNode& root) {
  std::vector<NoteSeen> notes;
  for (const NiffNode* n : FindAll(root, "note"))
    notes.push_back({int(n->Field(0, 1)), int(int8_t(n->Field(1, 1))),
                     std::to_string(n->Field(2, 2)) + "/" + std::to_string(n->Field(4, 2))});
  return notes;
}

std::string Steps(const NiffNode& root) {
  std::string text;
  for (const NoteSeen& n : NotesOf(root)) text += (text.empty() ? "" : " ") + std::to_string(n.step);
  return text;
}

// Each chunk of a name with its fields and tags, one line per chunk.
std::string Dump(const NiffNode& root, const std::string& name) {
  std::string text;
  for (const NiffNode* n : FindAll(root, name)) {
    text += n->Name() + "(";
    for (size_t i = 0; i < n->fields.size(); ++i) text += (i ? "," : "") + std::to_string(n->fields[i]);
    text += ")";
    for (const NiffTagSeen& t : n->tags) {
      char id[8];
      std::snprintf(id, sizeof id, " %02x", t.id);
      text += id;
      for (size_t i = 0; i < t.data.size(); ++i) text += (i ? "," : ":") + std::to_string(t.data[i]);
    }
    text += "\n";
  }
  return text;
}

size_t Count(const NiffNode& root, const std::string& name) { return FindAll(root, name).size(); }

// The strings of the file's string table.
std::vector<std::string> StringTable(const NiffNode& root) {
  std::vector<std::string> texts;
  auto tables = FindAll(root, "stbl");
  if (tables.empty()) return texts;
  std::string current;
  for (uint8_t b : tables[0]->fields) {
    if (b == 0) {
      texts.push_back(current);
      current.clear();
    } else {
      current += char(b);
    }
  }
  return texts;
}

// The text a "text" or "lyrc" chunk names.
std::string NamedText(const NiffNode& root, const NiffNode& chunk) {
  const uint32_t offset = chunk.Field(0, 4);
  const auto& table = FindAll(root, "stbl")[0]->fields;
  std::string text;
  for (size_t i = offset; i < table.size() && table[i]; ++i) text += char(table[i]);
  return text;
}

TEST_F(NiffExportTest, OnePartOnOnePageIsLaidOutInSectionsPagesSystemsAndStaves) {
  OnePart(JoinItems({StavePlace(100, 200), Notes(kDurationWhole, {16}), Bar()}));
  int result = 0;
  const NiffNode root = Export(&result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(ChildNames(root), "setp data");
  EXPECT_EQ(ChildNames(root.children[0]), "clt  nnfo prts stbl");
  EXPECT_EQ(ChildNames(root.children[0].children[2]), "part");
  EXPECT_EQ(ChildNames(root.children[1]), "page");
  EXPECT_EQ(ChildNames(root.children[1].children[0]), "pghd syst");
  const NiffNode& system = root.children[1].children[0].children[1];
  EXPECT_EQ(ChildNames(system), "syhd staf");
  EXPECT_EQ(ChildNames(system.children[1]), "sthd tmsl tmsl stem note barl");
  EXPECT_EQ(Dump(root, "pghd"), "pghd() 30:7,208 11:11,184\n");  // 2000 x 3000
  EXPECT_EQ(Dump(root, "syhd"), "syhd() 01:0,100,0,200\n");
  EXPECT_EQ(Dump(root, "sthd"), "sthd() 20:0,0 1d:5 01:0,0,0,0 30:5,220 11:0,40\n");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(NiffExportTest, NotesComeOutWithTheirStepsAndLengthsAsTheScoreHasThem) {
  OnePart(JoinItems({ClefItem(1), TimeItem(4, 5), Crotchet(12), Crotchet(14), Notes(kDurationEighth, {16}, 0, 1),
                     Quaver(9), Bar()}));
  const NiffNode root = Export();
  ASSERT_EQ(NotesOf(root).size(), 4u);
  EXPECT_EQ(Steps(root), "0 2 4 -3");
  EXPECT_EQ(NotesOf(root)[0].duration, "1/4");
  EXPECT_EQ(NotesOf(root)[2].duration, "3/16");
  EXPECT_EQ(NotesOf(root)[2].shape, 4);
  EXPECT_EQ(Count(root, "augd"), 1u);
  EXPECT_EQ(Count(root, "stem"), 4u);
  // The bar is padded with a sixteenth and then a quaver rest.
  EXPECT_EQ(Dump(root, "tmsl"),
            "tmsl(1,0,0,0,1)\ntmsl(2,0,0,0,1)\ntmsl(2,0,1,0,4)\ntmsl(2,0,1,0,2)\ntmsl(2,0,11,0,16)\n"
            "tmsl(2,0,13,0,16)\ntmsl(2,0,7,0,8)\n");
}

// One small score per feature: the file must be well formed, and the check
// looks at what the feature writes.
struct FeatureCase {
  const char* name;
  std::function<void(NiffExportTest&)> build;
  std::function<void(const NiffNode&)> check;
};

class NiffFeatureTest : public NiffExportTest {
 public:
  void Part(const StreamBytesList& items) { OnePart(items); }
  void Parts(const StreamBytesList& page, const StreamBytesList& one) {
    SetPart(0, page);
    SetPart(1, one);
  }
};

TEST_F(NiffFeatureTest, EachFeatureIsWritten) {
  const std::vector<FeatureCase> cases = {
      {"rests", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Rest(kDurationHalf), Crotchet(14), Rest(kDurationQuarter), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "rest"), "rest(3,0,0,1,0,2) 2f:0,0\nrest(4,0,0,1,0,4) 2f:0,0\n");
       }},
      {"chord of three notes", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Notes(kDurationWhole, {12, 16, Note(19, kAccidentalSharp)}), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Count(root, "stem"), 1u);
         EXPECT_EQ(Steps(root), "7 4 0");
         EXPECT_EQ(Dump(root, "acdl"), "acdl(4)\n");
       }},
      {"two voices", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Notes(kDurationHalf, {18}), Notes(kDurationHalf, {18}), Notes(kDurationWhole, {10}, 1), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Steps(root), "6 6 -2");
         std::string voices;
         for (const NiffNode* s : FindAll(root, "stem")) voices += std::to_string(s->Tag(0x2f)->data[1]);
         EXPECT_EQ(voices, "001");
       }},
      {"beam of two quavers", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Beamed(Quaver(14), true), Beamed(Quaver(15), false), Notes(kDurationHalf, {14}), Notes(kDurationQuarter, {14}), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Dump(root, "beam"), "beam(0,1) 12:0,0 1c:0,2\nbeam(1,0) 12:0,0\n"); }},
      {"tie", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({TieMark(), Notes(kDurationHalf, {14}), Notes(kDurationHalf, {14}), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Dump(root, "tie "), "tie () 2c:2 12:0,0 1c:0,2\ntie () 12:0,0\n"); }},
      {"tie across a bar line", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({TieMark(), Notes(kDurationWhole, {14, 16}), Bar(), Notes(kDurationWhole, {16}), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Dump(root, "tie "), "tie () 2c:2 12:0,0 1c:0,2\ntie () 12:0,0\n"); }},
      {"tie without a partner", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({TieMark(), Notes(kDurationHalf, {14}), Notes(kDurationHalf, {15}), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Count(root, "tie "), 0u);
         EXPECT_EQ(NotesOf(root).size(), 2u);
       }},
      {"slur over three crotchets", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({SlurMark(96), Crotchet(14), Crotchet(15), Crotchet(16), Crotchet(17), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "slur"), "slur() 2c:1 12:0,0 1c:0,2\nslur() 12:0,0\n");
         // The second node is the third crotchet: the chunks follow their stems.
         std::vector<const NiffNode*> all;
         Flatten(root, &all);
         int stems = 0;
         std::string where;
         for (const NiffNode* n : all) {
           if (n->Name() == "stem") ++stems;
           if (n->Name() == "slur") where += std::to_string(stems);
         }
         EXPECT_EQ(where, "13");
       }},
      {"slur that leaves the stave", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Crotchet(14), Crotchet(14), Crotchet(14), SlurMark(64), Crotchet(14), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Count(root, "slur"), 0u);
         EXPECT_EQ(NotesOf(root).size(), 4u);
       }},
      {"triplet", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({TimeItem(2, 5), Tuplet(3, 15, 32), Quaver(14), Quaver(15), Quaver(16), Crotchet(17), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "tupl"), "tupl() 2d:0,3,0,8,0,1,0,4,1 12:0,0 1c:0,3\ntupl() 12:0,0\ntupl() 12:0,0\n");
         EXPECT_EQ(Count(root, "rest"), 0u);  // the bar is full: nothing padded
         EXPECT_EQ(Dump(root, "tmsl"),
                   "tmsl(1,0,0,0,1)\ntmsl(2,0,0,0,1)\ntmsl(2,0,1,0,12)\ntmsl(2,0,1,0,6)\ntmsl(2,0,1,0,4)\n");
       }},
      {"triplet ending in a rest", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({TimeItem(2, 5), Tuplet(3, 15, 32), Quaver(14), Quaver(15), Rest(kDurationEighth), Crotchet(17), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Count(root, "tupl"), 2u);
         EXPECT_EQ(Count(root, "rest"), 1u);
         EXPECT_EQ(NotesOf(root).size(), 3u);
       }},
      {"clefs", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({ClefItem(1), Crotchet(14), ClefItem(7), Notes(kDurationHalf, {14}, 0, 1), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Dump(root, "clef"), "clef(1,2,0)\nclef(2,6,0)\n"); }},
      {"keys", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({KeyItem(2), Notes(kDurationWhole, {14}), Bar(), KeyItem(-3), KeyItem(1, true), Notes(kDurationWhole, {14}), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Dump(root, "keys"), "keys(2)\nkeys(10)\n"); }},
      {"times", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({TimeItem(3, 5), Notes(kDurationHalf, {14}, 0, 1), Bar(), TimeItem(6, 4), Notes(kDurationHalf, {14}, 0, 1), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Dump(root, "time"), "time(3,4)\ntime(6,8)\n"); }},
      {"bar lines and repeats", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Bar(kBarStartRepeat), Notes(kDurationWhole, {14}), Bar(kBarEndRepeat), Notes(kDurationWhole, {14}), Bar(kBarFinal)})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "barl"), "barl(2,1,0,1)\nbarl(1,1,0,1)\nbarl(1,1,0,1)\nbarl(2,1,0,1)\nbarl(1,1,0,1)\nbarl(2,1,0,1)\n");
         EXPECT_EQ(Count(root, "rept"), 2u);
         EXPECT_EQ(Dump(root, "tmsl").find("tmsl(1,0,1,0,1)"), 32u);  // the second measure at 1/1
       }},
      {"texts", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Parts(JoinItems({PageText(kTextTitle, "Sonata"), EndMark()}), JoinItems({StaffText(kTextStaff, "dolce", 0x83), Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()})); },
       [](const NiffNode& root) {
         auto texts = FindAll(root, "text");
         ASSERT_EQ(texts.size(), 2u);
         EXPECT_EQ(NamedText(root, *texts[0]), "Sonata");
         EXPECT_EQ(Dump(root, "text"), "text(0,0,0,1) 03:112,103,104,100 01:0,100,0,50\ntext(0,0,0,8) 03:116,109,115,108 01:0,0,0,15\n");
         EXPECT_EQ(NamedText(root, *texts[1]), "dolce");
       }},
      {"two verses on one note", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({StaffText(kTextLyric, "la", 0x8A), StaffText(kTextLyric, "lo", 0x94), Notes(kDurationWhole, {14}), Bar()})); },
       [](const NiffNode& root) {
         auto lyrics = FindAll(root, "lyrc");
         ASSERT_EQ(lyrics.size(), 2u);
         EXPECT_EQ(NamedText(root, *lyrics[0]), "la");
         EXPECT_EQ(lyrics[0]->Field(4, 1), 0u);
         EXPECT_EQ(NamedText(root, *lyrics[1]), "lo");
         EXPECT_EQ(lyrics[1]->Field(4, 1), 1u);
       }},
      {"chord symbols and a grid", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({ChordSymbol(13, 18, 13), Notes(kDurationHalf, {14}), ChordGrid({5, 2, 0, 0, 0, 0, 7}), Notes(kDurationHalf, {14}), Bar()})); },
       [](const NiffNode& root) {
         auto chords = FindAll(root, "chrd");
         ASSERT_EQ(chords.size(), 1u);
         EXPECT_EQ(NamedText(root, *chords[0]), "Am7");
         auto grids = FindAll(root, "gtgr");
         ASSERT_EQ(grids.size(), 1u);
         EXPECT_EQ(grids[0]->Field(0, 2), 0x0606u);
       }},
      {"dynamics", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({StaffText(kTextDynamic, "mf"), Crotchet(14), StaffText(kTextDynamic, "cresc"), Crotchet(14), StaffText(kTextDynamic, "molto"), Notes(kDurationHalf, {14}), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "dynm"), "dynm(6) 03:116,109,115,108 01:0,0,0,0\ndynm(16) 03:116,109,115,108 01:0,0,0,0\n");
         ASSERT_EQ(Count(root, "text"), 1u);
         EXPECT_EQ(NamedText(root, *FindAll(root, "text")[0]), "molto");
       }},
      {"hairpins", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Hairpin(kTextHairpin18), Crotchet(14), Crotchet(14), Hairpin(kTextHairpin19), Notes(kDurationHalf, {14}), Bar()})); },
       [](const NiffNode& root) {
         // The second hairpin has no second chord on the stave: left out.
         EXPECT_EQ(Dump(root, "hrpn"), "hrpn(2) 2c:1 12:0,0 1c:0,2\nhrpn(2) 12:0,0\n");
       }},
      {"tempo mark", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({StaffText(kTextTempo, "Allegro"), Notes(kDurationWhole, {14}), Bar()})); },
       [](const NiffNode& root) {
         ASSERT_EQ(Count(root, "text"), 1u);
         EXPECT_EQ(NamedText(root, *FindAll(root, "text")[0]), "Allegro");
       }},
      {"beam mark on a single quaver", [](NiffExportTest& t) { static_cast<NiffFeatureTest&>(t).Part(JoinItems({Beamed(Quaver(14), true), Quaver(15), Notes(kDurationHalf, {14}, 0, 1), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Count(root, "beam"), 0u);
         EXPECT_EQ(NotesOf(root).size(), 3u);
       }},
      {"grace note and articulations", [](NiffExportTest& t) {
         StreamBytesList grace = Quaver(15);
         grace[4] |= 0x04;
         StreamBytesList marked = Notes(kDurationWhole, {14});
         SetChordMarkFlags(marked.data(), kMarkAccent);
         SetChordArticulation(marked.data(), 5);
         static_cast<NiffFeatureTest&>(t).Part(JoinItems({grace, marked, Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "stem"), "stem() 2f:0,0 16:0,2,0 0e:0,0,0,1\nstem() 2f:0,0 16:0,2,0\n");
         EXPECT_EQ(Dump(root, "artc"), "artc(0,2)\nartc(0,4)\n");
       }},
      {"rest of three bars", [](NiffExportTest& t) {
         StreamBytesList rest(2, 0);
         SetMultiBarRest(rest.data(), 3, 0);
         static_cast<NiffFeatureTest&>(t).Part(JoinItems({rest, Bar()})); },
       [](const NiffNode& root) {
         ASSERT_EQ(Count(root, "rest"), 1u);
         EXPECT_EQ(FindAll(root, "rest")[0]->Field(0, 1), 12u);
         ASSERT_EQ(Count(root, "text"), 1u);
         EXPECT_EQ(NamedText(root, *FindAll(root, "text")[0]), "3");
       }},
      {"guitar tablature", [](NiffExportTest& t) {
         PartTablatureFlags[1].flag = 1;
         PartTablatureFlags[1].kind = 6;
         static_cast<NiffFeatureTest&>(t).Part(JoinItems({ClefItem(kClefTablature), Notes(kDurationWhole, {uint8_t(3 | 1 << 5), uint8_t(0 | 5 << 5)}), Bar()})); },
       [](const NiffNode& root) {
         EXPECT_EQ(Dump(root, "gttb"), "gttb(1,3)\ngttb(5,0)\n");
         EXPECT_EQ(Steps(root), "2 10");
         EXPECT_NE(FindAll(root, "sthd")[0]->Tag(0x10), nullptr);
         EXPECT_EQ(FindAll(root, "sthd")[0]->Tag(0x1d)->data[0], 6);
       }},
      {"one-line percussion stave", [](NiffExportTest& t) {
         PartTablatureFlags[1].kind = 1;
         static_cast<NiffFeatureTest&>(t).Part(JoinItems({Notes(kDurationWhole, {16}), Bar()})); },
       [](const NiffNode& root) { EXPECT_EQ(Steps(root), "0"); }},
  };
  for (const FeatureCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    c.build(*this);
    int result = 0;
    const NiffNode root = Export(&result);
    ASSERT_EQ(result, 1);
    c.check(root);
  }
}

// A laid-out page: the hairpin starts at x 100 and its drawn end is the
// case's; the four crotchets stand at 120, 200, 280 and 360, each 20 wide.
TEST_F(NiffExportTest, AHairpinInALayoutSpansToTheChordUnderItsEnd) {
  struct Case {
    const char* name;
    int16_t end;
    bool placed;  // the hairpin has a row in the layout
    int nodes;
  };
  const Case cases[] = {
      {"ends at the third chord", 280, true, 3},
      {"ends between the second and the third", 250, true, 3},
      {"ends inside the third chord's box", 290, true, 3},
      {"ends just past the second chord's box", 225, true, 3},
      {"ends inside the first chord's box", 130, true, 1},
      {"ends at the first chord", 120, true, 1},
      {"ends before the first chord", 110, true, 1},
      {"ends beyond the last chord: spans to it", 500, true, 4},
      {"not laid out: the next two chords", 280, false, 2},
  };
  const std::vector<StreamBytesList> items = {Hairpin(kTextHairpin18), Crotchet(14), Crotchet(14),
                                              Crotchet(14),            Crotchet(14), Bar()};
  std::vector<uint32_t> offsets;
  uint32_t offset = 0;
  for (const StreamBytesList& item : items) {
    offsets.push_back(offset);
    offset += uint32_t(item.size());
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    StreamBytesList joined;
    for (const StreamBytesList& item : items) joined.insert(joined.end(), item.begin(), item.end());
    OnePart(joined);
    auto index = std::make_unique<ItemIndex>();
    index->count = 0;
    auto add = [&](int16_t left, int16_t right, uint32_t at) {
      index->rows[index->count++] = ItemIndexRow{left, right, 0, 10, 1, at, 0};
    };
    if (c.placed) add(100, c.end, offsets[0]);
    for (int chord = 0; chord < 4; ++chord) add(int16_t(120 + 80 * chord), int16_t(140 + 80 * chord), offsets[1 + chord]);
    const CItemIndexPositions positions(*index);
    int result = 0;
    const NiffNode root = Export(&result, &positions);
    ASSERT_EQ(result, 1);
    std::string expected = "hrpn(2) 2c:1 12:0,0 1c:0," + std::to_string(c.nodes) + "\n";
    for (int node = 1; node < c.nodes; ++node) expected += "hrpn(2) 12:0,0\n";
    EXPECT_EQ(Dump(root, "hrpn"), expected);
    EXPECT_EQ(Count(root, "stem"), 4u);
  }
}

TEST_F(NiffExportTest, APartAbsentFromASystemGetsOneBarlinePerBar) {
  SetPart(0, {});
  SetPart(1, JoinItems({Notes(kDurationWhole, {14}), Bar(), Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()}));
  SetPart(2, JoinItems({SystemMark(), EndMark()}));
  const NiffNode root = Export();
  auto staves = FindAll(root, "staf");
  ASSERT_EQ(staves.size(), 2u);
  EXPECT_EQ(ChildNames(*staves[1]), "sthd tmsl tmsl rest barl tmsl tmsl rest barl");
  EXPECT_EQ(Dump(*staves[1], "rest"), "rest(2,0,0,1,0,1)\nrest(2,0,0,1,0,1)\n");
  EXPECT_EQ(staves[1]->children[0].Tag(0x20)->data[1], 1);
}

TEST_F(NiffExportTest, ASystemEmptyInEveryPartWritesNoSystem) {
  SetPart(0, {});
  SetPart(1, JoinItems({SystemMark(), Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()}));
  const NiffNode root = Export();
  EXPECT_EQ(Count(root, "syst"), 1u);
  EXPECT_EQ(NotesOf(root).size(), 1u);
}

TEST_F(NiffExportTest, ASmallStaveIsTwoThirdsAsHigh) {
  SetPart(0, {});
  SetPart(1, JoinItems({Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()}));
  SetPart(2, JoinItems({Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()}));
  PartSmallStave[2] = 1;
  const NiffNode root = Export();
  auto headers = FindAll(root, "sthd");
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers[0]->Tag(0x11)->data[1], 40);
  EXPECT_EQ(headers[1]->Tag(0x11)->data[1], 26);
  EXPECT_EQ(headers[0]->Tag(0x30)->data, headers[1]->Tag(0x30)->data);
}

TEST_F(NiffExportTest, PartNamesAndTextsBeyondTheBasicPlaneAreInTheStringTable) {
  const std::u16string name = u"Flute";
  std::copy(name.begin(), name.end(), PartNameTable[1]);
  // A staff text of one character outside the basic plane (U+1D11E).
  StreamBytesList text = StaffText(kTextStaff, "ab");
  text[5] = 0x34;
  text[6] = 0xD8;
  text[7] = 0x1E;
  text[8] = 0xDD;
  OnePart(JoinItems({text, Notes(kDurationWhole, {14}), Bar()}));
  const NiffNode root = Export();
  const std::vector<std::string> table = StringTable(root);
  ASSERT_GE(table.size(), 3u);
  EXPECT_EQ(table[0], "Flute");
  EXPECT_EQ(NamedText(root, *FindAll(root, "text")[0]), "\xF0\x9D\x84\x9E");
  EXPECT_EQ(FindAll(root, "part")[0]->Field(2, 4), 0u);  // the name's offset
}

TEST_F(NiffExportTest, TheInstalledObjectFactoryIsPutBack) {
  FakeObjects fake;
  CExportObjectFactory* before = SetExportObjectFactory(&fake);
  OnePart(JoinItems({Notes(kDurationWhole, {14}), Bar()}));
  Export();
  EXPECT_EQ(ExportObjects(), &fake);
  SetExportObjectFactory(before);
}

TEST_F(NiffExportTest, AnOverfullBarIsWrittenInFullAndReportedOnce) {
  OnePart(JoinItems({Notes(kDurationWhole, {14}), Crotchet(16), Crotchet(17), Bar(), Notes(kDurationWhole, {14}), Bar()}));
  int result = 0;
  const NiffNode root = Export(&result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(NotesOf(root).size(), 4u);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(U8(Boxes()[0].text).find("(part: bar): 1: 1"), std::string::npos) << U8(Boxes()[0].text);
}

TEST_F(NiffExportTest, AFileThatCannotBeCreatedFailsWithoutAStorageLeft) {
  OnePart(JoinItems({Notes(kDurationWhole, {14}), Bar()}));
  const std::u16string path = folder_.File(u"missing") + u"/score.nif";
  EXPECT_EQ(ExportNiff(path.c_str()), 0);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(NIFFIOStorageGetCurrent(), nullptr);
}

TEST_F(NiffExportTest, ADamagedStreamExportsWhatCanBeRead) {
  // A chord whose note bytes run past the used length, and no end mark.
  StreamBytesList items = JoinItems({Notes(kDurationHalf, {14}), Bar(), SystemMark(), Notes(kDurationWhole, {14, 16})});
  items.resize(items.size() - 1);
  SetPart(0, {});
  SetPart(1, items);
  int result = 0;
  const NiffNode root = Export(&result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(NotesOf(root).size(), 1u);
}

}  // namespace

namespace {

TEST_F(NiffExportTest, TwoPartsOnTwoPagesAreLaidOutPageBySystemByStave) {
  SetPart(0, JoinItems({PageText(kTextTitle, "Suite"), PageMarkItem(), PageText(kTextGeneral, "page two")}));
  SetPart(1, JoinItems({StavePlace(100, 200), Notes(kDurationWhole, {14}), Bar(), SystemMark(), PageMarkItem(),
                        StavePlace(100, 150), Notes(kDurationWhole, {15}), Bar(), SystemMark(), EndMark()}));
  SetPart(2, JoinItems({StavePlace(110, 320), Notes(kDurationWhole, {16}), Bar(), SystemMark(), PageMarkItem(),
                        StavePlace(100, 270), Notes(kDurationWhole, {17}), Bar(), SystemMark(), EndMark()}));
  const NiffNode root = Export();
  const NiffNode& data = root.children[1];
  EXPECT_EQ(ChildNames(data), "page page");
  for (const NiffNode& page : data.children) {
    EXPECT_EQ(ChildNames(page), "pghd syst");
    EXPECT_EQ(ChildNames(page.children[1]), "syhd staf staf");
  }
  EXPECT_EQ(Steps(root), "2 4 3 5");
  // The second stave's place within its system.
  const NiffNode& second = data.children[0].children[1].children[2].children[0];
  EXPECT_EQ(second.Tag(0x01)->data, (std::vector<uint8_t>{0, 10, 0, 120}));
  // Each page's heading goes into its first stave.
  auto texts = FindAll(root, "text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(NamedText(root, *texts[0]), "Suite");
  EXPECT_EQ(NamedText(root, *texts[1]), "page two");
  EXPECT_EQ(ChildNames(data.children[1].children[1].children[1]), "sthd text tmsl tmsl stem note barl");
  // Measures count on through the systems.
  EXPECT_EQ(Dump(data.children[1], "tmsl").substr(0, 16), "tmsl(1,0,1,0,1)\n");
}

}  // namespace

namespace {

// A page where no stave has content keeps its heading texts: a system of one
// stave of the first part holds them, placed on the page.
TEST_F(NiffExportTest, APageWithoutAStaveWithContentKeepsItsHeading) {
  const StreamBytesList secondPages[] = {
      {},                                  // the parts end on the first page
      JoinItems({PageMarkItem(), SystemMark()}),  // a second page whose one system is empty
  };
  for (const StreamBytesList& secondPage : secondPages) {
    SCOPED_TRACE(testing::PrintToString(secondPage));
    SetPart(0, JoinItems({PageText(kTextTitle, "Suite"), PageMarkItem(), PageText(kTextGeneral, "page two", 300, 400)}));
    SetPart(1, JoinItems({StavePlace(100, 200), Notes(kDurationWhole, {14}), Bar(), SystemMark(), secondPage, EndMark()}));
    SetPart(2, JoinItems({StavePlace(100, 320), Notes(kDurationWhole, {16}), Bar(), SystemMark(), secondPage, EndMark()}));
    int result = 0;
    const NiffNode root = Export(&result);
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(Boxes().empty());
    const NiffNode& data = root.children[1];
    ASSERT_EQ(ChildNames(data), "page page");
    const NiffNode& page = data.children[1];
    ASSERT_EQ(ChildNames(page), "pghd syst");
    ASSERT_EQ(ChildNames(page.children[1]), "syhd staf");
    const NiffNode& stave = page.children[1].children[1];
    ASSERT_EQ(ChildNames(stave), "sthd text");
    EXPECT_EQ(stave.children[0].Tag(0x20)->data, (std::vector<uint8_t>{0, 0}));  // the first part
    const NiffNode& text = stave.children[1];
    EXPECT_EQ(NamedText(root, text), "page two");
    EXPECT_EQ(text.Tag(0x03)->data, (std::vector<uint8_t>{'p', 'g', 'h', 'd'}));
    EXPECT_EQ(text.Tag(0x01)->data, (std::vector<uint8_t>{1, 44, 1, 144}));
    EXPECT_EQ(Steps(root), "2 4");
    boxes_.Clear();
  }
}

// A page with neither heading texts nor a stave with content stays empty.
TEST_F(NiffExportTest, APageWithNothingToWriteHasOnlyItsHeader) {
  SetPart(0, JoinItems({PageText(kTextTitle, "Suite"), PageMarkItem(), PageMarkItem()}));
  SetPart(1, JoinItems({StavePlace(100, 200), Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()}));
  int result = 0;
  const NiffNode root = Export(&result);
  ASSERT_EQ(result, 1);
  const NiffNode& data = root.children[1];
  ASSERT_EQ(ChildNames(data), "page page");
  EXPECT_EQ(ChildNames(data.children[1]), "pghd");
}

}  // namespace
