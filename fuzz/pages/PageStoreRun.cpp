#include "fuzz/pages/PageStoreRun.h"

#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzTarget.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "platform/Platform.h"

namespace fuzz {

void UsePageStore(const char* name, std::initializer_list<int16_t> scanIds) {
  const std::u16string folder = ScratchPath(name);
  SetDataFolder(folder.c_str());
  // Made on the first input (later ones find them there).
  platform::MakeDirectory(folder.c_str());
  platform::MakeDirectory(StoreFolderFile(u"").c_str());
  ResetPageStoreHooks();
  pageTable.pageCount = 0;
  pageTable.currentPage = -1;
  pageTable.indexMark = 0;
  for (int16_t id : scanIds) {
    PageRecord& row = pageTable.rows[pageTable.pageCount];
    row = PageRecord{};
    row.scanId = id;
    row.name[0] = u'p';
    row.resolution = 300;
    row.pageKey = 0x60000000u + 64u * pageTable.pageCount;
    ++pageTable.pageCount;
  }
}

std::u16string StoreFilePath(PageFile which, int16_t scanId) {
  char16_t path[kPagePathUnits];
  if (!PageFilePath(which, scanId, true, path)) {
    std::fprintf(stderr, "kv fuzz: no page file path\n");
    std::abort();
  }
  return path;
}

std::u16string StoreFolderFile(const char16_t* name) {
  char16_t path[kPagePathUnits];
  if (!MakeMusicPagesPath(path, name)) {
    std::fprintf(stderr, "kv fuzz: no page store path\n");
    std::abort();
  }
  return path;
}

}  // namespace fuzz
