// The result slots of AnsiToWide and WideToAnsi: at most 16 slots keyed by
// thread; a thread without a slot takes a new one while fewer than 16 are in
// use, else it takes over the 16th. Storing frees the slot's previous result,
// so a result stays valid until the next result lands in its slot.
#pragma once

#include <mutex>
#include <thread>

class ConversionSlots {
 public:
  static constexpr int kSlots = 16;

  ConversionSlots() = default;
  ConversionSlots(const ConversionSlots&) = delete;
  ConversionSlots& operator=(const ConversionSlots&) = delete;
  ~ConversionSlots();

  // Keeps result (a malloc block, or null) in the key's slot and returns it.
  void* Store(std::thread::id key, void* result);
  // The result held for a key; null when the key has no slot.
  void* ResultOf(std::thread::id key);
  int SlotsInUse();

 private:
  struct Slot {
    std::thread::id key;
    void* result = nullptr;
  };
  std::mutex mutex_;
  Slot slots_[kSlots];
  int used_ = 0;
};
