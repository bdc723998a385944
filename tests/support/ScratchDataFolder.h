// The program's data folder pointed at a fresh scratch folder holding an
// empty page store folder, for one test; the previous data folder comes back
// at the end and the scratch folder goes with everything in it.
#pragma once

#include <string>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "tests/support/ScratchFolder.h"

class ScratchDataFolder {
 public:
  ScratchDataFolder() : old_(DataFolder()) {
    SetDataFolder(scratch_.Path().c_str());
    platform::MakeDirectory(PageStore().c_str());
  }
  ~ScratchDataFolder() { SetDataFolder(old_.c_str()); }
  ScratchDataFolder(const ScratchDataFolder&) = delete;
  ScratchDataFolder& operator=(const ScratchDataFolder&) = delete;

  const ScratchFolder& Folder() const { return scratch_; }
  // The page store's folder inside it.
  std::u16string PageStore() const { return scratch_.File(u"RuzazEvova_d5"); }

 private:
  std::u16string old_;
  ScratchFolder scratch_;
};
