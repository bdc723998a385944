#include "export/NiffExport.h"

#include <algorithm>
#include <exception>

#include "export/ExportDescriptions.h"
#include "export/ExportEntries.h"
#include "export/NiffReaderWriter.h"
#include "export/NiffSteps.h"
#include "export/ReaderStrings.h"
#include "export/niffio/NiffTables.h"
#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "score/InstrumentNameLists.h"
#include "score/InstrumentTable.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

namespace {

enum : unsigned {
  kStrNiffFailed = 10292,
  kStrNiffProblemBars = 10296,
};
constexpr size_t kMaxProblemBarsNamed = 24;

const uint8_t* SlotEnd(int slot) { return StreamUsedEnd(ScoreStream, slot); }

std::u16string PartName(int part) {
  const char16_t* row = PartNameTable[part];
  size_t length = 0;
  while (length < kPartNameUnits && row[length]) ++length;
  return std::u16string(row, length);
}

std::u16string PartAbbreviation(int part) {
  const char16_t* name = LookupPartInstrumentName(part);
  return name ? std::u16string(name) : std::u16string();
}

uint16_t Clamp16(int64_t value) { return static_cast<uint16_t>(std::min<int64_t>(std::max<int64_t>(value, 0), 0xFFFF)); }

// The systems whose part-1 record lies on the page, in order.
std::vector<int> SystemsOf(const CKVReaderIndexer& index, int page) {
  std::vector<int> systems;
  for (const SystemRecord& r : index.Records())
    if (r.part == 1 && r.page == page) systems.push_back(r.system);
  return systems;
}

bool SystemHasContent(const CKVReaderIndexer& index, int system) {
  for (int part = 1; part < PartCount; ++part)
    if (index.RecordTime(system, part).IsNonZero()) return true;
  return false;
}

void NoteProblems(const CKVReader& reader, int part, int barBase, std::vector<NiffProblemBar>* problems) {
  for (const ReadProblemEntry& entry : reader.Problems()) {
    const NiffProblemBar bar{part, barBase + entry.bar};
    if (std::find(problems->begin(), problems->end(), bar) == problems->end()) problems->push_back(bar);
  }
}

// The texts of a page's heading items (page-level slot from the page's start).
std::vector<std::u16string> HeadingTexts(const CKVReaderIndexer& index, int page) {
  CKVReaderStrings heading;
  heading.Begin(SignatureList());
  heading.SetStream(index.PageStart(page), SlotEnd(0), 0);
  heading.ReadStaffStream(0);
  return heading.texts;
}

void WriteStaveHeader(int part, const NiffPlacement& placement) {
  NiffStep(NIFFIOStartStaffList());
  NiffStep(NIFFIOChunkSthd());
  NiffStep(NIFFIOTag20(static_cast<uint16_t>(part - 1)));
  NiffStep(NIFFIOTag1D(static_cast<uint8_t>(PartLineCount(part))));
  if (PartTablatureFlags[part].flag != 0) NiffStep(NIFFIOTag10());
  // The stave's place within its system.
  NiffStep(NIFFIOTag01(static_cast<uint16_t>(placement.staveOffset[0]), static_cast<uint16_t>(placement.staveOffset[1])));
  int32_t width = 0;
  int32_t height = 0;
  placement.GetStaveSize(PartSmallStave[part] != 0, &width, &height);
  NiffStep(NIFFIOTag30(Clamp16(width)));
  NiffStep(NIFFIOTag11(Clamp16(height)));
}

// A page without any stave with content still keeps its heading: a system of
// one stave of the first part holds the texts, placed on the page.
void WriteHeadingOnlySystem(const CKVReaderIndexer& index, const NiffStringList& strings, int page,
                            NiffPlacement* placement) {
  placement->SetSystemOrigin(0, 0);
  NiffStep(NIFFIOStartSystemList());
  NiffStep(NIFFIOChunkSyhd());
  NiffStep(NIFFIOTag01(0, 0));
  placement->SetStaveOffset(0, 0);
  WriteStaveHeader(1, *placement);
  CKVReaderWriter heading(strings);
  heading.WriteHeading(index.PageStart(page), SlotEnd(0), SignatureList());
  NiffStep(NIFFIOStorageListEnd());  // "staf"
  NiffStep(NIFFIOStorageListEnd());  // "syst"
}

}  // namespace

