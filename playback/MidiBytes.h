// Byte writers of the Standard MIDI File: big-endian numbers and
// variable-length quantities, to a file or to a track's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Seven bits a byte, most significant group first, bit 7 on every byte but
// the last. Returns the number of bytes written (0 when the write failed).
int WriteVarLen(std::FILE* file, uint32_t value);
// The low 16 or 24 bits, most significant byte first; false when the write failed.
bool WriteU16BE(std::FILE* file, uint32_t value);
bool WriteU24BE(std::FILE* file, uint32_t value);

using MidiBytes = std::vector<uint8_t>;
void PutVarLen(MidiBytes* out, uint32_t value);
void PutU16BE(MidiBytes* out, uint32_t value);
void PutU24BE(MidiBytes* out, uint32_t value);
void PutU32BE(MidiBytes* out, uint32_t value);

// The text in the ANSI code page, without an end: the data of a text event.
MidiBytes AnsiTextBytes(const std::u16string& text);
