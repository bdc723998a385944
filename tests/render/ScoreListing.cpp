// Listing grammar (words separated by blanks, '#' starts a comment):
//   parts N                        part slots in use (slot 0 holds page texts)
//   part S [lines N] [tab] [small] [name WORD] [flag]   part records of slot S
//   pages N / current N            the page list (page marks split pages)
//   slot S                         the items that follow go into slot S
//   staff-end | page-mark | end    structure marks
//   bar STYLE                      bar line 0..9
//   clef CODE [octave N]
//   key COUNT sharps|flats [hidden]
//   time NUM CODE [symbol] [plus] [hidden] [screen] [colour]
//   chord DUR [dots N] [voice V] [down] [beam] [start] [grace] [small] [shared]
//         [above|below] [head N] [art N] [marks N] notes P[acc] ...
//         acc: n natural, # sharp, b flat, x double sharp, bb double flat,
//         n# natural-sharp, nb natural-flat; on tablature P is FRET/STRING
//   rest DUR [dots N] [voice V] [shared] [hidden] [fermata]
//   multirest BARS [voice V]
//   tuplet COUNT UNIT SPAN [voice V] [bracket]   (UNIT: b4, the note's 128ths - 1)
//   mark SUB SPAN P1 P2 [voice V]  slur 1, tie 2, pedal 10, ornament 12 ...
//   text SUB DX DY "TEXT"          staff texts (and brackets: text 12 DX DY COUNT "TEXT")
//   pagetext SUB X Y "TEXT"
//   staffstart LEFT LENGTH         the staff's own left end and length
//   payload SUB HEX...             a text item of a sub-kind with these payload bytes
//   chordsymbol DX DY BASE S1..S6 [ROOT QUALITY BASS]   a chord diagram (and symbol)
//   chordname DX DY ROOT QUALITY BASS    a chord symbol without a diagram
//   raw HEX...                     bytes as they stand (damaged items)
#include "ScoreListing.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

struct Builder {
  std::vector<uint8_t> slots[kPartSlots];
  int slot = 1;
};

bool Fail(std::string* error, int line, const std::string& what) {
  if (error) *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

int ValueAfter(const std::vector<std::string>& words, const std::string& key, int fallback) {
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i] == key) return std::atoi(words[i + 1].c_str());
  }
  return fallback;
}

bool Has(const std::vector<std::string>& words, const std::string& key) {
  for (const std::string& w : words) {
    if (w == key) return true;
  }
  return false;
}

std::string QuotedText(const std::string& line) {
  const size_t a = line.find('"');
  const size_t b = line.rfind('"');
  if (a == std::string::npos || b <= a) return {};
  return line.substr(a + 1, b - a - 1);
}

void PushText(std::vector<uint8_t>& out, uint8_t sub, const std::vector<uint8_t>& fields, const std::string& text) {
  std::vector<uint8_t> payload = fields;
  for (unsigned char c : text) {
    payload.push_back(c);
    payload.push_back(0);
  }
  out.push_back(MakeTextFirstByte(sub));
  out.push_back(static_cast<uint8_t>(payload.size() & 255));
  out.push_back(static_cast<uint8_t>(payload.size() >> 8));
  out.insert(out.end(), payload.begin(), payload.end());
}

