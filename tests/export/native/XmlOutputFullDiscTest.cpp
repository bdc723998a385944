// A document written to a device that takes no bytes: the export must learn
// that the document was not written.
#include <gtest/gtest.h>

#include <string>

#include "export/XmlOutput.h"

TEST(XmlOutputFullDisc, AFailedWriteMakesCloseFail) {
  CXmlOutput out;
  ASSERT_TRUE(out.Open(u"/dev/full"));
  out.OpenElement("score-partwise");
  // Enough to pass the stream's buffer, so that some write itself fails.
  for (int i = 0; i < 20000; ++i) out.WriteTextElement("words", u"filling the disc");
  out.CloseElement("score-partwise");
  EXPECT_FALSE(out.Close());
}

TEST(XmlOutputFullDisc, AFailedFlushAtCloseIsAFailure) {
  CXmlOutput out;
  ASSERT_TRUE(out.Open(u"/dev/full"));
  out.WriteEmptyElement("rest/");  // stays in the buffer until the close
  EXPECT_FALSE(out.Close());
}
