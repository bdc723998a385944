#include "stages/KeySignatures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "reading/ShapeWindows.h"
#include "reading/StaveSpacing.h"
#include "shapes/FeatureMatch.h"
#include "shapes/ZoneFeatures.h"
#include "shapes/ZoneFeatureRecordHeader.h"
#include "stages/AccidentalInk.h"
#include "stages/SymbolRecords.h"
#include "stages/SymbolRecordsEngine.h"

namespace {

// Half spaces below the space above the top line, in writing order.
constexpr int kSharpPlaces[8][7] = {{3, 6, 2, 5, 1, 4, 0}, {1, 4, 0, 3, 6, 2, 5}, {6, 2, 5, 1, 4, 0, 3},
                                    {4, 7, 3, 6, 2, 5, 1}, {2, 5, 1, 4, 7, 3, 6}, {7, 3, 6, 2, 5, 1, 4},
                                    {5, 1, 4, 0, 3, 6, 2}, {3, 6, 2, 5, 8, 4, 7}};
constexpr int kFlatPlaces[8][7] = {{7, 4, 8, 5, 2, 6, 3}, {5, 2, 6, 3, 7, 4, 8}, {3, 0, 4, 1, 5, 2, 6},
                                   {1, 5, 2, 6, 3, 7, 4}, {6, 3, 7, 4, 8, 5, 9}, {4, 1, 5, 2, 6, 3, 7},
                                   {2, 6, 3, 7, 4, 8, 5}, {7, 4, 8, 5, 9, 6, 10}};
constexpr int kMaxKeyAccidentals = 7;
// Room after a bar line for a key change: the naturals that cancel the old
// key, the new key's accidentals, and a space more.
constexpr int kKeyChangeRoom = 2 * kMaxKeyAccidentals + 1;
constexpr int kKeyFlatSample = 16;
constexpr int kKeySharpSample = 17;
constexpr int kKeyMatchSafe = 92;
constexpr int kKeyAccepted = 90;

struct KeyHit {
  int32_t x = 0;
  int score = 0;
  const uint8_t* header = nullptr;
};

// The best match of the key accidental samples of one type over x in
// [fromX, toX] at a stave step; ink rules decide whether it stands.
KeyHit BestKeyAccidental(const KeySearchPage& page, int rowIndex, const ShapeDatabase& db, int sampleType, int step,
                         int32_t fromX, int32_t toX, int32_t side) {
  KeyHit best;
  const ZoneGridParameters& grid = GridParameters(ZoneGrid::k8x8);
  const size_t records = db.RecordCount(ZoneGrid::k8x8);
  std::vector<const uint8_t*> groups;
  for (size_t g = 0; g + kSampleGroupRecords <= records; g += kSampleGroupRecords)
    if (ZoneHeaderType(db.Record(ZoneGrid::k8x8, g)) == sampleType) groups.push_back(db.Record(ZoneGrid::k8x8, g));
  if (groups.empty()) return best;
  const int32_t unit = CurrentStaveUnits().staveUnit;
  uint8_t features[2 + 64];
  for (int32_t x = std::max(fromX, 0); x <= toX && x + side <= page.ink.width; ++x) {
    const int32_t noteY = StavePositionY(page.rows, page.rowCount, rowIndex, x, step, *page.geometry);
    const ShapeWindow box = AccidentalBox(x, noteY, side);
    if (box.y < 0 || box.y + box.height > page.ink.height) continue;
    if (!ComputeZoneFeatures(page.ink.bits, box.x, box.y, box.width, box.height, page.ink.rowWordsLess1, grid,
                             features))
      continue;
    for (const uint8_t* group : groups) {
      const int match = BestGroupScore(ZoneGrid::k8x8, features + 2, group, kKeyMatchSafe, 0);
      if (match < kKeyAccepted || match <= best.score) continue;
      const AccidentalInk ink =
          MeasureAccidentalInk(page.ink, box.x, box.y, side, side, unit, box.x - unit, box.x + side + unit);
      const int inkScore = sampleType == kKeyFlatSample ? KeyFlatInkScore(ink) : SharpInkScore(ink);
      if (inkScore < kKeyAccepted) continue;
      best = KeyHit{x, match, group};
    }
  }
  return best;
}

// One pass: up to seven accidentals of a kind at the places of the clef row.
int KeyPass(const KeySearchPage& page, int rowIndex, const ShapeDatabase& db, int sampleType, int clefRow,
            int32_t startX, int32_t side, KeyHit* hits) {
  int n = 0;
  int32_t fromX = startX, toX = startX + 3 * side;
  for (int k = 0; k < kMaxKeyAccidentals; ++k) {
    const int step = sampleType == kKeyFlatSample ? KeyFlatStep(clefRow, k) : KeySharpStep(clefRow, k);
    const KeyHit hit = BestKeyAccidental(page, rowIndex, db, sampleType, step, fromX, toX, side);
    if (!hit.header) break;  // one miss ends the pass
    hits[n++] = hit;
    fromX = hit.x + side / 2;
    toX = hit.x + 2 * side;
  }
  return n;
}

// Whether a live bar line of the stave stands between the columns after and
// before: a key change beyond it is that bar line's.
bool BarLineBetween(const SymbolRecord* records, uint32_t count, int16_t stave, int32_t after, int32_t before) {
  for (uint32_t b = 0; b < count; ++b) {
    const SymbolRecord& bar = records[b];
    if (bar.stave == stave && bar.quality <= 5 && IsBarlineSymbol(bar.type) && bar.left > after && bar.right < before)
      return true;
  }
  return false;
}

}  // namespace

