#include "score/InstrumentTable.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"
#include "score/InstrumentNameLists.h"
#include "score/ScoreStream.h"

namespace {

constexpr unsigned kTextLineTooLong = 11930;
constexpr unsigned kTextUnknownInstrument = 11931;
constexpr size_t kNameUnits = 256;

// MIDI notes of the white keys from A (45) to C (96), for positions 1..31.
constexpr uint8_t kDefaultPitches[31] = {45, 47, 48, 50, 52, 53, 55, 57, 59, 60, 62, 64, 65, 67, 69, 71,
                                         72, 74, 76, 77, 79, 81, 83, 84, 86, 88, 89, 91, 93, 95, 96};

struct ClefKeyword {
  const char* word;
  uint8_t number;
};
// Matched in this order: a keyword that begins another comes after it.
constexpr ClefKeyword kClefKeywords[] = {
    {"TREBLE&BASS", kClefNumberTrebleAndBass}, {"FRENCHTREBLE", 1}, {"TREBLE", 2}, {"SOPRANO", 3},
    {"MEZZOSOPRANO", 4}, {"ALTO", 5}, {"TENOR", 6}, {"BARITONE", 7}, {"BASS", 8},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithNoCase(const char* text, const char* word) {
  for (; *word; ++text, ++word) {
    char c = *text;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != *word) return false;
  }
  return true;
}

void ShowLineTooLong() {
  char16_t text[256];
  LoadUiString(kTextLineTooLong, text, 256);
  ErrorBox(nullptr, text);
}

// The line's number N: its characters up to the first one below 33, all
// digits; 0 when they are not.
int LineNumber(const char* line) {
  int n = 0;
  size_t i = 0;
  for (; static_cast<unsigned char>(line[i]) >= 33; ++i) {
    if (!IsDigit(line[i]) || i >= 7) return 0;
    n = n * 10 + (line[i] - '0');
  }
  return n;
}

bool IsComment(const char* line) { return line[0] == '/' && line[1] == '/'; }

// Calls visit(name bytes, length) for each quoted name before the options,
// until it returns false.
template <class Visitor>
void ForEachQuotedName(const char* line, Visitor&& visit) {
  size_t at = 0;
  while (line[at] && line[at] != ':') {
    if (line[at] != '"') {
      ++at;
      continue;
    }
    size_t start = ++at;
    while (line[at] && line[at] != '"') ++at;
    if (!visit(reinterpret_cast<const uint8_t*>(line + start), at - start)) return;
    if (line[at]) ++at;
  }
}

// Where the options of a line begin: the first ':' outside the quoted names.
size_t OptionsStart(const char* line) {
  size_t at = 0;
  bool quoted = false;
  for (; line[at] && (quoted || line[at] != ':'); ++at) {
    if (line[at] == '"') quoted = !quoted;
  }
  return at;
}

// Reads the options of a line into the outputs.
int ReadOptions(int number, const char* line, int8_t* transposition, InstrumentDetails* details) {
  int value = 0;
  ParseClefKeyword(number, line, OptionsStart(line), &value, details);
  if (transposition) *transposition = static_cast<int8_t>(value);
  return number;
}

std::u16string InstrumentTablePath() {
  char16_t path[1024];
  return MakeResourcesSubPath(path, kInstrumentTableFileName) ? std::u16string(path) : std::u16string();
}

}  // namespace

int GetInstrumentLine(std::FILE* stream, char* buffer, size_t size) {
  if (!stream || size < 2) return 1;
  size_t n = 0;
  bool any = false;
  for (;;) {
    int c = std::fgetc(stream);
    if (c == EOF) break;
    any = true;
    if (c == '\n') break;
    if (c == '\r') {
      // A lone CR ends the line too: only an LF after it belongs to it.
      int next = std::fgetc(stream);
      if (next != '\n' && next != EOF) std::ungetc(next, stream);
      break;
    }
    if (n + 1 >= size) {
      std::ungetc(c, stream);
      buffer[n] = 0;
      ShowLineTooLong();
      return 0;
    }
    buffer[n++] = static_cast<char>(c);
  }
  buffer[n] = 0;
  return any ? 0 : 1;
}

