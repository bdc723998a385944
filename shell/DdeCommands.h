// The commands of the DDE server, read strictly: on the "System" topic
// [open("path")] and [print(...)], on the "Activate" topic "Activate".
// Anything else is refused.
#pragma once

#include <cstddef>

enum class DdeCommand { Refused, Open, Print, Activate };

// The largest command the server reads, in bytes of ANSI text.
constexpr size_t kDdeCommandBytes = 512;

// A command of the "System" topic. text holds length units (a NUL ends it
// earlier). For Open the path goes to path (capacity units, NUL-ended); a
// path that is empty, holds a quote or a control character, or does not fit
// refuses the command.
DdeCommand ParseSystemCommand(const char16_t* text, size_t length, char16_t* path, size_t capacity);

// A command of the "Activate" topic: exactly "Activate".
DdeCommand ParseActivateCommand(const char16_t* text, size_t length);

// The type hint of a path named by DDE: its last four characters when they
// are an extension (".tif"), else empty. out holds 8 units.
void DdePathType(const char16_t* path, char16_t* out);

// Parses a "System" command and, for [open("path")], queues the path with its
// type hint. Open when queued; Refused when the command is not one, or the
// queue is full or cannot take the path.
DdeCommand QueueSystemCommand(const char16_t* text, size_t length);
