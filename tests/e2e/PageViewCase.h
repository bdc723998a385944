// What the page document's end-to-end cases share: the page view of the
// frame, the page's stored data file, drags posted to the view, and a page
// opened by DDE and shown from its pending row.
#pragma once

#include <windows.h>

#include <string>

#include "pages/PageFiles.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "tests/e2e/ProgramCase.h"

inline std::u16string StoredDataFile(int16_t scanId) {
  SetDataFolder(ProgramUnderTest::DataFolder().c_str());
  char16_t path[kPagePathUnits];
  return PageFilePath(PageFile::kData, scanId, false, path) ? std::u16string(path) : std::u16string();
}

inline HWND PageView(HWND frame) {
  HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
  HWND document = client ? FindWindowExW(client, nullptr, L"ScannedM", nullptr) : nullptr;
  return document ? FindWindowExW(document, nullptr, L"Scanned", nullptr) : nullptr;
}

// A press at from, four moves to to and the release there, posted.
inline void Drag(HWND view, POINT from, POINT to) {
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  for (int step = 1; step <= 4; ++step) {
    const LONG x = from.x + (to.x - from.x) * step / 4, y = from.y + (to.y - from.y) * step / 4;
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  }
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

class StaveEditingCase : public ProgramCase {
 protected:
  // The staff finder runs on the interface thread: on a loaded machine it
  // may take longer than a hung window's few seconds, so after Locate Staves
  // the frame is waited for without that limit before it is watched again.
  bool FrameAnswersAfterLocating() {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(program.FrameWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 60000, &answer) &&
           program.FrameAnswers(5000);
  }
  // Opens the page fixture copied as tiff by DDE and, once it is stored,
  // shows its pending row (the first row) in the page document by a double
  // click: its record and view.
  bool OpenAndShowPage(DdeClient& dde, const std::u16string& tiff, const std::u16string& stem, PageRecord* record,
                       HWND* view) {
    if (dde.Execute(OpenCommand(tiff)) != ExecuteResult::kAccepted) return false;
    if (!program.WaitUntil([&] { return PageNamed(stem, record); }, "the page stored", 60000)) return false;
    HWND pane = FindWindowExW(program.FrameWindow(), nullptr, L"ViewPages", nullptr);
    PostMessageW(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, kFirstPendingRowY));
    return program.WaitUntil([&] { return (*view = PageView(program.FrameWindow())) != nullptr; },
                             "the page document", 20000);
  }
  static constexpr int kFirstPendingRowY = 1 + 56 + 8;
};