void ParseClefKeyword(int number, const char* line, size_t position, int* transposition,
                      InstrumentDetails* details) {
  size_t length = std::strlen(line);
  size_t at = position < length ? position : length;
  while ((at = std::strcspn(line + at, ":") + at) < length) {
    ++at;
    char c = line[at];
    if (c == '+' || c == '-') {
      int value = 0, digits = 0;
      for (++at; digits < 2 && IsDigit(line[at]); ++at, ++digits) value = value * 10 + (line[at] - '0');
      if (digits > 0 && transposition) *transposition = c == '-' ? -value : value;
      continue;
    }
    if (number >= kDrumKitBase && IsDigit(c)) {
      size_t n = 0;
      for (; IsDigit(line[at]); ++at) {
        if (details && n + 1 < sizeof(details->text)) details->text[n++] = line[at];
      }
      if (details) details->text[n] = 0;
      continue;
    }
    uint8_t octave = 0;
    if (c == '8') {
      octave = 2;
      ++at;
    } else if (c == '1' && line[at + 1]) {
      octave = 4;
      at += 2;
    }
    uint8_t clef = 0;
    for (const ClefKeyword& keyword : kClefKeywords) {
      if (StartsWithNoCase(line + at, keyword.word)) {
        clef = keyword.number;
        at += std::strlen(keyword.word);
        break;
      }
    }
    if (line[at] == '8') {
      octave = 1;
      ++at;
    } else if (line[at] == '1' && line[at + 1] == '5') {
      octave = 3;
      at += 2;
    }
    if (details && details->clefCount < kMaxInstrumentClefs) {
      details->clef[details->clefCount] = clef;
      details->octaveShift[details->clefCount] = octave;
      ++details->clefCount;
    }
  }
}

int DefaultMidiProgram(int slot) {
  if (slot < 0 || slot >= kPartSlots || !PartTablatureFlags[slot].flag) return 1;
  return PartLineCount(slot) == 4 ? 33 : 26;
}

int ReadInstrumentTable(const char16_t* partName, int8_t* transposition, int slot,
                        uint8_t pitchTable[kDefaultPitchTableSize], InstrumentDetails* details) {
  if (transposition) *transposition = 0;
  if (details) std::memset(details, 0, sizeof(*details));
  if (pitchTable) {
    pitchTable[0] = 0;
    std::memcpy(pitchTable + 1, kDefaultPitches, sizeof(kDefaultPitches));
  }
  if (!partName) partName = u"";

  // A name of the lists is matched exactly by its English entry; any other
  // by the longest table name at one of its word starts.
  char16_t listName[kNameUnits];
  char16_t upperPart[kNameUnits];
  size_t partLength = 0;
  for (; partName[partLength] && partLength + 1 < kNameUnits; ++partLength) {
    listName[partLength] = upperPart[partLength] = partName[partLength];
  }
  listName[partLength] = upperPart[partLength] = 0;
  MakeUpperWide(upperPart);
  bool exact = FindInstrumentListName(listName, kNameUnits) != 0;

  std::u16string path = InstrumentTablePath();
  std::FILE* stream = path.empty() ? nullptr : FileOpen(path.c_str(), kFileRead, false);
  if (!stream) return DefaultMidiProgram(slot);

  std::vector<char> line(kInstrumentLineUnits);
  std::string bestLine;
  size_t bestLength = 0;
  int bestNumber = 0;
  while (!GetInstrumentLine(stream, line.data(), line.size())) {
    const char* text = line.data();
    if (IsComment(text)) continue;
    int number = LineNumber(text);
    if (number == 0) continue;
    if (slot >= 0 && slot < kPartSlots && number >= kDrumKitBase &&
        static_cast<uint32_t>(number - kDrumKitBase) != PartLineCount(slot)) {
      continue;
    }
    bool equal = false, longer = false;
    ForEachQuotedName(text, [&](const uint8_t* bytes, size_t length) {
      char16_t name[kNameUnits];
      size_t n = WidenLatin1(bytes, length, name, kNameUnits);
      if (exact) {
        equal = CompareNoCase(name, listName) == 0;
        return !equal;
      }
      MakeUpperWide(name);
      if (n > bestLength && FoundAtWordStart(upperPart, partLength, name, n)) {
        bestLength = n;
        longer = true;
      }
      return true;
    });
    if (equal) {
      FileClose(stream);
      return ReadOptions(number, text, transposition, details);
    }
    if (longer) {
      bestLine = text;
      bestNumber = number;
    }
  }
  FileClose(stream);
  if (exact || bestNumber == 0) return DefaultMidiProgram(slot);
  return ReadOptions(bestNumber, bestLine.c_str(), transposition, details);
}

CStr ReadInstrumentName(int program) {
  std::u16string path = InstrumentTablePath();
  std::FILE* stream = path.empty() ? nullptr : FileOpen(path.c_str(), kFileRead, false);
  std::u16string found;
  bool any = false;
  if (stream) {
    std::vector<char> line(kInstrumentNameLineUnits);
    while (!any && !GetInstrumentLine(stream, line.data(), line.size())) {
      const char* text = line.data();
      if (IsComment(text) || LineNumber(text) != program || program == 0) continue;
      ForEachQuotedName(text, [&](const uint8_t* bytes, size_t length) {
        found.assign(bytes, bytes + length);
        any = true;
        return false;
      });
    }
    FileClose(stream);
  }
  if (any) return CStr(found.c_str());
  char16_t unknown[64];
  LoadUiString(kTextUnknownInstrument, unknown, 64);
  return CStr(unknown);
}
