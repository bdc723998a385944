#include "export/ReaderIndexer.h"

#include <algorithm>

#include "export/NiffWriterError.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

const uint8_t* SlotStart(int slot) { return StreamBytes(ScoreStream, slot); }
const uint8_t* SlotEnd(int slot) { return StreamUsedEnd(ScoreStream, slot); }

}  // namespace

// ---- Reading the parts ---------------------------------------------------------------

void CKVReaderIndexer::BuildIndex() {
  records_.clear();
  totalBars_ = 0;
  partEnds_.assign(PartCount > 0 ? static_cast<size_t>(PartCount) : 0, PartEnd());
  for (int part = 1; part < PartCount; ++part) ReadPart(part);
  CompleteLastSystem();
  Align();
  BuildPageStarts();
}

void CKVReaderIndexer::ReadPart(int part) {
  Begin(SignatureList());
  SetStream(SlotStart(part), SlotEnd(part), part);
  currentPart_ = part;
  systemFirstItem_ = streamStart;
  systemCount_ = 0;
  pageCount_ = 0;
  previousStart_ = CBeatCounter();
  firstBarNumber_ = 1;
  systemSignature_ = TimeSignaturePair();
  signatureInBar_.signature = NoSignatureChange();
  twoValues_[0] = twoValues_[1] = 0;
  signatureList_.clear();
  ReadStaffStream(0);

  PartEnd& end = partEnds_[static_cast<size_t>(part)];
  end.page = pageCount_;
  end.firstItem = systemFirstItem_;
  end.twoValues[0] = twoValues_[0];
  end.twoValues[1] = twoValues_[1];
  if (MusicAfterLastMark()) {
    records_.push_back(CurrentSystemRecord());
    ++systemCount_;
    end.openSystem = true;
  }
  end.systems = systemCount_;
}

// Chords or rests between the last system mark and where the walk ended (the
// end mark, a damaged item or the used length).
bool CKVReaderIndexer::MusicAfterLastMark() const {
  const uint8_t* end = std::min(CurrentItem(), StreamEnd());
  uint32_t length = 0;
  for (const uint8_t* item = systemFirstItem_; item && item < end; item += length) {
    if (!ItemLengthWithin(item, static_cast<size_t>(end - item), ScoreFormatVersion, &length)) return false;
    if (KindOf(item) == kItemChord || KindOf(item) == kItemRest) return true;
  }
  return false;
}

// A last system that some parts hold without a closing mark is given, empty,
// to the parts that closed every system they hold with a mark, so that every
// part keeps a record of every system.
void CKVReaderIndexer::CompleteLastSystem() {
  int32_t systems = 0;
  for (const PartEnd& end : partEnds_)
    if (end.openSystem) systems = std::max(systems, end.systems);
  if (systems == 0) return;
  for (int part = 1; part < PartCount; ++part) {
    const PartEnd& end = partEnds_[static_cast<size_t>(part)];
    if (end.openSystem || end.systems != systems - 1) continue;
    SystemRecord record;
    record.page = end.page;
    record.system = systems - 1;
    record.part = part;
    record.stavePosition[0] = end.twoValues[0];
    record.stavePosition[1] = end.twoValues[1];
    record.firstItem = end.firstItem;
    records_.push_back(record);
  }
}

void CKVReaderIndexer::OnEndOfBar(uint8_t barStyle) {
  signatureList_.push_back(signatureInBar_.signature);
  signatureInBar_.signature = NoSignatureChange();
  CKVReader::OnEndOfBar(barStyle);
}

void CKVReaderIndexer::OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) {
  // The index times its bars by the signatures it meets; one without beats
  // times nothing and changes nothing.
  if (signature.numerator > 0) {
    signatureInBar_.signature = signature;
    clock.timeSignature = signature;
  }
  CKVReader::OnTimeSignature(signature, flag);
}

// A mark at the very start of the stream opens the first page.
void CKVReaderIndexer::OnPageMark() {
  if (CurrentItem() != streamStart) ++pageCount_;
}

void CKVReaderIndexer::OnTwoValueText(uint16_t first, uint16_t second) {
  twoValues_[0] = first;
  twoValues_[1] = second;
}

SystemRecord CKVReaderIndexer::CurrentSystemRecord() const {
  SystemRecord record;
  record.page = pageCount_;
  record.system = systemCount_;
  record.part = currentPart_;
  record.signature = systemSignature_.signature;
  record.time = Subtract(clock.barStart, previousStart_);
  record.bars = clock.barNumber - firstBarNumber_;
  record.stavePosition[0] = twoValues_[0];
  record.stavePosition[1] = twoValues_[1];
  record.firstItem = systemFirstItem_;
  record.signatures = signatureList_;
  return record;
}

void CKVReaderIndexer::OnSystemMark() {
  records_.push_back(CurrentSystemRecord());
  previousStart_ = clock.barStart;
  ++systemCount_;
  firstBarNumber_ = clock.barNumber;
  const uint8_t* next = CurrentItem() + 1;
  if (next < StreamEnd() && IsPageMark(next)) next += 1;
  systemFirstItem_ = next;
  systemSignature_.signature = clock.timeSignature;
  signatureList_.clear();
}

