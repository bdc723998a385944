// main() of every test program: no test ever waits for a message box, and a
// box that no test expected (shown outside any test's own BoxRecorder) fails
// the run.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

class UnexpectedBoxes : public testing::EmptyTestEventListener {
 public:
  explicit UnexpectedBoxes(BoxRecorder* recorder) : recorder_(recorder) {}
  void OnTestPartResult(const testing::TestPartResult&) override {}
  void OnTestEnd(const testing::TestInfo& test) override {
    for (const RecordedBox& box : recorder_->Boxes()) {
      std::fprintf(stderr, "%s.%s showed an unexpected message box: %s\n", test.test_suite_name(), test.name(),
                   U8(box.text).c_str());
      ++count_;
    }
    recorder_->Clear();
  }
  int Count() const { return count_; }

 private:
  BoxRecorder* recorder_;
  int count_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  BoxRecorder unexpected;
  auto* listener = new UnexpectedBoxes(&unexpected);
  testing::UnitTest::GetInstance()->listeners().Append(listener);
  int result = RUN_ALL_TESTS();
  return result != 0 ? result : (listener->Count() > 0 ? 1 : 0);
}
