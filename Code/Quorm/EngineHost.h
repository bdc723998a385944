// The engine's few outlets to the application. The engine never reaches the
// frame window, message boxes or the reading pipeline's flags directly: it
// asks the current host. The application installs its own host; until then
// the default host does nothing visible (it only clears the engine-side
// reading flags below). Tests install a recording host.
#pragma once

#include <atomic>
#include <cstdint>

// Posted to the frame when an engine run stopped on a failed internal check
// (WM_APP + 13, wParam 0, lParam 0).
constexpr unsigned kEngineFailedMessage = 0x800D;

// The stage entry points' callbacks. A progress value is in per cent; its
// result is ignored. The continue callback is always given 1; 0 means stop.
using ProgressCallback = int (*)(unsigned percent);
using ContinueCallback = int (*)(int check);

// The reading pipeline's run flags that the engine clears when a run stops on
// a failed check, so that the interface thread no longer treats a reading
// run as active. (The background-reading flag lives in ShellFlags.)
struct ReadingRunFlags {
  std::atomic<uint32_t> readingInProgress{0};  // a page is being read
  std::atomic<uint32_t> pageReadingRun{0};     // its companion: the page-reading run
};
ReadingRunFlags& ReadingFlags();

class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // Posts a message to the frame window (kEngineFailedMessage).
  virtual void PostToFrame(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
  // Posts an engine error number to the registered error window (wParam 2,
  // lParam the number); nothing when none is registered.
  virtual void PostErrorNumber(uintptr_t wParam, intptr_t lParam) = 0;
  // A message box in the ANSI code page (flags as MessageBox takes them).
  virtual void ShowMessageBox(const char* text, const char* caption, unsigned flags) = 0;
  // Clears the reading-in-progress flag and its companion.
  virtual void ClearReadingFlags() = 0;
};

// Does nothing visible: posts nothing, shows nothing, clears ReadingFlags().
class DefaultEngineHost : public EngineHost {
 public:
  void PostToFrame(unsigned, uintptr_t, intptr_t) override {}
  void PostErrorNumber(uintptr_t, intptr_t) override {}
  void ShowMessageBox(const char*, const char*, unsigned) override {}
  void ClearReadingFlags() override;
};

// The current host; never null. SetEngineHost(nullptr) restores the default.
// The host must outlive every engine run that can see it.
EngineHost& CurrentEngineHost();
void SetEngineHost(EngineHost* host);
