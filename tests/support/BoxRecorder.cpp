#include "tests/support/BoxRecorder.h"

namespace {
BoxRecorder* g_current = nullptr;
}

BoxRecorder::BoxRecorder() : previous_(platform::SetMessageBoxObserver(&Observe)), outer_(g_current) {
  g_current = this;
}

BoxRecorder::~BoxRecorder() {
  g_current = outer_;
  platform::SetMessageBoxObserver(previous_);
}

int BoxRecorder::Observe(const platform::MessageBoxSeen& box) {
  BoxRecorder* self = g_current;
  self->boxes_.push_back({box.text ? box.text : u"", box.caption ? box.caption : u"", box.style});
  if (self->answers_.empty()) return platform::kAnswerOk;
  int answer = self->answers_.front();
  self->answers_.pop_front();
  return answer;
}
