#include "platform/PreferenceItems.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "platform/StoredPrefsControls.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/platform/SettingsFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

class PreferenceItemsTest : public FreshSettingsTest {
 protected:
  void SetUp() override {
    FreshSettingsTest::SetUp();
    Unsaved() = UnsavedPreferences();
    ResetPreferenceEffects();
  }
  void TearDown() override {
    Unsaved() = UnsavedPreferences();
    ResetPreferenceEffects();
    FreshSettingsTest::TearDown();
  }
  StoredPrefsControls dialog_;
};

// Every setting the dialog shows, as one comparable string.
std::string Settings() {
  const GeneralSettings& g = General();
  const UnsavedPreferences& u = Unsaved();
  std::string s;
  for (bool b : {g.readOneVoiceOnly, g.readSlursHairpinsAndTies, g.autoRotate, g.moveOutputScan, g.antiAliaseImage,
                 g.waitForUserBeforeScanning, g.fasterAutomaticScan, g.quickPrefs, g.autoReadAlways, g.splashScreen,
                 g.useR8Keypad, g.useKorvalindeKeypad, g.automaticPageMargins, u.readText, u.readArticulations,
                 u.readAppoggiaturas, u.readTuplets, u.readChordDiagrams, u.readHandwritten, u.transposingScores,
                 u.handwrittenBeamsBothWays, u.narrowStrokeWidth, Global().showStartupDialog})
    s += b ? '1' : '0';
  for (uint32_t n : {g.instrumentLanguage, g.scanningInterface, g.outputDragMode, g.midiPlaybackDevice,
                     static_cast<uint32_t>(g.autoSavePeriod)})
    s += " " + std::to_string(n);
  return s + " " + U8(g.selectedScanner);
}

void FlipEveryOption() {
  GeneralSettings& g = General();
  UnsavedPreferences& u = Unsaved();
  for (bool* b : {&g.readOneVoiceOnly, &g.readSlursHairpinsAndTies, &g.autoRotate, &g.moveOutputScan,
                  &g.antiAliaseImage, &g.waitForUserBeforeScanning, &g.fasterAutomaticScan, &g.quickPrefs,
                  &g.autoReadAlways, &g.useR8Keypad, &g.useKorvalindeKeypad, &g.automaticPageMargins, &u.readText,
                  &u.readArticulations, &u.readAppoggiaturas, &u.readTuplets, &u.readChordDiagrams,
                  &u.readHandwritten, &u.transposingScores, &u.handwrittenBeamsBothWays, &u.narrowStrokeWidth})
    *b = !*b;
  g.outputDragMode = 1;
  g.autoSavePeriod = 17;
  g.instrumentLanguage = g.instrumentNamesLanguage = 4;
  Global().showStartupDialog = false;
}

}  // namespace