// ---- Alignment -----------------------------------------------------------------------------

int CKVReaderIndexer::SystemBound() const {
  int bound = 0;
  for (const SystemRecord& r : records_) bound = std::max(bound, r.system + 1);
  return bound;
}

void CKVReaderIndexer::Align() {
  const int systems = SystemBound();
  // Every part must hold every system.
  for (int s = 0; s < systems; ++s)
    for (int part = 1; part < PartCount; ++part) CheckOrThrow(FindRecord(s, part) != nullptr);

  for (int s = 0; s < systems; ++s) {
    const SystemRecord* chosen = nullptr;
    for (int part = 1; part < PartCount; ++part) {
      const SystemRecord* r = FindRecord(s, part);
      if (!chosen) {
        chosen = r;
      } else if (Greater(r->time, chosen->time)) {
        CheckOrThrow(r->bars >= chosen->bars);
        chosen = r;
      }
    }
    if (chosen) totalBars_ += chosen->bars;
  }

  for (int s = 0; s < systems; ++s) {
    size_t n = 0;
    for (const SystemRecord& r : records_)
      if (r.system == s) n = std::max(n, r.signatures.size());
    SignatureList merged(n, NoSignatureChange());
    for (const SystemRecord& r : records_) {
      if (r.system != s) continue;
      for (size_t i = 0; i < r.signatures.size(); ++i)
        if (!IsNoSignatureChange(r.signatures[i])) merged[i] = r.signatures[i];
    }
    for (SystemRecord& r : records_)
      if (r.system == s) r.signatures = merged;
  }

  FileExporting::CTimeSig signature;
  CBeatCounter start;
  for (int s = 0; s < systems; ++s) {
    const SystemRecord* first = FindRecord(s, 1);
    CheckOrThrow(first != nullptr);
    const SignatureList list = first->signatures;
    FileExporting::CTimeSig startSignature = signature;
    if (!list.empty() && !IsNoSignatureChange(list.front())) startSignature = list.front();
    CBeatCounter length;
    for (const FileExporting::CTimeSig& entry : list) {
      if (!IsNoSignatureChange(entry)) signature = entry;
      length = Add(length, signature);
    }
    for (SystemRecord& r : records_) {
      if (r.system != s) continue;
      if (r.time.IsNonZero()) {
        r.bars = static_cast<int32_t>(list.size());
        r.time = length;
      }
      r.signature = startSignature;
      r.start = start;
    }
    start = Add(start, length);
  }
}

// ---- Look-ups --------------------------------------------------------------------------------

const SystemRecord* CKVReaderIndexer::FindRecord(int system, int part, int page) const {
  for (const SystemRecord& r : records_)
    if (r.system == system && r.part == part && (page == -1 || r.page == page)) return &r;
  return nullptr;
}

CBeatCounter CKVReaderIndexer::RecordTime(int system, int part) const {
  const SystemRecord* r = FindRecord(system, part);
  CheckOrThrow(r != nullptr);
  return r->time;
}

int CKVReaderIndexer::SystemsOnPage(int page) const {
  int count = 0;
  for (const SystemRecord& r : records_)
    if (r.part == 1 && r.page == page) ++count;
  return count;
}

const SystemRecord& CKVReaderIndexer::FirstRecordWithTime(int system) const {
  for (int part = 1; part < PartCount; ++part) {
    const SystemRecord* r = FindRecord(system, part);
    if (r && r->time.IsNonZero()) return *r;
  }
  throw CNiffWriterError();
}

// ---- Page starts --------------------------------------------------------------------------------

void CKVReaderIndexerBaseStaff::OnPageMark() {
  // A mark at the very start of the stream opens the first page; every other
  // mark ends the page before it.
  const uint8_t* after = CurrentItem() + 1;
  if (CurrentItem() == streamStart) {
    nextPageStart = after;
    return;
  }
  pageStarts.push_back(nextPageStart);
  nextPageStart = after;
}

void CKVReaderIndexer::BuildPageStarts() {
  pageStarts_.clear();
  pageLevelEnd_ = nullptr;
  if (PartCount < 1) return;
  CKVReaderIndexerBaseStaff base;
  base.Begin(SignatureList());
  base.SetStream(SlotStart(0), SlotEnd(0), 0);
  base.nextPageStart = base.streamStart;
  base.ReadStaffStream(0);
  pageStarts_ = base.pageStarts;
  pageLevelEnd_ = base.StreamEnd();
  // The last page ends with the stream.
  if (base.nextPageStart && base.nextPageStart < base.StreamEnd()) pageStarts_.push_back(base.nextPageStart);
  if (pageStarts_.empty()) pageStarts_.push_back(base.streamStart);
}

int CKVReaderIndexer::PageCount() const {
  int pages = static_cast<int>(pageStarts_.size());
  for (const SystemRecord& r : records_) pages = std::max(pages, r.page + 1);
  return pages;
}

const uint8_t* CKVReaderIndexer::PageStart(int i) const {
  CheckOrThrow(i >= 0);
  if (static_cast<size_t>(i) < pageStarts_.size()) return pageStarts_[static_cast<size_t>(i)];
  return pageLevelEnd_;
}
