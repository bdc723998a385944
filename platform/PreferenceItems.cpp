#include "platform/PreferenceItems.h"

#include <climits>

#include "platform/HookTables.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"

namespace {

struct ItemRow {
  int item;
  int page;
  int kind;
  int id;
};

constexpr int S = kPrefsScanningPage, R = kPrefsReadingPage, E = kPrefsEditingPage, A = kPrefsAdvancedPage;
constexpr int C = kPrefsCheck;

constexpr ItemRow kItemRows[] = {
    {1, R, C, kCtlSlurs},
    {2, R, C, kCtlText},
    {4, A, C, kCtlAntiAliased},
    {5, E, C, kCtlAttachScan},
    {16, S, C, kCtlMakeLevel},
    {18, R, C, kCtlArticulations},
    {19, R, C, kCtlAppoggiaturas},
    {20, S, C, kCtlScanQuickly},
    {21, R, C, kCtlOneVoice},
    {22, S, C, kCtlAutomaticScanning},
    {23, S, C, kCtlOwnScanning},
    {24, S, C, kCtlTwainScanning},
    {25, R, C, kCtlTuplets},
    {27, E, C, kCtlDragByDragging},
    {28, E, C, kCtlDragByShift},
    {30, R, C, kCtlQuickPrefs},
    {31, A, C, kCtlSplash},
    {32, S, C, kCtlPromptBeforeScan},
    {33, A, C, kCtlSkinCadenzor},
    {34, A, C, kCtlSkinR8},
    {35, R, C, kCtlChordDiagrams},
    {36, E, C, kCtlPageMargins},
    {37, A, kPrefsText, kCtlAutoSavePeriod},
    {38, S, C, kCtlReadAfterScan},
    {39, S, kPrefsCombo, kCtlScanner},
    {40, R, kPrefsOther, kCtlAdvanced},
    {41, R, C, kCtlHandwritten},
    {42, R, C, kCtlHandwrittenBeams},
    {43, R, C, kCtlNarrowStrokes},
    {44, R, C, kCtlTransposing},
    {45, A, C, kCtlKeypadKorvalinde},
    {46, A, C, kCtlKeypadCadenzor},
};

const ItemRow* FindRow(int item) {
  for (const ItemRow& row : kItemRows)
    if (row.item == item) return &row;
  return nullptr;
}

constexpr char16_t kTextFieldError[] = u"Icon_SetSelect() - cannot update text field with an integer value";
constexpr int32_t kDefaultAutoSavePeriod = 5;
constexpr size_t kAutoSaveTextChars = 256;
constexpr size_t kScannerNameChars = sizeof(GeneralSettings::selectedScanner) / sizeof(char16_t);

PreferenceEffects& Effects() {
  static PreferenceEffects effects;
  return effects;
}

bool On(const PrefsControls& controls, int item) { return Icon_GetSelect(controls, item) != kBoxUnchecked; }
void Show(PrefsControls& controls, int item, bool on) { Icon_SetSelect(controls, item, on ? 1 : 0); }

int ScanningInterfaceItem(uint32_t scanningInterface) {
  return scanningInterface == 1 ? 23 : scanningInterface == 2 ? 24 : 22;
}

// The selected scanner's name, only for a real selection of an enabled list,
// cut to the setting's row.
void TakeSelectedScanner(const PrefsControls& controls) {
  int page = -1, kind = -1;
  const int id = PrefsControlInfo(39, &page, &kind);
  if (!controls.IsEnabled(page, id)) return;
  const int selection = controls.ComboSelection(page, id);
  if (selection < 0 || selection >= controls.ComboCount(page, id)) return;
  CopyTextCut(General().selectedScanner, kScannerNameChars, controls.ComboEntry(page, id, selection).c_str());
}

}  // namespace

int PrefsControlInfo(int item, int* page, int* kind) {
  const ItemRow* row = FindRow(item);
  if (page) *page = row ? row->page : -1;
  if (kind) *kind = row ? row->kind : -1;
  return row ? row->id : -1;
}

int Icon_GetSelect(const PrefsControls& controls, int item) {
  int page = -1, kind = -1;
  const int id = PrefsControlInfo(item, &page, &kind);
  switch (kind) {
    case kPrefsCheck: return controls.CheckState(page, id);
    case kPrefsCombo: return controls.ComboSelection(page, id);
    case kPrefsTrackBar: return controls.TrackPosition(page, id);
    case kPrefsText: ErrorBox(nullptr, kTextFieldError); return 0;
  }
  return 0;
}

