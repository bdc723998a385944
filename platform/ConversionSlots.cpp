// Result slots keyed by thread (see ConversionSlots.h).
#include "platform/ConversionSlots.h"

#include <cstdlib>

ConversionSlots::~ConversionSlots() {
  for (Slot& slot : slots_) std::free(slot.result);
}

void* ConversionSlots::Store(std::thread::id key, void* result) {
  std::lock_guard<std::mutex> lock(mutex_);
  int index = 0;
  while (index < used_ && slots_[index].key != key) ++index;
  if (index == used_) {
    if (used_ < kSlots) {
      ++used_;
    } else {
      index = kSlots - 1;
    }
    slots_[index].key = key;
  }
  std::free(slots_[index].result);
  slots_[index].result = result;
  return result;
}

void* ConversionSlots::ResultOf(std::thread::id key) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int i = 0; i < used_; ++i)
    if (slots_[i].key == key) return slots_[i].result;
  return nullptr;
}

int ConversionSlots::SlotsInUse() {
  std::lock_guard<std::mutex> lock(mutex_);
  return used_;
}
