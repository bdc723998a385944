// Texts of the MusicXML writer: the directions, chord symbols and lyrics
// stored behind a chord or rest, wedges, pedal marks, segno and coda.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/ExportDescriptions.h"
#include "export/ExportPayloads.h"
#include "export/ItemDecoders.h"
#include "export/MusicXmlTables.h"
#include "export/MusicXmlWriter.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/TempoWords.h"

namespace {

constexpr size_t kTextLimit = 1024;
constexpr int kStartTempo = 80;
// Playback loudness of the dynamics pppp .. ffff, by dynamics word index.
const int kSoundDynamics[] = {11, 26, 40, 54, 69, 83, 98, 112, 127, 141};
constexpr int kHairpinStartLimit = 256;  // hairpins starting this far from their note are left out

std::u16string Wide(const char* text) {
  std::u16string wide;
  for (; *text; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return wide;
}

// Texts that the walk itself handles where it meets them.
bool IsWalkedText(uint8_t subKind) {
  return subKind == kTextCoda || subKind == kTextSegno || subKind == kTextHairpin18 || subKind == kTextHairpin19;
}

// Texts placed on the page, not against the music. A copyright notice
// inside a part stands against the music and is written as words.
bool IsPageText(uint8_t subKind) {
  switch (subKind) {
    case kTextTitle: case kTextComposer: case kTextLyricist: case kTextGeneral: case kTextPageNumber:
    case kTextSubtitle: case kTextStaffStart: case kTextNumberBlock:
      return true;
    default:
      return false;
  }
}

// Root or bass name of the chord-symbol table: a letter, then "#" or "@".
void SplitNoteName(const std::string& name, char* step, int* alter) {
  *step = name.empty() ? 'C' : name[0];
  *alter = name.size() > 1 ? (name[1] == '#' ? 1 : name[1] == '@' ? -1 : 0) : 0;
}

// Grid size of a chord diagram: six strings, six fret rows below the first fret.
constexpr int kFrameStrings = 6;
constexpr int kFrameFrets = 6;

// A diagram without a played string has nothing to show.
bool DiagramHasPlayedString(const uint8_t* item) {
  const GuitarGrid grid = DecodeGuitarGrid(item, ScoreFormatVersion);
  for (int s = 0; s < kFrameStrings; ++s)
    if (grid.played[s]) return true;
  return false;
}

// Spread of a wedge end in tenths: the open end's height, else 0.
int WedgeSpread(int opening) { return static_cast<int>(std::lround(opening * 0.1)); }

}  // namespace

// Position attributes of a placed text: the stored offsets scaled to tenths
// by the score's stave size. A score without a stave size places nothing.
std::string FormatRelativePosition(int x, int y) {
  const unsigned staveSize = ScorePageSize.staveSpacing;
  if (staveSize == 0) return std::string();
  const double scale = 50.0 / staveSize;
  char buffer[50];
  std::snprintf(buffer, sizeof buffer, "%s=\"%d\" %s=\"%d\"", "relative-y",
                static_cast<int>(std::lround(y * scale - 20)), "relative-x", static_cast<int>(std::lround(x * scale)));
  return buffer;
}

// ---- Where texts are met ----------------------------------------------------------------

void CMXMLWriter::OnPreReadNewBlock() {
  CKVReader::OnPreReadNewBlock();
  const uint8_t* item = CurrentItem();
  if (KindOf(item) != kItemText) return;
  const uint8_t subKind = TextSubKindOf(item);
  if (subKind == kTextCoda) segnoCoda_ = 2;
  if (subKind == kTextSegno) segnoCoda_ = 1;
  if (subKind == kTextHairpin18 || subKind == kTextHairpin19) RegisterHairpin(item);
  if (IsWalkedText(subKind) || IsPageText(subKind) || subKind == kTextLyric) return;
  // Texts that follow no chord or rest wait for the next one.
  if (consumedTo_ && item < consumedTo_) return;
  pendingTexts_.push_back(item);
}

void CMXMLWriter::RegisterHairpin(const uint8_t* item) {
  if (wedgePending_) return;  // one waits already: this one is dropped
  const HairpinType type = TextSubKindOf(item) == kTextHairpin18 ? kHairpinCrescendo : kHairpinDiminuendo;
  CNiffDescriptionHairpin hairpin(type);
  hairpin.Fill(item, 0);
  if (std::abs(hairpin.StartX()) >= kHairpinStartLimit) return;
  wedgePending_ = true;
  wedgeType_ = type;
  wedgeOpening_ = hairpin.Opening();
  wedgeX_ = hairpin.StartX();
}

// ---- Before each chord and rest -------------------------------------------------------------

void CMXMLWriter::WritePendingDirections() {
  if (pedal_ == 0 && segnoCoda_ == 0) return;
  out_.OpenElementWithAttribute("direction placement", "above");
  if (pedal_ != 0) {
    out_.OpenElement("direction-type");
    out_.WriteElementWithAttribute("pedal type", pedal_ == 1 ? "start" : "stop", "", "/");
    out_.CloseElement("direction-type");
  }
  if (segnoCoda_ != 0) {
    out_.OpenElement("direction-type");
    out_.WriteEmptyElement(segnoCoda_ == 1 ? "segno/" : "coda/");
    out_.CloseElement("direction-type");
  }
  out_.CloseElement("direction");
  pedal_ = 0;
  segnoCoda_ = 0;
}

void CMXMLWriter::WriteWedge(const char* type, int spread, int x) {
  const std::string position = FormatRelativePosition(x, 0);
  const std::string tail = " spread=\"" + std::to_string(spread) + "\"" + (position.empty() ? "" : " ") + position + "/";
  out_.WriteElementWithAttribute("wedge type", type, "", tail.c_str());
}

void CMXMLWriter::WriteWedgeStop() {
  out_.OpenElementWithAttribute("direction placement", "below");
  out_.OpenElement("direction-type");
  WriteWedge("stop", wedgeType_ == kHairpinCrescendo ? WedgeSpread(wedgeOpening_) : 0, 0);
  out_.CloseElement("direction-type");
  out_.CloseElement("direction");
  wedgeOpen_ = false;
}

// A wedge that no chord or rest follows ends with the part's last measure.
bool CMXMLWriter::MusicFollows() const {
  for (const uint8_t* p = NextItem(CurrentItem()); p < StreamEnd(); p = NextItem(p))
    if (KindOf(p) == kItemChord || KindOf(p) == kItemRest) return true;
  return false;
}

void CMXMLWriter::WriteWedges() {
  if (wedgeOpen_) WriteWedgeStop();
  if (wedgePending_) {
    out_.OpenElementWithAttribute("direction placement", "below");
    out_.OpenElement("direction-type");
    const bool crescendo = wedgeType_ == kHairpinCrescendo;
    WriteWedge(crescendo ? "crescendo" : "diminuendo", crescendo ? 0 : WedgeSpread(wedgeOpening_), wedgeX_);
    out_.CloseElement("direction-type");
    out_.CloseElement("direction");
    wedgePending_ = false;
    wedgeOpen_ = true;
  }
}

void CMXMLWriter::WriteAttachedTexts(const uint8_t* item) {
  WriteWedges();
  for (const uint8_t* text : pendingTexts_) WriteText(text);
  pendingTexts_.clear();
  // The texts stored behind the item, up to the next music or bar item.
  const uint8_t* p = NextItem(item);
  for (; p < StreamEnd(); p = NextItem(p)) {
    if (KindOf(p) != kItemText) {
      if (KindOf(p) != kItemMark) break;
      continue;
    }
    const uint8_t subKind = TextSubKindOf(p);
    if (!IsWalkedText(subKind) && !IsPageText(subKind) && subKind != kTextLyric) WriteText(p);
  }
  consumedTo_ = p;
}

void CMXMLWriter::WriteLyrics(const uint8_t* item) {
  CKVLyricList<std::u16string> lyrics;
  for (const uint8_t* p = NextItem(item); p < StreamEnd(); p = NextItem(p)) {
    const ItemKind kind = KindOf(p);
    if (kind != kItemText && kind != kItemMark) break;
    if (kind != kItemText || TextSubKindOf(p) != kTextLyric) continue;
    const std::u16string text = ItemText(p, ScoreFormatVersion, kTextLimit);
    if (!text.empty()) lyrics.Add(text, TextOffsetY(p, ScoreFormatVersion));
  }
  lyrics.Visit([&](const CKVLyricList<std::u16string>::Entry& entry) {
    out_.OpenElementWithAttribute("lyric number", entry.line + 1);
    out_.WriteTextElement("syllabic", u"single");
    out_.WriteTextElement("text", entry.lyric);
    out_.CloseElement("lyric");
  });
}

// ---- One text ----------------------------------------------------------------------------------

void CMXMLWriter::WriteText(const uint8_t* item) {
  const uint8_t subKind = TextSubKindOf(item);
  if (subKind == kTextChordSymbol) {
    WriteHarmony(item);
    return;
  }
  if (TextLayoutOf(subKind) == TextLayout::kNoText) return;
  const std::u16string text = ItemText(item, ScoreFormatVersion, kTextLimit);
  if (text.empty()) return;
  // A text of the page layout keeps its place on the page, which says
  // nothing about its offset from the note.
  const std::string position =
      TextLayoutOf(subKind) == TextLayout::kPageText
          ? std::string()
          : FormatRelativePosition(TextOffsetX(item, ScoreFormatVersion), TextOffsetY(item, ScoreFormatVersion));
  switch (subKind) {
    case kTextRehearsal:
      WriteWordsDirection(text, "rehearsal", position);
      break;
    case kTextDynamic:
      WriteDynamic(text, position);
      break;
    case kTextTempo:
      WriteTempo(text, position);
      break;
    default:
      WriteWordsDirection(text, "words", position);
      break;
  }
}

// The opening tag of an element with the position attributes, if any.
static std::string Placed(const char* element, const std::string& position) {
  return position.empty() ? std::string(element) : std::string(element) + " " + position;
}

void CMXMLWriter::WriteWordsDirection(const std::u16string& text, const char* element, const std::string& position) {
  out_.OpenElementWithAttribute("direction placement", "above");
  out_.OpenElement("direction-type");
  out_.WriteTextElement(Placed(element, position).c_str(), text, element);
  out_.CloseElement("direction-type");
  out_.CloseElement("direction");
}

void CMXMLWriter::WriteDynamic(const std::u16string& text, const std::string& position) {
  int index = -1;
  for (int i = 0; i < kDynamicsMarkWords && index < 0; ++i) {
    std::u16string word = Wide(DynamicsWord(i));
    if (!word.empty() && word.back() == u'/') word.pop_back();
    if (word == text) index = i;
  }
  if (index < 0) {
    WriteWordsDirection(text, "words", position);
    return;
  }
  out_.OpenElementWithAttribute("direction placement", "below");
  out_.OpenElement("direction-type");
  out_.OpenElement(Placed("dynamics", position).c_str());
  if (IsOtherDynamicsWord(index))
    out_.WriteTextElement("other-dynamics", text);
  else
    out_.WriteEmptyElement(DynamicsWord(index));
  out_.CloseElement("dynamics");
  out_.CloseElement("direction-type");
  if (index < 10) out_.WriteElementWithAttribute("sound dynamics", kSoundDynamics[index], "", "/");
  out_.CloseElement("direction");
}

void CMXMLWriter::WriteTempo(const std::u16string& text, const std::string& position) {
  int last = lastTempo ? *lastTempo : kStartTempo;
  bool seen = absoluteTempoSeen && *absoluteTempoSeen;
  int tempo = last;
  int kind = 0, value = 0;
  if (ParseTempoWord(text.c_str(), &kind, &value)) {
    if (kind == kWordTempo) {
      tempo = value;
      seen = true;
    } else if (kind == kWordTempoChange && seen) {
      tempo = static_cast<int>((static_cast<int64_t>(value) * last + 50) / 100);
    }
  } else {
    int number = 0;
    if (ParseMetronomeNumber(text.c_str(), &number)) tempo = number;
  }
  if (tempo < 1) tempo = 1;
  out_.OpenElementWithAttribute("direction placement", "above");
  out_.OpenElement("direction-type");
  out_.WriteTextElement(Placed("words", position).c_str(), text, "words");
  out_.CloseElement("direction-type");
  if (tempo != last) out_.WriteElementWithAttribute("sound tempo", tempo, "", "/");
  out_.CloseElement("direction");
  if (lastTempo) *lastTempo = tempo;
  if (absoluteTempoSeen) *absoluteTempoSeen = seen;
}

// ---- Chord symbols -----------------------------------------------------------------------------

// The chord diagram: the grid's strings run from the lowest (string 6 here,
// where 1 is the highest) and its rows count from the base fret; strings not
// played are left out.
void CMXMLWriter::WriteFrame(const uint8_t* item) {
  const GuitarGrid grid = DecodeGuitarGrid(item, ScoreFormatVersion);
  out_.OpenElement("frame");
  out_.WriteIntElement("frame-strings", kFrameStrings);
  out_.WriteIntElement("frame-frets", kFrameFrets);
  if (grid.baseFret > 0) out_.WriteIntElement("first-fret", grid.baseFret + 1);
  for (int s = 0; s < kFrameStrings; ++s) {
    if (!grid.played[s]) continue;
    out_.OpenElement("frame-note");
    out_.WriteIntElement("string", kFrameStrings - s);
    out_.WriteIntElement("fret", grid.fret[s] == 0 ? 0 : grid.baseFret + grid.fret[s]);
    out_.CloseElement("frame-note");
  }
  out_.CloseElement("frame");
}

void CMXMLWriter::WriteHarmony(const uint8_t* item) {
  const uint8_t version = ScoreFormatVersion;
  if (!IsChordSymbolItem(item, version)) return;
  const bool diagram = IsChordDiagramShown(item, version) && DiagramHasPlayedString(item);
  if (!IsChordSymbolShown(item, version) && !diagram) return;
  const ChordSymbolCodeSet codes = ChordSymbolCodes(item, version);
  std::string rootName, named, bassName;
  if (!ChordNameText(codes.root, 0, codes.root, &rootName) ||
      !ChordNameText(codes.root, codes.quality, codes.root, &named) ||
      !ChordNameText(codes.bass, 0, codes.bass, &bassName)) {
    ReportProblem(ReadProblem::kUnknownChordSuffix);
    return;
  }
  // The suffix as the kind table spells it: "b" for the flat sign, no escapes.
  std::u16string suffix;
  for (size_t i = rootName.size(); i < named.size(); ++i) {
    if (named[i] == '\\') continue;
    suffix.push_back(named[i] == '@' ? u'b' : static_cast<char16_t>(named[i]));
  }
  int row = suffix.empty() ? 0 : FindChordKindRow(suffix.c_str());
  if (row < 0) {
    ReportProblem(ReadProblem::kUnknownChordSuffix);
    return;
  }
  char rootStep, bassStep;
  int rootAlter, bassAlter;
  SplitNoteName(rootName, &rootStep, &rootAlter);
  SplitNoteName(bassName, &bassStep, &bassAlter);
  const ChordKindRow& kind = ChordKindRowAt(row);

  if (diagram)
    out_.OpenElementWithAttribute("harmony print-frame", "yes");
  else
    out_.OpenElement("harmony");
  out_.OpenElement("root");
  out_.WriteCharElement("root-step", rootStep);
  if (rootAlter != 0) out_.WriteIntElement("root-alter", rootAlter);
  out_.CloseElement("root");
  out_.WriteTextElement("kind", Wide(kind.kind));
  if (bassStep != rootStep || bassAlter != rootAlter) {
    out_.OpenElement("bass");
    out_.WriteCharElement("bass-step", bassStep);
    if (bassAlter != 0) out_.WriteIntElement("bass-alter", bassAlter);
    out_.CloseElement("bass");
  }
  for (int d = 0; d < kind.degreeCount && d < 4; ++d) {
    out_.OpenElement("degree");
    out_.WriteIntElement("degree-value", kind.degrees[d].value);
    out_.WriteIntElement("degree-alter", kind.degrees[d].alter);
    out_.WriteTextElement("degree-type", Wide(kind.degrees[d].type));
    out_.CloseElement("degree");
  }
  if (diagram) WriteFrame(item);
  out_.CloseElement("harmony");
}
