#include "export/niffio/NiffChunks.h"

namespace {

// Writes the fields of one chunk or tag after its start; the first failure is
// reported once by Done(). A failed start (already reported) leaves a writer
// that writes nothing.
class FieldWriter {
 public:
  FieldWriter(const char* function, NIFFIOFile* file) : function_(function), file_(file), ok_(file != nullptr) {}
  FieldWriter& U8(uint8_t v) { return Put(ok_ && RIFFIOWrite8(file_, v)); }
  FieldWriter& U16(uint16_t v) { return Put(ok_ && RIFFIOWrite16(file_, v)); }
  FieldWriter& U32(uint32_t v) { return Put(ok_ && RIFFIOWrite32(file_, v)); }
  FieldWriter& Code(RIFFIOFOURCC v) { return Put(ok_ && RIFFIOWriteFOURCC(file_, v)); }
  FieldWriter& Bytes(const void* p, size_t n) { return Put(ok_ && RIFFIOWriteBytes(file_, p, n)); }
  FieldWriter& Rational(RIFFIORational r) { return U16(r.numerator).U16(r.denominator); }
  int Done() const {
    if (file_ && !ok_) RIFFIOError(function_, "Failed to write the fields");
    return ok_ ? 1 : 0;
  }

 private:
  FieldWriter& Put(bool ok) {
    ok_ = ok;
    return *this;
  }
  const char* function_;
  NIFFIOFile* file_;
  bool ok_;
};

FieldWriter Chunk(const char* function, const char (&id)[5]) {
  RIFFIOChunk chunk;
  chunk.id = RIFFIOMakeFOURCC(id);
  const bool started = NIFFIOStorageChunkStart(&chunk) != 0;
  return FieldWriter(function, started ? NIFFIOStorageGetCurrent()->file : nullptr);
}

FieldWriter Tag(const char* function, uint8_t id) {
  NIFFIOTag tag;
  tag.id = id;
  const bool started = NIFFIOStorageTagStart(&tag) != 0;
  return FieldWriter(function, started ? NIFFIOStorageGetCurrent()->file : nullptr);
}

}  // namespace

int NIFFIOChunkNnfo(const char version[8], uint8_t programType, uint8_t standardUnits, uint16_t absoluteUnits,
                    uint16_t midiClocksPerQuarter) {
  return Chunk("NIFFIOChunkNnfo", "nnfo")
      .Bytes(version, 8)
      .U8(programType)
      .U8(standardUnits)
      .U16(absoluteUnits)
      .U16(midiClocksPerQuarter)
      .Done();
}

int NIFFIOChunkPart(uint16_t partId, uint32_t nameOffset, uint32_t abbreviationOffset, uint8_t staffCount,
                    uint8_t midiChannel, uint8_t midiCable, uint8_t transpose) {
  return Chunk("NIFFIOChunkPart", "part")
      .U16(partId)
      .U32(nameOffset)
      .U32(abbreviationOffset)
      .U8(staffCount)
      .U8(midiChannel)
      .U8(midiCable)
      .U8(transpose)
      .Done();
}

