// Items for the small scores of the MusicXML export tests, beyond those of
// ReaderDoubles.h: pedal and ornament marks, texts with their places, chord
// diagrams, hairpins and rests of several bars.
#pragma once

#include <string>

#include "tests/export/ReaderDoubles.h"

inline StreamBytesList PedalMark(uint8_t value) { return MarkItem(kMarkPedal, 0, 0, value); }
inline StreamBytesList OrnamentMark(uint8_t value) { return MarkItem(kMarkOrnament, 0, 0, value); }

// A staff text of the current layout with its place (dx, dy) and UTF-16 text.
inline StreamBytesList StaffText(uint8_t subKind, const std::u16string& text, int dx = 0, int dy = 0) {
  const uint32_t payload = uint32_t(2 + 2 * text.size());
  StreamBytesList item(3 + payload, 0);
  item[0] = MakeTextFirstByte(subKind);
  SetTextPayloadLength(item.data(), payload, kCurrentScoreFormatVersion);
  item[3] = MakeSignMagnitude(dx);
  item[4] = MakeSignMagnitude(dy);
  for (size_t u = 0; u < text.size(); ++u) {
    item[5 + 2 * u] = uint8_t(text[u] & 0xFF);
    item[6 + 2 * u] = uint8_t(text[u] >> 8);
  }
  return item;
}

// A page text (title, composer ...) at (x, y).
inline StreamBytesList PageText(uint8_t subKind, const std::u16string& text) {
  const uint32_t payload = uint32_t(4 + 2 * text.size());
  StreamBytesList item(3 + payload, 0);
  item[0] = MakeTextFirstByte(subKind);
  SetTextPayloadLength(item.data(), payload, kCurrentScoreFormatVersion);
  for (size_t u = 0; u < text.size(); ++u) {
    item[7 + 2 * u] = uint8_t(text[u] & 0xFF);
    item[8 + 2 * u] = uint8_t(text[u] >> 8);
  }
  return item;
}

// A chord symbol with its diagram: the base fret, then strings 1..6 from the
// lowest (0 open, 1..6 the fret row, 7 not played).
inline StreamBytesList ChordDiagram(uint8_t root, uint8_t quality, std::initializer_list<uint8_t> grid,
                                    bool symbolShown = true) {
  StreamBytesList item = ChordSymbol(root, quality, root);
  SetChordSymbolFields(item.data(), symbolShown ? 1 : 0, root, quality, root, kCurrentScoreFormatVersion);
  uint8_t fields[kChordDiagramFieldCount] = {};
  int i = 0;
  for (uint8_t value : grid) fields[i++] = value;
  SetChordDiagramFields(item.data(), 1, fields, kCurrentScoreFormatVersion);
  return item;
}

// A hairpin whose start lies startX (stored units, sign and magnitude) from
// its note and whose open end is opening units high.
inline StreamBytesList Hairpin(uint8_t subKind, int startX = 0, uint8_t opening = 0) {
  StreamBytesList item(3 + 7, 0);
  item[0] = MakeTextFirstByte(subKind);
  SetTextPayloadLength(item.data(), 7, kCurrentScoreFormatVersion);
  const int magnitude = startX < 0 ? -startX : startX;
  item[3] = uint8_t(magnitude & 0xFF);
  item[4] = uint8_t((magnitude >> 8 & 0x7F) | (startX < 0 ? 0x80 : 0));
  item[6] = 30;  // width
  item[8] = opening;
  item[9] = 1;
  return item;
}

inline StreamBytesList RestOf(uint8_t code, uint8_t voice, uint8_t dots) {
  StreamBytesList item(2, 0);
  SetRest(item.data(), code, dots, voice);
  return item;
}
inline StreamBytesList BarsRest(uint32_t bars, uint8_t voice = 0) {
  StreamBytesList item(2, 0);
  SetMultiBarRest(item.data(), bars, voice);
  return item;
}
inline StreamBytesList TimeSymbolItem(uint8_t numerator, uint8_t code) {
  StreamBytesList item = TimeItem(numerator, code);
  item[1] |= 0x20;
  return item;
}
// A chord with its beam bits: inBeam (b4 bit 6) and starts (b4 bit 7).
inline StreamBytesList Beamed(uint8_t code, std::initializer_list<uint8_t> notes, bool starts, bool inBeam = true,
                              uint8_t voice = 0) {
  StreamBytesList item = Notes(code, notes, voice);
  SetChordBeamedToNext(item.data(), inBeam);
  SetChordStartsBeamGroup(item.data(), starts);
  return item;
}

// The chord stands in the column of the previous one (another voice at once).
inline StreamBytesList InColumn(StreamBytesList chord) {
  chord[1] |= 0x01;
  return chord;
}
