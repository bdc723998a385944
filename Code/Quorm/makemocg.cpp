// Building the music object connection graph.
#include "Code/Quorm/makemocg.h"

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/mocgraph.h"

namespace {

// A dropped head or stem leaves the point index: its two anchor points go.
void ReleaseHeadPoints(int32_t head) {
  ENGINE_CHECK_INDEX(head, GetNoteheadCount());
  RemoveObjectPoint(kPointHeadLeft, head);
  RemoveObjectPoint(kPointHeadRight, head);
}

void ReleaseStemPoints(int32_t line) {
  ENGINE_CHECK_INDEX(line, GetVerticalLineCount());
  RemoveObjectPoint(kPointStemTop, line);
  RemoveObjectPoint(kPointStemBottom, line);
}

}  // namespace

void InstallGraphReleaseFunctions() {
  SetGraphReleaseFunction(kObjectVerticalLine, kObjectVerticalLine, ReleaseStemPoints);
  SetGraphReleaseFunction(kObjectNotehead, kObjectNotehead, ReleaseHeadPoints);
  SetGraphReleaseFunction(kObjectBeam, kObjectBeam, ReleaseBeam);
  SetGraphReleaseFunction(kObjectSlur, kObjectSlur, ReleaseSlur);
  SetGraphReleaseFunction(kObjectBarLine, kObjectBarLine, ReleaseBarLine);
  SetGraphReleaseFunction(kObjectLedgerLine, kObjectLedgerLine, ReleaseLedgerLine);
  // kObjectTextBlockItem and kObjectLyricWord: the text finder's releases.
  SetGraphReleaseFunction(kMinFixedSymbolType, kMaxFixedSymbolType, DeleteFixedSymbol);
}