int NIFFIOChunkAcdl(uint8_t code) { return Chunk("NIFFIOChunkAcdl", "acdl").U8(code).Done(); }
int NIFFIOChunkArtc(uint16_t code) { return Chunk("NIFFIOChunkArtc", "artc").U16(code).Done(); }
int NIFFIOChunkBarl(uint8_t type, uint8_t thickness, uint16_t staffCount) {
  return Chunk("NIFFIOChunkBarl", "barl").U8(type).U8(thickness).U16(staffCount).Done();
}
int NIFFIOChunkBeam(uint8_t partsToLeft, uint8_t partsToRight) {
  return Chunk("NIFFIOChunkBeam", "beam").U8(partsToLeft).U8(partsToRight).Done();
}
int NIFFIOChunkChrd(uint32_t offset) { return Chunk("NIFFIOChunkChrd", "chrd").U32(offset).Done(); }
int NIFFIOChunkClef(uint8_t shape, uint8_t staffStep, uint8_t octaveNumber) {
  return Chunk("NIFFIOChunkClef", "clef").U8(shape).U8(staffStep).U8(octaveNumber).Done();
}
int NIFFIOChunkDynm(uint8_t code) { return Chunk("NIFFIOChunkDynm", "dynm").U8(code).Done(); }
int NIFFIOChunkGtgr(uint8_t strings, uint8_t frets, uint32_t offset) {
  return Chunk("NIFFIOChunkGtgr", "gtgr").U8(strings).U8(frets).U32(offset).Done();
}
int NIFFIOChunkGttb(uint8_t string, uint8_t fret) {
  return Chunk("NIFFIOChunkGttb", "gttb").U8(string).U8(fret).Done();
}
int NIFFIOChunkHrpn(uint8_t code) { return Chunk("NIFFIOChunkHrpn", "hrpn").U8(code).Done(); }
int NIFFIOChunkKeys(uint8_t code) { return Chunk("NIFFIOChunkKeys", "keys").U8(code).Done(); }
int NIFFIOChunkLyrc(uint32_t textOffset, uint8_t verse) {
  return Chunk("NIFFIOChunkLyrc", "lyrc").U32(textOffset).U8(verse).Done();
}
int NIFFIOChunkNote(uint8_t shape, uint8_t staffStep, RIFFIORational duration) {
  return Chunk("NIFFIOChunkNote", "note").U8(shape).U8(staffStep).Rational(duration).Done();
}
int NIFFIOChunkRept(uint16_t graphicalCode, uint8_t logicalCode) {
  return Chunk("NIFFIOChunkRept", "rept").U16(graphicalCode).U8(logicalCode).Done();
}
int NIFFIOChunkRest(uint8_t shape, uint8_t staffStep, RIFFIORational duration) {
  return Chunk("NIFFIOChunkRest", "rest").U8(shape).U8(staffStep).Rational(duration).Done();
}
int NIFFIOChunkText(uint32_t textOffset) { return Chunk("NIFFIOChunkText", "text").U32(textOffset).Done(); }
int NIFFIOChunkTime(uint8_t topNumber, uint8_t bottomNumber) {
  return Chunk("NIFFIOChunkTime", "time").U8(topNumber).U8(bottomNumber).Done();
}
int NIFFIOChunkTmsl(uint8_t type, RIFFIORational start) {
  return Chunk("NIFFIOChunkTmsl", "tmsl").U8(type).Rational(start).Done();
}
int NIFFIOChunkAugd() { return Chunk("NIFFIOChunkAugd", "augd").Done(); }
int NIFFIOChunkClt() { return Chunk("NIFFIOChunkClt", "clt ").Done(); }
int NIFFIOChunkPghd() { return Chunk("NIFFIOChunkPghd", "pghd").Done(); }
int NIFFIOChunkSlur() { return Chunk("NIFFIOChunkSlur", "slur").Done(); }
int NIFFIOChunkSthd() { return Chunk("NIFFIOChunkSthd", "sthd").Done(); }
int NIFFIOChunkStem() { return Chunk("NIFFIOChunkStem", "stem").Done(); }
int NIFFIOChunkStbl() { return Chunk("NIFFIOChunkStbl", "stbl").Done(); }
int NIFFIOChunkSyhd() { return Chunk("NIFFIOChunkSyhd", "syhd").Done(); }
int NIFFIOChunkTie() { return Chunk("NIFFIOChunkTie", "tie ").Done(); }
int NIFFIOChunkTupl() { return Chunk("NIFFIOChunkTupl", "tupl").Done(); }
int NIFFIOTag01(uint16_t first, uint16_t second) { return Tag("NIFFIOTag01", 0x01).U16(first).U16(second).Done(); }
int NIFFIOTag03(RIFFIOFOURCC code) { return Tag("NIFFIOTag03", 0x03).Code(code).Done(); }
int NIFFIOTag0E(RIFFIORational value) { return Tag("NIFFIOTag0E", 0x0E).Rational(value).Done(); }
int NIFFIOTag10() { return Tag("NIFFIOTag10", 0x10).Done(); }
int NIFFIOTag11(uint16_t value) { return Tag("NIFFIOTag11", 0x11).U16(value).Done(); }
int NIFFIOTag12(uint16_t value) { return Tag("NIFFIOTag12", 0x12).U16(value).Done(); }
int NIFFIOTag13() { return Tag("NIFFIOTag13", 0x13).Done(); }
int NIFFIOTag16(uint8_t first, uint8_t second, uint8_t third) {
  return Tag("NIFFIOTag16", 0x16).U8(first).U8(second).U8(third).Done();
}
int NIFFIOTag1C(uint16_t value) { return Tag("NIFFIOTag1C", 0x1C).U16(value).Done(); }
int NIFFIOTag1D(uint8_t value) { return Tag("NIFFIOTag1D", 0x1D).U8(value).Done(); }
int NIFFIOTag20(uint16_t value) { return Tag("NIFFIOTag20", 0x20).U16(value).Done(); }
int NIFFIOTag26() { return Tag("NIFFIOTag26", 0x26).Done(); }
int NIFFIOTag2C(uint8_t value) { return Tag("NIFFIOTag2C", 0x2C).U8(value).Done(); }
int NIFFIOTag2D(RIFFIORational first, RIFFIORational second, uint8_t value) {
  return Tag("NIFFIOTag2D", 0x2D).Rational(first).Rational(second).U8(value).Done();
}
int NIFFIOTag2F(uint16_t value) { return Tag("NIFFIOTag2F", 0x2F).U16(value).Done(); }
int NIFFIOTag30(uint16_t value) { return Tag("NIFFIOTag30", 0x30).U16(value).Done(); }
