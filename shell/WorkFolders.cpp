#include "shell/WorkFolders.h"

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "shell/ShellServices.h"

namespace {

void DeleteMatching(const char16_t* pattern) {
  char16_t path[300];
  if (MakeMusicPagesPath(path, pattern)) DeleteTree(path);
}

}  // namespace

void CleanWorkFolders() {
  DeleteMatching(u"TDir*");
  DeleteMatching(u"ScanData");
  DeleteMatching(u"Transfer");
  CurrentShellServices().clearScoreUndo();
}

void DeleteTemporaryPdfPages() {
  DeleteMatching(u"PDF\\*");
}
