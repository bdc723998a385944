#include "fuzz/score/SeedScore.h"

#include <cstring>
#include <string>

#include "fuzz/score/ScoreFuzzState.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace fuzz {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }
void PutU16(Bytes* out, uint32_t v) {
  out->push_back(uint8_t(v));
  out->push_back(uint8_t(v >> 8));
}

// A text item: first byte, 16-bit payload length, payload.
Bytes TextItem(uint8_t firstByte, const Bytes& head, const std::u16string& text) {
  Bytes payload = head;
  for (char16_t c : text) PutU16(&payload, c);
  Bytes item{firstByte};
  PutU16(&item, static_cast<uint32_t>(payload.size()));
  Append(&item, payload);
  return item;
}

Bytes Join(std::initializer_list<Bytes> items) {
  Bytes all;
  for (const Bytes& item : items) Append(&all, item);
  return all;
}

Bytes Slot0() { return Join({TextItem(0x2F, {100, 0, 50, 0}, u"\u00c9tude"), {0x80, 0x88, 0x80, 0x90}}); }

Bytes Slot1() {
  Bytes chord{0xFC, 0x18, 0x00, 0x00, 0x18};  // 31 notes, half notes, voice 3
  for (int i = 0; i < 31; ++i) chord.push_back(uint8_t((i % 8) << 5 | i));
  return Join({
      {0x51, 0x02},                          // tablature clef, octave up
      {0x9A},                                // key of one sharp, not played
      {0x1B, 0x05},                          // time
      {0x0C, 0x14, 0x28, 0x01, 0xA0, 0x4C},  // one note
      chord,
      {0x55, 0x85},  // rest in voice 2 with a fermata
      {0x45, 0xC0},
      {0x4D, 0xC1},  // 20 bars rest
      {0x48},        // bar line
      {0x86, 0x60, 0x80, 0x03, 0x0F},
      {0x8E, 0x20, 0xC1, 0x00, 0x00},
      {0xD6, 0x10, 0x00, 0x02, 0x00},  // pedal
      {0xE6, 0x10, 0x40, 0x01, 0x00},  // ornament
      {0xFE, 0x01, 0x00, 0x00, 0x00},
      {0x80},
      TextItem(0x4F, {1, 2}, u"Coda"),
      TextItem(0x57, {1, 2}, u"Segno"),
      Join({{0x67, 7, 0}, {0x01, 0x02, 0x03, '1', 0, '.', 0}}),  // repeat ending
      TextItem(0x07, {0x83, 4}, u"dolce"),
      Join({{0x77, 7, 0}, {0x00, 0x00, 0x03, 0x41, 0x12, 0x05, 0x21}}),
      {0x88},
      {0x0C, 0x14, 0x00, 0x00, 0x08, 0x0E},
      {0x23, 0x85},
      {0x80},
      {0x90},
  });
}

Bytes Slot2() {
  return Join({{0x41, 0x00}, {0x55, 0x00}, {0x80}, {0x88}, {0x0C, 0x14, 0x00, 0x00, 0x00, 0x0C}, {0x80}, {0x90}});
}

Bytes Marks() { return {0x80, 0x88, 0x80, 0x90}; }

void SetStream(int slot, const Bytes& bytes) {
  if (!GrowScoreStream(slot, static_cast<uint32_t>(bytes.size()))) Fail("no memory for a seed stream");
  std::memcpy(ScoreStream.block[slot], bytes.data(), bytes.size());
  ScoreStream.used[slot] = static_cast<uint32_t>(bytes.size());
}

void SetName(int slot, const std::u16string& name) {
  std::memset(PartNameTable[slot], 0, sizeof PartNameTable[slot]);
  std::memcpy(PartNameTable[slot], name.data(), name.size() * sizeof(char16_t));
}

}  // namespace

void LoadSeedScore() {
  ResetScoreState();
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  PartCount = 3;
  SetStream(0, Slot0());
  SetStream(1, Slot1());
  SetStream(2, Slot2());
  for (int slot = 3; slot < kPartSlots; ++slot) SetStream(slot, Marks());
  SetName(0, u"Score");
  SetName(1, u"Guitar");
  SetName(2, u"Drums");
  PartFields[0][0] = 1, PartFields[0][1] = 2, PartFields[0][2] = 3;
  PartFlag[0] = 1;
  PartFields[1][0] = 31, PartFields[1][2] = 17;
  PartTablatureFlags[1].flag = 1;
  PartTablatureFlags[1].kind = 6;
  PartTablatureFlags[2].kind = 1;
  PartSmallStave[1] = 1;
  Global().printGuitarTabRhythm = false;
  ScorePageSize = ScorePageSizes{2480, 3508, 42, 1900};
  ScorePages.count = 2;
  ScorePages.current = 1;
  ScorePages.rows[0] = ScorePageRow{5, 7, 0x11111111};
  ScorePages.rows[1] = ScorePageRow{40, 9, 0x22222222};
  ScorePages.second[0] = 0xA1;
  ScorePages.second[1] = 0xA2;
}

std::vector<uint8_t> ItemStreamsOfScore() {
  Bytes out{static_cast<uint8_t>(ScoreFormatVersion - kOldestScoreFileVersion), static_cast<uint8_t>(PartCount - 1),
            ScorePageSize.staveSpacing};
  for (int slot = 0; slot < PartCount; ++slot) {
    const uint32_t descriptor = PackPartDescriptor(PartRecordOfSlot(slot), ScoreFormatVersion, Global().printGuitarTabRhythm);
    out.push_back(uint8_t(descriptor));
    out.push_back(uint8_t(descriptor >> 8));
    out.push_back(uint8_t(descriptor >> 16));
    const uint32_t used = StreamUsedLength(ScoreStream, slot);
    PutU16(&out, used);
    Append(&out, Bytes(StreamBytes(ScoreStream, slot), StreamBytes(ScoreStream, slot) + used));
  }
  const int marksSlot = kPartSlots - 1;
  const uint32_t used = StreamUsedLength(ScoreStream, marksSlot);
  PutU16(&out, used);
  Append(&out, Bytes(StreamBytes(ScoreStream, marksSlot), StreamBytes(ScoreStream, marksSlot) + used));
  return out;
}

}  // namespace fuzz
