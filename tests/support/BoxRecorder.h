// Records the message boxes that code under test shows, and answers them.
#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct RecordedBox {
  std::u16string text;
  std::u16string caption;
  unsigned style;
};

// While one lives, every box is recorded instead of shown. Answers are taken
// from the queue, then the default answer (OK).
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  const std::vector<RecordedBox>& Boxes() const { return boxes_; }
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void Clear() { boxes_.clear(); }

 private:
  static int Observe(const platform::MessageBoxSeen& box);
  std::vector<RecordedBox> boxes_;
  std::deque<int> answers_;
  platform::MessageBoxObserver previous_;
  BoxRecorder* outer_;
};

// Whether text holds each of parts, in this order.
bool SaysInOrder(const std::u16string& text, std::initializer_list<std::u16string> parts);