TEST_F(PreferenceItemsTest, FillThenApplyWithNoChangeLeavesEverySettingAsItWas) {
  struct Case {
    const char* name;
    void (*prepare)();
  } cases[] = {
      {"defaults", [] {}},
      {"every option flipped", FlipEveryOption},
      {"own scanning interface", [] { General().scanningInterface = 1; }},
      {"TWAIN", [] { General().scanningInterface = 2; }},
      {"a scanner chosen", [] { CopyTextCut(General().selectedScanner, 256, u"Flatbed A"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    General() = GeneralSettings();
    Unsaved() = UnsavedPreferences();
    Global() = GlobalSettings();
    c.prepare();
    const std::string before = Settings();
    StoredPrefsControls dialog;
    FillPreferences(dialog);
    ApplyPreferences(dialog);
    EXPECT_EQ(Settings(), before);
    // And what was saved is what is held.
    LoadGeneralSettings();
    EXPECT_EQ(General().readOneVoiceOnly, before[0] == '1');
    EXPECT_EQ(General().quickPrefs, before[7] == '1');
  }
}

TEST_F(PreferenceItemsTest, TheFiveRowsAddressTheirControlsAndRoundTrip) {
  struct Row {
    int item, page, id;
    bool* setting;
  } rows[] = {
      {4, kPrefsAdvancedPage, 1053, &General().antiAliaseImage},
      {21, kPrefsReadingPage, 1065, &General().readOneVoiceOnly},
      {30, kPrefsReadingPage, 1070, &General().quickPrefs},
      {32, kPrefsScanningPage, 1089, &General().waitForUserBeforeScanning},
      {43, kPrefsReadingPage, 1069, &Unsaved().narrowStrokeWidth},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.item);
    int page = -1, kind = -1;
    EXPECT_EQ(PrefsControlInfo(r.item, &page, &kind), r.id);
    EXPECT_EQ(page, r.page);
    EXPECT_EQ(kind, kPrefsCheck);
    for (bool value : {true, false}) {
      *r.setting = value;
      StoredPrefsControls dialog;
      FillPreferences(dialog);
      EXPECT_EQ(dialog.CheckState(r.page, r.id), value ? kBoxChecked : kBoxUnchecked);
      dialog.SetCheckState(r.page, r.id, value ? kBoxUnchecked : kBoxChecked);  // the user's click
      ApplyPreferences(dialog);
      EXPECT_EQ(*r.setting, !value);
    }
  }
  LoadGeneralSettings();
  EXPECT_EQ(regtest::GetText(platform::reg::kCurrentUser, regtest::kGeneralPath, u"Quick Prefs"), u"True");
}

TEST_F(PreferenceItemsTest, TheSelectedScannerIsTakenOnlyFromARealSelectionAndCut) {
  const std::u16string longName(300, u'x');
  struct Case {
    const char* name;
    int selection;
    bool enabled;
    std::u16string expected;
  } cases[] = {
      {"no selection (CB_ERR)", -1, true, u"Old"},
      {"selection past the list", 3, true, u"Old"},
      {"selection far past the list", 254, true, u"Old"},
      {"the list disabled", 1, false, u"Old"},
      {"the second scanner", 1, true, u"Flatbed B"},
      {"a name longer than the row", 2, true, longName.substr(0, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CopyTextCut(General().selectedScanner, 256, u"Old");
    StoredPrefsControls dialog;
    FillPreferences(dialog);
    StoredPrefsControls::Control& list = dialog.At(kPrefsScanningPage, kCtlScanner);
    list.entries = {u"Flatbed A", u"Flatbed B", longName};
    list.selection = c.selection;
    list.enabled = c.enabled;
    ApplyPreferences(dialog);
    EXPECT_EQ(std::u16string(General().selectedScanner), c.expected);
  }
}

TEST_F(PreferenceItemsTest, TheAutoSavePeriodIsADecimalNumberKeptInBounds) {
  struct Case {
    std::u16string text;
    int32_t period;
  } cases[] = {
      {u"12", 12},
      {u"0", 5},
      {u"", 5},
      {u"letters", 5},
      {u"-3", 5},
      {u" 7", 7},
      {u"35791", 35791},
      {u"35792", 35791},
      {u"99999999999999999999999", 35791},
      {std::u16string(400, u'9'), 35791},
      {std::u16string(255, u'0') + u"8", 8},  // the 256th character still counts
      {std::u16string(256, u'0') + u"8", 5},  // the 257th does not
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.text.substr(0, 30)));
    StoredPrefsControls dialog;
    FillPreferences(dialog);
    dialog.SetText(kPrefsAdvancedPage, kCtlAutoSavePeriod, c.text);
    ApplyPreferences(dialog);
    EXPECT_EQ(General().autoSavePeriod, c.period);
  }
}

TEST_F(PreferenceItemsTest, ControlGuards) {
  // The three-state slurs box shows "on" as its third state and stores a truth value.
  General().readSlursHairpinsAndTies = true;
  FillPreferences(dialog_);
  EXPECT_EQ(dialog_.CheckState(kPrefsReadingPage, kCtlSlurs), kBoxIndeterminate);
  ApplyPreferences(dialog_);
  EXPECT_TRUE(General().readSlursHairpinsAndTies);
  EXPECT_EQ(regtest::GetText(platform::reg::kCurrentUser, regtest::kGeneralPath, u"Read slurs, hairpins and ties"), u"True");
  dialog_.SetCheckState(kPrefsReadingPage, kCtlSlurs, kBoxChecked);
  ApplyPreferences(dialog_);
  EXPECT_TRUE(General().readSlursHairpinsAndTies);
  dialog_.SetCheckState(kPrefsReadingPage, kCtlSlurs, kBoxUnchecked);
  ApplyPreferences(dialog_);
  EXPECT_FALSE(General().readSlursHairpinsAndTies);

  // 1064 and 1071 are two controls each, one on the scanning and one on the reading page.
  struct SharedId {
    int page, id;
    bool* setting;
  } shared[] = {
      {kPrefsScanningPage, 1064, &General().autoRotate},
      {kPrefsReadingPage, 1064, &Unsaved().readHandwritten},
      {kPrefsScanningPage, 1071, &General().autoReadAlways},
      {kPrefsReadingPage, 1071, &Unsaved().transposingScores},
  };
  for (const SharedId& s : shared) {
    SCOPED_TRACE(s.page * 10000 + s.id);
    General() = GeneralSettings();
    Unsaved() = UnsavedPreferences();
    General().autoRotate = General().autoReadAlways = false;
    StoredPrefsControls dialog;
    FillPreferences(dialog);
    dialog.SetCheckState(s.page, s.id, kBoxChecked);
    ApplyPreferences(dialog);
    for (const SharedId& other : shared) EXPECT_EQ(*other.setting, &other == &s);
  }

  // Items without a control, and a text field asked for a number.
  for (int item : {0, 3, 6, 26, 29, 47, -1}) EXPECT_EQ(PrefsControlInfo(item, nullptr, nullptr), -1) << item;
  BoxRecorder boxes;
  EXPECT_EQ(Icon_GetSelect(dialog_, 37), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Icon_SetSelect() - cannot update text field with an integer value");
  EXPECT_EQ(Icon_GetSelect(dialog_, 3), 0);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(PreferenceItemsTest, AdvancedReadingOptionsAreOfferedOnlyForPrintedMusicWithText) {
  struct Case {
    bool text, handwritten, enabled;
  } cases[] = {{false, false, false}, {true, false, true}, {true, true, false}, {false, true, false}};
  for (const Case& c : cases) {
    Unsaved().readText = c.text;
    Unsaved().readHandwritten = c.handwritten;
    StoredPrefsControls dialog;
    FillPreferences(dialog);
    EXPECT_EQ(dialog.IsEnabled(kPrefsReadingPage, kCtlAdvanced), c.enabled);
    // The boxes, as the user ticks them, decide the same way.
    dialog.SetCheckState(kPrefsReadingPage, kCtlText, kBoxUnchecked);
    EnableAdvancedFromBoxes(dialog);
    EXPECT_FALSE(dialog.IsEnabled(kPrefsReadingPage, kCtlAdvanced));
    dialog.SetCheckState(kPrefsReadingPage, kCtlText, kBoxChecked);
    EnableAdvancedFromBoxes(dialog);
    EXPECT_EQ(dialog.IsEnabled(kPrefsReadingPage, kCtlAdvanced), !c.handwritten);
  }
}

TEST_F(PreferenceItemsTest, SwitchingTheSplashOnAlsoShowsTheStartupNoticeAgain) {
  for (bool from : {false, true}) {
    for (bool to : {false, true}) {
      General().splashScreen = from;
      Global().showStartupDialog = false;
      StoredPrefsControls dialog;
      FillPreferences(dialog);
      dialog.SetCheckState(kPrefsAdvancedPage, kCtlSplash, to ? kBoxChecked : kBoxUnchecked);
      ApplyPreferences(dialog);
      EXPECT_EQ(General().splashScreen, to);
      EXPECT_EQ(Global().showStartupDialog, to && !from) << from << to;
    }
  }
}

TEST_F(PreferenceItemsTest, ApplyTellsTheViewsWhatChanged) {
  static int notices, skins, layouts, fits;
  static bool smooth, layout;
  notices = skins = layouts = fits = 0;
  PreferenceEffects effects;
  effects.smoothFonts = [](bool on) { smooth = on; };
  effects.showHandwritingNotice = [] { return ++notices > 0; };
  effects.storedPageCount = [] { return 2; };
  effects.fitPagesToMargins = [] { ++fits; };
  effects.keypadSkinChanged = [] { ++skins; };
  effects.keypadLayoutChanged = [](bool on) { ++layouts, layout = on; };
  SetPreferenceEffects(effects);
  General().automaticPageMargins = false;
  FillPreferences(dialog_);
  ApplyPreferences(dialog_);
  EXPECT_EQ(notices + skins + layouts + fits, 0) << "nothing changed";
  EXPECT_TRUE(smooth);

  dialog_.SetCheckState(kPrefsReadingPage, kCtlHandwritten, kBoxChecked);
  dialog_.SetCheckState(kPrefsEditingPage, kCtlPageMargins, kBoxChecked);
  dialog_.SetCheckState(kPrefsAdvancedPage, kCtlSkinCadenzor, kBoxUnchecked);
  dialog_.SetCheckState(kPrefsAdvancedPage, kCtlSkinR8, kBoxChecked);
  dialog_.SetCheckState(kPrefsAdvancedPage, kCtlKeypadCadenzor, kBoxUnchecked);
  dialog_.SetCheckState(kPrefsAdvancedPage, kCtlKeypadKorvalinde, kBoxChecked);
  dialog_.SetCheckState(kPrefsAdvancedPage, kCtlAntiAliased, kBoxUnchecked);
  ApplyPreferences(dialog_);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(fits, 1);
  EXPECT_EQ(skins, 1);
  EXPECT_EQ(layouts, 1);
  EXPECT_TRUE(layout);
  EXPECT_FALSE(smooth);
  EXPECT_TRUE(General().useR8Keypad && General().useKorvalindeKeypad && Unsaved().readHandwritten);
  ApplyPreferences(dialog_);
  EXPECT_EQ(notices + skins + layouts + fits, 4) << "a second OK changes nothing more";
}

TEST_F(PreferenceItemsTest, ASnapshotOfTheControlsAppliesAsTheControlsDo) {
  FlipEveryOption();
  FillPreferences(dialog_);
  dialog_.At(kPrefsScanningPage, kCtlScanner).entries = {u"A", u"B"};
  dialog_.At(kPrefsScanningPage, kCtlScanner).selection = 1;
  dialog_.SetCheckState(kPrefsReadingPage, kCtlOneVoice, kBoxUnchecked);
  const StoredPrefsControls snapshot = StoredPrefsControls::Capture(dialog_);
  ApplyPreferences(dialog_);
  const std::string direct = Settings();
  General() = GeneralSettings();
  Unsaved() = UnsavedPreferences();
  General().instrumentLanguage = General().instrumentNamesLanguage = 4;  // not the dialog's to change
  ApplyPreferences(snapshot);
  EXPECT_EQ(Settings(), direct);
  EXPECT_EQ(std::u16string(General().selectedScanner), u"B");
}
