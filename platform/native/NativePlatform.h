// Test controls of the native platform seam: what the tests set in place of
// the machine (folders, program file, keyboard and focus) and what the seam
// records for them to check (status fields, beeps). Native builds only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// ---- Folders and the program file ----
// A fixed answer for GetSpecialFolder; null returns to the default
// ($HOME/Documents, $HOME/.local/share). An empty text makes the folder missing.
void SetSpecialFolderForTest(SpecialFolder which, const char16_t* path);
// A fixed answer for GetProgramFileName; null returns to /proc/self/exe.
void SetProgramFileNameForTest(const char16_t* path);

// ---- Keyboard and focus ----
void SetKeyDownForTest(int virtualKey, bool down);
// Whether the calling thread has a focus window (IsEscapePressed needs one).
void SetFocusForTest(bool hasFocus);
// All keys up and no focus.
void ResetInputForTest();

// ---- What the seam recorded ----
// The last text set in each status field, by field number.
std::map<int, std::u16string> RecordedStatusFields();
// Every text set in a status field, oldest first.
std::vector<std::u16string> RecordedStatusTexts(int field);
int RecordedBeepCount();
void ClearRecordedForTest();

}  // namespace platform

// ==== Registry and operating-system version (NativeRegistry.cpp, NativeOs.cpp) ====
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Registry.h"

namespace platform {

// An empty registry: every key and value gone, every handle closed, no
// injected failures, the write log emptied.
void ResetRegistryForTest();
// Opening or creating the key root\path (names compared without regard to
// case) fails with error; with whenAccessHas not 0 only when the access asked
// for has one of those bits (0x6: only opens that may write).
void FailRegistryKeyForTest(reg::Key root, const char16_t* path, long error, uint32_t whenAccessHas = 0);
// How many keys were opened or created and values queried so far.
uint64_t RegistryCallCountForTest();
// The value names of a key in the order they were first set; empty when the
// key does not exist.
std::vector<std::u16string> RegistryValueNamesForTest(reg::Key root, const char16_t* path);
// The value names of every SetValue since the last call (or reset), in order.
std::vector<std::u16string> TakeRegistryWriteLogForTest();
// Handles opened and not yet closed.
size_t OpenRegistryKeyCountForTest();
// How many times OpenStream opened path (as written, any mode) since the
// program started.
size_t StreamOpenCountForTest(const char16_t* path);

// QueryOsVersion's answer (2, 5, 1 by default: the NT family, XP); or failure.
void SetOsVersionForTest(uint32_t platformId, uint32_t major, uint32_t minor);
void SetOsVersionFailsForTest();
void ResetOsVersionForTest();

}  // namespace platform
