#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerStrings.h"
#include "reading/UnopenedFiles.h"
#include "shell/win32/DropFiles.h"
#include "tests/shell/OpenFilesFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

namespace {

// A drop as the shell hands it over: DROPFILES and a double-NUL list (an
// empty list is two NULs too).
HDROP MakeDrop(const std::vector<std::u16string>& names) {
  size_t units = 2;
  for (const std::u16string& name : names) units += name.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(char16_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* list = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
  for (const std::u16string& name : names) {
    std::memcpy(list, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    list += name.size() + 1;
  }
  *list = 0;
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

using DropFilesTest = OpenFilesFixture;

TEST_F(DropFilesTest, QueuesTheFilesTheProgramOpensInOrder) {
  const std::u16string score = folder.File(u"Score.OPT"), page = folder.File(u"page.tif"),
                       text = folder.File(u"notes.txt"), sub = folder.File(u"sub.tif");
  WriteTestFile(score, "");
  WriteTestFile(page, "");
  WriteTestFile(text, "");
  ASSERT_TRUE(platform::MakeDirectory(sub.c_str()));
  HDROP drop = MakeDrop({score, text, sub, page});
  UnopenedFiles unopened;
  EXPECT_EQ(QueueDroppedFiles(drop, &unopened), 2);
  GlobalFree(drop);
  ASSERT_EQ(OpenFiles.count, 2);
  EXPECT_EQ(std::u16string(OpenFiles.paths[0]), score);
  EXPECT_EQ(std::u16string(OpenFiles.paths[1]), page);
}

TEST_F(DropFilesTest, StopsWhenTheQueueIsFull) {
  const std::u16string page = folder.File(u"page.tif");
  WriteTestFile(page, "");
  OpenFiles.count = kOpenFileQueueSlots - 1;
  HDROP drop = MakeDrop({page, page, page});
  UnopenedFiles unopened;
  EXPECT_EQ(QueueDroppedFiles(drop, &unopened), 1);
  GlobalFree(drop);
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
}

TEST_F(DropFilesTest, AFolderOrATextFileOpensNothingAndIsNamed) {
  const std::u16string text = folder.File(u"notes.txt"), image = folder.File(u"page.png");
  WriteTestFile(text, "");
  WriteTestFile(image, "\x89PNG\r\n");
  BoxRecorder boxes;
  EXPECT_FALSE(DropFiles(MakeDrop({text, folder.Path(), image})));  // DropFiles finishes the drop
  EXPECT_EQ(OpenFiles.count, 0);
  ASSERT_EQ(boxes.Boxes().size(), 2u) << "one box for each reason";
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {text, image, UiText(kStrNotAnOpenedType)}))
      << U8(boxes.Boxes()[0].text);
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[1].text, {folder.Path(), UiText(kStrIsAFolder)}))
      << U8(boxes.Boxes()[1].text);
}

TEST_F(DropFilesTest, AnEmptyDropOrAFullQueueOpensNothing) {
  EXPECT_FALSE(DropFiles(MakeDrop({})));
  const std::u16string page = folder.File(u"page.tif");
  WriteTestFile(page, "");
  OpenFiles.count = kOpenFileQueueSlots;
  EXPECT_FALSE(DropFiles(MakeDrop({page})));
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
}

}  // namespace
