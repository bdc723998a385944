// Process-wide flags that the shell owns and the support layer reads or sets.
// 32-bit atomics: the reading thread and the interface thread share them.
#pragma once

#include <atomic>
#include <cstdint>

struct ShellFlags {
  std::atomic<uint32_t> abort{0};              // the user asked to stop (pages pane, Esc)
  std::atomic<uint32_t> secondStop{0};         // cleared by PollUserAbort(0)
  std::atomic<uint32_t> backgroundReading{0};  // a background reading run is active
  std::atomic<uint32_t> startupAbort{0};       // start-up leaves before the message loop
  std::atomic<uint32_t> newScore{0};           // a reading began a score that had no page
};

ShellFlags& Flags();
