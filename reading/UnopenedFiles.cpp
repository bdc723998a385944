#include "reading/UnopenedFiles.h"

#include <cstdio>

#include "pages/SpriteStrings.h"
#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "reading/FileOpenerStrings.h"

namespace {

constexpr size_t kNamedFiles = 10;

std::u16string UiString(unsigned id) {
  char16_t text[513];
  LoadUiString(id, text, 513);
  return text;
}

void ShowNotOpened(const std::u16string& headline, const std::u16string& files, const std::u16string& reason) {
  const std::u16string format = UiString(kStrNotOpenedFormat);
  std::vector<char16_t> text(format.size() + headline.size() + files.size() + reason.size() + 1);
  FormatWide(text.data(), text.size(), format.c_str(), headline.c_str(), files.c_str(), reason.c_str());
  ErrorBox(nullptr, text.data());
}

}  // namespace

void ReportFileNotOpened(const char16_t* path, unsigned headlineId, const char16_t* reason) {
  ShowNotOpened(UiString(headlineId), path ? path : u"", reason ? reason : u"");
}

void ReportFileNotOpenedById(const char16_t* path, unsigned headlineId, unsigned reasonId) {
  ShowNotOpened(UiString(headlineId), path ? path : u"", UiString(reasonId));
}

unsigned WhyPathOpensNothing(const char16_t* path) {
  switch (KindOfPath(path)) {
    case PathKind::Missing: return kStrFileMissing;
    case PathKind::Folder: return kStrIsAFolder;
    case PathKind::File: break;
  }
  // A name without an extension is told by its bytes: it may have none.
  char16_t extension[16];
  PathExtension(path, extension, 16);
  if (extension[0]) return kStrNotAnOpenedType;
  std::FILE* file = platform::OpenStream(path, "rb");
  if (!file) return kStrFileCannotBeOpened;
  const bool empty = std::fgetc(file) == EOF;
  std::fclose(file);
  if (empty) return kStrFileEmpty;
  return kStrNotAnOpenedType;
}

void UnopenedFiles::Add(const char16_t* path, unsigned reasonId) {
  for (Group& group : groups_) {
    if (group.reasonId == reasonId) {
      group.paths.push_back(path);
      return;
    }
  }
  groups_.push_back({reasonId, {path}});
}

void UnopenedFiles::Report() {
  std::vector<Group> groups;
  groups.swap(groups_);  // a box lets messages through: a drop may add more
  for (const Group& group : groups) {
    std::u16string files;
    for (size_t i = 0; i < group.paths.size() && i < kNamedFiles; ++i) {
      if (i) files += u'\n';
      files += group.paths[i];
    }
    if (group.paths.size() > kNamedFiles) files += UiString(kStrAndMore);
    const unsigned headline = group.paths.size() == 1 ? kStrFileDidNotOpen : kStrFilesDidNotOpen;
    ShowNotOpened(UiString(headline), files, UiString(group.reasonId));
  }
}
