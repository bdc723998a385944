// Preferences as a user meets them: every tab as it opens, OK keeping the
// changes in the registry and Cancel none, the dialog opened while a page
// is read, a reading option that changes the next read; and the question
// for the resolution of a page whose file gives none.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/Settings.h"
#include "resources/ResourceIds.h"
#include "tests/e2e/PageViewCase.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"
#include "tests/support/TiffBytes.h"

namespace {

constexpr unsigned kResolutionRefused = 10135;
constexpr char16_t kPaperNoticeCaption[] = u"Special stave paper";

// Waits while the program shows the dialogs of the case (the harness's own
// waits count any dialog as an unexpected box), taking the harness's messages.
bool Poll(const std::function<bool()>& done, DWORD timeoutMs = kStartTimeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(50);
  }
}

// The box of the program whose text begins as the UI string does.
HWND BoxSaying(const ProgramUnderTest& program, unsigned id) {
  const std::u16string text = ProgramText(id);
  const std::u16string head = text.substr(0, text.find(u'\n'));
  for (const ProgramBox& box : program.Boxes())
    if (box.text.find(head) != std::u16string::npos) return box.window;
  return nullptr;
}

HWND Tabs(HWND dialog) { return GetDlgItem(dialog, IDC_PREFS_TABS); }

// The page window of the dialog that holds a control of this id.
HWND PageHolding(HWND dialog, int control) {
  for (HWND page = FindWindowExW(Tabs(dialog), nullptr, L"#32770", nullptr); page;
       page = FindWindowExW(Tabs(dialog), page, L"#32770", nullptr)) {
    if (GetDlgItem(page, control)) return page;
  }
  return nullptr;
}

int TabCount(HWND dialog) {
  DWORD_PTR count = 0;
  SendMessageTimeoutW(Tabs(dialog), TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &count);
  return static_cast<int>(count);
}

// The next tab, as the arrow key chooses it in the tab control.
void NextTab(HWND dialog) {
  PostMessageW(Tabs(dialog), WM_KEYDOWN, VK_RIGHT, 0);
  PostMessageW(Tabs(dialog), WM_KEYUP, VK_RIGHT, 0xC0000001);
}

bool PageShown(HWND dialog, int control) {
  HWND page = PageHolding(dialog, control);
  return page && IsWindowVisible(page);
}

std::u16string EditText(HWND page, int control) {
  wchar_t text[64] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(GetDlgItem(page, control), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      kAnswerTimeoutMs, &got);
  return reinterpret_cast<const char16_t*>(text);
}

struct StoredChoices {
  bool oneVoice, quickPrefs;
  int32_t autoSavePeriod;
};

StoredChoices Stored() {
  LoadGeneralSettings();
  return {General().readOneVoiceOnly, General().quickPrefs, General().autoSavePeriod};
}

}  // namespace

class Preferences : public ProgramCase {
 protected:
  // The harness keeps the reading options away; these cases meet the
  // setting at its default.
  void SetUp() override {
    ProgramCase::SetUp();
    General().quickPrefs = true;
    SaveGeneralSettings();
  }
  HWND OpenPreferences(WORD command = IDM_FILE_PREFERENCES) {
    if (!program.PostCommand(command)) return nullptr;
    HWND dialog = program.WaitForDialog();
    if (dialog && !Poll([dialog] { return PageHolding(dialog, IDC_PREF_ONE_VOICE) != nullptr; })) {
      ADD_FAILURE() << "the dialog has no pages";
      return nullptr;
    }
    return dialog;
  }
  // Ticks or unticks one voice and the options before reading, and types a
  // period, as a user changes them.
  bool ChangeThreeSettings(HWND dialog) {
    HWND reading = PageHolding(dialog, IDC_PREF_ONE_VOICE);
    HWND advanced = PageHolding(dialog, IDC_PREF_AUTO_SAVE_PERIOD);
    if (!reading || !advanced) return false;
    bool oneVoice = false, quick = true;
    return program.ClickDialogCheckBox(reading, IDC_PREF_ONE_VOICE, &oneVoice) && oneVoice &&
           program.ClickDialogCheckBox(reading, IDC_PREF_QUICK_PREFS, &quick) && !quick &&
           program.SetDialogText(advanced, IDC_PREF_AUTO_SAVE_PERIOD, u"12");
  }
  // A blank grey page whose TIFF gives no resolution.
  static std::u16string WritePageWithoutResolution(const std::u16string& name) {
    const std::vector<uint8_t> bytes = ClaimingTiff(600, 400, 1, 600 * 400);
    const std::u16string path = InputPath(name);
    HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(file);
    }
    return written == bytes.size() ? path : u"";
  }
  bool OpenByDde(const std::u16string& path) {
    DdeClient dde;
    if (!ConnectDde(&dde)) return false;
    return dde.Execute(OpenCommand(path), kPageOpenTimeoutMs) == ExecuteResult::kAccepted;
  }
};