int KeySharpStep(int clefRow, int k) { return kSharpPlaces[std::clamp(clefRow, 0, 7)][std::clamp(k, 0, 6)] + 3; }
int KeyFlatStep(int clefRow, int k) { return kFlatPlaces[std::clamp(clefRow, 0, 7)][std::clamp(k, 0, 6)] + 3; }

int FindKeySignature(const KeySearchPage& page, int rowIndex, int16_t stave, SymbolRecord* records, uint32_t& count,
                     uint32_t from, const ShapeDatabase& db) {
  const StaveRow& row = page.rows[rowIndex];
  if (row.kind != 0) return 0;
  const double spacing = InterlineSpacing(page.rows, page.rowCount, rowIndex, *page.geometry);
  const int32_t side = static_cast<int32_t>(spacing + 0.5);
  const int32_t unit = CurrentStaveUnits().staveUnit;
  const bool joined = row.joinLeftEnd != kNotJoined && row.joinRightStart != kNotJoined;
  // The engine numbers a system's staves from 0; the row's number is its part slot.
  const int32_t staveInSystem = StaveIndexInGroup(page.rows, page.rowCount, rowIndex);
  int added = 0;
  const uint32_t end = count;
  for (uint32_t i = from; i < end; ++i) {
    const SymbolRecord symbol = records[i];
    if (symbol.stave != stave || symbol.quality > 5) continue;
    const bool clef = symbol.type >= 1 && symbol.type <= 8;
    // A plain bar line opens a key change only where the engine kept one
    // after it; searched after every bar line, a bar's first accidentals
    // would be read as keys.
    int32_t engineKeyX = 0, engineKey = 0;
    const bool keyAfterBar =
        symbol.type == kSymbolBarline &&
        EngineKeyChangeBetween(row.group, staveInSystem, symbol.right, symbol.right + kKeyChangeRoom * side,
                               &engineKeyX, &engineKey) &&
        !BarLineBetween(records, end, stave, symbol.right, engineKeyX);
    const bool bar = keyAfterBar || symbol.type == 49 || symbol.type == 54 || symbol.type == 56 || symbol.type == 57;
    if (!clef && !bar) continue;
    if (clef && symbol.left > row.left + 8 * spacing) {
      // Only the clef that starts the second piece of a joined stave.
      if (!joined || symbol.right <= row.joinRightStart || symbol.left > row.joinRightStart + 8 * spacing) continue;
    }
    int clefRow = clef ? symbol.type - 1 : 1;
    if (bar) {
      int32_t nearest = -1;
      for (uint32_t j = 0; j < count; ++j) {
        const SymbolRecord& c = records[j];
        if (c.stave == stave && c.type >= 1 && c.type <= 8 && c.quality <= 5 && c.right <= symbol.left &&
            c.right > nearest) {
          nearest = c.right;
          clefRow = c.type - 1;
        }
      }
    }
    KeyHit flats[kMaxKeyAccidentals], sharps[kMaxKeyAccidentals];
    int flatCount = KeyPass(page, rowIndex, db, kKeyFlatSample, clefRow, symbol.right + unit, side, flats);
    int sharpCount = KeyPass(page, rowIndex, db, kKeySharpSample, clefRow, symbol.right + unit, side, sharps);
    const int32_t engineStart = engineKeyX - (std::abs(engineKey) + 1) * side / 2;
    const bool agrees = (flatCount || sharpCount) && (flatCount >= sharpCount) == (engineKey < 0);
    if (keyAfterBar && !agrees && engineStart > symbol.right + unit) {
      // Naturals cancelling the old key stand first: search again from
      // where the engine's key begins, and keep what that finds.
      KeyHit laterFlats[kMaxKeyAccidentals], laterSharps[kMaxKeyAccidentals];
      const int f = KeyPass(page, rowIndex, db, kKeyFlatSample, clefRow, engineStart, side, laterFlats);
      const int n = KeyPass(page, rowIndex, db, kKeySharpSample, clefRow, engineStart, side, laterSharps);
      if (f || n) {
        std::copy(laterFlats, laterFlats + f, flats);
        std::copy(laterSharps, laterSharps + n, sharps);
        flatCount = f;
        sharpCount = n;
      }
    }
    if (flatCount == 0 && sharpCount == 0) continue;
    const bool flat = flatCount >= sharpCount;
    const KeyHit* hits = flat ? flats : sharps;
    const int n = flat ? flatCount : sharpCount;
    const int16_t topY = static_cast<int16_t>(StavePositionY(page.rows, page.rowCount, rowIndex, hits[0].x, 4,
                                                             *page.geometry));
    if (!AddClassifiedSymbol(records, count, hits[0].header, hits[0].x, side, 0, stave, hits[0].score, 92, 90,
                             spacing / 2, topY))
      break;
    SymbolRecord& key = records[count - 1];
    key.type = flat ? kSymbolFlatKey : kSymbolSharpKey;
    key.count = static_cast<uint32_t>(n);
    key.left = static_cast<int16_t>(hits[0].x);
    key.right = static_cast<int16_t>(hits[n - 1].x + spacing / 2);
    key.stepTop = 0;
    key.stepBottom = 15;
    ++added;
  }
  return added;
}

bool InKeyChangeLeadIn(const SymbolRecord* records, uint32_t count, int16_t stave, int32_t left, int32_t right,
                       double spacing) {
  const double room = kKeyChangeRoom * spacing;
  for (uint32_t k = 0; k < count; ++k) {
    const SymbolRecord& key = records[k];
    if (key.stave != stave || key.quality > 5 || (key.type != kSymbolFlatKey && key.type != kSymbolSharpKey)) continue;
    if (right >= key.left) continue;
    // The nearest live bar line before the key.
    int32_t barRight = -1;
    for (uint32_t b = 0; b < count; ++b) {
      const SymbolRecord& bar = records[b];
      if (bar.stave == stave && bar.quality <= 5 && IsBarlineSymbol(bar.type) && bar.right < key.left)
        barRight = std::max<int32_t>(barRight, bar.right);
    }
    if (barRight >= 0 && left > barRight && key.left - barRight <= room) return true;
  }
  return false;
}
