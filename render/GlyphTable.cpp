#include "render/GlyphTable.h"

#include <cstring>

#include "export/NiffWriterError.h"

namespace {

// Codes of "Korvalinde Extra" (the font's cmap covers U+0023..U+00B1).
constexpr GlyphRow kRows[kGlyphRowCount] = {
    {"chead", 65},        {"mhead", 67},         {"sbhead", 69},        {"bhead", 70},
    {"xhead", 71},        {"sharp", 35},         {"flat", 36},          {"dsharp", 37},
    {"dflat", 38},        {"natural", 39},       {"natsharp", 40},      {"natflat", 41},
    {"tclef", 93},        {"aclef", 92},         {"bclef", 91},         {"tab", 107},
    {"tabs", 108},        {"dot", 46},           {"rdot", 46},          {"staccato", 46},
    {"accent", 116},      {"tenuto", 120},       {"plus", 119},         {"upbow", 122},
    {"downbow", 121},     {"fermatau", 118},     {"fermatad", 117},     {"marcatou", 113},
    {"marcatod", 112},    {"staccatissu", 115},  {"staccatissd", 114},  {"harmonic", 111},
    {"xrest", 43},        {"brest", 44},         {"sbrest", 45},        {"mrest", 47},
    {"crest", 48},        {"qrest", 49},         {"sqrest", 50},        {"dsqrest", 51},
    {"hdsqrest", 52},     {"shdsqrest", 53},     {"flagd1", 97},        {"flagd2", 99},
    {"flagd3", 101},      {"flagd4", 103},       {"flagd5", 105},       {"flagu1", 98},
    {"flagu2", 100},      {"flagu3", 102},       {"flagu4", 104},       {"flagu5", 106},
    {"repeatdots", 125},  {"bracket1", 123},     {"clefs8", 78},        {"clefs15", 79},
    {"44", 80},           {"24", 81},            {"timecount0", 90},    {"timecount1", 89},
    {"timecount2", 88},   {"timecount3", 87},    {"timecount4", 86},    {"timecount5", 85},
    {"timecount6", 84},   {"timecount7", 83},    {"timecount8", 82},    {"ts0", 54},
    {"ts1", 55},          {"ts2", 56},           {"ts3", 57},           {"ts4", 58},
    {"ts5", 59},          {"ts6", 60},           {"ts7", 61},           {"ts8", 62},
    {"ts9", 63},          {"pedalengage", 161},  {"pedalrelease", 162}, {"trill", 168},
    {"mordentu", 169},    {"mordentl", 170},     {"turn", 172},         {"turni", 174},
    {"coda", 176},        {"segno", 177},        {"ts+", 42},
};

GlyphRow* Rows = nullptr;
int RowCount = 0;

}  // namespace

void BuildGlyphTable() {
  if (RowCount != 0) return;
  RowCount = kGlyphRowCount;
  Rows = new GlyphRow[kGlyphRowCount];
  for (int i = 0; i < kGlyphRowCount; ++i) Rows[i] = kRows[i];
  CheckOrThrow(RowCount == kGlyphRowCount, RowCount, kGlyphRowCount, 0, 0, 0, 0);
}

void FreeGlyphTable() {
  if (!Rows) return;
  RowCount = 0;
  delete[] Rows;
  Rows = nullptr;
}

int GlyphTableCount() { return RowCount; }

const GlyphRow* GlyphTableRow(int i) { return i >= 0 && i < RowCount ? &Rows[i] : nullptr; }

const GlyphRow* FindGlyph(const char* name) {
  if (RowCount < 1 || !name) return nullptr;
  for (int i = 0; i < RowCount; ++i) {
    if (std::strcmp(Rows[i].name, name) == 0) return &Rows[i];
  }
  return nullptr;
}
