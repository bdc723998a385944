#include "export/ExportPayloads.h"

#include "export/NiffWriterError.h"
#include "platform/Platform.h"
#include "score/ScoreItem.h"

namespace {

const char* const kRootNames[kChordRootNames] = {"C", "C#", "D@", "D", "D#", "E@", "E", "F", "F#",
                                                 "G@", "G", "G#", "A@", "A", "A#", "B@", "B"};
const char* const kSuffixes[kChordSuffixes] = {
    "",        "m",      "m\\(maj7\\)", "m\\(add9\\)", "5",     "sus2",    "sus4",      "6",
    "6/9",     "m@6",    "m6",          "m6/9",        "7",     "7@5",     "7@9",       "7#9",
    "7@5#9",   "7#11",   "m7",          "m7@5",        "maj7",  "maj7#11", "7sus4",     "9",
    "9@5",     "maj9",   "m9",          "m9@5",        "m9\\(maj7\\)", "9sus4", "add9", "11",
    "m11",     "13",     "m13",         "maj13",       "13sus4", "aug",    "aug7",      "aug7@9",
    "aug7#9",  "aug9",   "+",           "+7",          "+7@9",  "+7#9",    "+9",        "dim",
    "dim7"};

bool IsControl(unsigned c) { return c < 32 || (c >= 127 && c <= 159); }
bool Opens(unsigned c) { return c == 0x13 || c == 0x15; }
bool Closes(unsigned c) { return c == 0x14 || c == 0x16; }

template <class Char>
std::basic_string<Char> Clean(const Char* text, size_t length, size_t limit) {
  std::basic_string<Char> out;
  bool inMarkup = false;
  const size_t n = length < limit ? length : limit;
  for (size_t i = 0; i < n; ++i) {
    const unsigned c = static_cast<unsigned>(static_cast<typename std::make_unsigned<Char>::type>(text[i]));
    if (c < 256) {
      if (inMarkup) {
        if (Closes(c)) inMarkup = false;
        continue;
      }
      if (Opens(c)) {
        inMarkup = true;
        continue;
      }
      if (IsControl(c)) continue;
    } else if (inMarkup) {
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

ChordSymbolCodeSet ChordSymbolCodes(const uint8_t* item, uint8_t version) {
  return {GetChordSymbolRoot(item, version), GetChordSymbolQuality(item, version), GetChordSymbolBass(item, version)};
}

bool ChordNameText(int root, int quality, int bass, std::string* text) {
  text->clear();
  if (root < 0 || root >= kChordRootNames) return false;
  bool whole = true;
  *text = kRootNames[root];
  if (quality >= 0 && quality < kChordSuffixes)
    *text += kSuffixes[quality];
  else
    whole = false;
  if (bass != root) {
    if (bass >= 0 && bass < kChordRootNames) {
      *text += "/";
      *text += kRootNames[bass];
    } else {
      whole = false;
    }
  }
  return whole;
}

std::string ChordGridText(const GuitarGrid& grid) {
  std::string text;
  for (int s = 0; s < 6; ++s) {
    if (!grid.played[s])
      text += 'x';
    else if (grid.fret[s] != 0)
      text += static_cast<char>('0' + grid.baseFret + grid.fret[s]);
    else
      text += '0';
  }
  return text;
}

TextPlace ChordTextPlace(const uint8_t* item, uint8_t version) {
  return {TextOffsetX(item, version) * 5, TextOffsetY(item, version) * 5};
}

TextPlace GeneralTextPlace(const uint8_t* item, uint8_t version) {
  return {static_cast<int>(TextWordAt(item, version, 0)), static_cast<int>(TextWordAt(item, version, 1))};
}

std::u16string CleanText(const char16_t* text, size_t length, size_t limit) { return Clean(text, length, limit); }
std::string CleanText(const char* text, size_t length, size_t limit) { return Clean(text, length, limit); }

std::u16string ItemText(const uint8_t* item, uint8_t version, size_t limit) {
  const uint8_t* start = item + TextStart(item, version);
  const uint32_t bytes = TextByteCount(item, version);
  if (TextIsWide(version)) {
    std::vector<char16_t> units(bytes / 2 + 1);
    const size_t count = ReadItemText(item, version, units.data(), units.size());
    return CleanText(units.data(), count, limit);
  }
  std::string narrow = CleanText(reinterpret_cast<const char*>(start), bytes, limit);
  if (narrow.empty()) return std::u16string();
  std::u16string wide(narrow.size() * 2 + 1, u'\0');
  int written = platform::MultiByteToWide(platform::kAnsiCodePage, narrow.data(), static_cast<int>(narrow.size()),
                                          &wide[0], static_cast<int>(wide.size()));
  if (written <= 0) {
    // Not convertible: byte for byte as Latin-1.
    wide.assign(narrow.begin(), narrow.end());
    for (size_t i = 0; i < narrow.size(); ++i) wide[i] = static_cast<unsigned char>(narrow[i]);
    return wide;
  }
  wide.resize(static_cast<size_t>(written));
  return wide;
}

TupletMarkValue TupletMarkFields(const uint8_t* item) {
  TupletMarkValue value;
  value.voice = MarkVoice(item);
  const int64_t notes = MarkParameter1(item) & 0x7F;
  const int64_t unit = int64_t{MarkParameter2(item)} + 1;  // written length of one note in 1/128
  const int64_t span = MarkSpan(item);
  CheckOrThrow(notes != 0 && span != 0, 1, kNiffErrorMarkUnreadable);
  value.ratio = CBeatCounter(notes * unit, 128);
  value.span = CBeatCounter(span, 128);
  value.bracketShape = (MarkParameter1(item) & 0x80) ? 7 : 1;
  value.fourth = MarkVoice(item);
  return value;
}

SlurMarkValue SlurMarkFields(const uint8_t* item) {
  return {MarkVoice(item), CBeatCounter(MarkSpan(item), 128)};
}
