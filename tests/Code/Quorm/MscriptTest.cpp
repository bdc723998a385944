// The page description: script units, the page built from the staff table,
// time slots and events, the range-checked accessors and note durations.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/findslur.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

class MscriptTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadHandPage(1200, 900, 20); }
  void TearDown() override { FreeHandPage(); }

  // Two systems of two staves, the first staff of each joined below.
  static void TwoSystems() {
    AddHandStaff({0, 100, 20, 50, 1150, 5, 1});
    AddHandStaff({0, 250, 20, 50, 1150, 5, 0});
    AddHandStaff({1, 500, 20, 50, 1150, 5, 1});
    AddHandStaff({1, 650, 20, 50, 1150, 5, 0});
  }

  static void NewPage() {
    ResetPageDescription("title");
    AddPageDescription("page.tif");
  }
};

MscriptNoteGroup Group(std::initializer_list<int32_t> types) {
  MscriptNoteGroup g{};
  for (int32_t t : types) {
    g.notes[g.noteCount].type = t;
    g.notes[g.noteCount].place = 10 * g.noteCount;
    ++g.noteCount;
  }
  return g;
}

PackedFraction Frac(int32_t n, int32_t d) { return static_cast<PackedFraction>(n) | static_cast<PackedFraction>(d) << 16; }

TEST_F(MscriptTest, ScriptLengthsAreEvenSixteenths) {
  // 2 x round(8 v / 20)
  const struct {
    int32_t pixels, script;
  } cases[] = {{0, 0}, {20, 16}, {10, 8}, {-10, -8}, {3, 2}, {1, 0}, {-3, -2}, {100, 80}};
  for (const auto& c : cases) EXPECT_EQ(ScriptLength(c.pixels), c.script) << c.pixels;
  EXPECT_NO_THROW(ScriptLength(0x1FFFE));
  EXPECT_THROW(ScriptLength(0x1FFFF), EngineFailure);
  EXPECT_THROW(ScriptLength(-0x1FFFF), EngineFailure);
}

TEST_F(MscriptTest, ScriptPlacesOnAStaff) {
  AddHandStaff({0, 100, 20, 50, 1150, 5, 0});
  AddHandStaff({0, 300, 10, 50, 1150, 5, 0});  // its own, smaller space
  EXPECT_EQ(ToScriptX(50, 0), 0);
  EXPECT_EQ(ToScriptX(10, 0), 0);  // left of the staff: clamped
  EXPECT_EQ(ToScriptX(70, 0), 16);
  const struct {
    int32_t staff, y, place;
  } cases[] = {{0, 100, 0},  {0, 110, 8},  {0, 80, -16}, {0, 180, 64}, {0, 190, 72},
               {0, 150, 40}, {1, 300, 0},  {1, 305, 8},  {1, 340, 64}, {1, 350, 80}};
  for (const auto& c : cases) EXPECT_EQ(ToScriptY(c.y, 500, c.staff), c.place) << c.staff << " " << c.y;
}

TEST_F(MscriptTest, PageFromTheStaffTable) {
  TwoSystems();
  ResetPageDescription("a title");
  EXPECT_EQ(AddPageDescription("page.tif"), 2);
  const PageDescription& d = GetPageDescription();
  EXPECT_STREQ(d.title, "a title");
  EXPECT_EQ(d.resetFlag, 1);
  EXPECT_EQ(d.pageCount, 1);
  EXPECT_STREQ(d.pages[0].imageName, "page.tif");
  EXPECT_EQ(d.pages[0].staffSpace, 20 * 1024);
  EXPECT_EQ(GetPageSystemCount(0), 2);
  EXPECT_EQ(GetSystemStaveCount(0, 1), 2);
  const MscriptSystem* system = GetPageSystem(0, 1);
  EXPECT_EQ(system->leftX, 50);
  EXPECT_EQ(system->topY, 500);
  EXPECT_EQ(system->height, 230);
  const MscriptStave* stave = GetSystemStave(0, 1, 0);
  EXPECT_EQ(stave->joined, 1);
  EXPECT_EQ(stave->height, 64);
  EXPECT_EQ(stave->word2, -1);
  EXPECT_EQ(GetSystemStave(0, 1, 1)->joined, 0);
}

TEST_F(MscriptTest, JoinFlagsAreTidiedAndMadeUniform) {
  // System 0: 1 joined to 2 joined to 3: the first loses its flag.
  AddHandStaff({0, 100, 20, 50, 1150, 5, 1});
  AddHandStaff({0, 200, 20, 50, 1150, 5, 1});
  AddHandStaff({0, 300, 20, 50, 1150, 5, 1});
  // Systems 1 and 2: the first staff joined; system 3 not.
  for (int32_t s = 1; s <= 3; ++s) {
    AddHandStaff({s, 250 + 150 * s, 20, 50, 1150, 5, s < 3 ? 1 : 0});
    AddHandStaff({s, 300 + 150 * s, 20, 50, 1150, 5, 0});
    AddHandStaff({s, 350 + 150 * s, 20, 50, 1150, 5, 0});
  }
  NewPage();
  // Position 0: joined in systems 1 and 2 of 4: not more than half, cleared.
  // Position 1: joined in system 0 only: cleared.
  for (int32_t s = 0; s < 4; ++s)
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(GetSystemStave(0, s, i)->joined, 0) << s << " " << i;
}

