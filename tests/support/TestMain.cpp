// main() of every test program: no test ever waits for a message box.
#include <gtest/gtest.h>

#include "tests/support/BoxRecorder.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  BoxRecorder unexpectedBoxes;  // tests that expect boxes install their own
  int result = RUN_ALL_TESTS();
  for (const RecordedBox& box : unexpectedBoxes.Boxes()) {
    (void)box;
    std::fprintf(stderr, "a message box was shown outside any test's recorder\n");
  }
  return result;
}
