// The Preferences dialog's controls addressed by item number (1 to 46), and
// the two copies between them and the "General settings": Fill shows the
// settings, Apply takes the controls back, then saves the section.
//
// The dialog's four pages are reached through PrefsControls, so the same
// table serves the Windows dialog, a snapshot of its controls taken on
// another thread, and the tests. Controls are addressed by page and id: two
// pages hold controls of the same id (1064, 1071).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "resources/ResourceIds.h"

// The pages: the dialog templates 301 to 304.
enum PrefsPage : int { kPrefsScanningPage = 0, kPrefsReadingPage = 1, kPrefsEditingPage = 2, kPrefsAdvancedPage = 3 };
constexpr int kPrefsPageCount = 4;
constexpr int kPrefsFirstPageTemplate = IDD_PREFS_SCANNING;

enum PrefsControlKind : int { kPrefsCheck = 0, kPrefsCombo = 1, kPrefsTrackBar = 2, kPrefsText = 3, kPrefsOther = 4 };

constexpr int kPrefsFirstItem = 1, kPrefsLastItem = 46;

// Check box states as the dialog reports them.
constexpr int kBoxUnchecked = 0, kBoxChecked = 1, kBoxIndeterminate = 2;

// The controls that carry settings (the page and id of each item).
enum PrefsControlId : int {
  kCtlDragByDragging = IDC_PREF_DRAG_BY_DRAGGING,
  kCtlDragByShift = IDC_PREF_DRAG_BY_SHIFT,
  kCtlSkinCadenzor = IDC_PREF_SKIN_CADENZOR,
  kCtlSkinR8 = IDC_PREF_SKIN_R8,
  kCtlKeypadKorvalinde = IDC_PREF_KEYPAD_KORVALINDE,
  kCtlKeypadCadenzor = IDC_PREF_KEYPAD_CADENZOR,
  kCtlArticulations = IDC_PREF_ARTICULATIONS,
  kCtlChordDiagrams = IDC_PREF_CHORD_DIAGRAMS,
  kCtlAttachScan = IDC_PREF_ATTACH_SCAN,
  kCtlAntiAliased = IDC_PREF_ANTI_ALIASED,
  kCtlPageMargins = IDC_PREF_PAGE_MARGINS,
  kCtlSlurs = IDC_PREF_SLURS,
  kCtlText = IDC_PREF_TEXT,
  kCtlAdvanced = IDC_PREF_ADVANCED,
  kCtlMakeLevel = IDC_PREF_MAKE_LEVEL,      // scanning page
  kCtlHandwritten = IDC_PREF_HANDWRITTEN,   // reading page
  kCtlOneVoice = IDC_PREF_ONE_VOICE,
  kCtlAppoggiaturas = IDC_PREF_APPOGGIATURAS,
  kCtlTuplets = IDC_PREF_TUPLETS,
  kCtlHandwrittenBeams = IDC_PREF_HANDWRITTEN_BEAMS,
  kCtlNarrowStrokes = IDC_PREF_NARROW_STROKES,
  kCtlQuickPrefs = IDC_PREF_QUICK_PREFS,
  kCtlReadAfterScan = IDC_PREF_READ_AFTER_SCAN,  // scanning page
  kCtlTransposing = IDC_PREF_TRANSPOSING,        // reading page
  kCtlPromptBeforeScan = IDC_PREF_PROMPT_BEFORE_SCAN,
  kCtlScanQuickly = IDC_PREF_SCAN_QUICKLY,
  kCtlSplash = IDC_PREF_SPLASH,
  kCtlAutomaticScanning = IDC_PREF_AUTOMATIC_SCANNING,
  kCtlOwnScanning = IDC_PREF_OWN_SCANNING,
  kCtlTwainScanning = IDC_PREF_TWAIN_SCANNING,
  kCtlScanner = IDC_PREF_SCANNER,
  kCtlAutoSavePeriod = IDC_PREF_AUTO_SAVE_PERIOD,
};

// Item -> control id, with its page and kind; -1 for all three when the
// item has no control (also outside 1..46).
int PrefsControlInfo(int item, int* page, int* kind);

// What Fill and Apply need of the dialog's controls.
class PrefsControls {
 public:
  virtual ~PrefsControls() = default;
  virtual int CheckState(int page, int id) const = 0;        // kBox...
  virtual void SetCheckState(int page, int id, int state) = 0;
  virtual int ComboSelection(int page, int id) const = 0;    // -1 without one
  virtual int ComboCount(int page, int id) const = 0;
  virtual std::u16string ComboEntry(int page, int id, int index) const = 0;
  virtual int TrackPosition(int page, int id) const = 0;
  virtual void SetTrackPosition(int page, int id, int position) = 0;
  virtual std::u16string Text(int page, int id) const = 0;
  virtual void SetText(int page, int id, const std::u16string& text) = 0;
  virtual bool IsEnabled(int page, int id) const = 0;
  virtual void Enable(int page, int id, bool enabled) = 0;
};

// An item's value: a box's state, a combo box's selection, a track bar's
// position; a text field shows the error box and gives 0, as does an item
// without a control.
int Icon_GetSelect(const PrefsControls& controls, int item);
// Sets an item: a box checked when value is not 0 (1060 shows its third,
// indeterminate state for "on"), a track bar's position; a combo box is left
// alone; a text field shows the error box.
void Icon_SetSelect(PrefsControls& controls, int item, int value);
void SetPreferenceControlDisabled(PrefsControls& controls, int item, bool disabled);

// "Ad&vanced..." (item 40) is enabled while text is read (2) and the music
// is not read as handwritten (41): from the settings, or from the boxes.
void EnableAdvancedFromSettings(PrefsControls& controls);
void EnableAdvancedFromBoxes(PrefsControls& controls);

// What Apply changes beyond the settings; a null hook does nothing.
struct PreferenceEffects {
  void (*smoothFonts)(bool on) = nullptr;         // scaled page images drawn anti-aliased or not
  void (*redrawViews)() = nullptr;
  bool (*showHandwritingNotice)() = nullptr;      // before handwritten music is first switched on
  int (*storedPageCount)() = nullptr;
  void (*fitPagesToMargins)() = nullptr;          // margins switched on with pages stored
  void (*keypadSkinChanged)() = nullptr;          // "Use R8 Keypad" changed
  void (*keypadLayoutChanged)(bool korvalinde) = nullptr;
};
void SetPreferenceEffects(const PreferenceEffects& effects);
void ResetPreferenceEffects();

// The instrument-name language chosen in the dialog (0 English, 1 German,
// 4 Italian); Fill sets it from the settings.
uint32_t& DialogInstrumentLanguage();

void FillPreferences(PrefsControls& controls);
void ApplyPreferences(const PrefsControls& controls);
void ApplyInstrumentLanguage();

// The "Auto save period" a text gives: its decimal number, at most 256
// characters read; below 1 (also no number) 5; above kLongestAutoSavePeriod
// that (the longest period a system timer holds: 0x7FFFFFFF ms).
constexpr int32_t kLongestAutoSavePeriod = 35791;
int32_t AutoSavePeriodFromText(const std::u16string& text);