TEST_F(MscriptTest, MajorityJoinSpreadsOverTheLeadingSystems) {
  for (int32_t s = 0; s < 3; ++s) {
    AddHandStaff({s, 100 + 200 * s, 20, 50, 1150, 5, s < 2 ? 1 : 0});
    AddHandStaff({s, 200 + 200 * s, 20, 50, 1150, 5, 0});
  }
  NewPage();
  for (int32_t s = 0; s < 3; ++s) EXPECT_EQ(GetSystemStave(0, s, 0)->joined, 1) << s;
}

TEST_F(MscriptTest, PageWithoutStavesAnswers65) {
  ResetPageDescription("t");
  EXPECT_EQ(AddPageDescription("x"), 65);
  EXPECT_EQ(GetPageSystemCount(0), 0);
}

TEST_F(MscriptTest, ResetTwiceIsAFailedCheck) {
  ResetPageDescription("t");
  EXPECT_THROW(ResetPageDescription("t"), EngineFailure);
}

TEST_F(MscriptTest, AccessorsCheckEveryIndex) {
  TwoSystems();
  NewPage();
  AddTimeSlot(0);
  EXPECT_NO_THROW(GetSystemStave(0, 1, 1));
  EXPECT_THROW(GetSystemStave(1, 0, 0), EngineFailure);
  EXPECT_THROW(GetSystemStave(0, 2, 0), EngineFailure);
  EXPECT_THROW(GetSystemStave(0, 0, 2), EngineFailure);
  EXPECT_THROW(GetSystemStave(0, -1, 0), EngineFailure);
  EXPECT_THROW(GetTimeSlot(0, 0, 0, 1), EngineFailure);
  EXPECT_THROW(GetStaveDynamic(0, 0, 0, 0), EngineFailure);
  EXPECT_THROW(GetSystemSlur(0, 0, 0), EngineFailure);
  EXPECT_THROW(GetStaveTextLine(0, 0, 0, 0), EngineFailure);
  int32_t count = 0;
  EXPECT_THROW(GetTimeSlotNotes(0, 0, 1, 0, &count), EngineFailure);
  // The unchecked counts answer 0 for indexes that name nothing.
  EXPECT_EQ(GetPageSystemCount(3), 0);
  EXPECT_EQ(GetSystemStaveCount(0, 7), 0);
  EXPECT_EQ(GetSystemSlurCount(-1, 0), 0);
}

