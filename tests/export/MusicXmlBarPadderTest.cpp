// Padding rests of the MusicXML writer.
#include <gtest/gtest.h>

#include <string>

#include "export/MusicXmlWriter.h"

namespace {

std::string Padded(bool wholeBar, const CBeatCounter& duration, int voice) {
  CXmlOutput out;
  out.OpenInMemory();
  CMXMLWriter writer(out);
  CBarPadderXML padder(writer);
  ReaderTimeState bar;
  bar.Reset();
  if (wholeBar)
    padder.PadBarRest(bar, duration, voice);
  else
    padder.PadRest(bar, duration, voice);
  std::string text = out.Memory();
  std::string flat;
  for (char c : text)
    if (c != '\t' && c != '\r' && c != '\n') flat += c;
  return flat;
}

TEST(MusicXmlBarPadder, AQuarterRestInTheFirstVoice) {
  EXPECT_EQ(Padded(false, CBeatCounter(1, 4), 0),
            "<note><rest/><duration>1</duration><voice>1</voice><type>quarter</type></note>");
}

TEST(MusicXmlBarPadder, AWholeBarRestOfAThreeFourBarIsWrittenWhole) {
  EXPECT_EQ(Padded(true, CBeatCounter(3, 4), -1), "<note><rest/><duration>3</duration><type>whole</type></note>");
}

TEST(MusicXmlBarPadder, ARestOfNoNoteValueHasNoType) {
  EXPECT_EQ(Padded(false, CBeatCounter(3, 4), 1), "<note><rest/><duration>3</duration><voice>2</voice></note>");
}

}  // namespace
