// The drawing layer on GDI under Wine: the music font is found (or installed)
// and has every glyph of the table, glyphs and shapes reach a bitmap, the
// missing font is said once, "ReadingMutex" is made once, and the shared
// context hook points the drawing state at a paint context.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/win32/DrawingLayer.h"
#include "render/win32/GdiDevice.h"
#include "GdiCanvas.h"
#include "shell/win32/SmallWindows.h"
#include "tests/support/BoxRecorder.h"

namespace {

class RefusingDevice : public GdiDevice {
 public:
  using GdiDevice::GdiDevice;
  bool FaceInstalled(const char16_t*) override { return false; }
  bool InstallMusicFont() override { return false; }
};

class GdiDrawingTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    ResetMusicFontSet();
    BuildGlyphTable();
    DrawingState().scale = 1.0;
    SetVisibleWorldRect({0, 0, 400, 300});
  }
  void TearDown() override {
    DeleteMusicFonts(&device);
    ResetMusicFontSet();
    ResetDrawingState();
  }
  GdiCanvas canvas{400, 300};
  GdiDevice device{canvas.Dc()};
};

TEST_F(GdiDrawingTest, MusicFontHasAGlyphForEveryTableCode) {
  const render::FontHandle font = CreateDisplayFont(&device, kMusicFontFace, 720, 0, 0, false, true, false);
  ASSERT_NE(font, 0u) << "the music font could be neither found nor installed";
  HGDIOBJ old = SelectObject(canvas.Dc(), reinterpret_cast<HGDIOBJ>(font));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(canvas.Dc(), LF_FACESIZE, face);
  EXPECT_STREQ(face, L"Korvalinde Extra");
  std::vector<wchar_t> codes;
  for (int i = 0; i < GlyphTableCount(); ++i) codes.push_back(static_cast<wchar_t>(GlyphTableRow(i)->code));
  std::vector<WORD> glyphs(codes.size(), 0);
  ASSERT_NE(GetGlyphIndicesW(canvas.Dc(), codes.data(), static_cast<int>(codes.size()), glyphs.data(),
                             GGI_MARK_NONEXISTING_GLYPHS),
            GDI_ERROR);
  for (size_t i = 0; i < codes.size(); ++i)
    EXPECT_NE(glyphs[i], 0xFFFF) << GlyphTableRow(static_cast<int>(i))->name;
  SelectObject(canvas.Dc(), old);
  DeleteObject(reinterpret_cast<HGDIOBJ>(font));
}

TEST_F(GdiDrawingTest, GlyphsAndShapesReachTheBitmap) {
  DrawingState().dc = &device;
  SetTextAlign(canvas.Dc(), TA_LEFT | TA_BASELINE);
  SetBkMode(canvas.Dc(), TRANSPARENT);
  SelectDrawColour(7);
  // A crotchet head at world (40, -60): device (80, 120) at device scale 2
  // in a context without the scaled mapping; the head lies right of x and
  // about the baseline.
  DrawGlyph("chead", 40, -60, 8, 0, 0, 0);
  EXPECT_GT(canvas.DarkPixels(78, 100, 110, 140), 40);
  EXPECT_EQ(canvas.DarkPixels(0, 0, 70, 300), 0);
  FillWorldRect(150, -20, 10, 10);
  EXPECT_GT(canvas.DarkPixels(298, 18, 322, 42), 300);
  FillWorldCurve(20, -120, 60, -100, 100, -120, 2);
  EXPECT_GT(canvas.DarkPixels(40, 200, 200, 245), 50);
}

TEST_F(GdiDrawingTest, MissingMusicFontIsSaidOnceAndDrawsNoGlyph) {
  RefusingDevice refusing(canvas.Dc());
  DrawingState().dc = &refusing;
  BoxRecorder boxes;
  for (int i = 0; i < 3; ++i) DrawGlyph("chead", 40, -60, 8, 0, 0, 0);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(canvas.DarkPixels(), 0);
}

TEST_F(GdiDrawingTest, ColoursAndTheMutexAreSetUpOnceForTheDisplay) {
  InitialiseDrawingColours();
  const HANDLE first = ReadingMutex();
  ASSERT_NE(first, nullptr);
  InitialiseDrawingColours();
  EXPECT_EQ(ReadingMutex(), first);
  HANDLE named = OpenMutexW(SYNCHRONIZE, FALSE, L"ReadingMutex");
  EXPECT_NE(named, nullptr);
  if (named) CloseHandle(named);
  HDC screen = GetDC(nullptr);
  const bool trueColour = GetDeviceCaps(screen, NUMCOLORS) == -1;
  ReleaseDC(nullptr, screen);
  if (trueColour) EXPECT_EQ(ColourTable[1], 0xD8D8D8u);
  EXPECT_EQ(ColourTable[16], GetSysColor(COLOR_BTNFACE));
}

TEST_F(GdiDrawingTest, SharedContextIsTheDrawingStatesWhileItIsSet) {
  render::DrawDevice* before = DrawingState().dc;
  UseDeviceContext(canvas.Dc());
  EXPECT_EQ(DrawingState().dc, &SharedGdiDevice());
  EXPECT_EQ(SharedGdiDevice().Context(), canvas.Dc());
  UseDeviceContext(nullptr);
  EXPECT_EQ(DrawingState().dc, before);
}

