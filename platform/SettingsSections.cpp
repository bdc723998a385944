// The two settings sections: every value, its default and the order in which
// each section is loaded and saved.
#include <cstring>
#include <string>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/ScannerProbe.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "platform/TextUtils.h"

using platform::reg::Key;

namespace {

namespace name {
constexpr char16_t kGeneralSection[] = u"General settings";
constexpr char16_t kReadInOneVoiceOnly[] = u"Read in one voice only";
constexpr char16_t kReadSlursHairpinsAndTies[] = u"Read slurs, hairpins and ties";
constexpr char16_t kAutoRotate[] = u"Auto rotate";
constexpr char16_t kMoveOutputScan[] = u"Move output scan";
constexpr char16_t kAntiAliaseImage[] = u"Anti aliase image";
constexpr char16_t kInstrumentLanguage[] = u"Instrument language";
constexpr char16_t kScanningInterface[] = u"Scanning interface";
constexpr char16_t kWaitForUserBeforeScanning[] = u"Wait for user before scanning";
constexpr char16_t kFasterAutomaticScan[] = u"Faster automatic scan 2";
constexpr char16_t kSelectedScanner[] = u"Selected scanner";
constexpr char16_t kScannerResolution[] = u"Scanner resolution";
constexpr char16_t kScannerPixelType[] = u"Scanner pixel type";
constexpr char16_t kOutputDragMode[] = u"Output Drag Mode";
constexpr char16_t kQuickPrefs[] = u"Quick Prefs";
constexpr char16_t kAutoReadAlways[] = u"Auto Read Always";
constexpr char16_t kSplashScreen[] = u"Splash screen";
constexpr char16_t kUseR8Keypad[] = u"Use R8 Keypad";
constexpr char16_t kUseKorvalindeKeypad[] = u"Use Korvalinde Keypad";
constexpr char16_t kAutomaticPageMargins[] = u"Automatic page margins";
constexpr char16_t kAutoSavePeriod[] = u"Auto save period";
constexpr char16_t kMidiPlaybackDevice[] = u"SV MIDI Playback Device";

constexpr char16_t kGlobalSection[] = u"Global settings";
constexpr char16_t kDetailWidth[] = u"Detail width";
constexpr char16_t kDetailHeight[] = u"Detail height";
constexpr char16_t kShowBadTiming[] = u"Show bad timing";
constexpr char16_t kShowAttachment[] = u"Show attachment";
constexpr char16_t kShowVoiceNumbers[] = u"Show voice numbers";
constexpr char16_t kShadeUnhighlightedMusic[] = u"Shade unhighlighted music";
constexpr char16_t kTranslucentWindows[] = u"Translucent Windows";
constexpr char16_t kOpenFilter[] = u"Open Filter";
constexpr char16_t kSaveFilter[] = u"Save Filter";
constexpr char16_t kOpenDirectory[] = u"Open Directory";
constexpr char16_t kSaveDirectory[] = u"Save Directory";
constexpr char16_t kPrintGuitarTabRhythm[] = u"Print guitar tab rhythm";
constexpr char16_t kMainWindowPosition[] = u"Main window position";
constexpr char16_t kShowBppWarning[] = u"Show BPPWarning dialog";
constexpr char16_t kScanningPreviewArea[] = u"Scanning preview area";
constexpr char16_t kPreviewResolution[] = u"Preview resolution";
constexpr char16_t kViewPalette[] = u"View palette";
constexpr char16_t kViewFullDetail[] = u"View full detail";
constexpr char16_t kDetailXOffset[] = u"Detail x-offset";
constexpr char16_t kDetailYOffset[] = u"Detail y-offset";
constexpr char16_t kPaletteXOffset[] = u"Palette x-offset";
constexpr char16_t kPaletteYOffset[] = u"Palette y-offset";
constexpr char16_t kDetailAnchor[] = u"Detail anchor";
constexpr char16_t kPaletteAnchor[] = u"Palette anchor";
constexpr char16_t kScanInGreyShades[] = u"Scan in grey shades";
constexpr char16_t kScanResolution[] = u"Scan resolution";
constexpr char16_t kShowBwWarning[] = u"Show BWWarning dialog";
constexpr char16_t kShowPbWarning[] = u"Show PBWarning dialog";
constexpr char16_t kShowScannedPageWarning[] = u"Show Scanned Page Warning dialog";
constexpr char16_t kShowWin2000ColourWarning[] = u"Show Win2000 256 Colour Warning dialog";
constexpr char16_t kOptimiseMidiForPlayback[] = u"Optimise MIDI for playback";
constexpr char16_t kShowBtWarning[] = u"Show BTWarning dialog";
constexpr char16_t kShowAccuracyWarning[] = u"Show AccuracyWarning dialog";
constexpr char16_t kShowHandwrittenWarning[] = u"Show HandwrittenWarning dialog";
constexpr char16_t kShowDottedStavesWarning[] = u"Show DottedStavesWarning dialog";
constexpr char16_t kShowBadStavesWarning[] = u"Show BadStavesWarning dialog";
constexpr char16_t kShowStartupDialog[] = u"Show startup dialog";
constexpr char16_t kShowProStavesWarning[] = u"Show Pro Staves Warning dialog";
constexpr char16_t kShowPercussionStavesWarning[] = u"Show Percussion Staves Warning dialog";
constexpr char16_t kBracketTuplets[] = u"Bracket tuplets";
constexpr char16_t kRecentFileCount[] = u"Number of recent files";
constexpr char16_t kRecentFileFormat[] = u"Recent file %d";
constexpr char16_t kViewPagesPaneSizeX[] = u"View Pages Pane Size X";
}  // namespace name

constexpr unsigned kStringMyScannedMusic = 10464;

uint32_t ReadNumber(Key key, const char16_t* valueName, uint32_t defaultValue) {
  return ReadRegDword(key, valueName, defaultValue, 0);
}
int32_t ReadSigned(Key key, const char16_t* valueName, int32_t defaultValue) {
  return static_cast<int32_t>(ReadRegDword(key, valueName, static_cast<uint32_t>(defaultValue), 0));
}
void WriteNumber(Key key, const char16_t* valueName, uint32_t value) { WriteRegDword(key, valueName, value, 0); }
void WriteSigned(Key key, const char16_t* valueName, int32_t value) {
  WriteRegDword(key, valueName, static_cast<uint32_t>(value), 0);
}
void ReadText(Key key, const char16_t* valueName, char16_t* out, size_t capacity) {
  CopyTextCut(out, capacity, ReadRegString(key, valueName, u"", 0));
}
// A fixed row is written up to its NUL, or whole when it fills the row.
template <size_t N>
void WriteText(Key key, const char16_t* valueName, const char16_t (&row)[N]) {
  size_t length = 0;
  while (length < N && row[length]) ++length;
  WriteRegString(key, valueName, std::u16string(row, length).c_str(), 0);
}

// ---- Blocks, stored field by field as little-endian 32-bit words ----

void PutWord(uint8_t* out, uint32_t value) {
  for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(value >> (8 * k));
}
uint32_t GetWord(const uint8_t* in) {
  return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

constexpr uint32_t kPlacementBytes = 44;
constexpr uint32_t kRectBytes = 16;

void EncodePlacement(const StoredWindowPlacement& p, uint8_t* out) {
  const uint32_t words[11] = {p.length,
                              p.flags,
                              p.showCommand,
                              static_cast<uint32_t>(p.minX),
                              static_cast<uint32_t>(p.minY),
                              static_cast<uint32_t>(p.maxX),
                              static_cast<uint32_t>(p.maxY),
                              static_cast<uint32_t>(p.normalLeft),
                              static_cast<uint32_t>(p.normalTop),
                              static_cast<uint32_t>(p.normalRight),
                              static_cast<uint32_t>(p.normalBottom)};
  for (int k = 0; k < 11; ++k) PutWord(out + 4 * k, words[k]);
}

StoredWindowPlacement DecodePlacement(const uint8_t* in) {
  StoredWindowPlacement p;
  p.length = GetWord(in);
  p.flags = GetWord(in + 4);
  p.showCommand = GetWord(in + 8);
  int32_t* signedFields[8] = {&p.minX, &p.minY, &p.maxX, &p.maxY,
                              &p.normalLeft, &p.normalTop, &p.normalRight, &p.normalBottom};
  for (int k = 0; k < 8; ++k) *signedFields[k] = static_cast<int32_t>(GetWord(in + 12 + 4 * k));
  return p;
}

void EncodeRect(const StoredRect& r, uint8_t* out) {
  PutWord(out, static_cast<uint32_t>(r.left));
  PutWord(out + 4, static_cast<uint32_t>(r.top));
  PutWord(out + 8, static_cast<uint32_t>(r.right));
  PutWord(out + 12, static_cast<uint32_t>(r.bottom));
}

StoredRect DecodeRect(const uint8_t* in) {
  StoredRect r;
  r.left = static_cast<int32_t>(GetWord(in));
  r.top = static_cast<int32_t>(GetWord(in + 4));
  r.right = static_cast<int32_t>(GetWord(in + 8));
  r.bottom = static_cast<int32_t>(GetWord(in + 12));
  return r;
}

// An empty open or save folder: both become My Documents\My Scanned Music,
// made when missing. Without a My Documents folder they stay as stored.
void ApplyFolderRule(GlobalSettings& s) {
  if (s.openDirectory[0] && s.saveDirectory[0]) return;
  char16_t documents[kFolderChars];
  if (!GetMyDocumentsFolder(documents, kFolderChars)) return;
  char16_t folderName[kFolderChars];
  LoadUiString(kStringMyScannedMusic, folderName, kFolderChars);
  std::u16string folder = std::u16string(documents) + u"\\" + folderName;
  for (char16_t* directory : {s.openDirectory, s.saveDirectory}) {
    CopyTextCut(directory, kFolderChars, folder.c_str());
    FileMakeDir(directory);  // fails harmlessly when it exists
  }
}

void RecentFileValueName(char16_t* out, size_t count, uint32_t row) {
  FormatWide(out, count, name::kRecentFileFormat, static_cast<int>(row));
}

uint32_t ClampedRecentFileCount(uint32_t stored) {
  int32_t count = static_cast<int32_t>(stored);
  if (count < 0) return 0;
  return count > static_cast<int32_t>(kRecentFileRows) ? kRecentFileRows : static_cast<uint32_t>(count);
}

void ResetUnsavedPreferences() {
  UnsavedPreferences& u = Unsaved();
  u.readText = u.readArticulations = u.readAppoggiaturas = u.readTuplets = false;
  u.readChordDiagrams = u.readHandwritten = u.transposingScores = false;
  for (bool& on : u.textClassSwitches) on = false;
}

constexpr uint32_t kReadingLevelAtLoad = 4;

}  // namespace

GeneralSettings& General() {
  static GeneralSettings settings;
  return settings;
}

GlobalSettings& Global() {
  static GlobalSettings settings;
  return settings;
}

UnsavedPreferences& Unsaved() {
  static UnsavedPreferences options;
  return options;
}

uint32_t& SharedReadingLevel() {
  static uint32_t level = 0;
  return level;
}

uint32_t& ReadTextOption() {
  static uint32_t on = 1;
  return on;
}

void LoadGeneralSettings() {
  Key key = OpenSettingsKey(name::kGeneralSection, 1);
  if (!key) {
    Flags().startupAbort = 1;
    return;
  }
  const GeneralSettings defaults;
  GeneralSettings& s = General();
  s.readOneVoiceOnly = ReadRegTruth(key, name::kReadInOneVoiceOnly, defaults.readOneVoiceOnly);
  s.readSlursHairpinsAndTies = ReadRegTruth(key, name::kReadSlursHairpinsAndTies, defaults.readSlursHairpinsAndTies);
  s.autoRotate = ReadRegTruth(key, name::kAutoRotate, defaults.autoRotate);
  s.moveOutputScan = ReadRegTruth(key, name::kMoveOutputScan, defaults.moveOutputScan);
  s.antiAliaseImage = true;
  s.instrumentLanguage = ReadNumber(key, name::kInstrumentLanguage, defaults.instrumentLanguage);
  s.instrumentNamesLanguage = s.instrumentLanguage;
  const uint32_t interfaceDefault = ListSystemScanners(nullptr) ? 0 : 2;
  s.scanningInterface = ReadNumber(key, name::kScanningInterface, interfaceDefault);
  if (s.scanningInterface == 0) s.scanningInterface = 1;
  s.waitForUserBeforeScanning = true;
  s.fasterAutomaticScan = ReadRegTruth(key, name::kFasterAutomaticScan, defaults.fasterAutomaticScan);
  ReadText(key, name::kSelectedScanner, s.selectedScanner, sizeof s.selectedScanner / sizeof(char16_t));
  s.scannerResolution = ReadNumber(key, name::kScannerResolution, defaults.scannerResolution);
  s.scannerPixelType = ReadNumber(key, name::kScannerPixelType, defaults.scannerPixelType);
  s.outputDragMode = ReadNumber(key, name::kOutputDragMode, defaults.outputDragMode);
  s.quickPrefs = ReadRegTruth(key, name::kQuickPrefs, defaults.quickPrefs);
  s.autoReadAlways = ReadRegTruth(key, name::kAutoReadAlways, defaults.autoReadAlways);
  s.splashScreen = ReadRegTruth(key, name::kSplashScreen, defaults.splashScreen);
  const bool r8KeypadDefault = FindR8() && !FindCadenzor();
  s.useR8Keypad = ReadRegTruth(key, name::kUseR8Keypad, r8KeypadDefault);
  s.useKorvalindeKeypad = ReadRegTruth(key, name::kUseKorvalindeKeypad, defaults.useKorvalindeKeypad);
  s.automaticPageMargins = ReadRegTruth(key, name::kAutomaticPageMargins, defaults.automaticPageMargins);
  s.autoSavePeriod = ReadSigned(key, name::kAutoSavePeriod, defaults.autoSavePeriod);
  if (s.autoSavePeriod < 1) s.autoSavePeriod = defaults.autoSavePeriod;
  s.midiPlaybackDevice = ReadNumber(key, name::kMidiPlaybackDevice, defaults.midiPlaybackDevice);
  OpenSettingsKey(nullptr, 1);

  ResetUnsavedPreferences();
  SharedReadingLevel() = kReadingLevelAtLoad;
}

void SaveGeneralSettings() {
  Key key = OpenSettingsKey(name::kGeneralSection, 1);
  if (!key) {
    Flags().startupAbort = 1;
    return;
  }
  const GeneralSettings& s = General();
  WriteRegTruth(key, name::kReadInOneVoiceOnly, s.readOneVoiceOnly);
  WriteRegTruth(key, name::kReadSlursHairpinsAndTies, s.readSlursHairpinsAndTies);
  WriteRegTruth(key, name::kAutoRotate, s.autoRotate);
  WriteRegTruth(key, name::kMoveOutputScan, s.moveOutputScan);
  WriteRegTruth(key, name::kAntiAliaseImage, s.antiAliaseImage);
  WriteNumber(key, name::kInstrumentLanguage, s.instrumentLanguage);
  WriteNumber(key, name::kScanningInterface, s.scanningInterface);
  WriteRegTruth(key, name::kWaitForUserBeforeScanning, s.waitForUserBeforeScanning);
  WriteRegTruth(key, name::kFasterAutomaticScan, s.fasterAutomaticScan);
  WriteText(key, name::kSelectedScanner, s.selectedScanner);
  WriteNumber(key, name::kScannerResolution, s.scannerResolution);
  WriteNumber(key, name::kScannerPixelType, s.scannerPixelType);
  WriteNumber(key, name::kOutputDragMode, s.outputDragMode);
  WriteRegTruth(key, name::kQuickPrefs, s.quickPrefs);
  WriteRegTruth(key, name::kAutoReadAlways, s.autoReadAlways);
  WriteRegTruth(key, name::kSplashScreen, s.splashScreen);
  WriteRegTruth(key, name::kUseR8Keypad, s.useR8Keypad);
  WriteRegTruth(key, name::kUseKorvalindeKeypad, s.useKorvalindeKeypad);
  WriteRegTruth(key, name::kAutomaticPageMargins, s.automaticPageMargins);
  WriteSigned(key, name::kAutoSavePeriod, s.autoSavePeriod);
  WriteNumber(key, name::kMidiPlaybackDevice, s.midiPlaybackDevice);
  OpenSettingsKey(nullptr, 1);
}

void LoadGlobalSettings() {
  Key key = OpenSettingsKey(name::kGlobalSection, 1);
  if (!key) {
    Flags().startupAbort = 1;
    return;
  }
  const GlobalSettings defaults;
  GlobalSettings& s = Global();
  s.detailWidth = ReadSigned(key, name::kDetailWidth, defaults.detailWidth);
  s.detailHeight = ReadSigned(key, name::kDetailHeight, defaults.detailHeight);
  s.showBadTiming = ReadRegTruth(key, name::kShowBadTiming, defaults.showBadTiming);
  s.showAttachment = ReadRegTruth(key, name::kShowAttachment, defaults.showAttachment);
  s.showVoiceNumbers = ReadRegTruth(key, name::kShowVoiceNumbers, defaults.showVoiceNumbers);
  s.shadeUnhighlightedMusic = ReadRegTruth(key, name::kShadeUnhighlightedMusic, defaults.shadeUnhighlightedMusic);
  s.translucentWindows = ReadRegTruth(key, name::kTranslucentWindows, defaults.translucentWindows);
  s.openFilter = static_cast<uint8_t>(ReadNumber(key, name::kOpenFilter, defaults.openFilter));
  s.saveFilter = static_cast<uint8_t>(ReadNumber(key, name::kSaveFilter, defaults.saveFilter));
  ReadText(key, name::kOpenDirectory, s.openDirectory, kFolderChars);
  ReadText(key, name::kSaveDirectory, s.saveDirectory, kFolderChars);
  ApplyFolderRule(s);
  ReadRegTruth(key, name::kPrintGuitarTabRhythm, defaults.printGuitarTabRhythm);
  s.printGuitarTabRhythm = false;  // the menu item starts unchecked in every run

  uint8_t block[kPlacementBytes];
  uint8_t defaultBlock[kPlacementBytes];
  EncodePlacement(defaults.mainWindowPosition, defaultBlock);
  ReadRegBinary(key, name::kMainWindowPosition, block, kPlacementBytes, defaultBlock);
  s.mainWindowPosition = DecodePlacement(block);
  s.showBppWarning = ReadRegTruth(key, name::kShowBppWarning, defaults.showBppWarning);
  EncodeRect(defaults.scanningPreviewArea, defaultBlock);
  ReadRegBinary(key, name::kScanningPreviewArea, block, kRectBytes, defaultBlock);
  s.scanningPreviewArea = DecodeRect(block);

  s.previewResolution = ReadNumber(key, name::kPreviewResolution, defaults.previewResolution);
  s.viewPalette = ReadRegTruth(key, name::kViewPalette, defaults.viewPalette);
  s.viewFullDetail = ReadRegTruth(key, name::kViewFullDetail, defaults.viewFullDetail);
  s.detailXOffset = ReadSigned(key, name::kDetailXOffset, defaults.detailXOffset);
  s.detailYOffset = ReadSigned(key, name::kDetailYOffset, defaults.detailYOffset);
  s.paletteXOffset = ReadSigned(key, name::kPaletteXOffset, defaults.paletteXOffset);
  s.paletteYOffset = ReadSigned(key, name::kPaletteYOffset, defaults.paletteYOffset);
  s.detailAnchor = static_cast<uint8_t>(ReadNumber(key, name::kDetailAnchor, defaults.detailAnchor));
  s.paletteAnchor = static_cast<uint8_t>(ReadNumber(key, name::kPaletteAnchor, defaults.paletteAnchor));
  s.scanInGreyShades = true;
  s.scanResolution = ReadNumber(key, name::kScanResolution, defaults.scanResolution);
  s.showBwWarning = ReadRegTruth(key, name::kShowBwWarning, defaults.showBwWarning);
  s.showPbWarning = ReadRegTruth(key, name::kShowPbWarning, defaults.showPbWarning);
  s.showScannedPageWarning = false;
  s.showWin2000ColourWarning = ReadRegTruth(key, name::kShowWin2000ColourWarning, defaults.showWin2000ColourWarning);
  s.optimiseMidiForPlayback = ReadRegTruth(key, name::kOptimiseMidiForPlayback, defaults.optimiseMidiForPlayback);
  s.showBtWarning = ReadRegTruth(key, name::kShowBtWarning, defaults.showBtWarning);
  s.showAccuracyWarning = ReadRegTruth(key, name::kShowAccuracyWarning, defaults.showAccuracyWarning);
  s.showHandwrittenWarning = ReadRegTruth(key, name::kShowHandwrittenWarning, defaults.showHandwrittenWarning);
  s.showDottedStavesWarning = ReadRegTruth(key, name::kShowDottedStavesWarning, defaults.showDottedStavesWarning);
  s.showBadStavesWarning = ReadRegTruth(key, name::kShowBadStavesWarning, defaults.showBadStavesWarning);
  s.showStartupDialog = ReadRegTruth(key, name::kShowStartupDialog, defaults.showStartupDialog);
  s.showProStavesWarning = ReadRegTruth(key, name::kShowProStavesWarning, defaults.showProStavesWarning);
  s.showPercussionStavesWarning =
      ReadRegTruth(key, name::kShowPercussionStavesWarning, defaults.showPercussionStavesWarning);
  s.bracketTuplets = ReadRegTruth(key, name::kBracketTuplets, defaults.bracketTuplets);

  s.recentFileCount = ClampedRecentFileCount(ReadNumber(key, name::kRecentFileCount, defaults.recentFileCount));
  for (uint32_t row = 0; row < kRecentFileRows; ++row) {
    s.recentFiles[row][0] = 0;
    if (row >= s.recentFileCount) continue;
    char16_t valueName[32];
    RecentFileValueName(valueName, 32, row);
    ReadText(key, valueName, s.recentFiles[row], kRecentFileChars);
  }
  s.viewPagesPaneSizeX = ReadNumber(key, name::kViewPagesPaneSizeX, defaults.viewPagesPaneSizeX);
  OpenSettingsKey(nullptr, 1);
}

void SaveGlobalSettings() {
  Key key = OpenSettingsKey(name::kGlobalSection, 1);
  if (!key) {
    Flags().startupAbort = 1;
    return;
  }
  const GlobalSettings& s = Global();
  WriteSigned(key, name::kDetailWidth, s.detailWidth);
  WriteSigned(key, name::kDetailHeight, s.detailHeight);
  WriteRegTruth(key, name::kShowBadTiming, s.showBadTiming);
  WriteRegTruth(key, name::kShowVoiceNumbers, s.showVoiceNumbers);
  WriteRegTruth(key, name::kShowAttachment, s.showAttachment);
  WriteRegTruth(key, name::kShadeUnhighlightedMusic, s.shadeUnhighlightedMusic);
  WriteRegTruth(key, name::kTranslucentWindows, s.translucentWindows);
  WriteNumber(key, name::kOpenFilter, s.openFilter);
  WriteNumber(key, name::kSaveFilter, s.saveFilter);
  WriteText(key, name::kOpenDirectory, s.openDirectory);
  WriteText(key, name::kSaveDirectory, s.saveDirectory);
  WriteRegTruth(key, name::kPrintGuitarTabRhythm, s.printGuitarTabRhythm);
  uint8_t block[kPlacementBytes];
  EncodePlacement(s.mainWindowPosition, block);
  WriteRegBinary(key, name::kMainWindowPosition, block, kPlacementBytes);
  WriteRegTruth(key, name::kShowBppWarning, s.showBppWarning);
  EncodeRect(s.scanningPreviewArea, block);
  WriteRegBinary(key, name::kScanningPreviewArea, block, kRectBytes);
  WriteNumber(key, name::kPreviewResolution, s.previewResolution);
  WriteRegTruth(key, name::kViewPalette, s.viewPalette);
  WriteRegTruth(key, name::kViewFullDetail, s.viewFullDetail);
  WriteSigned(key, name::kDetailXOffset, s.detailXOffset);
  WriteSigned(key, name::kDetailYOffset, s.detailYOffset);
  WriteNumber(key, name::kDetailAnchor, s.detailAnchor);
  WriteSigned(key, name::kPaletteXOffset, s.paletteXOffset);
  WriteSigned(key, name::kPaletteYOffset, s.paletteYOffset);
  WriteNumber(key, name::kPaletteAnchor, s.paletteAnchor);
  WriteRegTruth(key, name::kScanInGreyShades, s.scanInGreyShades);
  WriteNumber(key, name::kScanResolution, s.scanResolution);
  WriteRegTruth(key, name::kShowStartupDialog, s.showStartupDialog);
  WriteRegTruth(key, name::kShowBwWarning, s.showBwWarning);
  WriteRegTruth(key, name::kShowPbWarning, s.showPbWarning);
  WriteRegTruth(key, name::kShowScannedPageWarning, s.showScannedPageWarning);
  WriteRegTruth(key, name::kShowProStavesWarning, s.showProStavesWarning);
  WriteRegTruth(key, name::kShowPercussionStavesWarning, s.showPercussionStavesWarning);
  WriteRegTruth(key, name::kShowWin2000ColourWarning, s.showWin2000ColourWarning);
  WriteRegTruth(key, name::kOptimiseMidiForPlayback, s.optimiseMidiForPlayback);
  WriteRegTruth(key, name::kShowBtWarning, s.showBtWarning);
  WriteRegTruth(key, name::kShowAccuracyWarning, s.showAccuracyWarning);
  WriteRegTruth(key, name::kShowHandwrittenWarning, s.showHandwrittenWarning);
  WriteRegTruth(key, name::kShowDottedStavesWarning, s.showDottedStavesWarning);
  WriteRegTruth(key, name::kShowBadStavesWarning, s.showBadStavesWarning);
  WriteRegTruth(key, name::kBracketTuplets, s.bracketTuplets);
  const uint32_t count = ClampedRecentFileCount(s.recentFileCount);
  WriteNumber(key, name::kRecentFileCount, count);
  for (uint32_t row = 0; row < count; ++row) {
    char16_t valueName[32];
    RecentFileValueName(valueName, 32, row);
    WriteText(key, valueName, s.recentFiles[row]);
  }
  WriteNumber(key, name::kViewPagesPaneSizeX, s.viewPagesPaneSizeX);
  OpenSettingsKey(nullptr, 1);
}
