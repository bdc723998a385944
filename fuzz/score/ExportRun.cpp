#include "fuzz/score/ExportRun.h"

#include <algorithm>
#include <string>

#include "export/ExportEntries.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ScoreFuzzState.h"
#include "platform/Platform.h"
#include "playback/MidiFileWriter.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace fuzz {
namespace {

// A file of the exports may take a fixed amount (headers, the part list, the
// conductor track), so many bytes per input byte, and so many per bar that
// the score holds in each part: a multi-bar rest of up to 1023 bars is two
// bytes, and every part is padded to the bars of the longest.
constexpr long long kFixedBytes = 1 << 20;
constexpr long long kBytesPerInputByte = 4096;
constexpr long long kBytesPerBar = 512;

// At most the bars a part could hold: one per byte, and those of every byte
// that reads as a multi-bar rest wherever a walk might meet it.
long long MostBarsOfAPart() {
  long long most = 0;
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const uint8_t* stream = StreamBytes(ScoreStream, slot);
    const uint32_t used = StreamUsedLength(ScoreStream, slot);
    long long bars = used;
    for (uint32_t i = 0; stream && i + 1 < used; ++i)
      if (KindOf(stream + i) == kItemRest && IsMultiBarRest(stream + i)) bars += MultiBarRestBars(stream + i);
    most = std::max(most, bars);
  }
  return most;
}

void CheckOutput(const std::u16string& path, const char* what, size_t inputBytes, long long bound) {
  const long long bytes = FileBytes(path);
  if (bytes > bound)
    Fail(std::string(what) + " of " + std::to_string(bytes) + " bytes from an input of " +
         std::to_string(inputBytes));
  platform::RemoveFile(path.c_str());
}

}  // namespace

void RunScoreExports(size_t inputBytes) {
  const long long bound = kFixedBytes + kBytesPerInputByte * static_cast<long long>(inputBytes) +
                          kBytesPerBar * kPartSlots * MostBarsOfAPart();
  const std::u16string xml = ScratchPath("export.xml");
  ExportMusicXml(xml.c_str());
  CheckOutput(xml, "a MusicXML file", inputBytes, bound);

  const std::u16string niff = ScratchPath("export.nif");
  ExportNiff(niff.c_str());
  CheckOutput(niff, "a NIFF file", inputBytes, bound);

  const std::u16string midi = ScratchPath("export.mid");
  WriteMidiFile(midi.c_str(), nullptr, nullptr, nullptr, kMidiWritePlayback);
  CheckOutput(midi, "a MIDI file", inputBytes, bound);
}

}  // namespace fuzz