// ---- Strings ------------------------------------------------------------------------------

void CollectNiffStrings(const CKVReaderIndexer& index, NiffStringList* strings) {
  for (int part = 1; part < PartCount; ++part) {
    strings->Add(PartName(part));
    strings->Add(PartAbbreviation(part));
  }
  for (int page = 0; page < index.PageCount(); ++page) {
    for (const std::u16string& text : HeadingTexts(index, page)) strings->Add(text);
    for (int system : SystemsOf(index, page)) {
      for (int part = 1; part < PartCount; ++part) {
        const SystemRecord* r = index.FindRecord(system, part);
        CheckOrThrow(r != nullptr);
        if (!r->time.IsNonZero()) continue;
        CKVReaderStrings stave;
        stave.Begin(r->signatures);
        stave.SetStream(r->firstItem, SlotEnd(part), part);
        stave.ReadStaffStream(0);
        for (const std::u16string& text : stave.texts) strings->Add(text);
      }
    }
  }
}

// ---- Setup section --------------------------------------------------------------------------

void WriteNiffSetup(NiffStringList* strings) {
  NiffStep(NIFFIOStartNiff());
  NiffStep(NIFFIOStartSetupList());
  NiffStep(NIFFIOStoreDefaultCLT());
  const char version[8] = {'6', 'b', 0, 0, 0, 0, 0, 0};
  NiffStep(NIFFIOChunkNnfo(version, 2, 1, 100, 0xFFFF));
  NiffStep(NIFFIOStartPartsList());
  for (int part = 1; part < PartCount; ++part) {
    int8_t transposition = 0;
    const std::u16string name = PartName(part);
    ReadInstrumentTable(name.c_str(), &transposition, part, nullptr, nullptr);
    NiffStep(NIFFIOChunkPart(static_cast<uint16_t>(part - 1), strings->OffsetOf(name),
                             strings->OffsetOf(PartAbbreviation(part)), 1, 0xFF, 0xFF,
                             static_cast<uint8_t>(transposition)));
  }
  NiffStep(NIFFIOStorageListEnd());  // "prts"

  NiffStep(NIFFIOChunkStbl());
  std::vector<std::string> forms;
  for (const std::u16string& text : strings->Texts()) forms.push_back(NiffStringList::FileForm(text));
  std::vector<NIFFIOStblEntry> entries(forms.size());
  for (size_t i = 0; i < forms.size(); ++i) entries[i].text = forms[i].c_str();
  const int stored = entries.empty() ? 0 : NIFFIOStblStore(entries.data(), static_cast<int>(entries.size()));
  NiffStep(stored == static_cast<int>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) strings->SetOffset(i, entries[i].offset);

  NiffStep(NIFFIOStorageListEnd());  // "setp"
  NiffStep(NIFFIOStartDataList());
}

// ---- Data section -----------------------------------------------------------------------------

