// The engine's page description read for its texts. Kept apart from the
// records: the description's own type names are not those of the reading.
#include <cstring>

#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "stages/EngineText.h"

int CollectEngineTextPieces(EngineTextPiece* pieces, char (*texts)[kEngineTextBytes], int capacity) {
  if (GetPageDescription().pageCount <= 0) return 0;
  int n = 0;
  auto add = [&](const char* text, const EngineBox& box, bool sung) {
    if (n >= capacity) return;
    std::strncpy(texts[n], text, kEngineTextBytes - 1);
    texts[n][kEngineTextBytes - 1] = 0;
    pieces[n] = EngineTextPiece{texts[n], box, sung};
    ++n;
  };
  for (int32_t system = 0; system < GetPageSystemCount(0); ++system)
    for (int32_t stave = 0; stave < GetSystemStaveCount(0, system); ++stave) {
      for (int32_t line = 0; line < GetStaveTextLineCount(0, system, stave); ++line)
        for (int32_t w = 0; w < GetTextLineWordCount(0, system, stave, line); ++w) {
          const MscriptWord word = GetTextLineWord(0, system, stave, line, w);
          add(word.text, word.box, true);
        }
      for (int32_t i = 0; i < GetStaveTextItemCount(0, system, stave); ++i) {
        const MscriptTextItem item = GetStaveTextItem(0, system, stave, i);
        add(item.text, item.box, false);
      }
    }
  return n;
}
