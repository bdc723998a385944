// Makes the reference sets from the rendered glyphs: the engine's notehead
// and music symbol reference files, and their JSON sources for
// tools/make_engine_data.py.
//
// usage: make_reference_sets GLYPH_FOLDER OUT_FOLDER [CALIBRATION [CUT_SAMPLES]] [--staves FOLDER]
// writes OUT_FOLDER/nhOLD, notehead.json, fssOLD and music.json; CALIBRATION
// is the calibrated options' file (tools/refmaker/calibration.txt), and
// CUT_SAMPLES the samples cut from engraved pages
// (tools/refmaker/engraved-samples.txt, made by cut_reference_samples).
// With a calibration file the glyphs are read at the shipped sets' staff
// spaces (10 to 50 pixels); without, at the test references' own. FOLDER
// holds the engraved blank stave pages and their staves.txt
// (tools/refmaker/staves), which a calibration asking for
// "head-engraved-staves" or "symbol-engraved-staves" needs.
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Intmath.h"
#include "tools/refmaker/RefMaker.h"
#include "tools/refmaker/StavePages.h"

namespace {

std::u16string Wide(const char* text) {
  std::string narrow(text);
  return std::u16string(narrow.begin(), narrow.end());
}

bool Write(const std::u16string& path, const std::vector<uint8_t>& bytes) { return refmaker::WriteFileBytes(path, bytes); }
bool Write(const std::u16string& path, const std::string& text) {
  return refmaker::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

int main(int argc, char** argv) {
  // --staves FOLDER, wherever it stands; the rest by position.
  std::string staveFolder;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--staves" && i + 1 < argc) {
      staveFolder = argv[++i];
      continue;
    }
    argv[kept++] = argv[i];
  }
  argc = kept;
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr,
                 "usage: make_reference_sets GLYPH_FOLDER OUT_FOLDER [CALIBRATION [CUT_SAMPLES]] [--staves FOLDER]\n");
    return 2;
  }
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  const std::u16string glyphFolder = Wide(argv[1]);
  std::vector<refmaker::HeadGlyphs> heads;
  std::vector<refmaker::SymbolGlyphs> symbols;
  std::string error;
  refmaker::SymbolGlyphs join;
  const bool shipped = argc >= 4;
  if (!refmaker::LoadHeadGlyphs(glyphFolder, &heads, &error,
                                shipped ? refmaker::ShippedHeadStaffSpaces() : refmaker::HeadReferenceStaffSpaces()) ||
      !refmaker::LoadSymbolGlyphs(glyphFolder,
                                  shipped ? refmaker::ShippedSymbolStaffSpaces()
                                          : refmaker::SymbolReferenceStaffSpaces(),
                                  &symbols, &error) ||
      !refmaker::LoadJoinGlyphs(glyphFolder, &join, &error)) {
    std::fprintf(stderr, "make_reference_sets: %s\n", error.c_str());
    return 1;
  }
  symbols.push_back(std::move(join));
  refmaker::HeadReferenceOptions headOptions;
  refmaker::SymbolReferenceOptions symbolOptions;
  if (argc >= 4 && !refmaker::ReadCalibration(Wide(argv[3]), &headOptions, &symbolOptions, &error)) {
    std::fprintf(stderr, "make_reference_sets: %s\n", error.c_str());
    return 1;
  }
  std::vector<refmaker::CutSample> cut;
  if (argc == 5 && !refmaker::ReadCutSamples(Wide(argv[4]), &cut, &error)) {
    std::fprintf(stderr, "make_reference_sets: %s\n", error.c_str());
    return 1;
  }
  std::vector<refmaker::StavePage> staves;
  if ((headOptions.engravedStaveColumns > 0 || symbolOptions.engravedStaveColumns > 0) && staveFolder.empty()) {
    std::fprintf(stderr, "make_reference_sets: the calibration stands glyphs on engraved staves: give --staves FOLDER "
                         "(tools/refmaker/staves)\n");
    return 1;
  }
  if (!staveFolder.empty() && !refmaker::LoadStavePages(staveFolder, &staves, &error)) {
    std::fprintf(stderr, "make_reference_sets: %s\n", error.c_str());
    return 1;
  }
  const std::vector<NoteheadReference> headRefs =
      refmaker::MakeHeadReferences(heads, headOptions, &cut, &staves);
  // The black heads (class 0) stand beside the accidentals and dots.
  const refmaker::HeadGlyphs* black = nullptr;
  for (const refmaker::HeadGlyphs& set : heads)
    if (set.headClass == 0) black = &set;
  const std::vector<MusicReference> symbolRefs =
      refmaker::MakeSymbolReferences(symbols, symbolOptions, &cut, &staves, black);
  if (!refmaker::CheckReferenceSets(headRefs, symbolRefs, &error)) {
    std::fprintf(stderr, "make_reference_sets: refused: %s\n", error.c_str());
    return 1;
  }
  const std::u16string out = Wide(argv[2]);
  if (!Write(out + u"/nhOLD", refmaker::NoteheadReferenceFileBytes(headRefs)) ||
      !Write(out + u"/notehead.json", refmaker::NoteheadReferenceJson(headRefs)) ||
      !Write(out + u"/fssOLD", refmaker::MusicReferenceFileBytes(symbolRefs)) ||
      !Write(out + u"/music.json", refmaker::MusicReferenceJson(symbolRefs))) {
    std::fprintf(stderr, "make_reference_sets: cannot write into %s\n", argv[2]);
    return 1;
  }
  std::printf("%zu head references, %zu symbol references\n", headRefs.size(), symbolRefs.size());
  return 0;
}
