#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ConversionSlots.h"
#include "platform/TextUtils.h"

namespace {

TEST(AnsiConversions, RoundTrip) {
  EXPECT_STREQ("Caf\xE9", WideToAnsi(u"Caf\u00E9"));
  EXPECT_EQ(std::u16string(u"Caf\u00E9"), AnsiToWide("Caf\xE9"));
  EXPECT_STREQ("", WideToAnsi(nullptr));
  EXPECT_EQ(std::u16string(u""), AnsiToWide(nullptr));
}

TEST(AnsiConversions, ResultLastsUntilTheSameThreadsNextCall) {
  const char* first = WideToAnsi(u"first");
  std::string fromOther;
  std::thread other([&fromOther] {
    fromOther = WideToAnsi(u"other");
    WideToAnsi(u"again");
  });
  other.join();
  EXPECT_STREQ("first", first);  // another thread's calls did not touch it
  EXPECT_EQ("other", fromOther);
  const char16_t* wide = AnsiToWide("wide");
  std::thread another([] { AnsiToWide("elsewhere"); });
  another.join();
  EXPECT_EQ(std::u16string(u"wide"), wide);
}

TEST(AnsiConversions, TwoThreadsAtOnceKeepTheirOwnResults) {
  // Each thread converts, then waits until both have converted before it
  // reads its result back.
  std::mutex mutex;
  std::condition_variable changed;
  int converted = 0;
  std::string results[2];
  auto worker = [&](int index, const char16_t* text) {
    const char* result = WideToAnsi(text);
    std::unique_lock<std::mutex> lock(mutex);
    ++converted;
    changed.notify_all();
    changed.wait(lock, [&] { return converted == 2; });
    results[index] = result;
  };
  std::thread a(worker, 0, u"Largo");
  std::thread b(worker, 1, u"Vivace");
  a.join();
  b.join();
  EXPECT_EQ("Largo", results[0]);
  EXPECT_EQ("Vivace", results[1]);
}

TEST(AnsiConversions, StaticSlots) {
  EXPECT_STREQ("one", WideToAnsiStatic(u"one"));
  EXPECT_STREQ("two", WideToAnsiStatic2(u"two"));
  EXPECT_EQ(std::u16string(u"three"), AnsiToWideStatic("three"));
  EXPECT_EQ(nullptr, WideToAnsiStatic(nullptr));
  EXPECT_EQ(nullptr, WideToAnsiStatic2(nullptr));
  EXPECT_EQ(nullptr, AnsiToWideStatic(nullptr));
}

char* Block(const char* text) {
  char* block = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(block, text);
  return block;
}

// Seventeen live threads give seventeen distinct keys.
std::vector<std::thread::id> DistinctThreadIds(int n) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::thread::id> ids;
  bool release = false;
  std::vector<std::thread> threads;
  for (int i = 0; i < n; ++i) {
    threads.emplace_back([&] {
      std::unique_lock<std::mutex> lock(mutex);
      ids.push_back(std::this_thread::get_id());
      changed.notify_all();
      changed.wait(lock, [&] { return release; });
    });
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return static_cast<int>(ids.size()) == n; });
    release = true;
    changed.notify_all();
  }
  for (std::thread& thread : threads) thread.join();
  return ids;
}

TEST(ConversionSlots, SeventeenthKeyTakesOverTheSixteenthSlot) {
  std::vector<std::thread::id> keys = DistinctThreadIds(17);
  ConversionSlots slots;
  std::vector<void*> results;
  for (int i = 0; i < 17; ++i)
    results.push_back(slots.Store(keys[i], Block(std::to_string(i).c_str())));
  EXPECT_EQ(16, slots.SlotsInUse());
  EXPECT_EQ(results[16], slots.ResultOf(keys[16]));
  EXPECT_EQ(nullptr, slots.ResultOf(keys[15]));  // its result was freed with the slot
  EXPECT_EQ(results[0], slots.ResultOf(keys[0]));
  EXPECT_STREQ("14", static_cast<char*>(slots.ResultOf(keys[14])));

  // A key that has a slot keeps it; its next result replaces the old one.
  void* next = slots.Store(keys[3], Block("next"));
  EXPECT_EQ(next, slots.ResultOf(keys[3]));
  EXPECT_EQ(16, slots.SlotsInUse());
}

}  // namespace
