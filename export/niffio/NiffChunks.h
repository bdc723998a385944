// One function per NIFF chunk and tag: each starts its chunk or tag in the
// current storage (ending whatever is pending) and writes its fixed fields in
// the file's byte order. 0 after reporting when the start or a field fails.
#pragma once

#include <cstdint>

#include "export/niffio/NiffStorage.h"

// A rational as two 16-bit fields, numerator first.
struct RIFFIORational {
  uint16_t numerator = 0;
  uint16_t denominator = 1;
};

// Chunks with fixed fields.
int NIFFIOChunkNnfo(const char version[8], uint8_t programType, uint8_t standardUnits, uint16_t absoluteUnits,
                    uint16_t midiClocksPerQuarter);
int NIFFIOChunkPart(uint16_t partId, uint32_t nameOffset, uint32_t abbreviationOffset, uint8_t staffCount,
                    uint8_t midiChannel, uint8_t midiCable, uint8_t transpose);
int NIFFIOChunkAcdl(uint8_t code);
int NIFFIOChunkArtc(uint16_t code);
int NIFFIOChunkBarl(uint8_t type, uint8_t thickness, uint16_t staffCount);
int NIFFIOChunkBeam(uint8_t partsToLeft, uint8_t partsToRight);
int NIFFIOChunkChrd(uint32_t offset);
int NIFFIOChunkClef(uint8_t shape, uint8_t staffStep, uint8_t octaveNumber);
int NIFFIOChunkDynm(uint8_t code);
int NIFFIOChunkGtgr(uint8_t strings, uint8_t frets, uint32_t offset);
int NIFFIOChunkGttb(uint8_t string, uint8_t fret);
int NIFFIOChunkHrpn(uint8_t code);
int NIFFIOChunkKeys(uint8_t code);
int NIFFIOChunkLyrc(uint32_t textOffset, uint8_t verse);
int NIFFIOChunkNote(uint8_t shape, uint8_t staffStep, RIFFIORational duration);
int NIFFIOChunkRept(uint16_t graphicalCode, uint8_t logicalCode);
int NIFFIOChunkRest(uint8_t shape, uint8_t staffStep, RIFFIORational duration);
int NIFFIOChunkText(uint32_t textOffset);
int NIFFIOChunkTime(uint8_t topNumber, uint8_t bottomNumber);
int NIFFIOChunkTmsl(uint8_t type, RIFFIORational start);

// Chunks whose function only starts them; the caller writes what follows.
int NIFFIOChunkAugd();
int NIFFIOChunkClt();
int NIFFIOChunkPghd();
int NIFFIOChunkSlur();
int NIFFIOChunkSthd();
int NIFFIOChunkStem();
int NIFFIOChunkStbl();
int NIFFIOChunkSyhd();
int NIFFIOChunkTie();
int NIFFIOChunkTupl();

// Tags by id.
int NIFFIOTag01(uint16_t first, uint16_t second);
int NIFFIOTag03(RIFFIOFOURCC code);
int NIFFIOTag0E(RIFFIORational value);
int NIFFIOTag10();
int NIFFIOTag11(uint16_t value);
int NIFFIOTag12(uint16_t value);
int NIFFIOTag13();
int NIFFIOTag16(uint8_t first, uint8_t second, uint8_t third);
int NIFFIOTag1C(uint16_t value);
int NIFFIOTag1D(uint8_t value);
int NIFFIOTag20(uint16_t value);
int NIFFIOTag26();
int NIFFIOTag2C(uint8_t value);
int NIFFIOTag2D(RIFFIORational first, RIFFIORational second, uint8_t value);
int NIFFIOTag2F(uint16_t value);
int NIFFIOTag30(uint16_t value);
