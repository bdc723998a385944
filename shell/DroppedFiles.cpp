#include "shell/DroppedFiles.h"

#include "platform/FileLayer.h"
#include "platform/TextUtils.h"
#include "reading/FileOpener.h"
#include "reading/UnopenedFiles.h"

namespace {

constexpr size_t kExtensionUnits = 16;
const char16_t* const kOpenedExtensions[] = {u".bmp", u".tif", u".tiff", u".pdf", u".opt"};

}  // namespace

bool QueueDroppedFile(const char16_t* path, UnopenedFiles* unopened) {
  if (!path || !path[0]) return false;
  bool opened = false;
  if (KindOfPath(path) == PathKind::File) {
    char16_t extension[kExtensionUnits];
    PathExtension(path, extension, kExtensionUnits);
    if (!extension[0]) SniffFileType(path, extension);
    for (const char16_t* known : kOpenedExtensions)
      if (CompareNoCase(extension, known) == 0) opened = true;
  }
  if (!opened) {
    unopened->Add(path);
    return false;
  }
  return QueueFileToOpen(path, u"");
}
