#include "export/MusicXmlDocument.h"

#include <algorithm>
#include <string>

#include "export/ItemDecoders.h"
#include "export/ExportPayloads.h"
#include "export/MusicXmlTables.h"
#include "export/MusicXmlWriter.h"
#include "export/NiffWriterError.h"
#include "score/InstrumentTable.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

constexpr size_t kHeaderTextLimit = 1024;
constexpr int kDrumChannel = 10;
constexpr uint8_t kHeaderEndBarCode = 10;  // the bar mark that ends the header texts

std::u16string Wide(const char* text) {
  std::u16string wide;
  for (; *text; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return wide;
}

std::string PartId(int slot) { return "P" + std::to_string(slot); }

// ---- Header ------------------------------------------------------------------------------

enum HeaderSlot { kHeaderTitle, kHeaderComposer, kHeaderLyricist, kHeaderRights, kHeaderSubtitle, kHeaderSlots };

int HeaderSlotOf(uint8_t subKind) {
  switch (subKind) {
    case kTextTitle: return kHeaderTitle;
    case kTextComposer: return kHeaderComposer;
    case kTextLyricist: return kHeaderLyricist;
    case kTextCopyright: return kHeaderRights;
    case kTextSubtitle: return kHeaderSubtitle;
    default: return -1;
  }
}

// The page-level texts of slot 0 up to the end of its header texts (the
// header-end bar mark, or the first page's end at its page mark, whichever
// comes first); the first text of each kind wins.
void WriteHeader(CXmlOutput& out) {
  std::u16string texts[kHeaderSlots];
  if (PartCount > 0 && StreamBytes(ScoreStream, 0)) {
    ItemCursor cursor(StreamBytes(ScoreStream, 0), ScoreStream.used[0], ScoreFormatVersion);
    while (cursor.Next()) {
      const uint8_t* item = cursor.Item();
      if (IsPageMark(item) || (KindOf(item) == kItemBarLine && BarCode(item) == kHeaderEndBarCode)) break;
      if (KindOf(item) != kItemText) continue;
      const int slot = HeaderSlotOf(TextSubKindOf(item));
      if (slot < 0 || !texts[slot].empty()) continue;
      texts[slot] = ItemText(item, ScoreFormatVersion, kHeaderTextLimit);
    }
  }
  out.OpenElement("work");
  out.WriteTextElement("work-number", u"");
  out.WriteTextElement("work-title", texts[kHeaderSubtitle]);
  out.CloseElement("work");
  out.WriteTextElement("movement-number", u"");
  out.WriteTextElement("movement-title", texts[kHeaderTitle]);
  out.OpenElement("identification");
  out.WriteTextElement("creator type=\"composer\"", texts[kHeaderComposer], "creator");
  out.WriteTextElement("creator type=\"poet\"", texts[kHeaderLyricist], "creator");
  out.WriteTextElement("rights", texts[kHeaderRights]);
  out.OpenElement("encoding");
  // No <encoding-date>: an empty one is not a date (yyyy-mm-dd), and readers
  // refuse the whole file for it; the element is optional.
  out.WriteTextElement("encoder", u"");
  out.WriteTextElement("software", u"Velmorant Korvalinde");
  out.WriteTextElement("encoding-description", u"MusicXML 1.0 file");
  out.CloseElement("encoding");
  out.WriteTextElement("source", u"Scanned sheet music");
  out.CloseElement("identification");
}

// ---- Parts --------------------------------------------------------------------------------

struct PartEntry {
  XmlPartSetup setup;
  PartIdentityValue identity;
  uint8_t drumKeys[kDefaultPitchTableSize] = {};
  std::vector<int> usedSounds;  // stored positions, increasing
};

// Stored positions that the part's notes use, each once, increasing.
std::vector<int> UsedDrumSounds(int slot) {
  bool used[kXmlDrumSounds] = {};
  if (StreamBytes(ScoreStream, slot)) {
    ItemCursor cursor(StreamBytes(ScoreStream, slot), ScoreStream.used[slot], ScoreFormatVersion);
    while (cursor.Next()) {
      const uint8_t* item = cursor.Item();
      if (KindOf(item) != kItemChord) continue;
      const uint32_t notes = std::min<uint32_t>(ChordNoteCount(item), cursor.Length() - kChordHeaderBytes);
      for (uint32_t n = 0; n < notes; ++n) used[NotePosition(item, n)] = true;
    }
  }
  std::vector<int> list;
  for (int i = 0; i < kXmlDrumSounds; ++i)
    if (used[i]) list.push_back(i);
  return list;
}

PartEntry DescribePart(int slot, int* channel) {
  PartEntry entry;
  entry.identity = PartIdentity(slot, channel);
  XmlPartSetup& setup = entry.setup;
  setup.slot = slot;
  setup.drum = entry.identity.drum;
  setup.tablature = PartTablatureFlags[slot].flag != 0;
  setup.lineCount = static_cast<int>(PartLineCount(slot));
  setup.small = PartSmallStave[slot] != 0;
  setup.transposition = entry.identity.transposition;
  if (setup.drum) {
    int8_t transposition = 0;
    ReadInstrumentTable(PartNameTable[slot], &transposition, slot, entry.drumKeys, nullptr);
    entry.usedSounds = UsedDrumSounds(slot);
    int number = 0;
    for (int position : entry.usedSounds) setup.drumInstrument[position] = ++number;
  }
  return entry;
}

void WriteScorePart(CXmlOutput& out, const PartEntry& entry) {
  const int slot = entry.setup.slot;
  out.OpenElementWithAttribute("score-part id", PartId(slot).c_str());
  out.WriteTextElement("part-name", entry.identity.name);
  out.WriteTextElement("part-abbreviation", entry.identity.instrumentName);
  struct Instrument {
    std::string id;
    std::u16string name;
    int key;
  };
  std::vector<Instrument> instruments;
  if (!entry.setup.drum) {
    instruments.push_back({PartId(slot) + "-I1", entry.identity.name, -1});
  } else {
    for (int position : entry.usedSounds) {
      const int key = position < static_cast<int>(kDefaultPitchTableSize) ? entry.drumKeys[position] : 0;
      const char* name = DrumSoundName(key);
      instruments.push_back({PartId(slot) + "-I" + std::to_string(entry.setup.drumInstrument[position]),
                             name ? Wide(name) : entry.identity.name, key & 127});
    }
  }
  for (const Instrument& instrument : instruments) {
    out.OpenElementWithAttribute("score-instrument id", instrument.id.c_str());
    out.WriteTextElement("instrument-name", instrument.name);
    out.CloseElement("score-instrument");
  }
  for (const Instrument& instrument : instruments) {
    out.OpenElementWithAttribute("midi-instrument id", instrument.id.c_str());
    out.WriteIntElement("midi-channel", entry.setup.drum ? kDrumChannel : entry.identity.channel);
    out.WriteIntElement("midi-program", entry.identity.program);
    if (entry.setup.drum) out.WriteIntElement("midi-unpitched", instrument.key);
    out.CloseElement("midi-instrument");
  }
  out.CloseElement("score-part");
}

}  // namespace

