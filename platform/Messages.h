// Messages by UI string id, memory handles, the user's stop and the time base.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Texts ----
int LoadUiString(unsigned id, char16_t* buffer, int count);  // returns 1
// The text of id is the format (the project's own formatter, see FormatWide).
int MessageById(void* owner, unsigned id, ...);
// The error box of the shell: caption string 10110, error icon.
int ErrorBox(void* unused, const char16_t* text);
void SetStatusTextById(unsigned id);
void ShowStatusClearTime(unsigned id);
void DefaultBeep();

// ---- Handles: a variable that holds a heap block or null ----
using Handle = void*;
int AllocHandle(Handle* handle, size_t n);
int AllocHandleChecked(Handle* handle, size_t n, unsigned callerTextId, int exitFlag);
// The error box of a shortage of n bytes: the caller's text, then how much
// more memory is needed against the free memory (at least one byte; in K
// from 1024 bytes on), and with exitFlag 1 that the program will end.
void ShowMemoryShortage(unsigned callerTextId, uint64_t n, int exitFlag);
void FreeHandle(Handle* handle);
void TakeHandle(Handle* from, Handle* to);
size_t HandleSize(Handle handle);
// Opens a gap of n bytes at offset (n > 0) or closes -n bytes there (n < 0).
// Refuses offsets outside the block; keeps the old block when a resize fails.
int ResizeHandleAt(Handle* handle, size_t offset, long n);
bool IsHeapValid();

// ---- Keys, stop and time ----
bool IsKeyDown(int virtualKey);
bool IsEscapePressed();
int PollUserAbort(int check);  // 1 go on, 0 stop
uint32_t GetCentiseconds();    // monotonic, hundredths of a second
