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

bool SaysInOrder(const std::u16string& text, std::initializer_list<std::u16string> parts) {
  size_t from = 0;
  for (const std::u16string& part : parts) {
    size_t at = text.find(part, from);
    if (at == std::u16string::npos) return false;
    from = at + part.size();
  }
  return true;
}
