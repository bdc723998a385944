// Seeds of the page index target: indexes the program writes (version 3),
// and version 1 and 2 indexes as older stores hold them, built byte by byte.
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pages/PageTable.h"

namespace {

void Put(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// An older index of count pages: version 1 (ANSI names) or 2 (UTF-16 names).
std::vector<uint8_t> OldIndex(int version, uint32_t count) {
  std::vector<uint8_t> b;
  if (version == 2) Put(&b, 0x0FFFFFFF, 4);
  Put(&b, count, 4);
  Put(&b, 0x1234, 4);  // index mark
  for (uint32_t i = 0; i < count; ++i) {
    Put(&b, i, 4);
    const std::string name = "Page " + std::to_string(i + 1) + ".tif";
    for (size_t k = 0; k < 40; ++k) Put(&b, k < name.size() ? uint8_t(name[k]) : 0, version == 2 ? 2 : 1);
    Put(&b, 300, 4);
    Put(&b, i % 2 ? 3 : 0, 1);
    Put(&b, 0x45, 4);
    Put(&b, 0x5F000000u + i * 64, 4);
  }
  return b;
}

}  // namespace

KV_FUZZ_SEEDS(page_index) {
  auto table = std::make_unique<PageTable>();
  const std::u16string path = fuzz::ScratchPath("seed-index");
  table->indexMark = 7;
  if (WritePageIndexFile(path.c_str(), *table)) fuzz::CopySeed(folder, "written-empty", path);
  const char16_t* names[] = {u"Sonata p1.tif", u"Sonata p1.tif 2", u"scan \u00e9t\u00e9"};
  for (int i = 0; i < 3; ++i) {
    PageRecord& row = table->rows[i];
    row.scanId = static_cast<int16_t>(i == 2 ? 33 : i);
    for (int k = 0; names[i][k] && k < kPageNameUnits - 1; ++k) row.name[k] = names[i][k];
    row.resolution = 300;
    row.state = static_cast<uint8_t>(i == 0 ? kPageRead : kPageNotRead);
    row.flags = kPageModified | (uint32_t(i) << kPageProblemCodeShift) | kPageHandwritten;
    row.pageKey = 0x60000000u + uint32_t(i) * 64;
    row.reserved[1][3] = 0xAB;
    const char16_t score[] = u"Sonata.opt";
    for (int k = 0; score[k]; ++k) row.scoreName[k] = score[k];
    row.scorePageNumber = static_cast<int16_t>(i + 1);
  }
  table->pageCount = 3;
  if (WritePageIndexFile(path.c_str(), *table)) fuzz::CopySeed(folder, "written-three-pages", path);
  for (int version : {1, 2}) {
    const std::vector<uint8_t> bytes = OldIndex(version, 2);
    fuzz::WriteSeed(folder, "version-" + std::to_string(version), bytes.data(), bytes.size());
  }
}
