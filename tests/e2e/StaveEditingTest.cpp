// Stave marking in the page document of a read page: a stave drawn by a drag
// is written into the page's data file and Undo puts the file back as it
// was; Locate Staves finds the page's staves again; the edits of a page that
// is being read are refused.
#include <windows.h>

#include <string>

#include "pages/PageFiles.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "resources/ResourceIds.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

// The bytes of a file the program may replace at any moment; empty when it
// cannot be read.
std::string SharedFileBytes(const std::u16string& path) {
  HANDLE in = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(in);
  return bytes;
}

std::u16string StoredDataFile(int16_t scanId) {
  SetDataFolder(ProgramUnderTest::DataFolder().c_str());
  char16_t path[kPagePathUnits];
  return PageFilePath(PageFile::kData, scanId, false, path) ? std::u16string(path) : std::u16string();
}

HWND PageView(HWND frame) {
  HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
  HWND document = client ? FindWindowExW(client, nullptr, L"ScannedM", nullptr) : nullptr;
  return document ? FindWindowExW(document, nullptr, L"Scanned", nullptr) : nullptr;
}

void Drag(HWND view, POINT from, POINT to) {
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  for (int step = 1; step <= 4; ++step) {
    const LONG x = from.x + (to.x - from.x) * step / 4, y = from.y + (to.y - from.y) * step / 4;
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  }
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

TEST_F(ProgramCase, AStaveDrawnByADragIsUndoneInThePageDataFile) {
  const std::u16string tiff = CopyPageTiff(u"staveedit.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  ASSERT_EQ(dde.Execute(OpenCommand(tiff)), ExecuteResult::kAccepted);
  PageRecord record;
  ASSERT_TRUE(program.WaitUntil([&] { return PageNamed(u"staveedit", &record) && record.state == kPageRead; },
                                "the page read", kPageOpenTimeoutMs));
  HWND view = nullptr;
  ASSERT_TRUE(program.WaitUntil([&] { return (view = PageView(program.FrameWindow())) != nullptr; },
                                "the page document", 20000));
  const std::u16string data = StoredDataFile(record.scanId);
  ASSERT_FALSE(data.empty());
  std::string before;
  ASSERT_TRUE(program.WaitUntil([&] { return !(before = SharedFileBytes(data)).empty(); }, "the page's data file",
                                20000));
  ASSERT_TRUE(program.FrameAnswers(2000));

  // Below the page's last stave, far enough to the right to begin a stave.
  RECT client{};
  GetClientRect(view, &client);
  Drag(view, POINT{client.right / 8, client.bottom - 120}, POINT{client.right * 7 / 8, client.bottom - 90});
  ASSERT_TRUE(program.WaitUntil([&] { const std::string now = SharedFileBytes(data); return !now.empty() && now != before; },
                                "the drawn stave written", 20000));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-stave-drawn");

  program.PostCommand(IDM_EDIT_UNDO);
  EXPECT_TRUE(program.WaitUntil([&] { return SharedFileBytes(data) == before; }, "the file as before the drag", 20000));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-stave-undone");

  // Locate Staves finds the same staves again.
  program.PostCommand(IDM_EDIT_LOCATE_STAVES);
  ASSERT_TRUE(program.FrameAnswers(60000));
  EXPECT_TRUE(program.WaitUntil([&] { return SharedFileBytes(data).size() == before.size(); },
                                "the staves found again", 20000));
  EXPECT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitDiscardingChanges());
}

}  // namespace
