// The keypad of the score window: shown beside a read score, its keys latch
// by their groups when clicked, the layout tabs and the function keys switch
// its layout, the key under the pointer is named in the status bar, its
// empty slots show their symbols greyed, a change of the display's colours
// leaves it whole, its close box only hides it and closing the score window
// destroys it.
#include <windows.h>

#include <string>

#include "ResourceIds.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

HWND FindKeypad() { return FindWindowW(L"CdzKeypad", nullptr); }

HWND FindScoreView(ProgramUnderTest& program) {
  HWND client = FindWindowExW(program.FrameWindow(), nullptr, L"MDIClient", nullptr);
  HWND child = client ? FindWindowExW(client, nullptr, L"OutputM", nullptr) : nullptr;
  return child ? FindWindowExW(child, nullptr, L"Output", nullptr) : nullptr;
}

// A click on the keypad at client point (x, y).
void Click(HWND keypad, int x, int y) {
  PostMessageW(keypad, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageW(keypad, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(keypad, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Centres of buttons of the narrow keypad (Common notes).
constexpr POINT kStaccato{70, 39}, kQuarter{14, 95}, kHalf{42, 95}, kSharp{42, 67}, kArticulationTab{76, 11};
constexpr POINT kAway{95, 172};  // below the keys, right of the voice tabs
constexpr POINT kLayoutToggle{107, 184}, kWideLayoutToggle{331, 107};

}  // namespace

TEST_F(ProgramCase, TheKeypadLatchesItsKeysAndSwitchesItsLayouts) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"scorekeypad"));
  HWND keypad = nullptr;
  ASSERT_TRUE(program.WaitUntil([&] { return (keypad = FindKeypad()) != nullptr && IsWindowVisible(keypad); },
                                "the keypad shown", 10000));
  RECT client{};
  GetClientRect(keypad, &client);
  EXPECT_EQ(client.right, 112);
  EXPECT_EQ(client.bottom, 189);
  ASSERT_TRUE(program.StaysQuiet(300));
  ExpectWindowMatchesReference(keypad, "score-keypad");

  // The key under the pointer names itself in the status bar; off the keys
  // the bar's own text comes back (the reading may still renew that text
  // meanwhile, so the check is that the key's name goes).
  PostMessageW(keypad, WM_MOUSEMOVE, 0, MAKELPARAM(kQuarter.x, kQuarter.y));
  ASSERT_TRUE(program.WaitUntil([&] { return program.StatusText(2) == u"Quarter note"; }, "the key's name", 5000));
  PostMessageW(keypad, WM_MOUSEMOVE, 0, MAKELPARAM(kAway.x, kAway.y));
  ASSERT_TRUE(program.WaitUntil([&] { return program.StatusText(2) != u"Quarter note"; }, "the bar's text back", 5000));

  // Half note, staccato, then quarter note: the quarter takes the half's
  // place (one note value at a time), the staccato stays; a sharp latches.
  for (POINT p : {kHalf, kStaccato, kQuarter, kSharp}) Click(keypad, p.x, p.y);
  PostMessageW(keypad, WM_MOUSEMOVE, 0, MAKELPARAM(kAway.x, kAway.y));
  ASSERT_TRUE(program.StaysQuiet(300));
  ExpectWindowMatchesReference(keypad, "score-keypad-latched");

  // The Articulation tab: its staccato is latched too, and the Common notes
  // tab shows that a key of its layout is latched.
  Click(keypad, kArticulationTab.x, kArticulationTab.y);
  PostMessageW(keypad, WM_MOUSEMOVE, 0, MAKELPARAM(kAway.x, kAway.y));
  ASSERT_TRUE(program.StaysQuiet(300));
  ExpectWindowMatchesReference(keypad, "score-keypad-articulation");

  // A change of the display's colours: the keypad makes its cursors and
  // colours again and paints as before.
  PostMessageW(keypad, WM_SYSCOLORCHANGE, 0, 0);
  ASSERT_TRUE(program.StaysQuiet(300));
  EXPECT_TRUE(IsWindowVisible(keypad));
  ExpectWindowMatchesReference(keypad, "score-keypad-articulation");

  // F12 in the score view shows the Accidentals layout; its sharp is latched.
  HWND view = FindScoreView(program);
  ASSERT_NE(view, nullptr);
  PostMessageW(view, WM_KEYDOWN, VK_F12, 1);
  ASSERT_TRUE(program.StaysQuiet(300));
  ExpectWindowMatchesReference(keypad, "score-keypad-accidentals");

  // The close box only hides it; the menu command shows it again.
  PostMessageW(keypad, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitUntil([&] { return !IsWindowVisible(keypad); }, "the keypad hidden", 5000));
  EXPECT_TRUE(IsWindow(keypad));
  ASSERT_TRUE(program.PostCommand(IDM_VIEW_KEYPAD));
  ASSERT_TRUE(program.WaitUntil([&] { return IsWindowVisible(keypad) != FALSE; }, "the keypad shown again", 5000));

  // The small button at the lower right turns it into the wide keypad, and back.
  Click(keypad, kLayoutToggle.x, kLayoutToggle.y);
  ASSERT_TRUE(program.WaitUntil([&] { return GetClientRect(keypad, &client) && client.right == 336; },
                                "the wide keypad", 5000));
  EXPECT_EQ(client.bottom, 112);
  PostMessageW(keypad, WM_MOUSEMOVE, 0, MAKELPARAM(320, 100));
  ASSERT_TRUE(program.StaysQuiet(300));
  ExpectWindowMatchesReference(keypad, "score-keypad-wide");
  Click(keypad, kWideLayoutToggle.x, kWideLayoutToggle.y);
  ASSERT_TRUE(program.WaitUntil([&] { return GetClientRect(keypad, &client) && client.right == 112; },
                                "the narrow keypad again", 5000));

  // Closing the score window takes the keypad with it.
  PostMessageW(GetParent(view), WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitUntil([&] { return FindKeypad() == nullptr; }, "the keypad gone with the score", 5000));
  ASSERT_TRUE(ExitDiscardingChanges());
}
