// Makes the head references from the rendered head glyphs: the engine's
// notehead reference file and its JSON source for tools/make_engine_data.py.
//
// usage: make_head_references GLYPH_FOLDER OUT_FOLDER
// writes OUT_FOLDER/nhOLD and OUT_FOLDER/notehead.json
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Intmath.h"
#include "tools/refmaker/HeadRefMaker.h"

namespace {

std::u16string Wide(const char* text) {
  std::string narrow(text);
  return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_head_references GLYPH_FOLDER OUT_FOLDER\n");
    return 2;
  }
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::vector<refmaker::HeadGlyphs> glyphs;
  std::string error;
  if (!refmaker::LoadHeadGlyphs(Wide(argv[1]), &glyphs, &error)) {
    std::fprintf(stderr, "make_head_references: %s\n", error.c_str());
    return 1;
  }
  const std::vector<NoteheadReference> references =
      refmaker::MakeHeadReferences(glyphs, refmaker::HeadReferenceOptions());
  const std::u16string out = Wide(argv[2]);
  const std::string json = refmaker::NoteheadReferenceJson(references);
  if (!refmaker::WriteFileBytes(out + u"/nhOLD", refmaker::NoteheadReferenceFileBytes(references)) ||
      !refmaker::WriteFileBytes(out + u"/notehead.json", std::vector<uint8_t>(json.begin(), json.end()))) {
    std::fprintf(stderr, "make_head_references: cannot write into %s\n", argv[2]);
    return 1;
  }
  std::printf("%zu head references\n", references.size());
  return 0;
}
