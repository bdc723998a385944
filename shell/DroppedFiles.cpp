#include "shell/DroppedFiles.h"

#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "score/FileOpener.h"

namespace {

constexpr size_t kExtensionUnits = 16;
const char16_t* const kOpenedExtensions[] = {u".bmp", u".tif", u".tiff", u".pdf", u".opt"};

bool IsFolder(const char16_t* path) {
  platform::FindRecord record;
  platform::FindHandle find = platform::FindFirst(path, &record);
  if (find == platform::kNoFind) return false;
  platform::FindClose(find);
  return (record.attributes & platform::kAttributeDirectory) != 0;
}

}  // namespace

bool QueueDroppedFile(const char16_t* path) {
  if (!path || !path[0] || IsFolder(path)) return false;
  char16_t extension[kExtensionUnits];
  PathExtension(path, extension, kExtensionUnits);
  if (!extension[0]) SniffFileType(path, extension);
  bool opened = false;
  for (const char16_t* known : kOpenedExtensions)
    if (CompareNoCase(extension, known) == 0) opened = true;
  return opened && QueueFileToOpen(path, u"");
}
