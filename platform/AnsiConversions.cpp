// Conversions between wide text and the ANSI code page whose results are
// kept in result slots, so that callers may use them without freeing them.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "Code/Unicode/Utils/Str.h"
#include "platform/ConversionSlots.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace {

// A converted text in one malloc block; "" when there is nothing to convert
// or the conversion fails. Null only when memory runs out.
char* ConvertToAnsi(const char16_t* text) {
  int length = static_cast<int>(WideLength(text));
  int needed = length ? platform::WideToMultiByte(platform::kAnsiCodePage, text, length, nullptr, 0) : 0;
  if (needed < 0) needed = 0;
  char* result = static_cast<char*>(std::malloc(static_cast<size_t>(needed) + 1));
  if (!result) return nullptr;
  int written = needed ? platform::WideToMultiByte(platform::kAnsiCodePage, text, length, result, needed) : 0;
  result[written > 0 ? written : 0] = 0;
  return result;
}

char16_t* ConvertToWide(const char* text) {
  int length = static_cast<int>(NarrowLength(text));
  int needed = length ? platform::MultiByteToWide(platform::kAnsiCodePage, text, length, nullptr, 0) : 0;
  if (needed < 0) needed = 0;
  auto* result = static_cast<char16_t*>(std::malloc((static_cast<size_t>(needed) + 1) * sizeof(char16_t)));
  if (!result) return nullptr;
  int written = needed ? platform::MultiByteToWide(platform::kAnsiCodePage, text, length, result, needed) : 0;
  result[written > 0 ? written : 0] = 0;
  return result;
}

// Never destroyed: conversions may still be asked for while the program ends.
ConversionSlots& AnsiToWideSlots() {
  static ConversionSlots* table = new ConversionSlots;
  return *table;
}
ConversionSlots& WideToAnsiSlots() {
  static ConversionSlots* table = new ConversionSlots;
  return *table;
}

// One result for all threads; a null argument frees it.
class StaticSlot {
 public:
  void* Store(void* result) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::free(result_);
    result_ = result;
    return result;
  }

 private:
  std::mutex mutex_;
  void* result_ = nullptr;
};

StaticSlot& Slot(int which) {
  static StaticSlot* slots = new StaticSlot[3];
  return slots[which];
}

}  // namespace

const char16_t* AnsiToWide(const char* text) {
  return static_cast<char16_t*>(AnsiToWideSlots().Store(std::this_thread::get_id(), ConvertToWide(text)));
}

const char* WideToAnsi(const char16_t* text) {
  return static_cast<char*>(WideToAnsiSlots().Store(std::this_thread::get_id(), ConvertToAnsi(text)));
}

const char* WideToAnsiStatic(const char16_t* text) {
  return static_cast<char*>(Slot(0).Store(text ? ConvertToAnsi(text) : nullptr));
}

const char16_t* AnsiToWideStatic(const char* text) {
  return static_cast<char16_t*>(Slot(1).Store(text ? ConvertToWide(text) : nullptr));
}

const char* WideToAnsiStatic2(const char16_t* text) {
  return static_cast<char*>(Slot(2).Store(text ? ConvertToAnsi(text) : nullptr));
}