TEST_F(Preferences, EveryTabShowsTheCurrentSettings) {
  ASSERT_TRUE(StartQuietly());
  HWND dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TabCount(dialog), 4);
  // With no document open it opens on the scanning page.
  const struct {
    int control;
    const char* picture;
  } tabs[] = {{IDC_PREF_AUTOMATIC_SCANNING, "prefs-scanning"},
              {IDC_PREF_ONE_VOICE, "prefs-reading"},
              {IDC_PREF_DRAG_BY_DRAGGING, "prefs-editing"},
              {IDC_PREF_AUTO_SAVE_PERIOD, "prefs-advanced"}};
  for (const auto& tab : tabs) {
    SCOPED_TRACE(tab.picture);
    const int control = tab.control;
    ASSERT_TRUE(Poll([dialog, control] { return PageShown(dialog, control); })) << "the tab's page";
    ExpectWindowMatchesReference(dialog, tab.picture);
    NextTab(dialog);
  }
  // The settings of a first run, as the pages show them.
  HWND reading = PageHolding(dialog, IDC_PREF_ONE_VOICE);
  EXPECT_FALSE(program.IsDialogBoxChecked(reading, IDC_PREF_ONE_VOICE));
  EXPECT_TRUE(program.IsDialogBoxChecked(reading, IDC_PREF_QUICK_PREFS));
  EXPECT_EQ(EditText(PageHolding(dialog, IDC_PREF_AUTO_SAVE_PERIOD), IDC_PREF_AUTO_SAVE_PERIOD), u"5");
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_CANCEL));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, OkKeepsTheChangesInTheRegistryAndCancelNone) {
  ASSERT_TRUE(StartQuietly());
  HWND dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ChangeThreeSettings(dialog));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_CANCEL));
  StoredChoices stored = Stored();
  EXPECT_FALSE(stored.oneVoice);
  EXPECT_TRUE(stored.quickPrefs);
  EXPECT_EQ(stored.autoSavePeriod, 5);

  dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(program.IsDialogBoxChecked(PageHolding(dialog, IDC_PREF_ONE_VOICE), IDC_PREF_ONE_VOICE))
      << "Cancel kept nothing";
  ASSERT_TRUE(ChangeThreeSettings(dialog));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_OK));
  // OK saves at once, before the program ends.
  ASSERT_TRUE(program.WaitUntil([] { return Stored().oneVoice; }, "the settings saved"));
  stored = Stored();
  EXPECT_FALSE(stored.quickPrefs);
  EXPECT_EQ(stored.autoSavePeriod, 12);
  ASSERT_TRUE(ExitCleanly());

  // The next start shows them.
  ASSERT_TRUE(StartQuietly());
  dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(program.IsDialogBoxChecked(PageHolding(dialog, IDC_PREF_ONE_VOICE), IDC_PREF_ONE_VOICE));
  EXPECT_EQ(EditText(PageHolding(dialog, IDC_PREF_AUTO_SAVE_PERIOD), IDC_PREF_AUTO_SAVE_PERIOD), u"12");
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_CANCEL));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, TheAdvancedReadingOptionsChooseTheKindsOfTextRead) {
  ASSERT_TRUE(StartQuietly());
  HWND dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  HWND reading = PageHolding(dialog, IDC_PREF_ONE_VOICE);
  bool text = false;
  ASSERT_TRUE(program.ClickDialogCheckBox(reading, IDC_PREF_TEXT, &text));
  ASSERT_TRUE(text);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(reading, IDC_PREF_ADVANCED))) << "offered once text is read";
  PostMessageW(reading, WM_COMMAND, MAKEWPARAM(IDC_PREF_ADVANCED, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(reading, IDC_PREF_ADVANCED)));
  HWND options = nullptr;
  ASSERT_TRUE(Poll([&] {
    for (const ProgramBox& box : program.Boxes())
      if (GetDlgItem(box.window, IDC_TEXT_TYPE_FIRST)) options = box.window;
    return options != nullptr;
  })) << "the text recognition options";
  for (int k = 0; k < TEXT_TYPE_COUNT; ++k) EXPECT_TRUE(program.IsDialogBoxChecked(options, IDC_TEXT_TYPE_FIRST + k));
  ExpectWindowMatchesReference(options, "prefs-text-recognition");
  ASSERT_TRUE(program.ClickDialogCheckBox(options, IDC_TEXT_TYPE_FIRST + 4));
  ASSERT_TRUE(program.PressDialogButton(options, IDOK));
  // Opened again within the same Preferences it shows the choice.
  PostMessageW(reading, WM_COMMAND, MAKEWPARAM(IDC_PREF_ADVANCED, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(reading, IDC_PREF_ADVANCED)));
  options = nullptr;
  ASSERT_TRUE(Poll([&] {
    for (const ProgramBox& box : program.Boxes())
      if (GetDlgItem(box.window, IDC_TEXT_TYPE_FIRST)) options = box.window;
    return options != nullptr;
  }));
  EXPECT_FALSE(program.IsDialogBoxChecked(options, IDC_TEXT_TYPE_FIRST + 4)) << "Lyrics left out";
  EXPECT_TRUE(program.IsDialogBoxChecked(options, IDC_TEXT_TYPE_FIRST));
  ASSERT_TRUE(program.PressDialogButton(options, IDCANCEL));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_CANCEL));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, ScannerSetupShowsTheScanningPageAlone) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.PostCommand(IDM_FILE_SCANNER_SETUP));
  HWND dialog = program.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Poll([dialog] { return PageShown(dialog, IDC_PREF_AUTOMATIC_SCANNING); })) << "the page";
  EXPECT_EQ(TabCount(dialog), 1);
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_OK));
  EXPECT_TRUE(Stored().quickPrefs);
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, OpenedWhileAPageIsReadTheDialogLeavesTheFrameFree) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(OpenByDde(CopyPageTiff(u"prefsread.tif")));
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"prefsread") == 1; }, "the page stored", kPageOpenTimeoutMs));
  HWND dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  const bool ownThread = GetWindowThreadProcessId(dialog, nullptr) !=
                         GetWindowThreadProcessId(program.FrameWindow(), nullptr);
  RecordProperty("dialog_on_its_own_thread", ownThread ? 1 : 0);
  std::printf("the dialog runs on %s\n", ownThread ? "a thread of its own" : "the interface thread (the reading had ended)");
  if (ownThread) {
    // The frame takes its messages (the reading's among them) meanwhile.
    EXPECT_TRUE(program.FrameAnswers());
  }
  ASSERT_TRUE(ChangeThreeSettings(dialog));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_OK));
  ASSERT_TRUE(program.WaitUntil([] { return Stored().oneVoice; }, "the settings saved"));
  EXPECT_EQ(Stored().autoSavePeriod, 12);
  // Cancel on a thread changes nothing either.
  if (ownThread) {
    dialog = OpenPreferences();
    ASSERT_NE(dialog, nullptr);
    bool oneVoice = true;
    ASSERT_TRUE(program.ClickDialogCheckBox(PageHolding(dialog, IDC_PREF_ONE_VOICE), IDC_PREF_ONE_VOICE, &oneVoice));
    ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_CANCEL));
    ASSERT_TRUE(program.StaysQuiet(300));
    EXPECT_TRUE(Stored().oneVoice);
  }
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"prefsread") == 1; }, "the page", kPageOpenTimeoutMs));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, AReadingOptionChangedThereChangesTheNextRead) {
  // Handwritten music is read with the stave-paper notice at its start.
  LoadGlobalSettings();
  Global().showDottedStavesWarning = true;
  Global().showHandwrittenWarning = false;
  SaveGlobalSettings();
  ASSERT_TRUE(StartQuietly());
  HWND dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  bool handwritten = false;
  HWND reading = PageHolding(dialog, IDC_PREF_ONE_VOICE);
  ASSERT_TRUE(program.ClickDialogCheckBox(reading, IDC_PREF_HANDWRITTEN, &handwritten));
  ASSERT_TRUE(handwritten);
  // Reading handwritten music offers no text options.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(reading, IDC_PREF_ADVANCED)));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_OK));

  ASSERT_TRUE(OpenByDde(CopyPageTiff(u"handread.tif")));
  HWND notice = program.WaitForDialog(kPageOpenTimeoutMs);
  ASSERT_NE(notice, nullptr);
  bool found = false;
  for (const ProgramBox& box : program.Boxes())
    if (box.window == notice) found = box.caption == kPaperNoticeCaption;
  EXPECT_TRUE(found) << "the reading of the next page is one of handwritten music";
  // The engraved page read as handwriting is not this case's matter.
  program.Kill();
}

