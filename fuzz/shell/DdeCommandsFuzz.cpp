// The DDE server's commands: any bytes of a command, read as the server reads
// them (at most 512 bytes of ANSI text, cut at a NUL), on either topic. What
// the server accepts must be exactly what it says, and an opened path must be
// one that the server's own command for it gives back.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/FuzzTarget.h"
#include "platform/Platform.h"
#include "reading/FileOpener.h"
#include "shell/DdeCommands.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "kv fuzz: %s\n", what);
  std::abort();
}

size_t Units(const char16_t* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n]) ++n;
  if (n == capacity) Fail("a result without its NUL");
  return n;
}

void CheckOpenPath(const char16_t* text, size_t length, const char16_t* path) {
  const size_t n = Units(path, kOpenPathUnits);
  if (n == 0) Fail("an empty path was opened");
  for (size_t i = 0; i < n; ++i)
    if (path[i] < 0x20 || path[i] == u'"') Fail("a path with a quote or control character was opened");
  // The command is [open("path")] and nothing else.
  const std::u16string command = u"[open(\"" + std::u16string(path, n) + u"\")]";
  if (command != std::u16string(text, Units(text, length + 1))) Fail("the opened path is not the command's");
  char16_t again[kOpenPathUnits];
  if (ParseSystemCommand(command.c_str(), command.size(), again, kOpenPathUnits) != DdeCommand::Open ||
      std::u16string(again) != std::u16string(path, n))
    Fail("the command for an opened path does not open it");
  char16_t type[8];
  DdePathType(path, type);
  const size_t typeUnits = Units(type, 8);
  if (typeUnits != 0 && (typeUnits != 4 || type[0] != u'.')) Fail("a type hint that is no extension");
}

}  // namespace

KV_FUZZ_TARGET(dde_commands) {
  if (size == 0) return 0;
  const bool activateTopic = data[0] & 1;
  ++data, --size;
  if (size == 0 || size > kDdeCommandBytes) return 0;  // the server refuses these before parsing
  char bytes[kDdeCommandBytes + 1] = {};
  std::memcpy(bytes, data, size);
  const int n = static_cast<int>(strnlen(bytes, size));
  char16_t text[kDdeCommandBytes + 1] = {};
  size_t length = 0;
  if (n > 0) {
    const int units = platform::MultiByteToWide(platform::kAnsiCodePage, bytes, n, text, kDdeCommandBytes);
    if (units <= 0) return 0;
    text[units] = 0;
    length = static_cast<size_t>(units);
  }

  if (activateTopic) {
    const DdeCommand command = ParseActivateCommand(text, length);
    if (command == DdeCommand::Activate && std::u16string(text) != u"Activate") Fail("activated by another text");
    if (command != DdeCommand::Activate && command != DdeCommand::Refused) Fail("another command on the Activate topic");
    return 0;
  }
  char16_t path[kOpenPathUnits];
  const DdeCommand parsed = ParseSystemCommand(text, length, path, kOpenPathUnits);
  if (parsed == DdeCommand::Open) CheckOpenPath(text, length, path);
  else if (Units(path, kOpenPathUnits) != 0) Fail("a refused command left a path");
  if (parsed == DdeCommand::Print && std::u16string(text).rfind(u"[print(", 0) != 0) Fail("printing without [print(");

  OpenFiles.count = 0;
  const DdeCommand queued = QueueSystemCommand(text, length);
  if (queued != parsed) Fail("queueing answers otherwise than parsing");
  if (OpenFiles.count != (queued == DdeCommand::Open ? 1 : 0)) Fail("the queue does not hold what was opened");
  if (queued == DdeCommand::Open && std::u16string(OpenFiles.paths[0]) != std::u16string(path))
    Fail("the queue holds another path");
  OpenFiles.count = 0;
  return 0;
}
