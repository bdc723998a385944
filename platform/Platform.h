// The seam between the portable code and the operating system. Everything
// here has two implementations: platform/win32 (the real program, over the
// text-API layer) and platform/native (tests on Linux: real files through
// POSIX, message boxes recorded, registry in memory; see NativePlatform.h).
// The portable code never includes <windows.h>.
#pragma once

#include <cstdint>
#include <cstdio>

namespace platform {

// ---- Files and folders, UTF-16 paths with backslashes or slashes ----------

// A C runtime stream in a binary mode ("rb", "wb", "ab+"...), shared access.
std::FILE* OpenStream(const char16_t* path, const char* mode);
bool MakeDirectory(const char16_t* path);
bool RemoveFile(const char16_t* path);
bool RemoveDirectory(const char16_t* path);
bool CopyOneFile(const char16_t* from, const char16_t* to, bool failIfExists);
// Renames (moves within a volume) a file; with replace an existing target is
// replaced, otherwise the rename fails when the target exists.
bool RenameFile(const char16_t* from, const char16_t* to, bool replace);
// Copies every file a pattern ("folder\*.*") names into a folder, as the shell
// does (silently, making the target folder).
bool CopyFilesMatching(const char16_t* pattern, const char16_t* targetFolder);

enum : uint32_t { kAttributeDirectory = 0x10 };
struct FindRecord {
  uint32_t attributes;
  uint64_t size;
  char16_t name[260];
};
using FindHandle = intptr_t;
constexpr FindHandle kNoFind = -1;
FindHandle FindFirst(const char16_t* pattern, FindRecord* record);
bool FindNext(FindHandle handle, FindRecord* record);
void FindClose(FindHandle handle);

enum class SpecialFolder { MyDocuments, AppData };
// False when the system has no such folder.
bool GetSpecialFolder(SpecialFolder which, char16_t* out, int capacity);
// The program's own file name (the running module).
bool GetProgramFileName(char16_t* out, int capacity);
// The four 16-bit parts of a file's fixed version; false (all 0) without one.
bool GetFileVersion(const char16_t* path, uint16_t parts[4]);

uint64_t FreeDiscSpace(const char16_t* folder);
uint64_t FreeMemory();
bool IsHeapValid();

// ---- Text -----------------------------------------------------------------

enum : unsigned { kAnsiCodePage = 0 };
// As WideCharToMultiByte / MultiByteToWide: units written (or needed with a
// null output), 0 on failure (code page missing, output too small).
int WideToMultiByte(unsigned codePage, const char16_t* text, int length, char* out, int capacity);
int MultiByteToWide(unsigned codePage, const char* text, int length, char16_t* out, int capacity);
// The user's locale comparison of two NUL-ended texts: <0, 0 or >0.
int CompareUserLocale(const char16_t* a, const char16_t* b, bool ignoreCase);

// A UI string by id into out (count in characters, NUL-ended); the length, 0
// when the table has no such id.
int LoadUiString(unsigned id, char16_t* out, int count);

// ---- Message boxes, status and keyboard -----------------------------------

enum : unsigned {
  kBoxOk = 0x0,
  kBoxOkCancel = 0x1,
  kBoxYesNoCancel = 0x3,
  kBoxYesNo = 0x4,
  kBoxIconError = 0x10,
  kBoxIconQuestion = 0x20,
  kBoxIconWarning = 0x30,
  kBoxIconInformation = 0x40,
  kBoxTaskModal = 0x2000,
};
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// Shows a box owned by the main frame window (none with kBoxTaskModal) and
// returns the answer. A box observer, when one is set, sees the box instead
// and gives the answer: tests use it so that nothing waits for a user.
int ShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style);
struct MessageBoxSeen {
  const char16_t* text;
  const char16_t* caption;
  unsigned style;
};
using MessageBoxObserver = int (*)(const MessageBoxSeen& box);
MessageBoxObserver SetMessageBoxObserver(MessageBoxObserver observer);  // returns the old one
// For the calling thread only: its boxes go to sink, which answers them, and
// are never shown (a worker thread hands them to the interface thread).
// Null restores showing; returns the old sink.
MessageBoxObserver SetThreadMessageBoxSink(MessageBoxObserver sink);

// Clears the mouse-tracking state and releases the capture before a box.
void ReleaseMouseForBox();
void SetStatusField(int field, const char16_t* text);
void DefaultBeep();

enum : int { kKeyEscape = 0x1B, kKeyShift = 0x10, kKeyControl = 0x11 };
bool IsKeyDown(int virtualKey);
bool IsEscapePressed();

// ---- The operating system -------------------------------------------------

// Asks the common controls to take wide text (on) or not, where the loaded
// common-controls library (5.80 or later) can switch; *answer is the format
// they then report. False when nothing could be asked (natively always).
bool SetCommonControlsUnicodeFormat(bool on, bool* answer);

struct OsVersion {
  uint32_t platformId;  // 1 the 9x family, 2 the NT family
  uint32_t major;
  uint32_t minor;
};
bool QueryOsVersion(OsVersion* version);

}  // namespace platform
