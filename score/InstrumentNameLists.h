// The instrument-name lists in English, German and Italian: per language a
// list of instruments ("instrtext", "instrtextD", "instrtextI") and a list of
// their nine sections ("insttypetext", "insttypetextD", "insttypetextI"),
// read whole from the resources folder at start-up.
//
// An instrument list holds one entry per instrument, in the same row order in
// all three languages: the NUL-ended Latin-1 name, its NUL-ended short form,
// a byte 3 after the last entry of a section, then a byte 1 and one data byte
// (the General MIDI program); a byte 0 ends the list. A section list is nine
// NUL-ended names and a 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Code/Unicode/Utils/Str.h"

enum InstrumentLanguage : int { kEnglishList = 0, kGermanList = 1, kItalianList = 2 };
constexpr int kInstrumentLanguages = 3;
constexpr int kInstrumentSections = 9;

// Reads the six lists from the resources folder. False when one cannot be
// read (nothing is shown) or its block cannot be had (the shortage is shown);
// the lists read so far are kept until FreeInstrumentNameLists.
bool LoadInstrumentNameLists();
// The same from another folder (a path ending with a separator).
bool LoadInstrumentNameListsFrom(const char16_t* folder);
void FreeInstrumentNameLists();
// The file names of the six lists (each language's sections, then its
// instruments), so that a missing one can be named; null past the last.
constexpr int kInstrumentNameListFiles = 2 * kInstrumentLanguages;
const char16_t* InstrumentNameListFile(int index);

// The bytes of one list, or null (size 0) when it is not loaded.
const uint8_t* InstrumentList(int language, size_t* size);
const uint8_t* InstrumentSectionList(int language, size_t* size);

// Upper-cases a NUL-ended text in place, unit by unit; returns its length.
size_t MakeUpperWide(char16_t* text);
// Is entry found in text at a word start (the text's start, or a letter or
// digit after other characters)?
bool FoundAtWordStart(const char16_t* text, size_t textLength, const char16_t* entry, size_t length);

// Looks a name up in the three instrument lists (the longest entry found at
// one of the name's word starts) and, when one is found, writes the English
// entry of that row into name (at most capacity units with the NUL) and
// returns 1; otherwise returns 0 and leaves name as it was.
int FindInstrumentListName(char16_t* name, size_t capacity);

// The short form of a part name: the longest list entry found in the name
// (after a character that is not a letter) replaced by its short form, or,
// with none found, each word cut to three characters and a full stop.
CStr FindInstrumentName(const char16_t* partName);

// The short form for a part slot's name, remembered per slot until the
// slot's name changes.
const char16_t* LookupPartInstrumentName(int slot);
void ClearPartNameCache();
