// The score window on screen (Windows, run under Wine): a frame with an MDI
// client holds the program's score window, maximized, showing a three-page
// score made of the dense page (tests/render/scores/dense.txt, about 2,000
// items a page) with the scan strip and the "Detail" window shown.
// Milliseconds per repaint of the view, strip and Detail at 100 % and at the
// fit zoom, and per page turn (the page shown, its data looked for, the
// windows laid out and repainted), each the median and the best of 30.
// Targets: a repaint below one 60 Hz frame (16.7 ms), a page turn below 50 ms.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "platform/win32/AppWindows.h"
#include "render/GlyphTable.h"
#include "render/win32/DrawingLayer.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/ShellServices.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/WindowClasses.h"
#include "tests/render/ScoreListing.h"
#include "benchmarks/view/ViewTiming.h"

namespace {

constexpr int kPages = 3;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK BenchFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(window, Windows().mdiClient, message, wParam, lParam);
}

// The dense page three times, a page mark between the copies in every slot.
std::string ThreePageListing(const std::string& path) {
  std::ifstream in(path);
  std::string line, header, current;
  std::vector<std::string> blocks;
  while (std::getline(in, line)) {
    if (line.rfind("slot ", 0) == 0) {
      if (!current.empty()) blocks.push_back(current);
      current = line + "\n";
    } else if (current.empty()) {
      header += line + "\n";
    } else {
      current += line + "\n";
    }
  }
  if (!current.empty()) blocks.push_back(current);
  std::string out = header;
  for (const std::string& block : blocks) {
    const size_t body = block.find('\n') + 1;
    out += block.substr(0, body);
    for (int page = 0; page < kPages; ++page) {
      out += block.substr(body);
      if (page + 1 < kPages) out += "page-mark\n";
    }
  }
  return out;
}

// Every window of the score window painted now.
void RepaintAll() {
  const AppWindows& w = Windows();
  for (HWND window : {w.scoreView, w.outImage, w.detail, w.scoreWindow}) {
    if (HoldsWindow(window) && IsWindow(window)) {
      InvalidateRect(window, nullptr, FALSE);
      UpdateWindow(window);
    }
  }
}

void Report(const char* what, const ViewTiming& f) {
  std::printf("%-44s median %6.2f ms, best %6.2f ms\n", what, f.median, f.best);
}

}  // namespace

int RunScoreWindowBench(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : std::string(KV_RENDER_SCORES_DIR) + "/dense.txt";
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  InstallDrawingLayer();
  InitialiseDrawingColours();
  BuildGlyphTable();
  InstallScoreWindow();
  AppWindows& w = Windows();
  w.instance = instance;
  RegisterProgramClasses(instance);

  WNDCLASSW frameClass{};
  frameClass.lpfnWndProc = BenchFrameProc;
  frameClass.hInstance = instance;
  frameClass.lpszClassName = L"ViewBenchFrame";
  RegisterClassW(&frameClass);
  w.frame = CreateWindowW(L"ViewBenchFrame", L"view_bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                          1280, 1000, nullptr, nullptr, instance, nullptr);
  RECT client{};
  GetClientRect(w.frame, &client);
  CLIENTCREATESTRUCT mdi{};
  mdi.idFirstChild = IDC_MDI_FIRST_CHILD;
  w.mdiClient = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, client.right,
                                client.bottom, w.frame, nullptr, instance, &mdi);
  if (!w.frame || !w.mdiClient) {
    std::fprintf(stderr, "no frame\n");
    return 1;
  }

  std::string error;
  if (!BuildScoreFromListing(ThreePageListing(path), &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  ScorePageSize.width = 1100;
  ScorePageSize.height = 1500;
  // The score's pages were read from one A4 scan at 300 dpi, in the page
  // view already (ruled with stave lines), so the strip and Detail show it;
  // the pages keep no data files.
  pageTable.pageCount = 1;
  pageTable.currentPage = 0;
  pageTable.rows[0].pageKey = 0xBE000000u;
  for (int p = 0; p < kPages; ++p) ScorePages.rows[p] = ScorePageRow{kNoPageDataId, 300, pageTable.rows[0].pageKey};
  const uint32_t width = 2480, height = 3508, stride = (width + 31) / 32 * 4;
  std::vector<uint8_t> area(SpriteAreaBytes(uint64_t(stride) * height) + 64, 0);
  WriteLoadedSpriteHeader(area.data(), width, height, 1);
  uint8_t* rows = area.data() + kSpriteImageOffset;
  for (uint32_t y = 300; y < height - 300; y += 30) {
    if (y % 300 >= 150) continue;  // five lines a stave, a gap between staves
    std::fill(rows + size_t(y) * stride + 30, rows + size_t(y) * stride + stride - 30, uint8_t(0xFF));
  }
  viewPage.imageArea = area.data();
  viewPage.width = width;
  viewPage.height = height;
  std::snprintf(viewPage.imageName, sizeof viewPage.imageName, "%s", "scanned");
  CreateScoreWindow();
  SendMessageW(w.mdiClient, WM_MDIMAXIMIZE, WPARAM(w.scoreWindow), 0);
  Pump();
  RepaintAll();
  Pump();
  std::printf("score of %d pages of %s, %s and Detail %s\n", ScorePages.count, path.c_str(),
              ScoreStripPixels() > 0 ? "the strip shown" : "no strip",
              HoldsWindow(w.detail) && IsWindowVisible(w.detail) ? "shown" : "hidden");

  CurrentShellServices().setViewZoom(IDM_ZOOM_100);
  Pump();
  Report("repaint at 100 % (view, strip, Detail)", TimeViewStep([](int) { RepaintAll(); }));
  CurrentShellServices().setViewZoom(IDM_ZOOM_TO_FIT);
  Pump();
  Report("repaint at fit zoom (view, strip, Detail)", TimeViewStep([](int) { RepaintAll(); }));
  CurrentShellServices().setViewZoom(IDM_ZOOM_100);
  Pump();
  Report("page turn at 100 % (laid out and repainted)", TimeViewStep([](int i) {
           ShowScorePage(1 + (i + 1) % kPages, true);
           RepaintAll();
         }));
  CurrentShellServices().setViewZoom(IDM_ZOOM_100);
  Pump();
  Report("  of it, the view alone at 100 %", TimeViewStep([](int) {
           InvalidateRect(Windows().scoreView, nullptr, FALSE);
           UpdateWindow(Windows().scoreView);
         }));
  Report("  of it, the strip alone", TimeViewStep([](int) {
           InvalidateRect(Windows().outImage, nullptr, FALSE);
           UpdateWindow(Windows().outImage);
         }));
  DestroyWindow(w.frame);
  viewPage.imageArea = nullptr;
  return 0;
}
