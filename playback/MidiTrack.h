// The events of one track on its own timeline (ticks from the start of the
// written stretch), kept until the track is finished and then written in time
// order with delta times.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/MidiBytes.h"

enum class MidiEventKind { kNoteOff, kNoteOn, kText, kTempo, kProgram, kMeta };

struct MidiEvent {
  uint32_t time;
  MidiEventKind kind;
  uint32_t sequence;  // order of queuing
  int chord;          // note events: the chord they belong to, else -1
  MidiBytes bytes;    // the event without its delta time
};

class MidiTrack {
 public:
  void NoteOn(uint32_t time, int channel, int note, int velocity, int chord);
  void NoteOff(uint32_t time, int channel, int note, int chord);
  void Meta(uint32_t time, uint8_t type, const MidiBytes& data, MidiEventKind kind = MidiEventKind::kMeta);
  void Tempo(uint32_t time, uint32_t microsecondsPerCrotchet);
  void Program(uint32_t time, int channel, int program);
  void Raw(uint32_t time, const MidiBytes& bytes);  // written as given (system exclusive)

  std::vector<MidiEvent>& Events() { return events_; }
  size_t Count() const { return events_.size(); }

  // The track chunk: "MTrk", its length and the events in time order. At
  // equal times note-offs, texts, program changes and meta events come
  // before note-ons and tempo changes, each group in queuing order. The end
  // of the track follows the last event after endDelta ticks.
  MidiBytes Chunk(uint32_t endDelta) const;

 private:
  void Add(uint32_t time, MidiEventKind kind, int chord, MidiBytes bytes);
  std::vector<MidiEvent> events_;
  uint32_t sequence_ = 0;
};

// Microseconds per crotchet of a tempo in beats per minute (at least 1).
uint32_t TempoMicroseconds(int beatsPerMinute);