TEST_F(GdiDrawingTest, MenuGlyphIsDrawnInsideItsItem) {
  RECT item = {10, 10, 35, 45};
  ASSERT_TRUE(DrawMenuGlyph(canvas.Dc(), "segno", item, RGB(0, 0, 0)));
  EXPECT_GT(canvas.DarkPixels(10, 10, 35, 45), 20);
  EXPECT_EQ(canvas.DarkPixels(40, 0, 400, 300), 0);
  EXPECT_FALSE(DrawMenuGlyph(canvas.Dc(), "nosuchglyph", item, RGB(0, 0, 0)));
}

}  // namespace

namespace {

TEST(MusicFontInstallTest, FontFileIsRegisteredByTheInstallRoute) {
  // The font resource file route where the system takes it, else the font
  // file itself for this process; either way the face is then known.
  ASSERT_TRUE(InstallMusicFontFile());
  GdiDevice screen(nullptr);
  EXPECT_TRUE(screen.FaceInstalled(u"Korvalinde Extra"));
}

}  // namespace

#include "render/RecordingDevice.h"

namespace {

// The recording device measures text as GDI does here, so that layouts made
// natively equal those made under Wine.
TEST(TextMeasureTest, RecordingDeviceMeasuresAsGdi) {
  GdiCanvas canvas(16, 16);
  GdiDevice gdi(canvas.Dc());
  RecordingDevice recorder;
  const char16_t* faces[] = {u"Arial", u"Times New Roman"};
  const char16_t* texts[] = {u"Allegro moderato", u"Piano", u"Violin I", u"1. Teil (ad lib.)", u"Wwwmm iii"};
  for (const char16_t* face : faces) {
    for (int height : {-12, -20, -25, -30, -45}) {
      for (int weight : {400, 700}) {
        render::FontRequest r;
        r.height = height;
        r.weight = weight;
        r.face = face;
        const render::FontHandle g = gdi.MakeFont(r);
        const render::FontHandle old = gdi.SelectFont(g);
        recorder.SelectFont(recorder.MakeFont(r));
        for (const char16_t* text : texts) {
          const int length = static_cast<int>(std::char_traits<char16_t>::length(text));
          EXPECT_EQ(recorder.MeasureText(text, length).cx, gdi.MeasureText(text, length).cx)
              << (face[0] == u'A' ? "Arial " : "Times ") << height << " " << weight;
        }
        gdi.SelectFont(old);
        gdi.DeleteFont(g);
      }
    }
  }
}

}  // namespace

#include "shell/win32/Startup.h"
#include "tests/support/TestText.h"

namespace {

TEST(ReadingMutexTest, StartUpEndsWithAMessageWithoutTheMutex) {
  HANDLE kept = ReadingMutexHandle();
  ReadingMutexHandle() = nullptr;
  BoxRecorder boxes;
  EXPECT_FALSE(RequireReadingMutex());
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(U8(boxes.Boxes()[0].text).find("ReadingMutex"), std::string::npos);
  ReadingMutexHandle() = kept;
  InitialiseDrawingColours();
  EXPECT_TRUE(RequireReadingMutex());
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

}  // namespace

#include "platform/win32/AppWindows.h"

namespace {

TEST(CursorSetTest, ProgramCursorsAreLoadedWithTheirHotSpots) {
  const HINSTANCE kept = Windows().instance;
  Windows().instance = GetModuleHandleW(nullptr);
  InitialiseDrawingColours();
  for (int slot = 0; slot < kCursorSlots; ++slot) EXPECT_NE(CursorHandle(slot), nullptr) << slot;
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(CursorHandle(kCursorView0), &info));  // the hand
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 11u);
  EXPECT_EQ(info.yHotspot, 4u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  // A display change: the program's cursors go and come back.
  DestroyToolCursors();
  EXPECT_EQ(CursorHandle(kCursorView0), nullptr);
  EXPECT_NE(CursorHandle(kCursorDefault), nullptr);
  InitialiseDrawingColours();
  EXPECT_NE(CursorHandle(kCursorView0), nullptr);
  Windows().instance = kept;
}

}  // namespace

#include "tests/Code/Unicode/Utils/VersionOption.h"
#include "tests/support/ScratchFolder.h"

namespace {

// On the 9x family the face is looked up, the font made and the font file
// added through the ANSI calls.
TEST(MusicFontInstallTest, Windows9xRoadFindsAndInstallsTheFont) {
  utiltest::Forced9x ansi;
  ASSERT_TRUE(IsWindows9x());
  GdiDevice screen(nullptr);
  EXPECT_TRUE(screen.FaceInstalled(u"Korvalinde Extra"));
  EXPECT_FALSE(screen.FaceInstalled(u"No Such Face Here"));
  {
    // The font resource file is written into the current folder.
    ScratchFolder scratch;
    wchar_t kept[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, kept);
    SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(scratch.Path().c_str()));
    EXPECT_TRUE(InstallMusicFontFile());
    SetCurrentDirectoryW(kept);
  }
  GdiCanvas canvas(8, 8);
  GdiDevice device(canvas.Dc());
  const render::FontHandle font = CreateDisplayFont(&device, kMusicFontFace, 720, 720, 0, false, true, false);
  EXPECT_NE(font, 0u);
  device.DeleteFont(font);
}

}  // namespace
