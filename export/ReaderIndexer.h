// The score index of the NIFF export: every exported part read once, one
// record per part and system (page, bars, length, signatures, first item),
// aligned so that all parts agree on each system; and the page starts of the
// page-level slot.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "export/KVReader.h"

struct SystemRecord {
  int32_t page = 0;
  int32_t system = 0;
  int32_t part = 0;
  FileExporting::CTimeSig signature;  // at the system's start
  CBeatCounter start;
  CBeatCounter time;
  int32_t bars = 0;
  uint16_t stavePosition[2] = {0, 0};
  const uint8_t* firstItem = nullptr;
  SignatureList signatures;  // one entry per bar, 0/1 for no change
};

class CKVReaderIndexer : public CKVReader {
 public:
  // Reads parts 1..PartCount-1, aligns the systems and finds the page starts.
  // Chords or rests after a part's last system mark (up to its end mark or
  // used length) form a last system of their own; a part that ends with its
  // mark gets that system empty.
  void BuildIndex();

  const std::vector<SystemRecord>& Records() const { return records_; }
  // Pages of the page-level slot, or more when a part holds more.
  int PageCount() const;
  // The first item of page i of the page-level slot: the slot's end (no
  // heading items) for a page that the slot does not hold; i below 0 refused.
  const uint8_t* PageStart(int i) const;
  // page -1: any page.
  const SystemRecord* FindRecord(int system, int part, int page = -1) const;
  CBeatCounter RecordTime(int system, int part) const;
  int SystemsOnPage(int page) const;
  const SystemRecord& FirstRecordWithTime(int system) const;
  int32_t TotalBars() const { return totalBars_; }

  void OnEndOfBar(uint8_t barStyle) override;
  void Stop() override { stopped = 1; }
  void OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) override;
  void OnSystemMark() override;
  void OnPageMark() override;
  void OnTwoValueText(uint16_t first, uint16_t second) override;

 private:
  // Where a part's walk ended: its system count and the stretch after its
  // last system mark.
  struct PartEnd {
    int32_t page = 0;
    int32_t systems = 0;
    const uint8_t* firstItem = nullptr;
    uint16_t twoValues[2] = {0, 0};
    bool openSystem = false;  // music after the last mark made a system
  };

  void ReadPart(int part);
  // The record of the system read since the last mark.
  SystemRecord CurrentSystemRecord() const;
  bool MusicAfterLastMark() const;
  void CompleteLastSystem();
  void Align();
  void BuildPageStarts();
  int SystemBound() const;

  std::vector<SystemRecord> records_;
  std::vector<const uint8_t*> pageStarts_;
  const uint8_t* pageLevelEnd_ = nullptr;
  int32_t pageCount_ = 0;
  int32_t systemCount_ = 0;
  const uint8_t* systemFirstItem_ = nullptr;
  CBeatCounter previousStart_;
  TimeSignaturePair systemSignature_;
  TimeSignaturePair signatureInBar_;
  int32_t currentPart_ = 0;
  int32_t firstBarNumber_ = 1;
  int32_t totalBars_ = 0;
  uint16_t twoValues_[2] = {0, 0};
  SignatureList signatureList_;
  std::vector<PartEnd> partEnds_;
};

// Walks the page-level slot and keeps the first item of every page.
class CKVReaderIndexerBaseStaff : public CKVReader {
 public:
  void OnSystemMark() override {}
  void OnPageMark() override;
  std::vector<const uint8_t*> pageStarts;
  const uint8_t* nextPageStart = nullptr;
};
