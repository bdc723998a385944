#include "playback/MidiFileWriter.h"

#include <memory>
#include <new>

#include "platform/FileLayer.h"
#include "playback/ConductorTrack.h"
#include "playback/PlayItems.h"
#include "score/InstrumentTable.h"
#include "score/MusicalState.h"
#include "score/ScoreStream.h"

namespace {

std::vector<MidiTimeMapRow> g_timeMap;

bool HasChord(const PlayStretch& stretch, int slot) {
  bool found = false;
  ForEachItem(stretch, slot, [&](const uint8_t* item, uint32_t, uint32_t) { found |= KindOf(item) == kItemChord; });
  return found;
}

// Program and note mapping from the instrument table; a part with fewer than
// four lines or a drum kit plays drums unless it is tablature.
PartSound SoundOf(int slot) {
  PartSound sound;
  sound.slot = slot;
  int8_t transposition = 0;
  uint8_t map[kDefaultPitchTableSize] = {};
  int number = ReadInstrumentTable(PartNameTable[slot], &transposition, slot, map, nullptr);
  uint32_t lines = PartLineCount(slot);
  sound.tablature = PartTablatureFlags[slot].flag != 0;
  sound.fourStrings = lines == 4;
  sound.program = number;
  if (lines < 4 || number >= kDrumKitBase) {
    if (sound.tablature) {
      sound.program = lines == 4 ? 33 : 26;
    } else {
      sound.drum = true;
      sound.program = 1;
    }
  }
  if (sound.program < 1 || sound.program > 128) sound.program = 1;
  sound.transposition = transposition;
  std::copy(map, map + kDefaultPitchTableSize, sound.drumMap);
  return sound;
}

struct FileCloser {
  void operator()(std::FILE* file) const { FileClose(file); }
};

int WriteMidiTracks(const char16_t* path, const uint32_t* starts, const uint32_t* ends, const int* partFlags,
                    int mode) {
  PlayStretch stretch = MakePlayStretch(starts, ends);
  bool parts[kPartSlots] = {};
  for (int slot = 1; slot < stretch.parts; ++slot) {
    parts[slot] = (!partFlags || partFlags[slot]) && HasChord(stretch, slot);
  }
  auto state = std::make_unique<MusicalState>();
  FindMusicalStateAt(starts, state.get());

  std::unique_ptr<std::FILE, FileCloser> file(path ? FileOpen(path, kFileWrite, false) : nullptr);
  if (!file) return 0;

  PartPlayState states[kPartSlots];
  for (int slot = 0; slot < kPartSlots; ++slot) states[slot] = PlayStateOf(*state, slot);
  auto marks = std::make_unique<NavigationTable>();
  marks->Scan(stretch, states);
  TempoList tempos;
  tempos.Gather(stretch, states, marks.get(), state->tempo);

  std::vector<MidiBytes> tracks;
  tracks.push_back(WriteConductorTrack(stretch, states[1 < stretch.parts ? 1 : 0], marks.get(), tempos));

  g_timeMap.clear();
  size_t textsLeft = kMaxTexts;
  int nextChannel = 0;
  bool firstTrack = true;
  for (int slot = 1; slot < stretch.parts && tracks.size() < kMaxMidiTracks; ++slot) {
    if (!parts[slot]) continue;
    PartSound sound = SoundOf(slot);
    if (sound.drum) {
      sound.channel = kDrumChannel;
    } else {
      if (nextChannel == kDrumChannel) ++nextChannel;
      if (nextChannel > 15) break;  // no channel left
      sound.channel = nextChannel++;
    }
    PartTrackContext context{&stretch, marks.get(), &tempos, states, &textsLeft,
                             mode == kMidiWritePlayback && firstTrack ? &g_timeMap : nullptr};
    tracks.push_back(WritePartTrack(context, sound));
    firstTrack = false;
  }

  MidiBytes header = {'M', 'T', 'h', 'd'};
  PutU32BE(&header, 6);
  PutU16BE(&header, 1);
  PutU16BE(&header, static_cast<uint32_t>(tracks.size()));
  PutU16BE(&header, kMidiDivision);
  bool written = FileWriteBytes(file.get(), header.data(), header.size()) == nullptr;
  for (const MidiBytes& track : tracks) {
    written = written && FileWriteBytes(file.get(), track.data(), track.size()) == nullptr;
  }
  std::FILE* raw = file.release();
  written = FileClose(raw) == nullptr && written;
  return written ? 1 : 0;
}

}  // namespace

const std::vector<MidiTimeMapRow>& MidiTimeMap() { return g_timeMap; }

int WriteMidiFile(const char16_t* path, const uint32_t* starts, const uint32_t* ends, const int* partFlags, int mode) {
  try {
    return WriteMidiTracks(path, starts, ends, partFlags, mode);
  } catch (const std::bad_alloc&) {
    return 0;  // the working storage could not be had
  }
}
