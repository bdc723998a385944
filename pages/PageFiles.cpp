#include "pages/PageFiles.h"

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace {

unsigned FileNumber(int16_t scanId) { return scanId < 0 ? 0xFFFFu : static_cast<unsigned>(scanId); }

}  // namespace

bool PageFilePath(PageFile which, int16_t scanId, bool make, char16_t* out, size_t capacity) {
  const unsigned id = FileNumber(scanId);
  const unsigned folderNumber = scanId < 0 ? 0xFFFFu : id / 32;
  char16_t folder[16];
  FormatWide(folder, 16, which == PageFile::kWorkingData ? u"TDir%04x" : u"Dir%04x", folderNumber);
  if (make) {
    char16_t folderPath[kPagePathUnits];
    if (!MakeMusicPagesPath(folderPath, folder)) return false;
    if (!FileExists(folderPath)) platform::MakeDirectory(folderPath);
  }
  char16_t name[32];
  FormatWide(name, 32, which == PageFile::kImage ? u"%s\\Scan%04x" : u"%s\\Data%04x", folder, id);
  return MakeMusicPagesPath(out, capacity, name);
}
