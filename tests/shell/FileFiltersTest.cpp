#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/FileFilters.h"
#include "tests/support/TestText.h"

namespace {

// The NUL-separated pieces of a filter list up to its closing empty piece.
std::vector<std::u16string> Pieces(const FileFilterList& list) {
  std::vector<std::u16string> pieces;
  const std::u16string& units = list.Units();
  size_t at = 0;
  while (at < units.size() && units[at]) {
    size_t end = units.find(u'\0', at);
    pieces.push_back(units.substr(at, end - at));
    at = end + 1;
  }
  EXPECT_EQ(at, units.size() - 1) << "the list ends with one extra NUL";
  return pieces;
}

TEST(FileFilters, EmptyListIsOneNul) {
  FileFilterList list;
  EXPECT_EQ(list.Units(), std::u16string(1, u'\0'));
}

TEST(FileFilters, EntryIsLabelPatternAndPattern) {
  FileFilterList list;
  list.Add(190, u"*.pdf");
  EXPECT_EQ(list.Units(), UiText(190) + u" (*.pdf)" + std::u16string(1, u'\0') + u"*.pdf" +
                              std::u16string(2, u'\0'));
}

TEST(FileFilters, TheDialogsLists) {
  struct Case {
    FileFilterList list;
    std::vector<std::u16string> expected;
  };
  Case cases[] = {
      {OpenFilters(true), {u"PDF files (*.pdf)", u"*.pdf"}},
      {OpenFilters(false),
       {u"All compatible files (*.bmp; *.tif; *.pdf; *.opt)", u"*.bmp; *.tif; *.pdf; *.opt", u"TIFF files (*.tif)",
        u"*.tif", u"Windows bitmap files (*.bmp)", u"*.bmp", u"PDF files (*.pdf)", u"*.pdf",
        u"Korvalinde files (*.opt)", u"*.opt"}},
      {PageSaveFilters(), {u"TIFF files (*.tif)", u"*.tif", u"Windows bitmap files (*.bmp)", u"*.bmp"}},
      {ScoreSaveFilters(),
       {u"Korvalinde files (*.opt)", u"*.opt", u"Korvalinde files for Cadenzor 4 (*.opt)", u"*.opt",
        u"Korvalinde files for Cadenzor & R8 3 (*.opt)", u"*.opt", u"MusicXML files (*.xml)", u"*.xml",
        u"NIFF files (*.nif)", u"*.nif"}},
      // Save without a score file offers no export: the same first three types.
      {ScoreFileSaveFilters(),
       {u"Korvalinde files (*.opt)", u"*.opt", u"Korvalinde files for Cadenzor 4 (*.opt)", u"*.opt",
        u"Korvalinde files for Cadenzor & R8 3 (*.opt)", u"*.opt"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pieces(c.list), c.expected);
}

TEST(FileFilters, SaveExtensions) {
  EXPECT_EQ(std::u16string(ScoreSaveExtension(1)), u".opt");
  EXPECT_EQ(std::u16string(ScoreSaveExtension(3)), u".opt");
  EXPECT_EQ(std::u16string(ScoreSaveExtension(4)), u".xml");
  EXPECT_EQ(std::u16string(ScoreSaveExtension(5)), u".nif");
  EXPECT_EQ(std::u16string(PageSaveExtension(1)), u".tif");
  EXPECT_EQ(std::u16string(PageSaveExtension(2)), u".bmp");
}

}  // namespace