void WriteNiffPages(const CKVReaderIndexer& index, const NiffStringList& strings, std::vector<NiffProblemBar>* problems,
                    const CExportItemPositions* positions) {
  NiffPlacement placement;
  placement.Clear();
  placement.SetPageSize(static_cast<int32_t>(ScorePageSize.width), static_cast<int32_t>(ScorePageSize.height));
  placement.SetStaveSize(ScorePageSize.staveWidth, ScorePageSize.staveSpacing);
  int barBase = 0;
  for (int page = 0; page < index.PageCount(); ++page) {
    NiffStep(NIFFIOStartPageList());
    NiffStep(NIFFIOChunkPghd());
    NiffStep(NIFFIOTag30(Clamp16(placement.pageSize[0])));
    NiffStep(NIFFIOTag11(Clamp16(placement.pageSize[1])));
    bool firstStave = true;
    int32_t remembered[2] = {0, 0};
    for (int system : SystemsOf(index, page)) {
      // A system empty in every part is left out.
      if (!SystemHasContent(index, system)) continue;
      const SystemRecord& reference = index.FirstRecordWithTime(system);
      placement.SetSystemOrigin(reference.stavePosition[0], reference.stavePosition[1]);
      NiffStep(NIFFIOStartSystemList());
      NiffStep(NIFFIOChunkSyhd());
      NiffStep(NIFFIOTag01(reference.stavePosition[0], reference.stavePosition[1]));
      for (int part = 1; part < PartCount; ++part) {
        const SystemRecord* r = index.FindRecord(system, part);
        CheckOrThrow(r != nullptr);
        const bool content = index.RecordTime(system, part).IsNonZero();
        if (content) {
          remembered[0] = r->stavePosition[0];
          remembered[1] = r->stavePosition[1];
        }
        placement.SetStaveOffset(remembered[0], remembered[1]);
        WriteStaveHeader(part, placement);
        if (content) {
          if (firstStave) {
            firstStave = false;
            CKVReaderWriter heading(strings);
            heading.WriteHeading(index.PageStart(page), SlotEnd(0), r->signatures);
          }
          CKVReaderWriter writer(strings, positions);
          writer.WriteStave(r->firstItem, SlotEnd(part), part, r->signatures, r->start);
          NoteProblems(writer, part, barBase, problems);
        } else {
          CKVReaderWriter writer(strings);
          writer.WriteEmptyStave(part, r->signatures, r->start, reference.bars);
        }
        NiffStep(NIFFIOStorageListEnd());  // "staf"
      }
      NiffStep(NIFFIOStorageListEnd());  // "syst"
      barBase += reference.bars;
    }
    if (firstStave && PartCount > 1 && !HeadingTexts(index, page).empty())
      WriteHeadingOnlySystem(index, strings, page, &placement);
    NiffStep(NIFFIOStorageListEnd());  // "page"
  }
  NiffStep(NIFFIOStorageListEnd());  // "data"
  NiffStep(NIFFIOStorageListEnd());  // the form
}

std::u16string DescribeProblemBars(const std::vector<NiffProblemBar>& bars) {
  std::u16string text;
  for (size_t i = 0; i < bars.size() && i < kMaxProblemBarsNamed; ++i) {
    if (i) text += u", ";
    const std::string pair = std::to_string(bars[i].part) + ": " + std::to_string(bars[i].bar);
    text.append(pair.begin(), pair.end());
  }
  if (bars.size() > kMaxProblemBarsNamed) text += u", ...";
  return text;
}

// ---- Entry -----------------------------------------------------------------------------------------

int ExportNiff(const char16_t* path, const CExportItemPositions* positions) {
  std::FILE* stream = FileOpen(path, kFileWrite, true);  // reports its own failure
  if (!stream) return 0;
  CNiffExportObjects objects;
  ScopedExportObjects installed(&objects);
  std::vector<NiffProblemBar> problems;
  bool written = false;
  NIFFIOStorage* storage = nullptr;
  try {
    CKVReaderIndexer index;
    index.BuildIndex();
    NiffStringList strings;
    CollectNiffStrings(index, &strings);
    storage = NIFFIOStorageNewSTDC(stream);
    NiffStep(storage != nullptr);
    WriteNiffSetup(&strings);
    WriteNiffPages(index, strings, &problems, positions);
    written = true;
  } catch (const CNiffWriterError&) {
  } catch (const std::exception&) {
  }
  if (storage) NIFFIOStorageDelete(storage);
  const bool closed = FileClose(stream) == nullptr;
  if (!written || !closed) {
    MessageById(nullptr, kStrNiffFailed);
    return 0;
  }
  if (!problems.empty()) MessageById(nullptr, kStrNiffProblemBars, DescribeProblemBars(problems).c_str());
  return 1;
}
