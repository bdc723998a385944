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

TEST(FileFilters, ASavedNameWithoutExtensionTakesTheChosenTypes) {
  struct Case {
    std::u16string typed;
    const char16_t* extension;
    std::u16string written;
  };
  const Case cases[] = {
      {u"C:\\Scores\\Sonata", ScoreSaveExtension(4), u"C:\\Scores\\Sonata.xml"},
      {u"C:\\Scores\\Sonata", ScoreSaveExtension(5), u"C:\\Scores\\Sonata.nif"},
      {u"C:\\Scores\\Sonata", ScoreSaveExtension(1), u"C:\\Scores\\Sonata.opt"},
      {u"C:\\Scores\\Sonata", PageSaveExtension(2), u"C:\\Scores\\Sonata.bmp"},
      {u"C:\\Scores\\Sonata.", ScoreSaveExtension(4), u"C:\\Scores\\Sonata.xml"},
      {u"C:\\Scores\\Sonata.xml", ScoreSaveExtension(4), u"C:\\Scores\\Sonata.xml"},
      {u"C:\\Scores\\Sonata.XML", ScoreSaveExtension(4), u"C:\\Scores\\Sonata.XML"},
      {u"C:\\Scores\\Sonata.musicxml", ScoreSaveExtension(4), u"C:\\Scores\\Sonata.musicxml"},
      {u"C:\\Scores\\Sonata.opt", ScoreSaveExtension(4), u"C:\\Scores\\Sonata.opt"},
      {u"C:\\v1.2 scores\\Sonata", ScoreSaveExtension(4), u"C:\\v1.2 scores\\Sonata.xml"},
      {u"C:/scores/Sonata", ScoreSaveExtension(4), u"C:/scores/Sonata.xml"},
      {u"Sonata", ScoreSaveExtension(4), u"Sonata.xml"},
      {u"C:\\Scores\\", ScoreSaveExtension(4), u"C:\\Scores\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathWithSaveExtension(c.typed, c.extension, 260), c.written) << U8(c.typed);
  }
}

TEST(FileFilters, AnExtensionThatWouldNotFitLeavesTheTypedPath) {
  const std::u16string typed = u"C:\\" + std::u16string(252, u'a');  // 255 units
  EXPECT_EQ(PathWithSaveExtension(typed, u".xml", 260), typed + u".xml");
  EXPECT_EQ(PathWithSaveExtension(typed + u"b", u".xml", 260), typed + u"b");
}
