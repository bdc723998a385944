#include "score/TempoWords.h"

#include <cstddef>

namespace {

constexpr int W = kMatchWhole;
constexpr int P = kMatchPrefix;
constexpr int kLevel = kWordDynamicLevel;
constexpr int kChange = kWordDynamicChange;
constexpr int kAccent = kWordAccent;
constexpr int kLength = kWordNoteLength;
constexpr int kTempo = kWordTempo;
constexpr int kScale = kWordTempoChange;
constexpr int kProgram = kWordInstrument;
constexpr int kSwing = kWordSwing;

}  // namespace

const TempoWordRow kTempoWords[kTempoWordCount] = {
    // Italian tempo words and their changes
    {u"Adagio", W, kTempo, 60},
    {u"Allarg", P, kScale, 80},
    {u"Allegretto", W, kTempo, 100},
    {u"Allegro", W, kTempo, 120},
    {u"Andante", W, kTempo, 80},
    {u"Con brio", W, kTempo, 120},
    {u"Con moto", W, kTempo, 120},
    {u"Grave", W, kTempo, 50},
    {u"Largo", W, kTempo, 50},
    {u"Lento", W, kTempo, 60},
    {u"Maestoso", W, kTempo, 70},
    {u"Meno mosso", W, kScale, 90},
    {u"Moderato", W, kTempo, 100},
    {u"Molto allarg", P, kScale, 70},
    {u"Pi\u00f9 allegro", W, kScale, 110},
    {u"Piu allegro", W, kScale, 110},
    {u"Pi\u00f9 lento", W, kScale, 90},
    {u"Piu lento", W, kScale, 90},
    {u"Pi\u00f9 mosso", W, kScale, 110},
    {u"Piu mosso", W, kScale, 110},
    {u"Poco allarg", P, kScale, 110},
    {u"Prestissimo", W, kTempo, 180},
    {u"Presto", W, kTempo, 160},
    {u"Stringendo", W, kScale, 110},
    {u"Stretto", W, kScale, 120},
    {u"Vivace", W, kTempo, 120},
    {u"Vivo", W, kTempo, 120},
    // English
    {u"Dotted eighths", W, kSwing, 5},
    {u"Fast", W, kTempo, 120},
    {u"Faster", W, kScale, 110},
    {u"Heavy swing", W, kSwing, 3},
    {u"Light swing", W, kSwing, 1},
    {u"Lively", W, kTempo, 120},
    {u"Moderate", P, kTempo, 100},
    {u"Notes in\u00e9gales", W, kSwing, 4},
    {u"Slow", W, kTempo, 60},
    {u"Slower", W, kScale, 90},
    {u"Straight", W, kSwing, 0},
    {u"Swing", W, kSwing, 2},
    {u"Swung", W, kSwing, 2},
    {u"Very fast", W, kTempo, 160},
    {u"Very slow", W, kTempo, 40},
    {u"With movement", W, kTempo, 120},
    // French
    {u"En pressant", W, kScale, 110},
    {u"En retenant", W, kScale, 90},
    {u"Lent", P, kTempo, 60},
    {u"Vif", W, kTempo, 120},
    {u"Vite", W, kTempo, 120},
    {u"Vivement", W, kTempo, 160},
    // German
    {u"Bewegt", W, kTempo, 100},
    {u"Langsam", W, kTempo, 60},
    {u"Lebhaft", W, kTempo, 120},
    {u"M\u00e4ssig", W, kTempo, 100},
    {u"Schnell", W, kTempo, 160},
    {u"Schneller", W, kTempo, 180},
    // Dynamics
    {u"ppp", P, kLevel, 34},
    {u"pp", W, kLevel, 40},
    {u"p", W, kLevel, 48},
    {u"mp", W, kLevel, 56},
    {u"mf", W, kLevel, 66},
    {u"f", W, kLevel, 77},
    {u"ff", W, kLevel, 89},
    {u"fff", P, kLevel, 100},
    {u"loud", P, kLevel, 77},
    {u"fort", P, kLevel, 77},
    {u"dehors", W, kLevel, 77},
    {u"soft", P, kLevel, 38},
    {u"quiet", P, kLevel, 48},
    // Lengths, changes, mutes and instruments
    {u"stacc", P, kLength, 50},
    {u"legato", W, kLength, 100},
    {u"non legato", P, kLength, 90},
    {u"decres", P, kChange, -10},
    {u"cres", P, kChange, 10},
    {u"augment", P, kChange, 10},
    {u"dim", P, kChange, -10},
    {u"marcato", P, kChange, 15},
    {u"senza sord", P, kProgram, -1},
    {u"sans sourd", P, kProgram, -1},
    {u"sord", P, kChange, -15},
    {u"sourd", P, kChange, -15},
    {u"una corda", W, kChange, -15},
    {u"tre cord", P, kChange, -15},
    {u"solo", P, kChange, 15},
    {u"sf", P, kAccent, 15},
    {u"rf", P, kAccent, 15},
    {u"pizz", P, kProgram, 45},
    {u"arco", P, kProgram, -1},
    {u"Alto Sax", P, kProgram, 65},
    {u"Baritone Sax", P, kProgram, 67},
    {u"Cel", W, kProgram, 8},
    {u"Celest", P, kProgram, 8},
    {u"Cl", W, kProgram, 71},
    {u"Clar", P, kProgram, 71},
    {u"Cor A", P, kProgram, 69},
    {u"Eng H", P, kProgram, 69},
    {u"English H", P, kProgram, 69},
    {u"fp", P, kAccent, 15},
    {u"Fl", W, kProgram, 73},
    {u"Flute", P, kProgram, 73},
    {u"Glock", P, kProgram, 9},
    {u"Mar", W, kProgram, 12},
    {u"Marim", P, kProgram, 12},
    {u"meno f", P, kLevel, 71},
    {u"meno p", P, kLevel, 52},
    {u"nat", W, kProgram, -1},
    {u"naturale", W, kProgram, -1},
    {u"non leg", P, kLength, 90},
    {u"Ob", W, kProgram, 68},
    {u"Oboe", P, kProgram, 68},
    {u"ord", W, kProgram, -1},
    {u"Picc", P, kProgram, 72},
    {u"pi\u00f9 f", P, kLevel, 83},
    {u"piu f", P, kLevel, 83},
    {u"pi\u00f9 p", P, kLevel, 44},
    {u"piu p", P, kLevel, 44},
    {u"Sax", P, kProgram, 66},
    {u"silent", P, kLevel, 0},
    {u"snap pizz", P, kProgram, 45},
    {u"Soprano Sax", P, kProgram, 64},
    {u"tacet", W, kLevel, 0},
    {u"Tenor Sax", P, kProgram, 66},
    {u"tenuto", W, kLength, 100},
    {u"tre corde", W, kChange, 15},
    {u"tutti", W, kProgram, -1},
    {u"Xyl", P, kProgram, 13},
};