bool ScoreHasParts() { return PartCount >= 2; }

void WriteMusicXmlDocument(CXmlOutput& out, std::vector<ReadProblemEntry>* problems) {
  CheckOrThrow(ScoreHasParts());
  std::vector<PartEntry> parts;
  int channel = 1;
  for (int slot = 1; slot < PartCount && slot < kPartSlots; ++slot) parts.push_back(DescribePart(slot, &channel));

  // The silent walks: divisions per part, and the measures of each system
  // in the longest part.
  std::vector<int> systemMeasures;
  for (PartEntry& part : parts) {
    CXmlOutput scratch;
    scratch.OpenInMemory();
    CMXMLWriter writer(scratch);
    writer.WritePart(part.setup, true);
    part.setup.divisions = writer.Plan().Divisions();
    const std::vector<int>& counts = writer.Plan().systemMeasures;
    if (systemMeasures.size() < counts.size()) systemMeasures.resize(counts.size(), 0);
    for (size_t s = 0; s < counts.size(); ++s) systemMeasures[s] = std::max(systemMeasures[s], counts[s]);
  }

  out.WriteRaw("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>", "\r\n");
  out.WriteRaw("<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 1.0 Partwise//EN\" "
               "\"http://www.musicxml.org/dtds/partwise.dtd\">",
               "\r\n");
  out.OpenElement("score-partwise");
  WriteHeader(out);
  out.OpenElement("part-list");
  for (const PartEntry& part : parts) WriteScorePart(out, part);
  out.CloseElement("part-list");

  int lastTempo = 80;
  bool absoluteTempoSeen = false;
  for (PartEntry& part : parts) {
    part.setup.systemMeasures = systemMeasures;
    out.OpenElementWithAttribute("part id", PartId(part.setup.slot).c_str());
    CMXMLWriter writer(out);
    writer.lastTempo = &lastTempo;
    writer.absoluteTempoSeen = &absoluteTempoSeen;
    writer.WritePart(part.setup, false);
    out.CloseElement("part");
    problems->insert(problems->end(), writer.Problems().begin(), writer.Problems().end());
  }
  out.CloseElement("score-partwise");
}
