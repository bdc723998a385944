#include "playback/ConductorTrack.h"

#include <string>

#include "platform/Platform.h"
#include "playback/MidiFileWriter.h"
#include "playback/MidiTrack.h"
#include "playback/PlayItems.h"
#include "playback/PlayWalker.h"

namespace {

constexpr int kCopyrightUnits = 256;

// The score's own copyright line, else the program's.
std::u16string CopyrightText(const PlayStretch& stretch) {
  std::u16string found;
  if (stretch.parts > 0 && stretch.stream[0]) {
    PlayStretch whole = stretch;
    whole.start[0] = 0;
    whole.end[0] = std::min(ScoreStream.used[0], StreamCapacity(ScoreStream, 0));
    ForEachItem(whole, 0, [&](const uint8_t* item, uint32_t length, uint32_t) {
      if (found.empty() && KindOf(item) == kItemText && TextSubKindOf(item) == kTextCopyright)
        found = ItemTextOf(item, length);
    });
  }
  if (found.empty()) {
    char16_t text[kCopyrightUnits];
    LoadUiString(kTextWrittenBy, text, kCopyrightUnits);
    found = text;
  }
  return found;
}

void HeadingTexts(const PlayStretch& stretch, MidiTrack* track) {
  if (stretch.parts < 1) return;
  ForEachItem(stretch, 0, [&](const uint8_t* item, uint32_t length, uint32_t) {
    if (KindOf(item) != kItemText) return;
    uint8_t type = 0;
    switch (TextSubKindOf(item)) {
      case kTextTitle: type = 0x03; break;
      case kTextComposer: case kTextLyricist: case kTextGeneral: case kTextSubtitle: type = 0x01; break;
      default: return;  // the copyright line is already written
    }
    std::u16string text = ItemTextOf(item, length);
    if (!text.empty()) track->Meta(0, type, AnsiTextBytes(text));
  });
}

}  // namespace

MidiBytes TimeSignatureData(int numerator, int denominatorCode) {
  int power = 7 - denominatorCode;
  int denominator = 1 << std::max(0, power);
  int clocks = denominator < 8 ? 96 / denominator : (numerator % 3 == 0 ? 288 : 192) / denominator;
  return {static_cast<uint8_t>(numerator), static_cast<uint8_t>(std::max(0, power)), static_cast<uint8_t>(clocks), 8};
}

MidiBytes WriteConductorTrack(const PlayStretch& stretch, const PartPlayState& firstPart, NavigationTable* marks,
                              const TempoList& tempos) {
  MidiTrack track;
  track.Raw(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  track.Raw(0, {0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x7F, 0xF7});
  track.Raw(0, {0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x02, 0x00, 0x40, 0xF7});
  track.Meta(0, 0x02, AnsiTextBytes(CopyrightText(stretch)));
  int numerator = firstPart.numerator, code = firstPart.denominatorCode;
  if (numerator != 4 || code != 5) track.Meta(0, 0x58, TimeSignatureData(numerator, code));
  HeadingTexts(stretch, &track);
  const std::vector<TempoChange>& changes = tempos.Changes();
  if (changes.empty() || changes.front().time > 0) track.Tempo(0, TempoMicroseconds(tempos.StartTempo()));
  for (const TempoChange& c : changes) track.Tempo(c.time, TempoMicroseconds(c.beatsPerMinute));

  if (stretch.parts > 1) {
    PlayWalker walker(stretch, 1, firstPart, marks);
    const uint8_t* item = nullptr;
    uint32_t length = 0;
    for (WalkStep step; (step = walker.Next(&item, &length)) != WalkStep::kEnd;) {
      // A time signature item, or a jump back into a bar of another signature.
      if (walker.State().numerator == numerator && walker.State().denominatorCode == code) continue;
      numerator = walker.State().numerator;
      code = walker.State().denominatorCode;
      track.Meta(walker.BarStart(), 0x58, TimeSignatureData(numerator, code));
    }
  }
  return track.Chunk(0);
}
