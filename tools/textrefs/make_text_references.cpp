// Makes the text reference data from the reference fonts: the JSON source
// of "Learned\Text" for tools/make_engine_data.py.
//
// usage: make_text_references FONT_FOLDER OUT_JSON
//   FONT_FOLDER: Debian's /usr/share/fonts (the DejaVu, Liberation,
//   Caladea, Carlito, Linux Libertine and EB Garamond packages)
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"
#include "tools/textrefs/TextRefMaker.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_text_references FONT_FOLDER OUT_JSON\n");
    return 2;
  }
  SetEngineHeapHook(OnEngineHeapExhausted);
  SetNamedHeapHook(OnEngineSafeHeapExhausted);
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  BuildGaussianTable();
  std::vector<textrefs::TextSample> samples;
  std::string error;
  int32_t missed = 0;
  if (!textrefs::CollectSamples(argv[1], &samples, &error, &missed)) {
    std::fprintf(stderr, "make_text_references: %s\n", error.c_str());
    return 1;
  }
  const std::string json = textrefs::MakeTextReferenceJson(samples);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr || std::fwrite(json.data(), 1, json.size(), out) != json.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "make_text_references: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%zu samples (%d glyphs cut across or joined, left out)\n", samples.size(), missed);
  return 0;
}