TEST_F(Preferences, TheResolutionQuestionRefusesWhatMusicCannotBeReadAt) {
  General().autoReadAlways = false;  // a blank page: nothing to read
  SaveGeneralSettings();
  ASSERT_TRUE(StartQuietly());
  const std::u16string page = WritePageWithoutResolution(u"nodpi.tif");
  ASSERT_FALSE(page.empty());
  ASSERT_TRUE(OpenByDde(page));
  HWND dialog = program.WaitForDialog(kPageOpenTimeoutMs);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(GetDlgItem(dialog, IDC_RESOLUTION_VALUE), nullptr) << "the resolution question";
  ExpectWindowMatchesReference(dialog, "scan-resolution");
  bool other = false;
  ASSERT_TRUE(program.ClickDialogCheckBox(dialog, IDC_RESOLUTION_OTHER, &other));
  for (const char16_t* refused : {u"0", u"10000"}) {
    SCOPED_TRACE(Narrow(refused));
    ASSERT_TRUE(program.SetDialogText(dialog, IDC_RESOLUTION_VALUE, refused));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESOLUTION_OK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_RESOLUTION_OK)));
    HWND refusal = nullptr;
    ASSERT_TRUE(Poll([&] { return (refusal = BoxSaying(program, kResolutionRefused)) != nullptr; })) << "string 10135";
    ASSERT_TRUE(program.PressDialogButton(refusal, IDOK));
    EXPECT_TRUE(IsWindow(dialog)) << "asked again, the page kept";
    EXPECT_EQ(PagesNamed(u"nodpi"), 0);
  }
  ASSERT_TRUE(program.SetDialogText(dialog, IDC_RESOLUTION_VALUE, u"300"));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_RESOLUTION_OK));
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"nodpi") == 1; }, "the page stored", kPageOpenTimeoutMs));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, TheResolutionQuestionCancelledOpensNothing) {
  General().autoReadAlways = false;
  SaveGeneralSettings();
  ASSERT_TRUE(StartQuietly());
  const std::u16string page = WritePageWithoutResolution(u"nodpicancel.tif");
  ASSERT_FALSE(page.empty());
  ASSERT_TRUE(OpenByDde(page));
  HWND dialog = program.WaitForDialog(kPageOpenTimeoutMs);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(program.PressDialogButton(dialog, IDCANCEL));
  ASSERT_TRUE(program.StaysQuiet(500));
  EXPECT_LE(PagesNamed(u"nodpicancel"), 0);
  ASSERT_TRUE(ExitCleanly());
}

