#include "shell/FileFilters.h"

#include "platform/Messages.h"
#include "platform/TextUtils.h"

namespace {

enum : unsigned {
  kAllCompatibleFiles = 176,
  kBitmapFiles = 177,
  kScoreFiles = 178,
  kMusicXmlFiles = 186,
  kNiffFiles = 187,
  kPdfFiles = 190,
  kTiffFiles = 220,
  kScoreFilesOlder = 228,
  kScoreFilesCadenzor4 = 229,
};

}  // namespace

void FileFilterList::Add(unsigned labelId, const char16_t* pattern) {
  char16_t label[257];
  LoadUiString(labelId, label, 257);
  text_.pop_back();
  text_ += label;
  text_ += u" (";
  text_ += pattern;
  text_ += u")";
  text_.push_back(u'\0');
  text_ += pattern;
  text_.push_back(u'\0');
  text_.push_back(u'\0');
}

FileFilterList OpenFilters(bool pdfOnly) {
  FileFilterList list;
  if (pdfOnly) {
    list.Add(kPdfFiles, u"*.pdf");
    return list;
  }
  list.Add(kAllCompatibleFiles, u"*.bmp; *.tif; *.pdf; *.opt");
  list.Add(kTiffFiles, u"*.tif");
  list.Add(kBitmapFiles, u"*.bmp");
  list.Add(kPdfFiles, u"*.pdf");
  list.Add(kScoreFiles, u"*.opt");
  return list;
}

FileFilterList PageSaveFilters() {
  FileFilterList list;
  list.Add(kTiffFiles, u"*.tif");
  list.Add(kBitmapFiles, u"*.bmp");
  return list;
}

FileFilterList ScoreFileSaveFilters() {
  FileFilterList list;
  list.Add(kScoreFiles, u"*.opt");
  list.Add(kScoreFilesCadenzor4, u"*.opt");
  list.Add(kScoreFilesOlder, u"*.opt");
  return list;
}

FileFilterList ScoreSaveFilters() {
  FileFilterList list = ScoreFileSaveFilters();
  list.Add(kMusicXmlFiles, u"*.xml");
  list.Add(kNiffFiles, u"*.nif");
  return list;
}

const char16_t* ScoreSaveExtension(int type) {
  if (type == 4) return u".xml";
  if (type == 5) return u".nif";
  return u".opt";
}

const char16_t* PageSaveExtension(int type) { return type == 2 ? u".bmp" : u".tif"; }

std::u16string PathWithSaveExtension(const std::u16string& path, const char16_t* extension, size_t capacity) {
  const char16_t* name = PathFileName(path.c_str());
  const std::u16string fileName(name);
  if (fileName.empty()) return path;
  const size_t dot = fileName.find(u'.');
  if (dot != std::u16string::npos && dot + 1 < fileName.size()) return path;
  std::u16string extended = path;
  if (dot != std::u16string::npos) extended.pop_back();  // the final "." alone
  extended += extension;
  return extended.size() < capacity ? extended : path;
}