namespace {

constexpr size_t kPhraseCapacity = 256;  // 255 characters and the end

// Letters as a wide-character classification would see them; the Latin-1
// symbols and the punctuation blocks are not letters.
bool IsLetter(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return true;
  if (c < 0xAA) return false;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c < 0xC0 || c == 0xD7 || c == 0xF7) return false;
  if (c >= 0x2000 && c <= 0x2BFF) return false;  // punctuation, symbols, arrows
  if (c >= 0x3000 && c <= 0x303F) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;  // surrogate halves
  if (c >= 0xFF00 && c <= 0xFF20) return false;  // full-width punctuation
  return true;
}

// White space that is not a control character.
bool IsBlank(char16_t c) {
  return c == u' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool IsPunctuation(char16_t c) {
  if (c < 0x80) {
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
  }
  return c == 0xA1 || c == 0xA7 || c == 0xAB || c == 0xB6 || c == 0xB7 || c == 0xBB || c == 0xBF ||
         (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) || (c >= 0x3001 && c <= 0x3003);
}

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool SameFolded(char16_t a, char16_t b) { return FoldAscii(a) == FoldAscii(b); }

// The text at `at` begins with the word.
bool BeginsWith(const char16_t* at, const char16_t* word) {
  for (; *word; ++word, ++at) {
    if (!*at || !SameFolded(*at, *word)) return false;
  }
  return true;
}

bool Equals(const char16_t* phrase, const char16_t* word) {
  for (; *word; ++word, ++phrase) {
    if (!*phrase || !SameFolded(*phrase, *word)) return false;
  }
  return *phrase == 0;
}

// Copies up to `words` words from `start` into the phrase, leaving out
// punctuation; returns where copying stopped in the text.
const char16_t* BuildPhrase(const char16_t* start, int words, char16_t* phrase) {
  size_t n = 0;
  int blanks = 0;
  const char16_t* at = start;
  for (; *at && n + 1 < kPhraseCapacity; ++at) {
    if (IsBlank(*at)) {
      if (blanks + 1 > words - 1) break;
      ++blanks;
    }
    if (IsPunctuation(*at)) continue;
    phrase[n++] = *at;
  }
  phrase[n] = 0;
  return at;
}

const TempoWordRow* MatchRow(const char16_t* start, const char16_t* phrase) {
  for (const TempoWordRow& row : kTempoWords) {
    bool hit = row.match == kMatchPrefix ? BeginsWith(start, row.word) : Equals(phrase, row.word);
    if (hit) return &row;
  }
  return nullptr;
}

}  // namespace

int ParseTempoWord(const char16_t* text, int* kind, int* value) {
  if (!text) return 0;
  const char16_t* at = text;
  char16_t phrase[kPhraseCapacity];
  for (;;) {
    while (*at && !IsLetter(*at)) ++at;
    if (!*at) return 0;
    BuildPhrase(at, 2, phrase);
    const TempoWordRow* row = MatchRow(at, phrase);
    const char16_t* end = at + 1;
    if (!row) {
      end = BuildPhrase(at, 1, phrase);
      row = MatchRow(at, phrase);
    }
    if (row) {
      *kind = row->kind;
      *value = row->value;
      return 1;
    }
    at = end > at ? end : at + 1;
  }
}

int ParseMetronomeNumber(const char16_t* text, int* number) {
  if (!text) return 0;
  const char16_t* end = text;
  while (*end) ++end;
  const char16_t* at = end;
  while (at > text && !(at[-1] >= u'0' && at[-1] <= u'9')) --at;
  if (at == text) return 0;  // no digit
  const char16_t* first = at;
  while (first > text && first[-1] >= u'0' && first[-1] <= u'9') --first;
  long long n = 0;
  for (const char16_t* d = first; d < at; ++d) {
    n = n * 10 + (*d - u'0');
    if (n > kMetronomeMax) return 0;
  }
  if (n < kMetronomeMin) return 0;
  *number = static_cast<int>(n);
  return 1;
}
