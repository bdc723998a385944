// Navigation marks and symbol words: "D.S." with its companions, coda signs
// with their texts, endings and the pedal and ornament signs.
#include "building/NavigationMarks.h"
#include "tests/building/WordFixture.h"

namespace {

using wordtest::HasAttached;
using wordtest::WordPage;

struct OneSystem {
  WordPage page;
  int row;
  OneSystem() {
    row = page.AddStave(1200, 0);
    for (int x : {400, 800, 1200, 1600, 2000}) page.AddNote(row, static_cast<int16_t>(x));
  }
};

TEST(NavigationMarks, DalSegnoTakesItsCompanionWords) {
  OneSystem s;
  WordPage& p = s.page;
  const uint32_t ds = p.AddText(u"D.S.", {200, 1140, 260, 1180});
  const uint32_t al = p.AddText(u"al", {275, 1142, 300, 1180});
  const uint32_t fine = p.AddText(u"fine", {310, 1140, 360, 1180});
  const uint32_t both = p.AddText(u"D.S. al Coda", {160, 1000, 300, 1040});
  p.Interpret(s.row);
  EXPECT_EQ(p.Kind(ds), kTextKindSegno);
  EXPECT_EQ(p.Text(ds), u"D.S. al fine");
  EXPECT_EQ(p.Kind(al), kTextConsumed);
  EXPECT_EQ(p.Kind(fine), kTextConsumed);
  EXPECT_EQ(p.Char(ds).right, 360);
  EXPECT_TRUE(HasAttached(p.Attached(0), kAttachSegno, ds));
  // One record that holds both "D.S." and "coda" waits for a coda sign.
  EXPECT_NE(p.Kind(both), kTextKindSegno);
}

TEST(NavigationMarks, DalSegnoFarFromTheStaveStartNeedsATimeSignature) {
  for (bool digit : {false, true}) {
    OneSystem s;
    WordPage& p = s.page;
    if (digit) p.AddTimeDigit(s.row, 900, 930);
    const uint32_t ds = p.AddText(u"D.S.", {960, 1140, 1020, 1180});
    p.Interpret(s.row);
    EXPECT_EQ(p.Kind(ds) == kTextKindSegno, digit);
  }
}

TEST(NavigationMarks, EndingKeepsItsSignAndDropsTheTextInside) {
  OneSystem s;
  WordPage& p = s.page;
  const uint32_t ending = p.AddText(u"\uFFFFENDING2.", {200, 1040, 700, 1100});
  const uint32_t inside = p.AddWord(u"2.", {210, 1050, 240, 1090}, kTextKindTextLine);
  p.Interpret(s.row);
  EXPECT_EQ(p.Kind(ending), kTextKindEnding);
  EXPECT_EQ(p.Text(ending), u"2.");
  EXPECT_EQ(p.Kind(inside), kTextConsumed);
  EXPECT_TRUE(HasAttached(p.Attached(0), kAttachEnding, ending));
}

TEST(NavigationMarks, CodaSignTakesToAndCodaTexts) {
  OneSystem s;
  WordPage& p = s.page;
  p.AddTimeDigit(s.row, 950, 980);
  const uint32_t sign = p.AddText(u"\uFFFFCODA", {1000, 1120, 1050, 1170});
  const uint32_t to = p.AddText(u"To", {860, 1130, 890, 1165});
  const uint32_t coda = p.AddText(u"Coda", {900, 1130, 990, 1165});
  p.Interpret(s.row);
  EXPECT_EQ(p.Kind(sign), kTextKindCoda);
  EXPECT_EQ(p.Text(sign), u"To Coda");
  EXPECT_EQ(p.Kind(to), kTextConsumed);
  EXPECT_EQ(p.Kind(coda), kTextConsumed);
  EXPECT_TRUE(HasAttached(p.Attached(2), kAttachCoda, sign));
}

// A "to" word of 150 units joins a short coda word only while the joined
// text fits the record; the sign keeps at most 15 units of it.
TEST(NavigationMarks, LongToWordsJoinOnlyWhileTheyFit) {
  struct Case {
    std::u16string coda;
    bool joined;
  } cases[] = {{u"Coda", true}, {u"Coda al Fine xx", false}};
  for (const Case& c : cases) {
    OneSystem s;
    WordPage& p = s.page;
    p.AddTimeDigit(s.row, 950, 980);
    const uint32_t sign = p.AddText(u"\uFFFFCODA", {1000, 1120, 1050, 1170});
    const uint32_t to = p.AddWord(u"to" + std::u16string(148, u'x'), {700, 1130, 890, 1165});
    const uint32_t coda = p.AddWord(c.coda, {900, 1130, 990, 1165});
    p.Interpret(s.row);
    EXPECT_EQ(p.Kind(sign), kTextKindCoda);
    EXPECT_EQ(p.Kind(to) == kTextConsumed, c.joined);
    if (c.joined) {
      EXPECT_EQ(p.Text(sign), u"to" + std::u16string(13, u'x'));
      EXPECT_EQ(p.Kind(coda), kTextConsumed);
    } else {
      EXPECT_EQ(p.Text(coda), c.coda);
    }
  }
}

TEST(NavigationMarks, SymbolWords) {
  struct Case {
    std::u16string name;
    uint16_t kind;
    uint16_t code;
    int16_t top;
  } cases[] = {
      {u"\uFFFETRILL", 53, 211, 1140},
      {u"\uFFFETURNINVERTED", 57, 215, 1140},
      {u"\uFFFEPEDALENGAGE", 50, 208, 1300},
      {u"\uFFFESOMETHING", 50, 208, 1300},
  };
  for (const Case& c : cases) {
    OneSystem s;
    WordPage& p = s.page;
    const uint32_t id = p.AddText(c.name, {790, c.top, 830, static_cast<int16_t>(c.top + 30)});
    p.Interpret(s.row);
    EXPECT_EQ(p.Kind(id), c.kind);
    EXPECT_EQ(p.Text(id), u"");
    ASSERT_EQ(p.Note(1).appenditureCount, 1);
    EXPECT_EQ(p.Note(1).appenditures[0].kind, c.code);
    EXPECT_EQ(p.Note(1).appenditures[0].left, 790);
  }
  // A sign overlapping a longer text was read from that text.
  OneSystem s;
  WordPage& p = s.page;
  const uint32_t id = p.AddText(u"\uFFFETRILL", {790, 1140, 830, 1170});
  p.AddText(u"trillo", {780, 1138, 850, 1172});
  p.Interpret(s.row);
  EXPECT_EQ(p.Kind(id), kTextConsumed);
}

}  // namespace