// The notices' "Show this next time": unticked, the notice stays away from
// then on, also after a restart.
TEST_F(Preferences, TheStartupNoticeUntickedStaysAway) {
  LoadGlobalSettings();
  Global().showStartupDialog = true;
  SaveGlobalSettings();
  ASSERT_TRUE(program.Start());
  HWND notice = program.WaitForDialog();
  ASSERT_NE(notice, nullptr);
  ASSERT_NE(GetDlgItem(notice, IDC_STARTUP_CONTINUE), nullptr) << "the start-up notice";
  EXPECT_TRUE(program.IsDialogBoxChecked(notice, IDC_SHOW_NEXT_TIME));
  bool checked = true;
  ASSERT_TRUE(program.ClickDialogCheckBox(notice, IDC_SHOW_NEXT_TIME, &checked));
  EXPECT_FALSE(checked);
  ASSERT_TRUE(program.PressDialogButton(notice, IDC_STARTUP_CONTINUE));
  ASSERT_TRUE(program.WaitForFrame());
  ASSERT_TRUE(ExitCleanly());
  LoadGlobalSettings();
  EXPECT_FALSE(Global().showStartupDialog);
  ASSERT_TRUE(StartQuietly());  // no notice: any box fails the start
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Preferences, TheHandwritingNoticeComesWhenHandwritingIsChosenUntilUnticked) {
  LoadGlobalSettings();
  Global().showHandwrittenWarning = true;
  SaveGlobalSettings();
  ASSERT_TRUE(StartQuietly());
  HWND dialog = OpenPreferences();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(program.ClickDialogCheckBox(PageHolding(dialog, IDC_PREF_ONE_VOICE), IDC_PREF_HANDWRITTEN));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREFS_OK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PREFS_OK)));
  HWND notice = nullptr;
  ASSERT_TRUE(Poll([&] {
    for (const ProgramBox& box : program.Boxes())
      if (GetDlgItem(box.window, IDC_HANDWRITING_TIPS)) notice = box.window;
    return notice != nullptr;
  })) << "the handwriting notice before handwriting is first read";
  EXPECT_TRUE(program.IsDialogBoxChecked(notice, IDC_SHOW_NEXT_TIME));
  bool checked = true;
  ASSERT_TRUE(program.ClickDialogCheckBox(notice, IDC_SHOW_NEXT_TIME, &checked));
  EXPECT_FALSE(checked);
  ASSERT_TRUE(program.PressDialogButton(notice, IDOK));
  ASSERT_TRUE(Poll([dialog] { return !IsWindow(dialog); })) << "the Preferences closed";
  ASSERT_TRUE(ExitCleanly());
  LoadGlobalSettings();
  EXPECT_FALSE(Global().showHandwrittenWarning);
}

