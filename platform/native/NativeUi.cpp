// The user-interface side of the seam, natively: status fields and beeps are
// recorded, keys and focus are what the tests set.
#include <atomic>
#include <mutex>
#include <set>

#include "platform/Platform.h"
#include "platform/native/NativePlatform.h"

namespace platform {
namespace {

struct UiState {
  std::mutex lock;
  std::map<int, std::u16string> statusFields;
  std::map<int, std::vector<std::u16string>> statusTexts;
  std::set<int> keysDown;
  std::atomic<bool> hasFocus{false};
  std::atomic<int> beeps{0};
};

UiState& State() {
  static UiState state;
  return state;
}

}  // namespace

void ReleaseMouseForBox() {}  // no mouse capture natively

void SetStatusField(int field, const char16_t* text) {
  std::lock_guard<std::mutex> hold(State().lock);
  State().statusFields[field] = text ? text : u"";
  State().statusTexts[field].push_back(State().statusFields[field]);
}

void DefaultBeep() { ++State().beeps; }

bool IsKeyDown(int virtualKey) {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().keysDown.count(virtualKey) != 0;
}

bool IsEscapePressed() { return State().hasFocus && IsKeyDown(kKeyEscape); }

void SetKeyDownForTest(int virtualKey, bool down) {
  std::lock_guard<std::mutex> hold(State().lock);
  if (down) State().keysDown.insert(virtualKey);
  else State().keysDown.erase(virtualKey);
}

void SetFocusForTest(bool hasFocus) { State().hasFocus = hasFocus; }

void ResetInputForTest() {
  std::lock_guard<std::mutex> hold(State().lock);
  State().keysDown.clear();
  State().hasFocus = false;
}

std::map<int, std::u16string> RecordedStatusFields() {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().statusFields;
}

std::vector<std::u16string> RecordedStatusTexts(int field) {
  std::lock_guard<std::mutex> hold(State().lock);
  const auto texts = State().statusTexts.find(field);
  return texts == State().statusTexts.end() ? std::vector<std::u16string>{} : texts->second;
}

int RecordedBeepCount() { return State().beeps; }

void ClearRecordedForTest() {
  std::lock_guard<std::mutex> hold(State().lock);
  State().statusFields.clear();
  State().statusTexts.clear();
  State().beeps = 0;
}

}  // namespace platform
