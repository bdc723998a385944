// A page store in a scratch folder: the data folder points there for the
// test, the store's folder exists, the table and the hooks start empty.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"

using FileBytes = std::vector<uint8_t>;

class PageStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedData_ = DataFolder();
    SetDataFolder(scratch_.Path().c_str());
    ASSERT_TRUE(platform::MakeDirectory(StorePath(u"").c_str()));
    pageTable.pageCount = 0;
    pageTable.currentPage = -1;
    pageTable.indexMark = 0;
    ResetPageStoreHooks();
  }
  void TearDown() override {
    ResetPageStoreHooks();
    pageTable.pageCount = 0;
    pageTable.currentPage = -1;
    SetDataFolder(savedData_.c_str());
  }

  // A file in the page store folder.
  std::u16string StorePath(const std::u16string& name) const {
    char16_t path[600];
    MakeMusicPagesPath(path, name.c_str());
    return path;
  }

  static FileBytes ReadAll(const std::u16string& path) {
    FileBytes bytes;
    std::FILE* f = FileOpen(path.c_str(), kFileRead, false);
    if (!f) return bytes;
    for (int c; (c = FileReadByte(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    FileClose(f);
    return bytes;
  }

  ScratchFolder scratch_;

 private:
  std::u16string savedData_;
};

// Little-endian building of fixture files.
inline void PutLE(FileBytes* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void PutWide(FileBytes* out, const std::u16string& text, size_t units) {
  for (size_t i = 0; i < units; ++i) PutLE(out, i < text.size() ? text[i] : 0, 2);
}
