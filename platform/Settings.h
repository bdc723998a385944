// The per-user settings in the registry: a small store (open a section key,
// read a value with a default that is written back when it is missing, write
// a value) and the two sections, "General settings" and "Global settings",
// loaded at start-up and saved at exit. Truth values are stored as "True" and
// "False", numbers as REG_DWORD, blocks as REG_BINARY.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Registry.h"

// ---- The store ----

// The keys held open while a section is read or written.
struct SettingsKeys {
  platform::reg::Key software = 0;
  platform::reg::Key company = 0;   // "Velmorant"
  platform::reg::Key product = 0;   // "Korvalinde"
  platform::reg::Key settings = 0;  // the fixed settings level
  platform::reg::Key section = 0;
};

// Opens HKEY_CURRENT_USER (perUser 1) or HKEY_LOCAL_MACHINE (0)
// \SOFTWARE\Velmorant\Korvalinde\Settings\<section>, creating what is
// missing, and returns the section key; failures are shown and give 0. A null
// section closes the keys (the section first) and returns 0.
platform::reg::Key OpenSettingsKey(const char16_t* section, int perUser);

constexpr size_t kRegStringChars = 512;  // the shared text buffer: 1024 bytes

// The value as text in a buffer shared by every call (copy it out before the
// next read). A missing value gives the default, which is written back; a
// value that cannot be read for its size or type gives the default and is
// left as it is. The flag is not used.
const char16_t* ReadRegString(platform::reg::Key key, const char16_t* name, const char16_t* defaultText, int flag);
long WriteRegString(platform::reg::Key key, const char16_t* name, const char16_t* text, int flag);
// A REG_DWORD; the default as above.
uint32_t ReadRegDword(platform::reg::Key key, const char16_t* name, uint32_t defaultValue, int flag);
long WriteRegDword(platform::reg::Key key, const char16_t* name, uint32_t value, int flag);
// A REG_BINARY of exactly size bytes into buffer: 0 when it was read.
// Otherwise the default's size bytes go into the buffer; a missing value is
// written from them and the result of that write is returned, any other
// failure is returned as it is.
long ReadRegBinary(platform::reg::Key key, const char16_t* name, void* buffer, uint32_t size, const void* defaultData);
long WriteRegBinary(platform::reg::Key key, const char16_t* name, const void* data, uint32_t size);
// True exactly when the text is "True", compared without regard to case.
bool ReadRegTruth(platform::reg::Key key, const char16_t* name, bool defaultValue);
long WriteRegTruth(platform::reg::Key key, const char16_t* name, bool value);

// ---- The two sections ----

// Each opens its section; when that fails it sets the start-up abort flag
// and returns without touching any setting.
void LoadGeneralSettings();
void SaveGeneralSettings();
void LoadGlobalSettings();
void SaveGlobalSettings();

// "General settings": reading, scanning and interface options. The member
// initialisers are the defaults of the stored values.
struct GeneralSettings {
  bool readOneVoiceOnly = false;           // "Read in one voice only"
  bool readSlursHairpinsAndTies = true;    // "Read slurs, hairpins and ties"
  bool autoRotate = true;                  // "Auto rotate"
  bool moveOutputScan = false;             // "Move output scan"
  bool antiAliaseImage = true;             // written only; true at every load
  uint32_t instrumentLanguage = 0;         // "Instrument language": the current instrument-name language ...
  uint32_t instrumentNamesLanguage = 0;    // ... and its copy held by the instrument-name lists
  uint32_t scanningInterface = 0;          // "Scanning interface": 0 automatic, 1 own, 2 TWAIN
  bool waitForUserBeforeScanning = true;   // written only; true at every load
  bool fasterAutomaticScan = false;        // "Faster automatic scan 2"
  char16_t selectedScanner[256] = {};      // "Selected scanner", at most 255 characters
  uint32_t scannerResolution = 300;        // "Scanner resolution"
  uint32_t scannerPixelType = 1;           // "Scanner pixel type"
  uint32_t outputDragMode = 0;             // "Output Drag Mode"
  bool quickPrefs = true;                  // "Quick Prefs"
  bool autoReadAlways = true;              // "Auto Read Always"
  bool splashScreen = true;                // "Splash screen"
  bool useR8Keypad = false;                // "Use R8 Keypad"
  bool useKorvalindeKeypad = false;        // "Use Korvalinde Keypad"
  bool automaticPageMargins = true;        // "Automatic page margins"
  int32_t autoSavePeriod = 5;              // "Auto save period"; below 1 becomes 5
  uint32_t midiPlaybackDevice = 0;         // "SV MIDI Playback Device"
};
GeneralSettings& General();

