#include "shell/DdeCommands.h"

#include "Code/Unicode/Utils/Str.h"
#include "reading/FileOpener.h"

namespace {

constexpr char16_t kOpenStart[] = u"[open(\"";
constexpr char16_t kOpenEnd[] = u"\")]";
constexpr char16_t kPrintStart[] = u"[print(";
constexpr char16_t kActivate[] = u"Activate";
constexpr size_t kTypeUnits = 4;

size_t TextLength(const char16_t* text, size_t length) {
  size_t n = 0;
  while (n < length && text[n]) ++n;
  return n;
}

bool StartsWith(const char16_t* text, size_t length, const char16_t* literal) {
  size_t n = WideLength(literal);
  if (length < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (text[i] != literal[i]) return false;
  return true;
}

bool EndsWith(const char16_t* text, size_t length, const char16_t* literal) {
  size_t n = WideLength(literal);
  return length >= n && StartsWith(text + length - n, n, literal);
}

bool IsPathUnit(char16_t c) { return c >= 0x20 && c != u'"'; }

}  // namespace

DdeCommand ParseSystemCommand(const char16_t* text, size_t length, char16_t* path, size_t capacity) {
  if (capacity) path[0] = 0;
  if (!text) return DdeCommand::Refused;
  length = TextLength(text, length);
  if (StartsWith(text, length, kPrintStart)) return DdeCommand::Print;
  size_t start = WideLength(kOpenStart), end = WideLength(kOpenEnd);
  if (!StartsWith(text, length, kOpenStart) || !EndsWith(text, length, kOpenEnd) ||
      length <= start + end)
    return DdeCommand::Refused;
  size_t pathLength = length - start - end;
  if (pathLength >= capacity) return DdeCommand::Refused;
  for (size_t i = 0; i < pathLength; ++i) {
    if (!IsPathUnit(text[start + i])) {
      path[0] = 0;
      return DdeCommand::Refused;
    }
    path[i] = text[start + i];
  }
  path[pathLength] = 0;
  return DdeCommand::Open;
}

DdeCommand ParseActivateCommand(const char16_t* text, size_t length) {
  if (!text) return DdeCommand::Refused;
  length = TextLength(text, length);
  return length == WideLength(kActivate) && StartsWith(text, length, kActivate)
             ? DdeCommand::Activate
             : DdeCommand::Refused;
}

void DdePathType(const char16_t* path, char16_t* out) {
  out[0] = 0;
  size_t n = TextLength(path, kOpenPathUnits);
  if (n < kTypeUnits || path[n - kTypeUnits] != u'.') return;
  for (size_t i = 0; i < kTypeUnits; ++i) out[i] = path[n - kTypeUnits + i];
  out[kTypeUnits] = 0;
}

DdeCommand QueueSystemCommand(const char16_t* text, size_t length) {
  char16_t path[kOpenPathUnits];
  DdeCommand command = ParseSystemCommand(text, length, path, kOpenPathUnits);
  if (command != DdeCommand::Open) return command;
  char16_t type[8];
  DdePathType(path, type);
  return QueueFileToOpen(path, type) ? DdeCommand::Open : DdeCommand::Refused;
}
