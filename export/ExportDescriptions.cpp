#include "export/ExportDescriptions.h"

#include <cstdlib>

#include "export/ExportPayloads.h"
#include "export/MusicXmlTables.h"
#include "export/NiffSteps.h"
#include "export/NiffSymbolStates.h"
#include "score/ScoreItem.h"

// ---- Dynamic words ---------------------------------------------------------------

namespace {

std::u16string Widened(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Payload bytes of an item, or null when the payload is shorter than needed.
const uint8_t* Payload(const uint8_t* item, uint32_t needed) {
  const uint8_t version = ScoreFormatVersion;
  if (TextPayloadLength(item, version) < needed) return nullptr;
  return item + TextHeaderBytes(version);
}

}  // namespace

int DynamicWordCode(const std::u16string& text) {
  for (int i = 0; i < kDynamicWordCount; ++i) {
    std::string word = DynamicsWord(i);
    if (!word.empty() && word.back() == '/') word.pop_back();  // the empty-element form
    if (text == Widened(word)) return i + 1;
  }
  return 0;
}

// ---- Texts --------------------------------------------------------------------------

namespace {
constexpr size_t kTextLimit = 1024;  // characters of one text that are read
}

void CNiffDescriptionText::Fill(const uint8_t* item, int) {
  text_ = ItemText(item, ScoreFormatVersion, kTextLimit);
}

void CNiffDescriptionTextAbsolute::Fill(const uint8_t* item, int option) {
  CNiffDescriptionText::Fill(item, option);
  if (Payload(item, 4)) {
    const TextPlace place = GeneralTextPlace(item, ScoreFormatVersion);
    x_ = place.x;
    y_ = place.y;
  }
}

void CNiffDescriptionTextRelative::Fill(const uint8_t* item, int option) {
  CNiffDescriptionText::Fill(item, option);
  if (Payload(item, 2)) {
    const TextPlace place = ChordTextPlace(item, ScoreFormatVersion);
    x_ = place.x;
    y_ = place.y;
  }
}

void CNiffDescriptionText::WriteNiffChunk(const NiffStringList& strings) const {
  NiffStep(NIFFIOChunkText(strings.OffsetOf(text_)));
}

void CNiffDescriptionText::WriteNiffAnchored(const NiffStringList& strings, bool onPage) const {
  WriteNiffChunk(strings);
  if (onPage) {
    NiffStep(NIFFIOTag03(RIFFIOMakeFOURCC("pghd")));
    NiffStep(NIFFIOTag01(static_cast<uint16_t>(x_), static_cast<uint16_t>(y_)));
  } else {
    NiffStep(NIFFIOTag03(RIFFIOMakeFOURCC("tmsl")));
    NiffStep(NIFFIOTag01(static_cast<uint16_t>(x_), static_cast<uint16_t>(-y_)));
  }
}

void CNiffDescriptionTextDynamic::Fill(const uint8_t* item, int option) {
  CNiffDescriptionTextRelative::Fill(item, option);
  code_ = DynamicWordCode(text_);
}

void CNiffDescriptionTextDynamic::WriteNiffChunk(const NiffStringList& strings) const {
  if (code_ >= 1 && code_ <= kDynamicWordCount)
    NiffStep(NIFFIOChunkDynm(static_cast<uint8_t>(code_)));
  else
    CNiffDescriptionTextRelative::WriteNiffChunk(strings);
}

void CNiffDescriptionTextGuitarChord::Fill(const uint8_t* item, int) {
  if (!Payload(item, kChordSymbolPayload)) return;
  const uint8_t version = ScoreFormatVersion;
  const TextPlace place = ChordTextPlace(item, version);
  x_ = place.x;
  y_ = place.y;
  const ChordSymbolCodeSet codes = ChordSymbolCodes(item, version);
  std::string name;
  understood_ = ChordNameText(codes.root, codes.quality, codes.bass, &name);
  text_ = Widened(name);
}

void CNiffDescriptionTextGuitarChord::WriteNiffChunk(const NiffStringList& strings) const {
  NiffStep(NIFFIOChunkChrd(strings.OffsetOf(text_)));
}

void CNiffDescriptionTextGuitarGrid::Fill(const uint8_t* item, int) {
  if (!Payload(item, kChordSymbolPayload)) return;
  const uint8_t version = ScoreFormatVersion;
  const TextPlace place = ChordTextPlace(item, version);
  x_ = place.x;
  y_ = place.y;
  text_ = Widened(ChordGridText(DecodeGuitarGrid(item, version)));
}

void CNiffDescriptionTextGuitarGrid::WriteNiffChunk(const NiffStringList& strings) const {
  NiffStep(NIFFIOChunkGtgr(6, 6, strings.OffsetOf(text_)));
}

void CNiffDescriptionTextLyric::WriteNiffChunk(const NiffStringList& strings) const {
  NiffStep(NIFFIOChunkLyrc(strings.OffsetOf(text_), static_cast<uint8_t>(verse_)));
}

CNiffDescriptionTextLabel::CNiffDescriptionTextLabel(uint32_t bars) {
  text_ = Widened(std::to_string(bars));
}

// ---- Hairpin ----------------------------------------------------------------------------

void CNiffDescriptionHairpin::Fill(const uint8_t* item, int) {
  const uint8_t* p = Payload(item, 6);
  if (!p) return;
  startX_ = (p[0] + 256 * (p[1] & 0x7F)) * 5;
  if (p[1] & 0x80) startX_ = -startX_;
  length_ = p[3] + 256 * p[4];
  opening_ = std::abs(SignMagnitudeValue(p[5])) * 5;
}

// ---- Factory -----------------------------------------------------------------------------

std::unique_ptr<CNiffDescriptionText> CreateTextDescriptionFor(uint8_t subKind) {
  switch (subKind) {
    case kTextStaff: return std::make_unique<CNiffDescriptionTextMisc>();
    case kTextLyric: return std::make_unique<CNiffDescriptionTextLyric>();
    case kTextRehearsal: return std::make_unique<CNiffDescriptionTextRehearsal>();
    case kTextTitle: return std::make_unique<CNiffDescriptionTextTitle>();
    case kTextComposer: return std::make_unique<CNiffDescriptionTextComposer>();
    case kTextLyricist: return std::make_unique<CNiffDescriptionTextLyricist>();
    case kTextCopyright: return std::make_unique<CNiffDescriptionTextCopyright>();
    case kTextGeneral: return std::make_unique<CNiffDescriptionTextGeneral>();
    case kTextPageNumber: return std::make_unique<CNiffDescriptionTextPageNumber>();
    case kTextDynamic: return std::make_unique<CNiffDescriptionTextDynamic>();
    case kTextTechnique: return std::make_unique<CNiffDescriptionTextTechnique>();
    case kTextTempo: return std::make_unique<CNiffDescriptionTextTempo>();
    case kTextSubtitle: return std::make_unique<CNiffDescriptionTextSubtitle>();
    default: return nullptr;
  }
}

std::unique_ptr<CNiffDescription> CNiffExportObjects::CreateTextDescription(uint8_t subKind) {
  return CreateTextDescriptionFor(subKind);
}

std::unique_ptr<CNiffDescription> CNiffExportObjects::CreateGuitarChord() {
  return std::make_unique<CNiffDescriptionTextGuitarChord>();
}

std::unique_ptr<CNiffDescription> CNiffExportObjects::CreateGuitarGrid() {
  return std::make_unique<CNiffDescriptionTextGuitarGrid>();
}

std::unique_ptr<CNiffDescription> CNiffExportObjects::CreateHairpin(HairpinType type) {
  return std::make_unique<CNiffDescriptionHairpin>(type);
}

std::unique_ptr<CNiffDescription> CNiffExportObjects::CreateMultiBarLabel(uint32_t bars, int) {
  return std::make_unique<CNiffDescriptionTextLabel>(bars);
}

std::unique_ptr<CNiffReadAheadHandler> CNiffExportObjects::CreateNodeCounter() {
  return std::make_unique<CNiffNodeCounter>();
}

std::unique_ptr<CNiffReadAheadHandler> CNiffExportObjects::CreateSymbolMeasure() {
  return std::make_unique<CNiffSymbolMeasure>();
}

// The reader's own question is answered for any voice; the NIFF writer asks
// again with the voice before it opens a tie.
std::unique_ptr<CNiffTieWatcher> CNiffExportObjects::CreateTieState(int, int position) {
  NiffNoteKey key;
  key.first = static_cast<uint8_t>(position);
  return std::make_unique<CNiffTieSearch>(-1, key, nullptr);
}
