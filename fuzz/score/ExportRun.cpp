#include "fuzz/score/ExportRun.h"

#include <string>

#include "export/ExportEntries.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ScoreFuzzState.h"
#include "platform/Platform.h"
#include "playback/MidiFileWriter.h"

namespace fuzz {
namespace {

// A file of the exports may take this many bytes per input byte, and a
// fixed amount besides (headers, the part list, the conductor track).
constexpr long long kBytesPerInputByte = 4096;
constexpr long long kFixedBytes = 1 << 20;

void CheckOutput(const std::u16string& path, const char* what, size_t inputBytes) {
  const long long bytes = FileBytes(path);
  if (bytes > kFixedBytes + kBytesPerInputByte * static_cast<long long>(inputBytes))
    Fail(std::string(what) + " of " + std::to_string(bytes) + " bytes from an input of " +
         std::to_string(inputBytes));
  platform::RemoveFile(path.c_str());
}

}  // namespace

void RunScoreExports(size_t inputBytes) {
  const std::u16string xml = ScratchPath("export.xml");
  ExportMusicXml(xml.c_str());
  CheckOutput(xml, "a MusicXML file", inputBytes);

  const std::u16string niff = ScratchPath("export.nif");
  ExportNiff(niff.c_str());
  CheckOutput(niff, "a NIFF file", inputBytes);

  const std::u16string midi = ScratchPath("export.mid");
  WriteMidiFile(midi.c_str(), nullptr, nullptr, nullptr, kMidiWritePlayback);
  CheckOutput(midi, "a MIDI file", inputBytes);
}

}  // namespace fuzz
