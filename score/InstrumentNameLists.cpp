#include "score/InstrumentNameLists.h"

#include <cstring>
#include <string>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"
#include "score/ScoreStream.h"

namespace {

constexpr unsigned kTextNoRoomForNameLists = 10020;
constexpr size_t kNameUnits = 256;  // longest name handled, with its NUL

const char16_t* const kInstrumentFiles[kInstrumentLanguages] = {u"instrtext", u"instrtextD", u"instrtextI"};
const char16_t* const kSectionFiles[kInstrumentLanguages] = {u"insttypetext", u"insttypetextD",
                                                             u"insttypetextI"};

struct ListBlock {
  Handle block = nullptr;
  size_t size = 0;
};
ListBlock g_instruments[kInstrumentLanguages];
ListBlock g_sections[kInstrumentLanguages];

struct CacheRow {
  bool valid = false;
  std::u16string partName;
  std::u16string shortName;
};
CacheRow g_cache[kPartSlots];

bool ReadWhole(const std::u16string& path, ListBlock* list) {
  std::FILE* stream = FileOpen(path.c_str(), kFileRead, false);
  if (!stream) return false;
  long size = FileSize(stream);
  bool ok = false;
  Handle block = nullptr;
  if (size >= 0 && AllocHandleChecked(&block, static_cast<size_t>(size) + 1, kTextNoRoomForNameLists, 0)) {
    ok = FileRead(stream, block, static_cast<size_t>(size)) == 0;
  }
  FileClose(stream);
  if (!ok) {
    FreeHandle(&block);
    return false;
  }
  FreeHandle(&list->block);
  list->block = block;
  list->size = static_cast<size_t>(size);
  return true;
}

// One entry of an instrument list: its row, its name and its short form.
struct ListEntry {
  int row;
  const uint8_t* name;
  size_t length;
  const uint8_t* shortForm;
  size_t shortLength;
};

// Walks the entries of a list, never beyond its size: after each name the
// entry runs on to a byte 1 and the byte after it, and two bytes further
// when the next byte is 2 or 3. visit(entry) returns false to stop.
template <class Visitor>
void ForEachEntry(const uint8_t* bytes, size_t size, Visitor&& visit) {
  size_t at = 0;
  for (int row = 0; at < size && bytes[at] != 0; ++row) {
    const uint8_t* name = bytes + at;
    const void* end = std::memchr(name, 0, size - at);
    if (!end) return;  // an unended name: the list stops here
    size_t length = static_cast<const uint8_t*>(end) - name;
    at += length + 1;
    size_t shortStart = at;
    while (at < size && bytes[at] >= 32) ++at;
    ListEntry entry = {row, name, length, bytes + shortStart, at - shortStart};
    while (at < size && bytes[at] != 1) ++at;
    at += 2;
    if (at < size && (bytes[at] == 2 || bytes[at] == 3)) at += 2;
    if (!visit(entry)) return;
  }
}

char16_t UpperUnit(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 32;
  if (c < 0xB5) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c == 0x131) return u'I';
  if (c == 0x17F) return u'S';
  bool oddLower = (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
  bool evenLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if ((oddLower && (c & 1)) || (evenLower && !(c & 1))) return c - 1;
  if (c == 0x3C2) return 0x3A3;
  if ((c >= 0x3B1 && c <= 0x3CB) || (c >= 0x430 && c <= 0x44F)) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

bool IsLetter(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return true;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
  return (c >= 0x386 && c <= 0x3FF) || (c >= 0x400 && c <= 0x4FF);
}

bool IsLetterOrDigit(char16_t c) { return IsLetter(c) || (c >= u'0' && c <= u'9'); }

bool IsBlank(char16_t c) { return c == u' ' || (c >= 9 && c <= 13) || c == 0xA0; }

// Where entry is found in text after a character that is not a letter; -1 for none.
long FoundAfterNonLetter(const char16_t* text, size_t textLength, const char16_t* entry, size_t length) {
  for (size_t at = 0; at + length <= textLength; ++at) {
    if (at > 0 && IsLetter(text[at - 1])) continue;
    if (std::memcmp(text + at, entry, length * sizeof(char16_t)) == 0) return static_cast<long>(at);
  }
  return -1;
}

// Each word cut to three characters, with a full stop where it was cut.
std::u16string Abbreviate(const char16_t* name) {
  std::u16string out;
  size_t run = 0;
  for (const char16_t* c = name; *c; ++c) {
    if (IsBlank(*c) || *c == u'-') {
      run = 0;
      out += *c;
      continue;
    }
    if (run < 3) out += *c;
    if (run == 3) out += u'.';
    ++run;
  }
  return out;
}

// An upper-cased copy of text, cut to the buffer; its length.
size_t CopyUpper(const char16_t* text, char16_t (&upper)[kNameUnits]) {
  size_t n = 0;
  for (; text[n] && n + 1 < kNameUnits; ++n) upper[n] = UpperUnit(text[n]);
  upper[n] = 0;
  return n;
}

}  // namespace

bool LoadInstrumentNameListsFrom(const char16_t* folder) {
  std::u16string base = folder ? folder : u"";
  for (int language = 0; language < kInstrumentLanguages; ++language) {
    if (!ReadWhole(base + kSectionFiles[language], &g_sections[language])) return false;
    if (!ReadWhole(base + kInstrumentFiles[language], &g_instruments[language])) return false;
  }
  return true;
}

bool LoadInstrumentNameLists() {
  char16_t folder[520];
  if (!MakeResourcesSubPath(folder, u"")) return false;
  return LoadInstrumentNameListsFrom(folder);
}

const char16_t* InstrumentNameListFile(int index) {
  if (index < 0 || index >= kInstrumentNameListFiles) return nullptr;
  return index % 2 == 0 ? kSectionFiles[index / 2] : kInstrumentFiles[index / 2];
}

void FreeInstrumentNameLists() {
  for (int language = 0; language < kInstrumentLanguages; ++language) {
    FreeHandle(&g_instruments[language].block);
    FreeHandle(&g_sections[language].block);
    g_instruments[language].size = g_sections[language].size = 0;
  }
  ClearPartNameCache();
}

const uint8_t* InstrumentList(int language, size_t* size) {
  bool known = language >= 0 && language < kInstrumentLanguages && g_instruments[language].block;
  *size = known ? g_instruments[language].size : 0;
  return known ? static_cast<const uint8_t*>(g_instruments[language].block) : nullptr;
}

const uint8_t* InstrumentSectionList(int language, size_t* size) {
  bool known = language >= 0 && language < kInstrumentLanguages && g_sections[language].block;
  *size = known ? g_sections[language].size : 0;
  return known ? static_cast<const uint8_t*>(g_sections[language].block) : nullptr;
}

bool FoundAtWordStart(const char16_t* text, size_t textLength, const char16_t* entry, size_t length) {
  size_t at = 0;
  while (at < textLength) {
    if (textLength - at >= length && std::memcmp(text + at, entry, length * sizeof(char16_t)) == 0) return true;
    while (at < textLength && IsLetterOrDigit(text[at])) ++at;
    while (at < textLength && !IsLetterOrDigit(text[at])) ++at;
  }
  return false;
}

size_t MakeUpperWide(char16_t* text) {
  size_t n = 0;
  for (; text[n]; ++n) text[n] = UpperUnit(text[n]);
  return n;
}

namespace {

// The longest name of any language's list that find(upper-case name, its
// length) finds (find gives where, or -1): its entry in *best and where in
// *at; its length, 0 when none is found (*at stays -1).
template <class Find>
size_t LongestListedName(Find&& find, ListEntry* best, long* at) {
  size_t bestLength = 0;
  for (int language = 0; language < kInstrumentLanguages; ++language) {
    size_t size = 0;
    const uint8_t* list = InstrumentList(language, &size);
    ForEachEntry(list, size, [&](const ListEntry& entry) {
      if (entry.length <= bestLength) return true;
      char16_t candidate[kNameUnits];
      size_t length = WidenLatin1(entry.name, entry.length, candidate, kNameUnits);
      MakeUpperWide(candidate);
      if (length <= bestLength) return true;
      const long where = find(candidate, length);
      if (where >= 0) {
        bestLength = length;
        *at = where;
        *best = entry;
      }
      return true;
    });
  }
  return bestLength;
}

}  // namespace

int FindInstrumentListName(char16_t* name, size_t capacity) {
  if (!name || capacity == 0) return 0;
  char16_t upper[kNameUnits];
  size_t upperLength = CopyUpper(name, upper);

  ListEntry best = {};
  long at = -1;
  LongestListedName(
      [&](const char16_t* candidate, size_t length) {
        return FoundAtWordStart(upper, upperLength, candidate, length) ? 0L : -1L;
      },
      &best, &at);
  if (at < 0) return 0;
  const int bestRow = best.row;

  size_t size = 0;
  const uint8_t* english = InstrumentList(kEnglishList, &size);
  bool written = false;
  ForEachEntry(english, size, [&](const ListEntry& entry) {
    if (entry.row != bestRow) return true;
    WidenLatin1(entry.name, entry.length, name, capacity);
    written = true;
    return false;
  });
  return written ? 1 : 0;
}

CStr FindInstrumentName(const char16_t* partName) {
  if (!partName) return CStr();
  char16_t upper[kNameUnits];
  size_t upperLength = CopyUpper(partName, upper);

  ListEntry best = {};
  long bestAt = -1;
  const size_t bestLength = LongestListedName(
      [&](const char16_t* candidate, size_t length) {
        return FoundAfterNonLetter(upper, upperLength, candidate, length);
      },
      &best, &bestAt);
  if (bestAt < 0) return CStr(Abbreviate(partName).c_str());

  std::u16string result(partName, partName + bestAt);
  for (size_t i = 0; i < best.shortLength; ++i) result += static_cast<char16_t>(best.shortForm[i]);
  result += partName + bestAt + bestLength;
  return CStr(result.c_str());
}

const char16_t* LookupPartInstrumentName(int slot) {
  if (slot < 0 || slot >= kPartSlots) return u"";
  CacheRow& row = g_cache[slot];
  const char16_t* name = PartNameTable[slot];
  size_t length = 0;
  while (length < kPartNameUnits && name[length]) ++length;
  std::u16string current(name, length);
  if (!row.valid || row.partName != current) {
    row.partName = current;
    row.shortName = FindInstrumentName(current.c_str()).Text();
    row.valid = true;
  }
  return row.shortName.c_str();
}

void ClearPartNameCache() {
  for (CacheRow& row : g_cache) row = CacheRow();
}
