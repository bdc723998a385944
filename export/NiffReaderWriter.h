// The NIFF writer reader: walks one stave's stretch of a part stream and
// writes what it meets as NIFF chunks into the current storage of the chunk
// library: clefs, signatures, bar lines with their measure time slices,
// event time slices, stems, notes and rests with their tags, the symbols that
// span several notes (through its symbol manager) and the texts (through the
// export descriptions). A failed chunk or an inconsistent symbol throws
// CNiffWriterError.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "export/ExportDescriptions.h"
#include "export/ExportPayloads.h"
#include "export/KVReader.h"
#include "export/NiffStringList.h"
#include "export/NiffSymbolStates.h"

class CExportItemPositions;

// The page and stave geometry of the data section.
struct NiffPlacement {
  int32_t pageSize[2] = {0, 0};
  int32_t staveSize[2] = {0, 0};
  int32_t systemOrigin[2] = {0, 0};
  int32_t staveOffset[2] = {0, 0};

  void Clear();
  void SetPageSize(int32_t width, int32_t height);
  void SetStaveSize(int32_t width, int32_t height);
  void SetSystemOrigin(int32_t x, int32_t y);
  // Stores the position less the system origin.
  void SetStaveOffset(int32_t x, int32_t y);
  // A small stave is two thirds as high.
  void GetStaveSize(bool small, int32_t* width, int32_t* height) const;
};

// The staff step of a note in NIFF: a tablature note on its string's line;
// on staves of one to three lines the position mapped onto those lines.
int NiffStaffStep(const DecodedNote& note, bool tablature, uint32_t lineCount);

class CKVReaderWriter : public CKVReader {
 public:
  // positions, when given, are where a layout pass placed the items: a
  // hairpin then ends at the chord under its drawn end.
  explicit CKVReaderWriter(const NiffStringList& strings, const CExportItemPositions* positions = nullptr)
      : strings_(strings), positions_(positions) {}

  // One stave: [start, end) of the part's stream, the system's per-bar
  // signatures and where the system begins in the score. Whatever the stave
  // leaves open is closed (or is an error).
  void WriteStave(const uint8_t* start, const uint8_t* end, int staff, const SignatureList& signatures,
                  const CBeatCounter& systemStart);
  // A stave whose part has nothing on the system: a bar line and a measure
  // per bar, each bar a whole-bar rest.
  void WriteEmptyStave(int staff, const SignatureList& signatures, const CBeatCounter& systemStart, int bars);
  // The page's heading texts from the page-level slot, placed on the page.
  void WriteHeading(const uint8_t* start, const uint8_t* end, const SignatureList& signatures);

  // ---- Reader operations ----
  void Begin(const SignatureList& signatures) override;
  void OnEndOfBar(uint8_t barStyle) override;
  void OnLeadingBarLine(uint8_t barStyle) override;
  void OnNotehead(const ChordRecord& chord, int note) override;
  void OnSlur(const SlurRecord& slur) override { HandlersCall2(slur); }
  void OnMarkKind2() override { tieFlag_ = true; }
  void OnMarkKind12(uint8_t value) override { ornament_ = value; }
  void OnMarkKind10(uint8_t value) override { pedal_ = value; }
  void OnHairpin(CNiffDescription& hairpin) override;
  void OnClef(uint8_t shape, uint8_t staffStep, uint8_t octave) override;
  void OnKeySignature(uint8_t value) override;
  void OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) override;
  void OnChord(const ChordRecord& chord) override;
  void OnStem(const ChordRecord& chord) override;
  void OnRest(const RestRecord& rest) override;
  void OutputDescription(CNiffDescription& description) override;
  void OutputStem(const ChordRecord& chord) override;
  void OutputRest(const RestRecord& rest) override;
  void OutputNotehead(const ChordRecord& chord, int note) override;
  void SetTime(const CBeatCounter& time) override;
  void Redispatch(const CNiffEvent& event) override;
  int ChordFlags() override { return 1; }
  int IgnoresBarLength() override { return heading_ ? 1 : 0; }

 private:
  void BarlineStep(uint8_t barStyle);
  void OpenMeasure();
  void OpenSlice();
  void FlushTexts();
  void FlushLyrics();
  bool TiePartnerFound(const ChordRecord& chord, int note);
  int HairpinNodeCount();
  void Finish();

  const NiffStringList& strings_;
  const CExportItemPositions* positions_ = nullptr;
  CNiffSymbolManager* symbols_ = nullptr;
  bool tieFlag_ = false;
  uint8_t ornament_ = 0;
  uint8_t pedal_ = 0;
  bool timeWritten_ = false;
  bool heading_ = false;
  bool measureOpen_ = false;
  bool slicePending_ = false;
  CBeatCounter systemStart_;
  std::vector<std::unique_ptr<CNiffDescriptionText>> pendingTexts_;
  CKVLyricList<std::shared_ptr<CNiffDescriptionTextLyric>> lyrics_;
};