uint8_t AccidentalCode(const std::string& s) {
  if (s == "n") return kAccidentalNatural;
  if (s == "#") return kAccidentalSharp;
  if (s == "b") return kAccidentalFlat;
  if (s == "x") return kAccidentalDoubleSharp;
  if (s == "bb") return kAccidentalDoubleFlat;
  if (s == "n#") return kAccidentalNaturalSharp;
  if (s == "nb") return kAccidentalNaturalFlat;
  return kAccidentalNone;
}

}  // namespace

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool BuildScoreFromListing(const std::string& listing, std::string* error) {
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  ResetScoreStreams();
  ResetPartRecords();
  Builder b;
  int parts = 2, pages = 1, current = 1;
  std::istringstream in(listing);
  std::string raw;
  int lineNumber = 0;
  while (std::getline(in, raw)) {
    ++lineNumber;
    std::string line = raw;
    const size_t quote = line.find('"');
    const size_t hash = line.find('#');
    if (hash != std::string::npos && (quote == std::string::npos || hash < quote)) {
      // '#' after a digit is a sharp, not a comment.
      size_t h = hash;
      while (h != std::string::npos && h > 0 && std::isalnum(static_cast<unsigned char>(line[h - 1]))) {
        h = line.find('#', h + 1);
      }
      if (h != std::string::npos && (quote == std::string::npos || h < quote)) line = line.substr(0, h);
    }
    std::istringstream ws(line.substr(0, line.find('"')));
    std::vector<std::string> w;
    for (std::string t; ws >> t;) w.push_back(t);
    if (w.empty()) continue;
    std::vector<uint8_t>& out = b.slots[b.slot];
    const std::string& op = w[0];
    auto num = [&](size_t i) { return i < w.size() ? std::atoi(w[i].c_str()) : 0; };
    if (op == "parts") {
      parts = num(1);
    } else if (op == "pages") {
      pages = num(1);
    } else if (op == "current") {
      current = num(1);
    } else if (op == "part") {
      const int s = num(1);
      if (s < 0 || s >= kPartSlots) return Fail(error, lineNumber, "bad slot");
      PartTablatureFlags[s].kind = static_cast<uint32_t>(ValueAfter(w, "lines", 5));
      PartTablatureFlags[s].flag = Has(w, "tab") ? 1 : 0;
      PartSmallStave[s] = Has(w, "small") ? 1 : 0;
      PartFlag[s] = Has(w, "flag") ? 1 : 0;
      for (size_t i = 0; i + 1 < w.size(); ++i) {
        if (w[i] != "name") continue;
        size_t k = 0;
        for (; k < w[i + 1].size() && k + 1 < kPartNameUnits; ++k) PartNameTable[s][k] = w[i + 1][k];
        PartNameTable[s][k] = 0;
      }
    } else if (op == "slot") {
      b.slot = num(1);
      if (b.slot < 0 || b.slot >= kPartSlots) return Fail(error, lineNumber, "bad slot");
    } else if (op == "staff-end") {
      out.push_back(kBarBoundary);
    } else if (op == "page-mark") {
      out.push_back(kPageMark);
    } else if (op == "end") {
      out.push_back(kEndOfScore);
    } else if (op == "bar") {
      out.push_back(MakeBarLine(static_cast<uint8_t>(num(1))));
    } else if (op == "clef") {
      uint8_t item[2] = {};
      SetClef(item, static_cast<uint8_t>(num(1)), static_cast<uint8_t>(ValueAfter(w, "octave", 0)));
      out.insert(out.end(), item, item + 2);
    } else if (op == "key") {
      out.push_back(MakeKeySignature(static_cast<uint8_t>(num(1)), Has(w, "sharps"), Has(w, "hidden")));
    } else if (op == "time") {
      uint8_t item[2] = {};
      SetTimeSignature(item, static_cast<uint8_t>(num(1)), static_cast<uint8_t>(num(2)), Has(w, "hidden"));
      if (Has(w, "screen")) item[1] |= 0x08;
      if (Has(w, "plus")) item[1] |= 0x10;
      if (Has(w, "symbol")) item[1] |= 0x20;
      if (Has(w, "colour")) item[1] |= 0x40;
      out.insert(out.end(), item, item + 2);
    } else if (op == "chord") {
      std::vector<std::pair<int, int>> notes;
      size_t i = 0;
      while (i < w.size() && w[i] != "notes") ++i;
      for (++i; i < w.size(); ++i) {
        const std::string& n = w[i];
        size_t k = 0;
        while (k < n.size() && std::isdigit(static_cast<unsigned char>(n[k]))) ++k;
        int value = std::atoi(n.substr(0, k).c_str());
        int second;
        if (k < n.size() && n[k] == '/') second = std::atoi(n.substr(k + 1).c_str());
        else second = AccidentalCode(n.substr(k));
        notes.push_back({value, second});
      }
      std::vector<uint8_t> item(kChordHeaderBytes + notes.size(), 0);
      SetChordNoteCount(item.data(), static_cast<uint8_t>(notes.size()));
      SetChordDuration(item.data(), static_cast<uint8_t>(num(1)), static_cast<uint8_t>(ValueAfter(w, "dots", 0)));
      if (Has(w, "shared")) item[1] |= 1;
      if (Has(w, "above")) SetChordPlacement(item.data(), kPlacementAbove);
      if (Has(w, "below")) SetChordPlacement(item.data(), kPlacementBelow);
      SetChordArticulation(item.data(), static_cast<uint8_t>(ValueAfter(w, "art", 0)));
      SetChordMarkFlags(item.data(), static_cast<uint8_t>(ValueAfter(w, "marks", 0)));
      if (Has(w, "small")) item[3] |= 0x80;
      SetChordNotehead(item.data(), static_cast<uint8_t>(ValueAfter(w, "head", 0)));
      if (Has(w, "grace")) item[4] |= 0x04;
      SetChordVoice(item.data(), static_cast<uint8_t>(ValueAfter(w, "voice", 0)));
      SetChordStemDown(item.data(), Has(w, "down"));
      SetChordBeamedToNext(item.data(), Has(w, "beam"));
      SetChordStartsBeamGroup(item.data(), Has(w, "start"));
      for (size_t k = 0; k < notes.size(); ++k) {
        SetNote(item.data(), static_cast<unsigned>(k), static_cast<uint8_t>(notes[k].first),
                static_cast<uint8_t>(notes[k].second));
      }
      out.insert(out.end(), item.begin(), item.end());
    } else if (op == "rest") {
      uint8_t item[2] = {static_cast<uint8_t>(kItemRest), 0};
      SetRest(item, static_cast<uint8_t>(num(1)), static_cast<uint8_t>(ValueAfter(w, "dots", 0)),
              static_cast<uint8_t>(ValueAfter(w, "voice", 0)));
      if (Has(w, "shared")) item[0] |= 0x80;
      if (Has(w, "fermata")) SetRestFields(item, 1);
      if (Has(w, "hidden")) SetRestHidden(item, true);
      out.insert(out.end(), item, item + 2);
    } else if (op == "multirest") {
      uint8_t item[2] = {static_cast<uint8_t>(kItemRest), 0};
      SetMultiBarRest(item, static_cast<uint32_t>(num(1)), static_cast<uint8_t>(ValueAfter(w, "voice", 0)));
      out.insert(out.end(), item, item + 2);
    } else if (op == "tuplet" || op == "mark") {
      uint8_t item[5] = {};
      const bool tuplet = op == "tuplet";
      item[0] = static_cast<uint8_t>(kItemMark | ((tuplet ? 0 : num(1)) << 3) | kMarkBit7);
      SetMarkSpan(item, static_cast<uint32_t>(tuplet ? num(3) : num(2)));
      SetMarkVoice(item, static_cast<uint8_t>(ValueAfter(w, "voice", 0)));
      if (tuplet) {
        item[3] = static_cast<uint8_t>(num(1) | (Has(w, "bracket") ? 128 : 0));
        item[4] = static_cast<uint8_t>(num(2));
      } else {
        item[3] = static_cast<uint8_t>(num(3));
        item[4] = static_cast<uint8_t>(num(4));
      }
      out.insert(out.end(), item, item + 5);
    } else if (op == "text") {
      const int sub = num(1);
      std::vector<uint8_t> fields = {MakeSignMagnitude(num(2)), MakeSignMagnitude(num(3))};
      if (sub == kTextBracket) fields.push_back(static_cast<uint8_t>(num(4)));
      PushText(out, static_cast<uint8_t>(sub), fields, QuotedText(raw));
    } else if (op == "pagetext") {
      const int x = num(2), y = num(3);
      PushText(out, static_cast<uint8_t>(num(1)),
               {static_cast<uint8_t>(x & 255), static_cast<uint8_t>(x >> 8), static_cast<uint8_t>(y & 255),
                static_cast<uint8_t>(y >> 8)},
               QuotedText(raw));
    } else if (op == "staffstart") {
      const int left = num(1), length = num(2);
      PushText(out, kTextStaffStart,
               {static_cast<uint8_t>(left & 255), static_cast<uint8_t>(left >> 8), static_cast<uint8_t>(length & 255),
                static_cast<uint8_t>(length >> 8)},
               "");
    } else if (op == "payload") {
      std::vector<uint8_t> fields;
      for (size_t i = 2; i < w.size(); ++i) fields.push_back(static_cast<uint8_t>(std::strtoul(w[i].c_str(), nullptr, 16)));
      PushText(out, static_cast<uint8_t>(num(1)), fields, "");
    } else if (op == "chordsymbol") {
      // chordsymbol DX DY BASE S1 .. S6 [ROOT QUALITY BASS]
      std::vector<uint8_t> item = {kChordSymbolFirstByte, kChordSymbolPayload, 0, MakeSignMagnitude(num(1)),
                                   MakeSignMagnitude(num(2)), 0, 0, 0, 0, 0};
      const uint8_t fields[kChordDiagramFieldCount] = {
          static_cast<uint8_t>(num(3)), static_cast<uint8_t>(num(4)), static_cast<uint8_t>(num(5)),
          static_cast<uint8_t>(num(6)), static_cast<uint8_t>(num(7)), static_cast<uint8_t>(num(8)),
          static_cast<uint8_t>(num(9))};
      SetChordDiagramFields(item.data(), 1, fields);
      if (w.size() > 12) {
        SetChordSymbolFields(item.data(), 1, static_cast<uint8_t>(num(10)), static_cast<uint8_t>(num(11)),
                             static_cast<uint8_t>(num(12)));
      }
      out.insert(out.end(), item.begin(), item.end());
    } else if (op == "chordname") {
      std::vector<uint8_t> item = {kChordSymbolFirstByte, kChordSymbolPayload, 0, MakeSignMagnitude(num(1)),
                                   MakeSignMagnitude(num(2)), 0, 0, 0, 0, 0};
      SetChordSymbolFields(item.data(), 1, static_cast<uint8_t>(num(3)), static_cast<uint8_t>(num(4)),
                           static_cast<uint8_t>(num(5)));
      out.insert(out.end(), item.begin(), item.end());
    } else if (op == "raw") {
      for (size_t i = 1; i < w.size(); ++i) out.push_back(static_cast<uint8_t>(std::strtoul(w[i].c_str(), nullptr, 16)));
    } else {
      return Fail(error, lineNumber, "unknown word " + op);
    }
  }
  PartCount = parts;
  for (int s = 0; s < kPartSlots; ++s) {
    if (b.slots[s].empty()) continue;
    if (!GrowScoreStream(s, static_cast<uint32_t>(b.slots[s].size()))) return Fail(error, 0, "no memory");
    std::copy(b.slots[s].begin(), b.slots[s].end(), StreamBytes(ScoreStream, s));
    ScoreStream.used[s] = static_cast<uint32_t>(b.slots[s].size());
  }
  ScorePages = ScorePageList{};
  CountPageMarks();
  if (ScorePages.count <= 0) ScorePages.count = pages;
  ScorePages.current = current;
  return true;
}

bool BuildScoreFromListingFile(const std::string& path, std::string* error) {
  const std::string text = ReadTextFile(path);
  if (text.empty()) {
    if (error) *error = "cannot read " + path;
    return false;
  }
  return BuildScoreFromListing(text, error);
}