namespace {

// The reading options before a page is read by the Read command, while
// "D&isplay these options before reading" is ticked: Cancel reads nothing and
// keeps the settings; "R&ead" keeps the changed options and reads the page.
class ReadingOptions : public StaveEditingCase {
 protected:
  void SetUp() override {
    StaveEditingCase::SetUp();
    General().quickPrefs = true;
    General().autoReadAlways = false;  // the page waits for the Read command
    SaveGeneralSettings();
  }
  // Read > Place at End on the shown page: the options, on their reading
  // page alone, with their one-voice box clicked.
  HWND AskToRead() {
    if (!program.PostCommand(IDM_READ_PLACE_AT_END)) return nullptr;
    HWND dialog = program.WaitForDialog();
    HWND reading = dialog ? PageHolding(dialog, IDC_PREF_ONE_VOICE) : nullptr;
    if (!reading || !Poll([&] { return PageShown(dialog, IDC_PREF_ONE_VOICE); })) {
      ADD_FAILURE() << "the reading options";
      return nullptr;
    }
    EXPECT_EQ(TabCount(dialog), 1);
    EXPECT_EQ(EditText(dialog, IDC_PREFS_OK), u"R&ead");
    return program.ClickDialogCheckBox(reading, IDC_PREF_ONE_VOICE) ? dialog : nullptr;
  }
};

TEST_F(ReadingOptions, CancelReadsNothingAndReadReadsWithTheOptions) {
  const std::u16string tiff = CopyPageTiff(u"optionsread.tif");
  const bool oneVoice = General().readOneVoiceOnly;
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  PageRecord record;
  HWND view = nullptr;
  ASSERT_TRUE(OpenAndShowPage(dde, tiff, u"optionsread", &record, &view));
  ASSERT_TRUE(FrameAnswersAfterLocating());

  HWND dialog = AskToRead();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_CANCEL));
  ASSERT_TRUE(program.StaysQuiet(1000));
  ASSERT_TRUE(PageNamed(u"optionsread", &record));
  EXPECT_EQ(record.state, kPageNotRead) << "Cancel reads nothing";
  EXPECT_NE(PageView(program.FrameWindow()), nullptr) << "the page stays shown";
  EXPECT_EQ(Stored().oneVoice, oneVoice) << "Cancel keeps the settings";

  dialog = AskToRead();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(program.PressDialogButton(dialog, IDC_PREFS_OK));
  EXPECT_TRUE(program.WaitUntil([&] { return PageNamed(u"optionsread", &record) && record.state == kPageRead; },
                                "the page read", kPageOpenTimeoutMs));
  EXPECT_EQ(Stored().oneVoice, !oneVoice) << "the options kept";
  ASSERT_TRUE(ExitCleanly());
}

}  // namespace
