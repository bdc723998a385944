// Engine errors. An ordinary failure is a value: loaders and finders return
// null (kEngineOk) on success, else a short code name beginning with "X",
// which travels up to the entry points. A failed internal check is not a
// value: EngineAssertFail unwinds (EngineFailure) to the entry point, which
// frees the run's tables, tells the frame through the engine host and
// returns the code. Out of engine memory unwinds the same way with
// "Xheapmem" / "Xsheapmem" but does not post to the frame.
#pragma once

#include <cstddef>
#include <cstdint>

using EngineCode = const char*;  // null on success
constexpr EngineCode kEngineOk = nullptr;

// The code of a failed internal check.
constexpr char kCodeFailedCheck[] = "Xftlinterr";

struct EngineErrorRecord {
  int32_t number;
  char name[16];  // NUL-padded
};
constexpr int kEngineErrorCount = 56;
extern const EngineErrorRecord EngineErrorTable[kEngineErrorCount];
constexpr int kUnknownEngineError = 1999;

// The first record whose name equals code, else 1999 (also for null or "").
int EngineErrorNumber(EngineCode code);

// The three outlets, each behind its option (all off by default).
void ReportEngineError(EngineCode code);
// The same with the outlets given: post, show, and a log path that is used
// when it holds more than one character.
struct EngineErrorOutlets {
  int post;
  int show;
  const char* logPath;
};
void ReportEngineErrorThrough(const EngineErrorOutlets& outlets, EngineCode code);
void PostEngineErrorNumber(EngineCode code);
void ShowEngineError(EngineCode code);
void LogEngineError(const char* logPath, const char* imageName, EngineCode code);

// The exception that carries a failed check or an exhausted heap to the
// engine entry points. Only the entry points catch it.
class EngineFailure {
 public:
  EngineFailure(EngineCode code, bool failedCheck) : code_(code), failedCheck_(failedCheck) {}
  EngineCode code() const { return code_; }
  // true: a failed internal check (the frame is told); false: out of memory.
  bool failedCheck() const { return failedCheck_; }

 private:
  EngineCode code_;
  bool failedCheck_;
};

// A failed internal check: clears the reading flags, posts WM_APP+13 to the
// frame through the engine host and unwinds to the entry point with
// "Xftlinterr". Does not return. file and line are for debuggers only.
[[noreturn]] void EngineAssertFail(const char* file, int line);
// The same for a check that carries its own code name.
[[noreturn]] void EngineAssertFailCode(EngineCode code, const char* file, int line);
// Out of engine memory: unwinds with the code, without telling the frame.
[[noreturn]] void EngineOutOfMemory(EngineCode code);

#define ENGINE_CHECK(condition) \
  do { \
    if (!(condition)) EngineAssertFail(__FILE__, __LINE__); \
  } while (0)

// Range checks of the accessors: 0 <= index < count, pointer not null.
#define ENGINE_CHECK_INDEX(index, count) \
  ENGINE_CHECK(static_cast<long long>(index) >= 0 && static_cast<long long>(index) < static_cast<long long>(count))
#define ENGINE_CHECK_POINTER(pointer) ENGINE_CHECK((pointer) != nullptr)

// A missing path is a failed check; otherwise sets the engine folder and
// returns 1.
int SetEngineFolderChecked(const char* path);

// The error module's part of FreeEngine (it keeps no tables).
void FreeEngineErrorTables();
