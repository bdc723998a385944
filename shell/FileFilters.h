// The filter lists of the file dialogs: for each entry the label (a UI
// string), " (", the pattern, ")", a NUL, the pattern and a NUL; the list
// ends with one more NUL.
#pragma once

#include <string>

class FileFilterList {
 public:
  FileFilterList() : text_(1, u'\0') {}
  void Add(unsigned labelId, const char16_t* pattern);
  // The list as the dialog takes it, double-NUL ended.
  const char16_t* Data() const { return text_.c_str(); }
  // Every unit of the list, the closing NUL included.
  const std::u16string& Units() const { return text_; }

 private:
  std::u16string text_;
};

// The Open dialog's list: every type the program opens, or PDF files only.
FileFilterList OpenFilters(bool pdfOnly);
// Save As for a page image: TIFF (type 1), BMP (type 2).
FileFilterList PageSaveFilters();
// Save As for the score: the score file in three formats (types 1 to 3),
// MusicXML (4) and NIFF (5).
FileFilterList ScoreSaveFilters();

// Save for a score without a file: the score file's three formats only
// (types 1 to 3, as in the Save As list).
FileFilterList ScoreFileSaveFilters();

// The extension a Save As type gives the file name (".opt", ".xml", ".nif",
// ".tif", ".bmp").
const char16_t* ScoreSaveExtension(int type);
const char16_t* PageSaveExtension(int type);

// The path a save writes to: the name as typed, with the chosen type's
// extension added when the file name has none (no "." in it; a name that
// ends in "." has that dot replaced). A name with any extension of its own is
// kept as the user typed it. Unchanged when the longer path would not fit
// capacity units with its NUL.
std::u16string PathWithSaveExtension(const std::u16string& path, const char16_t* extension, size_t capacity);