void Icon_SetSelect(PrefsControls& controls, int item, int value) {
  int page = -1, kind = -1;
  const int id = PrefsControlInfo(item, &page, &kind);
  switch (kind) {
    case kPrefsCheck: {
      int state = value ? kBoxChecked : kBoxUnchecked;
      if (value && id == kCtlSlurs) state = kBoxIndeterminate;
      controls.SetCheckState(page, id, state);
      break;
    }
    case kPrefsTrackBar: controls.SetTrackPosition(page, id, value); break;
    case kPrefsText: ErrorBox(nullptr, kTextFieldError); break;
  }
}

void SetPreferenceControlDisabled(PrefsControls& controls, int item, bool disabled) {
  int page = -1;
  const int id = PrefsControlInfo(item, &page, nullptr);
  if (id >= 0) controls.Enable(page, id, !disabled);
}

void EnableAdvancedFromSettings(PrefsControls& controls) {
  SetPreferenceControlDisabled(controls, 40, !Unsaved().readText || Unsaved().readHandwritten);
}

void EnableAdvancedFromBoxes(PrefsControls& controls) {
  SetPreferenceControlDisabled(controls, 40, !On(controls, 2) || On(controls, 41));
}

void SetPreferenceEffects(const PreferenceEffects& effects) {
  PreferenceEffects& e = Effects();
  KeepIfSet(e.smoothFonts, effects.smoothFonts);
  KeepIfSet(e.redrawViews, effects.redrawViews);
  KeepIfSet(e.showHandwritingNotice, effects.showHandwritingNotice);
  KeepIfSet(e.storedPageCount, effects.storedPageCount);
  KeepIfSet(e.fitPagesToMargins, effects.fitPagesToMargins);
  KeepIfSet(e.keypadSkinChanged, effects.keypadSkinChanged);
  KeepIfSet(e.keypadLayoutChanged, effects.keypadLayoutChanged);
}

void ResetPreferenceEffects() { Effects() = PreferenceEffects(); }

uint32_t& DialogInstrumentLanguage() {
  static uint32_t language = 0;
  return language;
}

int32_t AutoSavePeriodFromText(const std::u16string& text) {
  const std::u16string head = text.substr(0, kAutoSaveTextChars);
  size_t at = 0;
  while (at < head.size() && (head[at] == u' ' || head[at] == u'\t')) ++at;
  int64_t value = 0;
  for (; at < head.size() && head[at] >= u'0' && head[at] <= u'9'; ++at) {
    value = value * 10 + (head[at] - u'0');
    if (value > kLongestAutoSavePeriod) value = kLongestAutoSavePeriod + 1;  // saturates
  }
  if (value < 1) return kDefaultAutoSavePeriod;
  return value > kLongestAutoSavePeriod ? kLongestAutoSavePeriod : static_cast<int32_t>(value);
}

void FillPreferences(PrefsControls& controls) {
  const GeneralSettings& g = General();
  const UnsavedPreferences& u = Unsaved();
  Show(controls, 1, g.readSlursHairpinsAndTies);
  Show(controls, 18, u.readArticulations);
  Show(controls, 19, u.readAppoggiaturas);
  Show(controls, 35, u.readChordDiagrams);
  Show(controls, 2, u.readText);
  EnableAdvancedFromSettings(controls);
  Show(controls, 41, u.readHandwritten);
  Show(controls, 44, u.transposingScores);
  Show(controls, 42, u.handwrittenBeamsBothWays);
  Show(controls, 43, u.narrowStrokeWidth);
  Show(controls, 16, g.autoRotate);
  Show(controls, 5, g.moveOutputScan);
  Show(controls, 4, g.antiAliaseImage);
  Show(controls, 21, g.readOneVoiceOnly);
  for (int item : {22, 23, 24}) Show(controls, item, item == ScanningInterfaceItem(g.scanningInterface));
  Show(controls, 32, g.waitForUserBeforeScanning);
  Show(controls, 20, g.fasterAutomaticScan);
  Show(controls, 25, u.readTuplets);
  Show(controls, 38, g.autoReadAlways);
  Show(controls, 33, !g.useR8Keypad);
  Show(controls, 34, g.useR8Keypad);
  Show(controls, 46, !g.useKorvalindeKeypad);
  Show(controls, 45, g.useKorvalindeKeypad);
  Show(controls, 36, g.automaticPageMargins);
  DialogInstrumentLanguage() = g.instrumentLanguage;
  Show(controls, 30, g.quickPrefs);
  Show(controls, 27, g.outputDragMode != 1);
  Show(controls, 28, g.outputDragMode == 1);
  Show(controls, 31, g.splashScreen);
  char16_t period[12];
  FormatDecimal(period, static_cast<uint32_t>(g.autoSavePeriod < 0 ? 0 : g.autoSavePeriod));
  int page = -1;
  const int id = PrefsControlInfo(37, &page, nullptr);
  controls.SetText(page, id, period);
}