TEST_F(MscriptTest, TimeSlotsHoldEventsInOrder) {
  TwoSystems();
  NewPage();
  AddTimeSlot(1);
  int32_t count = -1;
  GetTimeSlotNotes(0, 0, 1, 0, &count);
  EXPECT_EQ(count, 0);
  int32_t words[kTimeSignatureWords];
  int32_t found = -1;
  GetTimeSlotTimeSignature(0, 0, 1, 0, words, &found);
  EXPECT_EQ(found, 0);
  GetTimeSlotBarline(0, 0, 1, 0, words, &found);
  EXPECT_EQ(found, 0);

  const int32_t clef[kClefWords] = {1, 270, 90, 0, 0, 0, 0, 0, 0};
  AddClefEvent(1, clef);
  MscriptNoteGroup g{};
  g.noteCount = 3;
  const int32_t places[3] = {40, -8, 16};
  for (int k = 0; k < 3; ++k) {
    g.notes[k].place = places[k];
    g.notes[k].pageX = 150 + k;
    g.notes[k].type = kNoteSolid;
  }
  AddNoteGroupEvents(1, &g, 1);
  const int32_t time[kTimeSignatureWords] = {1044, 280, 110, 4, 4, 0, 0, 0, 0, 0};
  AddTimeSignatureEvent(1, time);
  const int32_t bar[kBarlineWords] = {0, 300, 302, 0, 0, 0, 0, 0, 0};
  AddBarlineEvent(1, bar);

  const MscriptNoteGroup* notes = GetTimeSlotNotes(0, 0, 1, 0, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(notes[0].notes[0].place, -8);
  EXPECT_EQ(notes[0].notes[1].place, 16);
  EXPECT_EQ(notes[0].notes[2].place, 40);
  EXPECT_EQ(notes[0].notes[0].x, ToScriptX(151, 1));
  const int32_t(*clefs)[kClefWords] = GetTimeSlotClefs(0, 0, 1, 0, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(clefs[0][1], ToScriptY(270, 90, 1));
  EXPECT_EQ(clefs[0][2], ToScriptX(90, 1));
  GetTimeSlotTimeSignature(0, 0, 1, 0, words, &found);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(words[0], 1044);
  GetTimeSlotBarline(0, 0, 1, 0, words, &found);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(words[1], ToScriptX(300, 1));
  EXPECT_EQ(GetStaveTimeSlotCount(0, 0, 1), 1);
  EXPECT_EQ(GetTimeSlot(0, 0, 1, 0)->eventCount, 4);
}

TEST_F(MscriptTest, ABarLineWithAMarkIsNotTheSlotsBarLine) {
  TwoSystems();
  NewPage();
  AddTimeSlot(0);
  const int32_t bar[kBarlineWords] = {0, 300, 302, 0, 0, 0, 0, 0, 1};
  AddBarlineEvent(0, bar);
  int32_t words[kBarlineWords];
  int32_t found = -1;
  GetTimeSlotBarline(0, 0, 0, 0, words, &found);
  EXPECT_EQ(found, 0);
  for (int32_t w : words) EXPECT_EQ(w, 0);
}

TEST_F(MscriptTest, FinishingASlotNeedsTheBarLineBeforeIt) {
  TwoSystems();
  NewPage();
  AddTimeSlot(0);
  FinishTimeSlot(0);  // the first slot needs nothing before it
  AddTimeSlot(0);
  EXPECT_THROW(FinishTimeSlot(0), EngineFailure);
}

TEST_F(MscriptTest, FinishingASlotDropsKeySignaturesAndRenumbersBeams) {
  TwoSystems();
  NewPage();
  AddTimeSlot(0);
  const int32_t bar[kBarlineWords] = {0, 300, 302, 0, 0, 0, 0, 0, 0};
  AddBarlineEvent(0, bar);
  FinishTimeSlot(0);
  AddTimeSlot(0);
  // Right against the bar's first notes: an accidental read as a key.
  const int32_t key[kKeySignatureWords] = {2, 260, 390, 0, 0, 0, 0, 0};
  AddKeySignatureEvent(0, key);
  MscriptNoteGroup groups[4] = {Group({kNoteSolid}), Group({kNoteSolid}), Group({kNoteSolid}), Group({kNoteSolid})};
  const int32_t beams[4] = {7, 7, 3, 7};
  for (int i = 0; i < 4; ++i) {
    groups[i].beamGroup = beams[i];
    groups[i].notes[0].pageX = 400 + 10 * i;
  }
  groups[1].leftBeams = 2;
  AddNoteGroupEvents(0, groups, 4);
  AddKeySignatureEvent(0, key);
  FinishTimeSlot(0);

  int32_t count = -1;
  GetTimeSlotKeySignatures(0, 0, 0, 1, &count);
  EXPECT_EQ(count, 0);
  const MscriptNoteGroup* notes = GetTimeSlotNotes(0, 0, 0, 1, &count);
  ASSERT_EQ(count, 4);
  int32_t byX[4][4];  // beam group, left, right by page x
  for (int i = 0; i < 4; ++i) {
    const int k = (notes[i].notes[0].pageX - 400) / 10;
    byX[k][0] = notes[i].beamGroup;
    byX[k][1] = notes[i].leftBeams;
    byX[k][2] = notes[i].rightBeams;
  }
  // The groups keep their order when the key signatures go, so beam group 0
  // runs from the group at x 400 to the one at x 430.
  const int32_t expected[4][3] = {{0, 0, 1}, {0, 2, 1}, {1, 0, 0}, {0, 1, 0}};
  for (int k = 0; k < 4; ++k)
    for (int f = 0; f < 3; ++f) EXPECT_EQ(byX[k][f], expected[k][f]) << k << " " << f;
}

// A key signature dropped from a slot that is closed after its bar line
// (as the bar calculations close every slot) leaves the bar line last, so the
// next slot still finds it and the page is not given up.
TEST_F(MscriptTest, DroppingAKeySignatureKeepsTheSlotsBarLineLast) {
  TwoSystems();
  NewPage();
  const int32_t bar[kBarlineWords] = {0, 300, 302, 0, 0, 0, 0, 0, 0};
  const int32_t key[kKeySignatureWords] = {2, 260, 320, 0, 0, 0, 0, 0};
  AddTimeSlot(0);
  AddBarlineEvent(0, bar);
  FinishTimeSlot(0);
  AddTimeSlot(0);
  AddKeySignatureEvent(0, key);
  MscriptNoteGroup g = Group({kNoteSolid});
  AddNoteGroupEvents(0, &g, 1);
  AddBarlineEvent(0, bar);
  FinishTimeSlot(0);
  AddTimeSlot(0);
  AddNoteGroupEvents(0, &g, 1);
  AddBarlineEvent(0, bar);
  EXPECT_NO_THROW(FinishTimeSlot(0));
  int32_t count = -1;
  GetTimeSlotKeySignatures(0, 0, 0, 1, &count);
  EXPECT_EQ(count, 0);
  GetTimeSlotNotes(0, 0, 0, 1, &count);
  EXPECT_EQ(count, 1);
}

TEST_F(MscriptTest, KeySignaturesStayWithAClef) {
  TwoSystems();
  NewPage();
  AddTimeSlot(0);
  const int32_t bar[kBarlineWords] = {0, 300, 302, 0, 0, 0, 0, 0, 0};
  AddBarlineEvent(0, bar);
  AddTimeSlot(0);
  const int32_t clef[kClefWords] = {0, 180, 320, 0, 0, 0, 0, 0, 0};
  const int32_t key[kKeySignatureWords] = {2, 260, 330, 0, 0, 0, 0, 0};
  AddClefEvent(0, clef);
  AddKeySignatureEvent(0, key);
  MscriptNoteGroup g = Group({kNoteSolid});
  AddNoteGroupEvents(0, &g, 1);
  FinishTimeSlot(0);
  int32_t count = -1;
  GetTimeSlotKeySignatures(0, 0, 0, 1, &count);
  EXPECT_EQ(count, 1);
}

// A key signature after a plain bar line stays when it changes the key in
// force on the stave and stands clear of the bar's first notes (two staff
// spaces, 40 pixels here); the first slot's key is the one in force.
TEST_F(MscriptTest, KeyChangesAfterABarLineStay) {
  struct Case {
    const char* what;
    int32_t firstKey;  // key of the first slot, 0: none
    int32_t key;       // key of the second slot
    int32_t keyX;      // its page x; the notes stand at x 400
    int32_t kept;
  };
  const Case cases[] = {
      {"sharps after no key", 0, 3, 330, 1},
      {"flats after sharps", 3, -3, 330, 1},
      {"the same key again", 3, 3, 330, 0},
      {"no accidentals after two sharps", 2, 0, 330, 1},
      {"just clear of the notes", 0, 1, 360, 1},
      {"against the notes", 0, 1, 370, 0},
  };
  for (const Case& c : cases) {
    LoadHandPage(1200, 900, 20);
    TwoSystems();
    NewPage();
    const int32_t bar[kBarlineWords] = {0, 300, 302, 0, 0, 0, 0, 0, 0};
    MscriptNoteGroup g = Group({kNoteSolid});
    g.notes[0].pageX = 400;
    AddTimeSlot(0);
    if (c.firstKey != 0) {
      const int32_t first[kKeySignatureWords] = {c.firstKey, 260, 90, 0, 0, 0, 0, 0};
      AddKeySignatureEvent(0, first);
    }
    AddNoteGroupEvents(0, &g, 1);
    AddBarlineEvent(0, bar);
    FinishTimeSlot(0);
    AddTimeSlot(0);
    const int32_t key[kKeySignatureWords] = {c.key, 260, c.keyX, 0, 0, 0, 0, 0};
    AddKeySignatureEvent(0, key);
    AddNoteGroupEvents(0, &g, 1);
    AddBarlineEvent(0, bar);
    FinishTimeSlot(0);
    int32_t count = -1;
    const int32_t(*keys)[kKeySignatureWords] = GetTimeSlotKeySignatures(0, 0, 0, 1, &count);
    ASSERT_EQ(count, c.kept) << c.what;
    if (c.kept) EXPECT_EQ(keys[0][0], c.key) << c.what;
    int32_t words[kBarlineWords];
    int32_t found = 0;
    GetTimeSlotBarline(0, 0, 0, 1, words, &found);
    EXPECT_EQ(found, 1) << c.what;
  }
}

TEST_F(MscriptTest, SlursNeedRoomBetweenTheirEnds) {
  TwoSystems();
  NewPage();
  AddSystemSlur(0, EnginePoint{120, 200}, EnginePoint{120, 210}, 5);  // 8 script units apart
  EXPECT_EQ(GetSystemSlurCount(0, 0), 0);
  AddSystemSlur(0, EnginePoint{120, 200}, EnginePoint{120, 240}, 500);
  ASSERT_EQ(GetSystemSlurCount(0, 0), 1);
  const MscriptSlur slur = GetSystemSlur(0, 0, 0);
  EXPECT_EQ(slur.rightX - slur.leftX, 32);
  EXPECT_EQ(slur.curvature, 16);  // (32 + 0 + 1) / 2
  EXPECT_EQ(slur.pageCurvature, 500);
  EXPECT_EQ(slur.links[0], -1);
  EXPECT_EQ(slur.links[4], -1);
  EXPECT_EQ(slur.links[8], -1);
  EXPECT_EQ(slur.links[9], -1);
  EXPECT_EQ(slur.links[10], 0);
}

TEST_F(MscriptTest, MarksAndTextAreCopiedOut) {
  TwoSystems();
  NewPage();
  AddStaveDynamic(2, 7, EngineBox{100, 600, 120, 620});
  AddStaveTextLine(1, 3, EngineBox{60, 350, 400, 370}, 20);
  AddTextLineWord(1, 4, EngineBox{60, 350, 120, 370}, "Al", 1);
  AddStaveTextItem(0, EngineBox{70, 40, 300, 60}, 20, "Allegro");
  AddStavePedalOrnament(3, 0, EngineBox{80, 760, 110, 780});
  AddStaveRepeatMark(0, 1, EngineBox{80, 60, 100, 80});
  const MscriptDynamic dyn = GetStaveDynamic(0, 1, 0, 0);
  EXPECT_EQ(dyn.code, 7);
  EXPECT_EQ(dyn.box.x1, 120);
  EXPECT_EQ(dyn.unused[3], -1);
  EXPECT_EQ(GetStaveTextLine(0, 0, 1, 0).textHeight, 16);
  EXPECT_STREQ(GetTextLineWord(0, 0, 1, 0, 0).text, "Al-");
  EXPECT_EQ(GetTextLineWordCount(0, 0, 1, 0), 1);
  EXPECT_STREQ(GetStaveTextItem(0, 0, 0, 0).text, "Allegro");
  EXPECT_EQ(GetStaveTextItem(0, 0, 0, 0).value1, 5);
  EXPECT_EQ(GetStavePedalOrnamentCount(0, 1, 1), 1);
  EXPECT_EQ(GetStaveRepeatMark(0, 0, 0, 0).code, 1);
  EXPECT_THROW(GetTextLineWord(0, 0, 1, 0, 1), EngineFailure);
}

TEST_F(MscriptTest, MarkCodesComeFromTheirNameTables) {
  TwoSystems();
  NewPage();
  const EngineBox box{100, 600, 120, 620};
  // The last code of each table is taken; one past it, or below 0, is a
  // failed check that adds nothing.
  AddStaveDynamic(2, 18, box);
  AddStaveRepeatMark(2, 5, box);
  AddStavePedalOrnament(2, 7, box);
  for (int32_t code : {-1, 19}) EXPECT_THROW(AddStaveDynamic(2, code, box), EngineFailure) << code;
  for (int32_t code : {-1, 6}) EXPECT_THROW(AddStaveRepeatMark(2, code, box), EngineFailure) << code;
  for (int32_t code : {-1, 8}) EXPECT_THROW(AddStavePedalOrnament(2, code, box), EngineFailure) << code;
  EXPECT_EQ(GetStaveDynamicCount(0, 1, 0), 1);
  EXPECT_STREQ(GetMscriptCodeName(kDynamicNames, GetStaveDynamic(0, 1, 0, 0).code), "Dyn_sfpp");
  EXPECT_EQ(GetStaveRepeatMarkCount(0, 1, 0), 1);
  EXPECT_STREQ(GetMscriptCodeName(kRepeatMarkNames, GetStaveRepeatMark(0, 1, 0, 0).code), "Ending4");
  EXPECT_EQ(GetStavePedalOrnamentCount(0, 1, 0), 1);
  EXPECT_STREQ(GetMscriptCodeName(kPedalOrnamentNames, GetStavePedalOrnament(0, 1, 0, 0).code),
               "OrnamentInvertedTurn");
}

TEST(NoteGroupDuration, FollowsTypesBeamsFlagsAndDots) {
  struct Case {
    MscriptNoteGroup group;
    PackedFraction expected;
  };
  auto with = [](MscriptNoteGroup g, int dots, int flags, int size, int left, int right) {
    g.dots = dots;
    g.flagCount = flags;
    g.beamGroupSize = size;
    g.leftBeams = left;
    g.rightBeams = right;
    return g;
  };
  MscriptNoteGroup multi = Group({kMultiBarRest});
  multi.barCount = 12;
  const Case cases[] = {
      {Group({kNoteMinim}), Frac(1, 2)},
      {with(Group({kNoteMinim}), 1, 0, 0, 0, 0), Frac(3, 4)},  // a dotted minim
      {with(Group({kNoteSolid}), 0, 0, 3, 2, 1), Frac(1, 16)},
      {with(Group({kNoteSolid}), 0, 1, 0, 0, 0), Frac(1, 8)},
      {with(Group({kNoteSolid}), 2, 2, 0, 0, 0), Frac(7, 64)},
      {with(Group({kNoteSolid}), 3, 0, 0, 0, 0), Frac(15, 32)},
      {with(Group({kNoteMinim}), 0, 0, 2, 1, 1), Frac(1, 8)},  // beamed minims count as crotchets
      {Group({kNoteBreve}), Frac(2, 1)},
      {Group({kNoteSBreve, kNoteSBreve}), Frac(1, 1)},
      {Group({kNoteGrace}), Frac(0, 1)},
      {Group({kNoteGrace, kNoteSolid}), Frac(1, 4)},
      {Group({kCrotchetRest}), Frac(1, 4)},
      {Group({kHDSQuaverRest}), Frac(1, 64)},
      {with(Group({kMinimRest}), 1, 0, 0, 0, 0), Frac(3, 4)},
      {multi, Frac(12, 1)},
  };
  for (const Case& c : cases) {
    const PackedFraction got = GetNoteGroupDuration(c.group);
    EXPECT_EQ(got & 0xFFFF, c.expected & 0xFFFF) << "type " << c.group.notes[0].type;
    EXPECT_EQ(got >> 16, c.expected >> 16) << "type " << c.group.notes[0].type;
  }
  EXPECT_THROW(GetNoteGroupDuration(Group({kInvisibleRest})), EngineFailure);
}

TEST(NoteGroupTests, RestGraceAndExtremePlace) {
  EXPECT_TRUE(IsRestGroup(Group({kCrotchetRest})));
  EXPECT_FALSE(IsRestGroup(Group({kInvisibleRest})));
  EXPECT_FALSE(IsRestGroup(Group({kNoteSolid})));
  EXPECT_TRUE(IsGraceGroup(Group({kNoteGrace, kNoteGrace})));
  EXPECT_TRUE(IsGraceGroup(MscriptNoteGroup{}));
  EXPECT_FALSE(IsGraceGroup(Group({kNoteGrace, kNoteSolid})));
  MscriptNoteGroup g = Group({kNoteSolid, kNoteSolid, kNoteSolid});  // places 0, 10, 20
  EXPECT_EQ(GroupExtremePlace(g), 0);
  g.stemDirection = 1;
  EXPECT_EQ(GroupExtremePlace(g), 20);
}

TEST(Skew, ApplyAndRemove) {
  // k = 0.01 x 1024 ~ 10, offsets a and b.
  const EnginePoint p = ApplySkew(100, 200, 10, 4096, 0);
  EXPECT_EQ(p.y, 100 + ((4096 - 2000 + 512) >> 10));
  EXPECT_EQ(p.x, 200 + ((1000 + 512) >> 10));
  const EnginePoint q = RemoveSkew(p.y, p.x, 10, 4096, 0);
  EXPECT_EQ(q.y, p.y - ((4096 - p.x * 10 + 512) >> 10));
  EXPECT_THROW(ApplySkew(0, 500, 10, 0, 0), EngineFailure);  // y would go negative
  const EnginePoint r = RemoveSkew(0, 0, 0, 4096, 4096);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.x, 0);
}

// ---- Code names ----

TEST(MscriptCodeNames, EveryTableNamesItsCodes) {
  const struct {
    const MscriptCodeTable* table;
    int32_t count;
    int32_t code;
    const char* name;
  } cases[] = {
      {&kTextEncodingNames, 3, 0, "ASCII"},       {&kTextEncodingNames, 3, 1, "ISO88591"},
      {&kTextEncodingNames, 3, 2, "UTF8"},        {&kAccidentalNames, 8, 0, "None"},
      {&kAccidentalNames, 8, 1, "Sharp"},         {&kAccidentalNames, 8, 5, "DoubleFlat"},
      {&kAccidentalNames, 8, 7, "NaturalFlat"},   {&kNoteTypeNames, 15, kNoteBreve, "Breve"},
      {&kNoteTypeNames, 15, kNoteGrace, "Grace"}, {&kNoteTypeNames, 15, kHDSQuaverRest, "HDSQuaverRest"},
      {&kNoteTypeNames, 15, kInvisibleRest, "InvisibleRest"},
      {&kClefNames, 7, 0, "Treble"},              {&kClefNames, 7, 1, "Bass"},
      {&kClefNames, 7, 2, "Alto"},                {&kClefNames, 7, 3, "TrebleUp8"},
      {&kClefNames, 7, 6, "BassDown8"},           {&kBarlineNames, 6, 0, "Single"},
      {&kBarlineNames, 6, 4, "Backtobackrepeat"}, {&kBarlineNames, 6, 5, "ThinThick"},
      {&kDynamicNames, 19, 0, "Hairpindim"},      {&kDynamicNames, 19, 1, "Hairpincres"},
      {&kDynamicNames, 19, 2, "Dyn_pppp"},        {&kDynamicNames, 19, 7, "Dyn_mf"},
      {&kDynamicNames, 19, 18, "Dyn_sfpp"},       {&kRepeatMarkNames, 6, 0, "Coda"},
      {&kRepeatMarkNames, 6, 5, "Ending4"},       {&kPedalOrnamentNames, 8, 0, "PedalEngage"},
      {&kPedalOrnamentNames, 8, 2, "PedalVariable"}, {&kPedalOrnamentNames, 8, 7, "OrnamentInvertedTurn"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.table->count, c.count) << c.name;
    EXPECT_STREQ(GetMscriptCodeName(*c.table, c.code), c.name);
    EXPECT_EQ(FindMscriptCode(*c.table, c.name), c.code);
  }
}

TEST(MscriptCodeNames, CodesRunWithoutGapsAndNamesAreUnique) {
  for (const MscriptCodeTable* table : {&kTextEncodingNames, &kAccidentalNames, &kNoteTypeNames, &kClefNames,
                                        &kBarlineNames, &kDynamicNames, &kRepeatMarkNames, &kPedalOrnamentNames}) {
    for (int32_t code = 0; code < table->count; ++code) {
      const char* name = GetMscriptCodeName(*table, code);
      EXPECT_EQ(FindMscriptCode(*table, name), code) << name;
    }
  }
  // The clef table keeps the octave clefs before bass and alto.
  const char* const clefOrder[] = {"Treble", "TrebleUp8", "TrebleDown8", "BassUp8", "BassDown8", "Bass", "Alto"};
  for (int32_t i = 0; i < kClefNames.count; ++i) EXPECT_STREQ(kClefNames.rows[i].name, clefOrder[i]);
}

TEST(MscriptCodeNames, UnknownCodesAreFailedChecksAndUnknownNamesAreMinusOne) {
  const struct {
    const MscriptCodeTable* table;
    int32_t code;
  } cases[] = {
      {&kTextEncodingNames, 3}, {&kAccidentalNames, -1}, {&kAccidentalNames, 8}, {&kNoteTypeNames, 15},
      {&kClefNames, 7},         {&kBarlineNames, 6},     {&kDynamicNames, 19},   {&kRepeatMarkNames, 6},
      {&kPedalOrnamentNames, 8}, {&kDynamicNames, INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_THROW(GetMscriptCodeName(*c.table, c.code), EngineFailure) << c.code;
  EXPECT_EQ(FindMscriptCode(kAccidentalNames, "sharp"), -1);  // names are matched exactly
  EXPECT_EQ(FindMscriptCode(kDynamicNames, "Dyn_pppp "), -1);
  EXPECT_EQ(FindMscriptCode(kClefNames, ""), -1);
  EXPECT_THROW(FindMscriptCode(kClefNames, nullptr), EngineFailure);
}

// ---- Boxes and costs of found objects ----

class FoundObjectTest : public MscriptTest {
 protected:
  void SetUp() override {
    MscriptTest::SetUp();
    // A five-line staff with its top line at row 100, staff space 20.
    AddHandStaff({0, 100, 20, 50, 1150, 5, 0});
    sharp = AddFixedSymbol({10, 20, 18, 40, 20, 90, 100, 0});
    flat = AddFixedSymbol({5, 25, 12, 45, 20, 91, 301, 0});
    deletedNatural = AddFixedSymbol({30, 30, 36, 50, 20, 92, 50, 0});
    DeleteFixedSymbol(deletedNatural);
    clef = AddFixedSymbol({60, 80, 80, 200, 60, 80, 7, 0});
  }
  void TearDown() override {
    FreeFixedSymbols();
    FreeNoteheads();
    FreeVerticalLines();
    FreeBeams();
    FreeSlurs();
    MscriptTest::TearDown();
  }
  int32_t sharp = -1, flat = -1, deletedNatural = -1, clef = -1;
};

constexpr EngineBox kNoBox{kNoBoxWord, kNoBoxWord, kNoBoxWord, kNoBoxWord};

void ExpectBox(const EngineBox& got, const EngineBox& want) {
  EXPECT_EQ(got.x0, want.x0);
  EXPECT_EQ(got.y0, want.y0);
  EXPECT_EQ(got.x1, want.x1);
  EXPECT_EQ(got.y1, want.y1);
}

TEST_F(FoundObjectTest, AccidentalReferencesGiveTheUnionBoxAndTheMeanCost) {
  const struct {
    int32_t refs[3];
    EngineBox box;
    int32_t cost;
  } cases[] = {
      {{1, sharp, 0}, {10, 20, 18, 40}, 100},
      {{1, flat, 0}, {5, 25, 12, 45}, 301},
      {{2, sharp, flat}, {5, 20, 18, 45}, 200},  // (100 + 301) / 2
      {{2, flat, sharp}, {5, 20, 18, 45}, 200},
      {{2, sharp, clef}, {10, 20, 80, 200}, 53},  // the second is named, whatever it is
      {{1, deletedNatural, 0}, kNoBox, 0},        // no live accidental
      {{1, clef, 0}, kNoBox, 0},
      {{2, clef, sharp}, kNoBox, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.refs[0] << " " << c.refs[1] << " " << c.refs[2]);
    ExpectBox(GetAccidentalRefsBox(c.refs), c.box);
    EXPECT_EQ(GetAccidentalRefsCost(c.refs), c.cost);
  }
}

TEST_F(FoundObjectTest, BadAccidentalReferencesAreFailedChecks) {
  const int32_t count = GetFixedSymbolCount();
  const int32_t cases[][3] = {
      {0, sharp, 0}, {3, sharp, flat}, {-1, sharp, 0},      // the count must be 1 or 2
      {1, -1, 0},    {1, count, 0},    {2, sharp, count},   // every index named must be a symbol
      {2, sharp, -1},
  };
  for (const auto& refs : cases) {
    EXPECT_THROW(GetAccidentalRefsBox(refs), EngineFailure) << refs[0] << " " << refs[1] << " " << refs[2];
    EXPECT_THROW(GetAccidentalRefsCost(refs), EngineFailure) << refs[0] << " " << refs[1] << " " << refs[2];
  }
  EXPECT_THROW(GetAccidentalRefsBox(nullptr), EngineFailure);
  // The engine goes on: good references still answer.
  const int32_t good[3] = {1, sharp, 0};
  EXPECT_EQ(GetAccidentalRefsCost(good), 100);
}

TEST_F(FoundObjectTest, FoundObjectBoxesAndCostsByKind) {
  // A head on the middle line (step 0, row 140): its columns and half a
  // staff space above and below. Model 0 has bias 1400 and limit 3000.
  FoundNotehead head{};
  head.leftX = 300;
  head.rightX = 316;
  head.centreY = 141;
  head.staff = 0;
  head.step = 0;
  head.model = 0;
  head.rawCost = 2200;
  const int32_t notehead = AddFoundNotehead(head);
  head.step = -4;  // on the top line (row 100)
  head.rawCost = 1000;
  const int32_t cheapHead = AddFoundNotehead(head);
  const int32_t line = AddFoundVerticalLine({50, 100, 120, 100, 2048, 777, 0});
  const int32_t beam = AddFoundBeam({100, 200, 50, 60, 4096, 888, 0});
  std::vector<SlurColumn> columns(5, SlurColumn{10, 12, 0});
  FoundSlur slur{};
  slur.columnCount = 5;
  slur.cost = 999;
  const int32_t slurIndex = AddFoundSlur(slur, columns.data());
  const struct {
    int32_t kind, index;
    EngineBox box;
    int32_t cost;
  } cases[] = {
      {90, sharp, {10, 20, 18, 40}, 100},
      {80, clef, {60, 80, 80, 200}, 7},
      {1999, flat, {5, 25, 12, 45}, 301},
      {kObjectNotehead, notehead, {300, 130, 316, 150}, 512},  // (2200 - 1400) x 1024 / 1600
      {kObjectNotehead, cheapHead, {300, 90, 316, 110}, 0},    // below the bias
      {kObjectVerticalLine, line, kNoBox, 777},
      {kObjectBeam, beam, kNoBox, 888},
      {kObjectSlur, slurIndex, kNoBox, 999},
      {kObjectBarLine, 0, kNoBox, 0},
      {kObjectLedgerLine, 0, kNoBox, 0},
      {kObjectLyricWord, 5, kNoBox, 0},
      {0, 0, kNoBox, 0},
      {2000, 0, kNoBox, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << c.index);
    ExpectBox(GetFoundObjectBox(c.kind, c.index), c.box);
    EXPECT_EQ(GetFoundObjectCost(c.kind, c.index), c.cost);
  }
  // The finder's penalty sum of the model enters the normalisation:
  // 800 x 1024 / (3000 + 800 / 8 - 1400), rounded.
  SetNoteheadPenaltySum(0, 800);
  EXPECT_EQ(GetFoundObjectCost(kObjectNotehead, notehead), 482);
}

TEST_F(FoundObjectTest, FoundObjectIndexesAreCheckedAgainstTheirKindsTable) {
  AddFoundNotehead(FoundNotehead{});
  AddFoundVerticalLine({0, 0, 10, 0, 1024, 1, 0});
  const struct {
    int32_t kind, index;
    bool box;  // the box accessor reads this kind's table too
  } cases[] = {
      {90, -1, true},  {90, 4, true},  {kMaxFixedSymbolType, 100, true}, {kObjectNotehead, 1, true},
      {kObjectNotehead, -1, true},    {kObjectVerticalLine, 1, false},  {kObjectBeam, 0, false},
      {kObjectSlur, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << c.index);
    EXPECT_THROW(GetFoundObjectCost(c.kind, c.index), EngineFailure);
    if (c.box) {
      EXPECT_THROW(GetFoundObjectBox(c.kind, c.index), EngineFailure);
    }
  }
  // A head of a model that is never recorded has no cost scale.
  FoundNotehead odd{};
  odd.model = 3;
  EXPECT_THROW(GetFoundObjectCost(kObjectNotehead, AddFoundNotehead(odd)), EngineFailure);
}

}  // namespace
