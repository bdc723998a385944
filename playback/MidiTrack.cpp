#include "playback/MidiTrack.h"

#include <algorithm>

namespace {

constexpr uint32_t kMicrosecondsPerMinute = 60000000;
constexpr uint32_t kMaxDelta = 0x0FFFFFFF;  // the largest four-byte quantity

// Note-offs, texts, program changes and meta events at a time are written
// before the note-ons and tempo changes of that time.
int Rank(MidiEventKind kind) {
  return kind == MidiEventKind::kNoteOn || kind == MidiEventKind::kTempo ? 1 : 0;
}

uint8_t Low7(int value) { return static_cast<uint8_t>(std::min(127, std::max(0, value))); }

}  // namespace

uint32_t TempoMicroseconds(int beatsPerMinute) {
  return kMicrosecondsPerMinute / static_cast<uint32_t>(std::max(1, beatsPerMinute));
}

void MidiTrack::Add(uint32_t time, MidiEventKind kind, int chord, MidiBytes bytes) {
  events_.push_back({time, kind, sequence_++, chord, std::move(bytes)});
}

void MidiTrack::NoteOn(uint32_t time, int channel, int note, int velocity, int chord) {
  Add(time, MidiEventKind::kNoteOn, chord,
      {static_cast<uint8_t>(0x90 | (channel & 15)), Low7(note), Low7(std::max(1, velocity))});
}

void MidiTrack::NoteOff(uint32_t time, int channel, int note, int chord) {
  Add(time, MidiEventKind::kNoteOff, chord, {static_cast<uint8_t>(0x90 | (channel & 15)), Low7(note), 0});
}

void MidiTrack::Meta(uint32_t time, uint8_t type, const MidiBytes& data, MidiEventKind kind) {
  MidiBytes bytes = {0xFF, type};
  PutVarLen(&bytes, static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  Add(time, kind, -1, std::move(bytes));
}

void MidiTrack::Tempo(uint32_t time, uint32_t microsecondsPerCrotchet) {
  MidiBytes data;
  PutU24BE(&data, std::min<uint32_t>(microsecondsPerCrotchet, 0xFFFFFF));
  Meta(time, 0x51, data, MidiEventKind::kTempo);
}

void MidiTrack::Program(uint32_t time, int channel, int program) {
  // One program change a time: a later one at the same time only changes it.
  for (MidiEvent& e : events_) {
    if (e.kind == MidiEventKind::kProgram && e.time == time && (e.bytes[0] & 15) == (channel & 15)) {
      e.bytes[1] = Low7(program);
      return;
    }
  }
  Add(time, MidiEventKind::kProgram, -1, {static_cast<uint8_t>(0xC0 | (channel & 15)), Low7(program)});
}

void MidiTrack::Raw(uint32_t time, const MidiBytes& bytes) { Add(time, MidiEventKind::kMeta, -1, bytes); }

MidiBytes MidiTrack::Chunk(uint32_t endDelta) const {
  std::vector<const MidiEvent*> order;
  order.reserve(events_.size());
  for (const MidiEvent& e : events_) order.push_back(&e);
  std::stable_sort(order.begin(), order.end(), [](const MidiEvent* a, const MidiEvent* b) {
    if (a->time != b->time) return a->time < b->time;
    if (Rank(a->kind) != Rank(b->kind)) return Rank(a->kind) < Rank(b->kind);
    return a->sequence < b->sequence;
  });
  MidiBytes body;
  uint32_t last = 0;
  for (const MidiEvent* e : order) {
    PutVarLen(&body, std::min(e->time - last, kMaxDelta));
    last = e->time;
    body.insert(body.end(), e->bytes.begin(), e->bytes.end());
  }
  PutVarLen(&body, endDelta);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  MidiBytes chunk = {'M', 'T', 'r', 'k'};
  PutU32BE(&chunk, static_cast<uint32_t>(body.size()));
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}