void ApplyPreferences(const PrefsControls& controls) {
  GeneralSettings& g = General();
  UnsavedPreferences& u = Unsaved();
  const PreferenceEffects& effects = Effects();
  // 1. Scanning automation and the page image's drawing.
  g.autoRotate = On(controls, 16);
  g.moveOutputScan = On(controls, 5);
  g.antiAliaseImage = On(controls, 4);
  if (effects.smoothFonts) effects.smoothFonts(g.antiAliaseImage);
  if (effects.redrawViews) effects.redrawViews();
  // 2. What is read.
  u.readText = On(controls, 2);
  u.readArticulations = On(controls, 18);
  u.readAppoggiaturas = On(controls, 19);
  u.readChordDiagrams = On(controls, 35);
  g.readSlursHairpinsAndTies = On(controls, 1);  // its third state is "on" too
  u.readTuplets = On(controls, 25);
  g.autoReadAlways = On(controls, 38);
  // 3. Handwritten music.
  const bool handwritten = On(controls, 41);
  if (handwritten && !u.readHandwritten && effects.showHandwritingNotice) effects.showHandwritingNotice();
  u.readHandwritten = handwritten;
  u.transposingScores = On(controls, 44);
  u.handwrittenBeamsBothWays = On(controls, 42);
  u.narrowStrokeWidth = On(controls, 43);
  g.readOneVoiceOnly = On(controls, 21);
  // 4. The scanning interface: the last one checked wins.
  if (On(controls, 22)) g.scanningInterface = 0;
  if (On(controls, 23)) g.scanningInterface = 1;
  if (On(controls, 24)) g.scanningInterface = 2;
  g.waitForUserBeforeScanning = On(controls, 32);
  // 5.
  g.fasterAutomaticScan = On(controls, 20);
  const bool margins = On(controls, 36);
  const bool marginsSwitchedOn = margins && !g.automaticPageMargins;
  g.automaticPageMargins = margins;
  if (marginsSwitchedOn && effects.storedPageCount && effects.storedPageCount() > 0 && effects.fitPagesToMargins) {
    effects.fitPagesToMargins();
  }
  // 6.
  TakeSelectedScanner(controls);
  // 7. and 8. The keypad's skin and layout.
  const bool r8 = On(controls, 33) ? false : On(controls, 34) ? true : g.useR8Keypad;
  const bool skinChanged = r8 != g.useR8Keypad;
  g.useR8Keypad = r8;
  if (skinChanged && effects.keypadSkinChanged) effects.keypadSkinChanged();
  const bool korvalinde = On(controls, 45) ? true : On(controls, 46) ? false : g.useKorvalindeKeypad;
  const bool layoutChanged = korvalinde != g.useKorvalindeKeypad;
  g.useKorvalindeKeypad = korvalinde;
  if (layoutChanged && effects.keypadLayoutChanged) effects.keypadLayoutChanged(korvalinde);
  // 9.
  g.quickPrefs = On(controls, 30);
  const bool splash = On(controls, 31);
  if (splash && !g.splashScreen) Global().showStartupDialog = true;
  g.splashScreen = splash;
  // 10.
  if (On(controls, 27)) g.outputDragMode = 0;
  if (On(controls, 28)) g.outputDragMode = 1;
  // 11.
  int page = -1;
  const int id = PrefsControlInfo(37, &page, nullptr);
  g.autoSavePeriod = AutoSavePeriodFromText(controls.Text(page, id));
  SaveGeneralSettings();
}

void ApplyInstrumentLanguage() {
  General().instrumentLanguage = DialogInstrumentLanguage();
  General().instrumentNamesLanguage = DialogInstrumentLanguage();
}
