#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/XmlOutput.h"
#include "platform/FileLayer.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace {

TEST(EscapeXmlText, Table) {
  struct Case {
    std::u16string text;
    std::string escaped;
  };
  const Case cases[] = {
      {u"", ""},
      {u"Flute & Piccolo", "Flute &amp; Piccolo"},
      {u"a<b>c", "a&lt;b&gt;c"},
      {u"say \"hi\"", "say &quot;hi&quot;"},
      {u"it's", "it's"},
      {u"caf\u00e9", "caf&#x00e9;"},
      {u"\u266d", "&#x266d;"},
      {u"`\\|", "&#x0060;&#x005c;&#x007c;"},
      {u"a\tb\r\nc", "a&#x0009;b&#x000d;&#x000a;c"},                 // allowed controls as references
      {std::u16string(u"a\u0001b\u001fc\u0000d", 7), "abcd"},         // forbidden controls dropped
      {u"x\ufffey\uffffz", "xyz"},                                     // non-characters dropped
      {u"\U0001D11E", "&#x1d11e;"},                                    // G clef sign: one pair, one reference
      {u"a\U0010FFFDb", "a&#x10fffd;b"},
      {std::u16string(u"a\xd834" u"b"), "ab"},                         // lone high surrogate
      {std::u16string(u"a\xdd1e" u"b"), "ab"},                         // lone low surrogate
      {std::u16string(u"\xd834\xd834\xdd1e"), "&#x1d11e;"},            // stray unit before a pair
  };
  for (const Case& c : cases) EXPECT_EQ(c.escaped, EscapeXmlText(c.text)) << U8(c.text);
}

TEST(XmlOutput, ElementFormsAndIndentation) {
  CXmlOutput out;
  out.OpenInMemory();
  out.WriteRaw("<?xml version=\"1.0\"?>", "\r\n");
  out.OpenElement("score-partwise");
  out.OpenElementWithAttribute("score-part id", 1, "P");
  out.WriteTextElement("part-name", u"Flute & Piccolo");
  out.OpenElement("deep");
  out.WriteIntElement("alter", -1);
  out.WriteCharElement("step", 'C');
  out.WriteEmptyElement("rest/");
  out.WriteElementWithAttribute("slur type=\"start\" number", 1, "", "/");
  out.WriteTextElement("creator type=\"composer\"", u"J", "creator");
  out.CloseElement("deep");
  out.CloseElement("score-part");
  out.CloseElement("score-partwise");
  EXPECT_EQ(0, out.Depth());
  EXPECT_EQ(
      "<?xml version=\"1.0\"?>\r\n"
      "<score-partwise>\r\n"
      "\t<score-part id=\"P1\">\r\n"
      "\t\t<part-name>Flute &amp; Piccolo</part-name>\r\n"
      "\t\t<deep>\r\n"
      "\t\t\t<alter>-1</alter>\r\n"
      "\t\t\t<step>C</step>\r\n"
      "\t\t\t<rest/>\r\n"
      "\t\t\t<slur type=\"start\" number=\"1\"/>\r\n"
      "\t\t\t<creator type=\"composer\">J</creator>\r\n"
      "\t\t</deep>\r\n"
      "\t</score-part>\r\n"
      "</score-partwise>\r\n",
      out.Memory());
  EXPECT_TRUE(out.Close());
}

// A note element in memory with "articulations" set inside "notations",
// neither section open yet.
struct NoteWithSections {
  NoteWithSections() {
    out.OpenInMemory();
    out.OpenElement("note");
    out.SetSection(&notations);
    out.SetSection(&articulations);
  }
  CXmlOutput out;
  CXMLOptionalSection notations{&out, "notations"};
  CXMLOptionalSection articulations{&out, "articulations"};
};

TEST(XmlOptionalSection, EmptySectionLeavesNoTrace) {
  NoteWithSections note;
  CXmlOutput& out = note.out;
  out.EndSection();
  out.EndSection();
  out.CloseElement("note");
  EXPECT_EQ("<note>\r\n</note>\r\n", out.Memory());
  EXPECT_EQ(nullptr, out.CurrentSection());
}

TEST(XmlOptionalSection, NestedSectionsOpenFromTheOutsideIn) {
  NoteWithSections note;
  CXmlOutput& out = note.out;
  out.EnsureSectionOpen();
  out.WriteEmptyElement("accent/");
  out.EnsureSectionOpen();  // already open: nothing more
  out.WriteEmptyElement("staccato/");
  out.EndSection();
  out.EndSection();
  out.CloseElement("note");
  EXPECT_EQ(
      "<note>\r\n"
      "\t<notations>\r\n"
      "\t\t<articulations>\r\n"
      "\t\t\t<accent/>\r\n"
      "\t\t\t<staccato/>\r\n"
      "\t\t</articulations>\r\n"
      "\t</notations>\r\n"
      "</note>\r\n",
      out.Memory());
  EXPECT_FALSE(note.notations.IsOpen());
}

TEST(XmlOutput, WritesTheDocumentToAFile) {
  ScratchFolder folder;
  std::u16string path = folder.File(u"out.xml");
  CXmlOutput out;
  ASSERT_TRUE(out.Open(path.c_str()));
  out.OpenElement("a");
  out.WriteTextElement("b", u"\U0001F3B5");
  out.CloseElement("a");
  ASSERT_TRUE(out.Close());
  std::vector<char> buffer(256);
  size_t size = 0;
  ASSERT_EQ(nullptr, FileLoad(path.c_str(), buffer.data(), buffer.size(), &size));
  EXPECT_EQ("<a>\r\n\t<b>&#x1f3b5;</b>\r\n</a>\r\n", std::string(buffer.data(), size));
}

TEST(XmlOutput, AnUnopenedDocumentFailsToClose) {
  CXmlOutput out;
  out.OpenElement("a");
  EXPECT_TRUE(out.Failed());
  EXPECT_FALSE(out.Close());
}

}  // namespace
