// The NIFF export: the setup section (parts and string table) and the data
// section (pages, systems and staves laid out by the score index, each
// stave's symbols written by the NIFF writer reader). ExportNiff, the entry
// the shell calls, is declared in ExportEntries.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportLayout.h"
#include "export/KVReader.h"
#include "export/NiffStringList.h"
#include "export/ReaderIndexer.h"

// A bar the export could not write exactly as it stands: the part and the
// bar counted through the whole score from 1.
struct NiffProblemBar {
  int part;
  int bar;
  bool operator==(const NiffProblemBar& o) const { return part == o.part && bar == o.bar; }
};

// The strings the file names: every part's name and abbreviation, then the
// texts of every page's heading and of every stave with content. The export
// object factory must be installed.
void CollectNiffStrings(const CKVReaderIndexer& index, NiffStringList* strings);

// Both sections into the current storage of the chunk library, which the
// caller made over the open file. Throws CNiffWriterError when a chunk
// cannot be written or the score cannot be laid out; problems collects the
// bars that were written with a problem, each once.
void WriteNiffSetup(NiffStringList* strings);
// positions, when given, place the items as a layout pass did (see
// CKVReaderWriter).
void WriteNiffPages(const CKVReaderIndexer& index, const NiffStringList& strings, std::vector<NiffProblemBar>* problems,
                    const CExportItemPositions* positions = nullptr);

// "part: bar" pairs joined by ", " for the problem message.
std::u16string DescribeProblemBars(const std::vector<NiffProblemBar>& bars);