// The Preferences options that are not stored: 0 at every load of "General
// settings". Named after their controls.
struct UnsavedPreferences {
  bool readText = false;                   // "Text (dynamics, lyrics etc)"
  bool readArticulations = false;          // "Articulation marks"
  bool readAppoggiaturas = false;          // "Appoggiaturas and cue notes"
  bool readTuplets = false;                // "Tuplets (includes advanced rhythm detection)"
  bool readChordDiagrams = false;          // "Guitar chord diagrams"
  bool readHandwritten = false;            // "Read as handwritten music"
  bool transposingScores = false;          // "Transposing scores"
  bool textClassSwitches[16] = {};         // the text-classification switches
  // Kept through a load: they start at 0 once per run.
  bool handwrittenBeamsBothWays = false;   // "Handwritten beams with stems in both directions"
  bool narrowStrokeWidth = false;          // "Narrow stroke width"
};
UnsavedPreferences& Unsaved();

// The reading level the recognition stages share; 4 after every load.
uint32_t& SharedReadingLevel();
// 1 while text is read with the music. On at start; the text stage turns it
// off for the rest of the run when the page's character buffer cannot be had.
uint32_t& ReadTextOption();

constexpr size_t kRecentFileRows = 5;
constexpr size_t kRecentFileChars = 260;
constexpr size_t kFolderChars = 260;

// A window placement as stored: 11 little-endian 32-bit fields, 44 bytes.
struct StoredWindowPlacement {
  uint32_t length = 0;
  uint32_t flags = 0;
  uint32_t showCommand = 0;
  int32_t minX = 0, minY = 0;
  int32_t maxX = 0, maxY = 0;
  int32_t normalLeft = 0, normalTop = 0, normalRight = 0, normalBottom = 0;
};
// A rectangle as stored: 4 little-endian 32-bit fields, 16 bytes.
struct StoredRect {
  int32_t left = -1, top = -1, right = -1, bottom = -1;
};

// "Global settings": view, window, folder, warning-dialog and recent-file
// state. The member initialisers are the defaults of the stored values.
struct GlobalSettings {
  int32_t detailWidth = 132;                        // "Detail width"
  int32_t detailHeight = 194;                       // "Detail height"
  bool showBadTiming = true;                        // "Show bad timing"
  bool showAttachment = true;                       // "Show attachment"
  bool showVoiceNumbers = true;                     // "Show voice numbers"
  bool shadeUnhighlightedMusic = true;              // "Shade unhighlighted music"
  bool translucentWindows = true;                   // "Translucent Windows"
  uint8_t openFilter = 0;                           // "Open Filter"
  uint8_t saveFilter = 0;                           // "Save Filter"
  char16_t openDirectory[kFolderChars] = {};        // "Open Directory"
  char16_t saveDirectory[kFolderChars] = {};        // "Save Directory"
  bool printGuitarTabRhythm = true;                 // "Print guitar tab rhythm"; false at every load
  StoredWindowPlacement mainWindowPosition;         // "Main window position"
  bool showBppWarning = true;                       // "Show BPPWarning dialog"
  StoredRect scanningPreviewArea;                   // "Scanning preview area"
  uint32_t previewResolution = 50;                  // "Preview resolution"
  bool viewPalette = true;                          // "View palette"
  bool viewFullDetail = true;                       // "View full detail"
  int32_t detailXOffset = -2;                       // "Detail x-offset"
  int32_t detailYOffset = 2;                        // "Detail y-offset"
  int32_t paletteXOffset = -2;                      // "Palette x-offset"
  int32_t paletteYOffset = -2;                      // "Palette y-offset"
  uint8_t detailAnchor = 1;                         // "Detail anchor"
  uint8_t paletteAnchor = 3;                        // "Palette anchor"
  bool scanInGreyShades = true;                     // written only; true at every load
  uint32_t scanResolution = 300;                    // "Scan resolution"
  bool showBwWarning = true;                        // "Show BWWarning dialog"
  bool showPbWarning = true;                        // "Show PBWarning dialog"
  bool showScannedPageWarning = false;              // written only; false at every load
  bool showWin2000ColourWarning = true;             // "Show Win2000 256 Colour Warning dialog"
  bool optimiseMidiForPlayback = true;              // "Optimise MIDI for playback"
  bool showBtWarning = true;                        // "Show BTWarning dialog"
  bool showAccuracyWarning = true;                  // "Show AccuracyWarning dialog"
  bool showHandwrittenWarning = true;               // "Show HandwrittenWarning dialog"
  bool showDottedStavesWarning = true;              // "Show DottedStavesWarning dialog"
  bool showBadStavesWarning = true;                 // "Show BadStavesWarning dialog"
  bool showStartupDialog = true;                    // "Show startup dialog"
  bool showProStavesWarning = true;                 // "Show Pro Staves Warning dialog"
  bool showPercussionStavesWarning = true;          // "Show Percussion Staves Warning dialog"
  bool bracketTuplets = true;                       // "Bracket tuplets"
  uint32_t recentFileCount = 0;                     // "Number of recent files", 0 to 5
  char16_t recentFiles[kRecentFileRows][kRecentFileChars] = {};  // "Recent file 0" ...
  uint32_t viewPagesPaneSizeX = 260;                // "View Pages Pane Size X"
};
GlobalSettings& Global();
