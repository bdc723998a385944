// The music font "Korvalinde Extra" in its three sizes, the one font-making
// routine of the score (music and text faces), and glyph drawing by name.
#pragma once

#include <cstdint>

#include "render/DrawDevice.h"
#include "render/GlyphTable.h"

constexpr char16_t kMusicFontFace[] = u"Korvalinde Extra";
constexpr char16_t kMusicFontFile[] = u"KORVLN__.TTF";
constexpr int kMusicFontSizes = 3;

struct MusicFontSetRecord {
  render::FontHandle fonts[kMusicFontSizes] = {0, 0, 0};  // 72, 48, 32 points
  bool made = false;
  render::FontHandle savedTextFont = 0;
  bool musicFontSelected = false;
  bool fontSmoothing = true;   // FontSmoothingOption
  bool musicFontFound = false;
  bool musicFontInstallTried = false;
  bool missingFontReported = false;
  int fontFaults = 0;          // selections out of turn (see SelectMusicFont)
};
MusicFontSetRecord& MusicFontSet();
// Forgets the set without deleting its fonts (tests: a fresh run).
void ResetMusicFontSet();

// The logical font CreateDisplayFont asks for (size and width in tenths of
// a point; style bits 1 bold, 2 italic, 4 underline, 8 strike-out).
render::FontRequest DisplayFontRequest(const char16_t* face, int size, int width, int style, bool useDeviceScale,
                                       bool smoothing, bool useScoreScale);
// Makes the font on dc (the music face is looked for, and installed once per
// run when missing); 0 when it cannot be made.
render::FontHandle CreateDisplayFont(render::DrawDevice* dc, const char16_t* face, int size, int width, int style,
                                     bool useDeviceScale, bool smoothing, bool useScoreScale);

void CreateMusicFonts(render::DrawDevice* dc, bool recreate);
void DeleteMusicFonts(render::DrawDevice* dc);
render::FontHandle CreateMusicFontOfSize(render::DrawDevice* dc, render::FontHandle* fontOut, int points,
                                         int widthPoints);
void SetFontSmoothing(render::DrawDevice* dc, bool on);

// Selecting a music font while one is selected, or restoring when none is,
// is a fault of the caller: it asserts in debug builds; otherwise the text
// font is restored and drawing goes on. Tests may turn the assertion off.
void SetMusicFontFaultsAssert(bool on);
void SelectMusicFont(int index);
void SelectFontAsMusic(render::FontHandle font);
void RestoreTextFont();

// The glyph's character at logical (x, y) on dc, as given.
void DrawGlyphCode(const GlyphRow* row, render::DrawDevice* dc, int x, int y);
// The character at world x and -y in the current colour; restores the text font.
void DrawGlyphText(const GlyphRow* row, double x, double y, int extra, int codeOffset);
// A glyph by name at world (x, y) in music font fontIndex (-1: the current
// staff's size, MusicFontIndex). Draws nothing, and says so once per run,
// when the music font is missing.
void DrawGlyph(const char* name, double x, double y, int a, int b, int variant, int fontIndex);
void DrawBracketGlyph(double x, double y, double height);

// Which entry of the set the current staff draws with: MusicFontIndex
// (SizeRules.h) unless a test sets another rule (null: back to it).
using MusicFontIndexRule = int (*)();
void SetMusicFontIndexRule(MusicFontIndexRule rule);

// Says once per run that the music font is missing (UI string 11700).
void ReportMissingMusicFont();

// The score zoom: scale snapped to 1.0 (0.99..1.01), 2.0 (1.99..2.01) or
// 1.33 (1.32..1.34), stored in the drawing state, and the music fonts made
// again on dc for it. The views re-place and repaint their panes.
double SnapScoreZoom(double scale);
void SetScoreZoom(double scale, render::DrawDevice* dc);

// Numbers the text font kinds at start-up: the next number of a counter from 0.
void AssignTextFontKind(uint32_t& variable);
void ResetTextFontKindCounter();
