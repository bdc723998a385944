#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/platform/SettingsFixture.h"
#include "tests/platform/SettingsTables.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

using namespace platform::reg;
using regtest::kGeneralPath;
using regtest::kGlobalPath;

namespace {

std::vector<std::u16string> Sorted(std::vector<std::u16string> names) {
  for (auto& name : names)
    for (auto& c : name) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  std::sort(names.begin(), names.end());
  return names;
}

std::u16string MyScannedMusic() {
  char16_t documents[260];
  if (!GetMyDocumentsFolder(documents, 260)) return u"";
  char16_t name[64];
  platform::LoadUiString(10464, name, 64);
  return std::u16string(documents) + u"\\" + name;
}

class SettingsTest : public FreshSettingsTest {
 protected:
  void SetGeneralText(const char16_t* name, const std::u16string& text) {
    regtest::SetText(kCurrentUser, kGeneralPath, name, text);
  }
  void SetGlobalText(const char16_t* name, const std::u16string& text) {
    regtest::SetText(kCurrentUser, kGlobalPath, name, text);
  }
};

// ---- First run and the value lists ----

TEST_F(SettingsTest, AFirstRunWritesEveryReadValueWithItsDefault) {
  LoadGeneralSettings();
  LoadGlobalSettings();
  EXPECT_EQ(Flags().startupAbort.load(), 0u);
  EXPECT_EQ(Sorted(regtest::ValueNames(kCurrentUser, kGeneralPath)), Sorted(settingstables::GeneralReadOrder()));
  EXPECT_EQ(Sorted(regtest::ValueNames(kCurrentUser, kGlobalPath)), Sorted(settingstables::GlobalReadOrder(0)));

  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Read in one voice only"), u"False");
  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Auto rotate"), u"True");
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kGeneralPath, u"Scanner resolution"), 300u);
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kGeneralPath, u"Scanning interface"), 2u);  // no system scanner here
  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Selected scanner"), u"");
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kGlobalPath, u"Detail x-offset"), static_cast<uint32_t>(-2));
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kGlobalPath, u"Palette anchor"), 3u);
  uint32_t type = 0;
  std::vector<uint8_t> block;
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, kGlobalPath, u"Main window position", &type, &block));
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeBinary));
  EXPECT_EQ(block, std::vector<uint8_t>(44, 0));
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, kGlobalPath, u"Scanning preview area", &type, &block));
  EXPECT_EQ(block, std::vector<uint8_t>(16, 0xFF));

  EXPECT_EQ(General().scanningInterface, 2u);
  EXPECT_EQ(General().autoSavePeriod, 5);
  EXPECT_EQ(Global().detailHeight, 194);
  EXPECT_EQ(Global().scanningPreviewArea.right, -1);
}

TEST_F(SettingsTest, SavingWritesEveryValueOfBothSections) {
  Global().recentFileCount = 2;
  std::memcpy(Global().recentFiles[0], u"a.opt", 12);
  std::memcpy(Global().recentFiles[1], u"b.opt", 12);
  SaveGeneralSettings();
  SaveGlobalSettings();
  EXPECT_EQ(Sorted(regtest::ValueNames(kCurrentUser, kGeneralPath)), Sorted(settingstables::GeneralSaveOrder()));
  EXPECT_EQ(Sorted(regtest::ValueNames(kCurrentUser, kGlobalPath)), Sorted(settingstables::GlobalSaveOrder(2)));
}

TEST_F(SettingsTest, ValuesSurviveASaveAndALoad) {
  GeneralSettings& g = General();
  g.readOneVoiceOnly = true;
  g.autoRotate = false;
  g.instrumentLanguage = 2;
  g.scanningInterface = 2;
  std::memcpy(g.selectedScanner, u"Flatbed 9", 20);
  g.scannerResolution = 600;
  g.useKorvalindeKeypad = true;
  g.autoSavePeriod = 12;
  g.midiPlaybackDevice = 3;
  GlobalSettings& s = Global();
  s.detailWidth = 500;
  s.showVoiceNumbers = false;
  s.openFilter = 2;
  std::memcpy(s.openDirectory, u"C:\\In", 12);
  std::memcpy(s.saveDirectory, u"C:\\Out", 14);
  s.mainWindowPosition.length = 44;
  s.mainWindowPosition.normalRight = 1024;
  s.mainWindowPosition.minX = -32000;
  s.scanningPreviewArea = StoredRect{10, 20, 300, 400};
  s.detailYOffset = -7;
  s.paletteAnchor = 2;
  s.showBtWarning = false;
  s.recentFileCount = 1;
  std::memcpy(s.recentFiles[0], u"C:\\Scores\\x.opt", 32);
  s.viewPagesPaneSizeX = 333;
  SaveGeneralSettings();
  SaveGlobalSettings();

  General() = GeneralSettings();
  Global() = GlobalSettings();
  LoadGeneralSettings();
  LoadGlobalSettings();
  EXPECT_TRUE(g.readOneVoiceOnly);
  EXPECT_FALSE(g.autoRotate);
  EXPECT_EQ(g.instrumentLanguage, 2u);
  EXPECT_EQ(g.instrumentNamesLanguage, 2u);  // both copies
  EXPECT_EQ(g.scanningInterface, 2u);
  EXPECT_EQ(std::u16string(g.selectedScanner), u"Flatbed 9");
  EXPECT_EQ(g.scannerResolution, 600u);
  EXPECT_TRUE(g.useKorvalindeKeypad);
  EXPECT_EQ(g.autoSavePeriod, 12);
  EXPECT_EQ(g.midiPlaybackDevice, 3u);
  EXPECT_EQ(s.detailWidth, 500);
  EXPECT_FALSE(s.showVoiceNumbers);
  EXPECT_EQ(s.openFilter, 2);
  EXPECT_EQ(std::u16string(s.openDirectory), u"C:\\In");
  EXPECT_EQ(std::u16string(s.saveDirectory), u"C:\\Out");
  EXPECT_EQ(s.mainWindowPosition.length, 44u);
  EXPECT_EQ(s.mainWindowPosition.normalRight, 1024);
  EXPECT_EQ(s.mainWindowPosition.minX, -32000);
  EXPECT_EQ(s.scanningPreviewArea.bottom, 400);
  EXPECT_EQ(s.detailYOffset, -7);
  EXPECT_EQ(s.paletteAnchor, 2);
  EXPECT_FALSE(s.showBtWarning);
  EXPECT_EQ(s.recentFileCount, 1u);
  EXPECT_EQ(std::u16string(s.recentFiles[0]), u"C:\\Scores\\x.opt");
  EXPECT_EQ(s.viewPagesPaneSizeX, 333u);
}

TEST_F(SettingsTest, BlocksAreStoredLittleEndianFieldByField) {
  Global().scanningPreviewArea = StoredRect{1, -2, 0x01020304, 0};
  SaveGlobalSettings();
  uint32_t type = 0;
  std::vector<uint8_t> block;
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, kGlobalPath, u"Scanning preview area", &type, &block));
  const std::vector<uint8_t> expected = {1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 0, 0, 0, 0};
  EXPECT_EQ(block, expected);
}

// ---- The rules applied while loading ----

TEST_F(SettingsTest, TruthIsTrueExactlyForTrueInAnyCase) {
  struct Case {
    std::u16string stored;
    bool value;
  } cases[] = {{u"True", true}, {u"true", true}, {u"TRUE", true}, {u"yes", false},
               {u"False", false}, {u"1", false}, {u"", false}, {u"True ", false}};
  for (const Case& c : cases) {
    SetGeneralText(u"Auto rotate", c.stored);
    LoadGeneralSettings();
    EXPECT_EQ(General().autoRotate, c.value) << U8(c.stored);
    EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Auto rotate"), c.stored);  // left as stored
  }
}

TEST_F(SettingsTest, AnAutoSavePeriodBelowOneGivesFive) {
  struct Case {
    uint32_t stored;
    int32_t period;
  } cases[] = {{0, 5}, {static_cast<uint32_t>(-3), 5}, {1, 1}, {30, 30}};
  for (const Case& c : cases) {
    regtest::SetDword(kCurrentUser, kGeneralPath, u"Auto save period", c.stored);
    LoadGeneralSettings();
    EXPECT_EQ(General().autoSavePeriod, c.period) << c.stored;
  }
}

TEST_F(SettingsTest, ScanningInterfaceZeroBecomesOne) {
  regtest::SetDword(kCurrentUser, kGeneralPath, u"Scanning interface", 0);
  LoadGeneralSettings();
  EXPECT_EQ(General().scanningInterface, 1u);
}

TEST_F(SettingsTest, WriteOnlyValuesTakeTheirFixedStateAtLoad) {
  SetGeneralText(u"Anti aliase image", u"False");
  SetGeneralText(u"Wait for user before scanning", u"False");
  SetGlobalText(u"Scan in grey shades", u"False");
  SetGlobalText(u"Show Scanned Page Warning dialog", u"True");
  General().antiAliaseImage = General().waitForUserBeforeScanning = false;
  Global().scanInGreyShades = false;
  Global().showScannedPageWarning = true;
  LoadGeneralSettings();
  LoadGlobalSettings();
  EXPECT_TRUE(General().antiAliaseImage);
  EXPECT_TRUE(General().waitForUserBeforeScanning);
  EXPECT_TRUE(Global().scanInGreyShades);
  EXPECT_FALSE(Global().showScannedPageWarning);
}

TEST_F(SettingsTest, PrintGuitarTabRhythmStartsFalseInEveryRun) {
  SetGlobalText(u"Print guitar tab rhythm", u"True");
  LoadGlobalSettings();
  EXPECT_FALSE(Global().printGuitarTabRhythm);
  regtest::CleanRegistry();
  LoadGlobalSettings();  // missing: written with its default all the same
  EXPECT_FALSE(Global().printGuitarTabRhythm);
  EXPECT_EQ(regtest::GetText(kCurrentUser, kGlobalPath, u"Print guitar tab rhythm"), u"True");
}

TEST_F(SettingsTest, TheUnsavedOptionsStartAtZeroAndTheReadingLevelAtFour) {
  UnsavedPreferences& u = Unsaved();
  u.readText = u.readArticulations = u.readAppoggiaturas = u.readTuplets = true;
  u.readChordDiagrams = u.readHandwritten = u.transposingScores = true;
  u.textClassSwitches[0] = u.textClassSwitches[15] = true;
  SharedReadingLevel() = 9;
  LoadGeneralSettings();
  EXPECT_FALSE(u.readText || u.readArticulations || u.readAppoggiaturas || u.readTuplets);
  EXPECT_FALSE(u.readChordDiagrams || u.readHandwritten || u.transposingScores);
  EXPECT_FALSE(u.textClassSwitches[0] || u.textClassSwitches[15]);
  EXPECT_EQ(SharedReadingLevel(), 4u);
}

TEST_F(SettingsTest, ASelectedScannerKeepsAtMost255Characters) {
  SetGeneralText(u"Selected scanner", std::u16string(300, u's'));
  LoadGeneralSettings();
  EXPECT_EQ(std::u16string(General().selectedScanner), std::u16string(255, u's'));
}

TEST_F(SettingsTest, FiltersAndAnchorsAreKeptInOneByte) {
  regtest::SetDword(kCurrentUser, kGlobalPath, u"Open Filter", 0x102);
  regtest::SetDword(kCurrentUser, kGlobalPath, u"Detail anchor", 0x1FF);
  LoadGlobalSettings();
  EXPECT_EQ(Global().openFilter, 2);
  EXPECT_EQ(Global().detailAnchor, 0xFF);
}

// ---- The keypad default follows the outside programs ----

class KeypadDefaultTest : public SettingsTest {
 protected:
  void Install(const char16_t* key, const char16_t* fileName) {
    std::u16string folder = scratch_.File(key);
    platform::MakeDirectory(folder.c_str());
    ASSERT_TRUE(regtest::PlaceProgramWithVersion62(folder + u"\\" + fileName));
    regtest::SetText(kLocalMachine, std::u16string(regtest::kVendorPath) + u"\\" + key + u"\\ApplicationPath",
                     nullptr, folder);
  }
  ScratchFolder scratch_;
};

TEST_F(KeypadDefaultTest, R8WithoutCadenzorWritesTrue) {
  Install(u"R8", u"R8.exe");
  LoadGeneralSettings();
  EXPECT_TRUE(General().useR8Keypad);
  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Use R8 Keypad"), u"True");
}

TEST_F(KeypadDefaultTest, R8BesideCadenzorWritesFalse) {
  Install(u"R8", u"R8.exe");
  Install(u"Cadenzor 5", u"cadenzor.exe");
  LoadGeneralSettings();
  EXPECT_FALSE(General().useR8Keypad);
  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Use R8 Keypad"), u"False");
}

// ---- Recent files ----

TEST_F(SettingsTest, RecentFilesAreLimitedToTheirRows) {
  regtest::SetDword(kCurrentUser, kGlobalPath, u"Number of recent files", 9);
  for (int k = 0; k < 9; ++k)
    SetGlobalText(U16("Recent file " + std::to_string(k)).c_str(), U16("file" + std::to_string(k)));
  SetGlobalText(u"Recent file 1", std::u16string(400, u'p'));
  LoadGlobalSettings();
  EXPECT_EQ(Global().recentFileCount, 5u);
  EXPECT_EQ(std::u16string(Global().recentFiles[0]), u"file0");
  EXPECT_EQ(std::u16string(Global().recentFiles[1]), std::u16string(259, u'p'));
  EXPECT_EQ(std::u16string(Global().recentFiles[4]), u"file4");

  SaveGlobalSettings();
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kGlobalPath, u"Number of recent files"), 5u);
}

TEST_F(SettingsTest, ANegativeRecentFileCountReadsAsNone) {
  regtest::SetDword(kCurrentUser, kGlobalPath, u"Number of recent files", static_cast<uint32_t>(-1));
  LoadGlobalSettings();
  EXPECT_EQ(Global().recentFileCount, 0u);
}

// ---- The open and save folders ----

TEST_F(SettingsTest, AnEmptySaveDirectoryResetsBothFolders) {
  std::u16string folder = MyScannedMusic();
  ASSERT_EQ(folder, documents_.Path() + u"\\My Scanned Music");
  SetGlobalText(u"Open Directory", u"C:\\Scans");
  SetGlobalText(u"Save Directory", u"");
  LoadGlobalSettings();
  EXPECT_EQ(std::u16string(Global().openDirectory), folder);
  EXPECT_EQ(std::u16string(Global().saveDirectory), folder);
  platform::FindRecord record;
  platform::FindHandle find = platform::FindFirst(folder.c_str(), &record);
  EXPECT_NE(find, platform::kNoFind) << "the folder was made";
  if (find != platform::kNoFind) platform::FindClose(find);
}

TEST_F(SettingsTest, SetFoldersAreKept) {
  SetGlobalText(u"Open Directory", u"C:\\Scans");
  SetGlobalText(u"Save Directory", u"C:\\Scores");
  LoadGlobalSettings();
  EXPECT_EQ(std::u16string(Global().openDirectory), u"C:\\Scans");
  EXPECT_EQ(std::u16string(Global().saveDirectory), u"C:\\Scores");
}

// ---- Values that cannot be read are used as defaults but kept ----

TEST_F(SettingsTest, AValueOfTheWrongTypeOrSizeIsNotOverwritten) {
  SetGeneralText(u"Auto save period", u"10");                                      // text for a number
  regtest::SetDword(kCurrentUser, kGeneralPath, u"Auto rotate", 0);                // a number for text
  SetGeneralText(u"Selected scanner", std::u16string(600, u'x'));                  // more than 1024 bytes
  const uint8_t shortBlock[20] = {7};
  regtest::SetRaw(kCurrentUser, kGlobalPath, u"Main window position", kTypeBinary, shortBlock, 20);
  const uint8_t longDword[8] = {9, 0, 0, 0, 1, 0, 0, 0};
  regtest::SetRaw(kCurrentUser, kGlobalPath, u"Detail width", kTypeDword, longDword, 8);
  General().autoSavePeriod = 77;
  LoadGeneralSettings();
  LoadGlobalSettings();

  EXPECT_EQ(General().autoSavePeriod, 5);
  EXPECT_TRUE(General().autoRotate);
  EXPECT_EQ(std::u16string(General().selectedScanner), u"");
  EXPECT_EQ(Global().mainWindowPosition.length, 0u);
  EXPECT_EQ(Global().detailWidth, 132);

  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Auto save period"), u"10");
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kGeneralPath, u"Auto rotate"), 0u);
  EXPECT_EQ(regtest::GetText(kCurrentUser, kGeneralPath, u"Selected scanner"), std::u16string(600, u'x'));
  uint32_t type = 0;
  std::vector<uint8_t> block;
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, kGlobalPath, u"Main window position", &type, &block));
  EXPECT_EQ(block.size(), 20u);
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, kGlobalPath, u"Detail width", &type, &block));
  EXPECT_EQ(block.size(), 8u);
}

// ---- The store's own calls ----

class SettingsStoreTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    key_ = OpenSettingsKey(u"Store test", 1);
    ASSERT_NE(key_, 0u);
  }
  void TearDown() override {
    OpenSettingsKey(nullptr, 1);
    SettingsTest::TearDown();
  }
  const std::u16string path_ = std::u16string(regtest::kSettingsPath) + u"\\Store test";
  Key key_ = 0;
};

TEST_F(SettingsStoreTest, TextIsWrittenAsUtf16WithItsNulOnNt) {
  ASSERT_EQ(WriteRegString(key_, u"Text", u"Gr\u00FC\u00DFe", 0), kOk);
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, path_, u"Text", &type, &bytes));
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeSz));
  EXPECT_EQ(bytes.size(), 12u);
  EXPECT_EQ(std::u16string(ReadRegString(key_, u"Text", u"default", 0)), u"Gr\u00FC\u00DFe");
}

TEST_F(SettingsStoreTest, TextStoredWithoutItsNulReadsWhole) {
  const std::u16string text = u"no end";
  regtest::SetRaw(kCurrentUser, path_, u"Text", kTypeSz, text.data(), static_cast<uint32_t>(2 * text.size()));
  EXPECT_EQ(std::u16string(ReadRegString(key_, u"Text", u"default", 0)), text);
}

TEST_F(SettingsStoreTest, AMissingValueIsWrittenFromItsDefault) {
  EXPECT_EQ(std::u16string(ReadRegString(key_, u"Text", u"first", 0)), u"first");
  EXPECT_EQ(regtest::GetText(kCurrentUser, path_, u"Text"), u"first");
  EXPECT_EQ(ReadRegDword(key_, u"Number", 42, 0), 42u);
  EXPECT_EQ(regtest::GetDword(kCurrentUser, path_, u"Number"), 42u);
  uint8_t buffer[4] = {};
  const uint8_t block[4] = {1, 2, 3, 4};
  EXPECT_EQ(ReadRegBinary(key_, u"Block", buffer, 4, block), kOk);
  EXPECT_EQ(std::memcmp(buffer, block, 4), 0);
  uint8_t again[4] = {};
  const uint8_t other[4] = {9, 9, 9, 9};
  EXPECT_EQ(ReadRegBinary(key_, u"Block", again, 4, other), kOk);  // now read as stored
  EXPECT_EQ(std::memcmp(again, block, 4), 0);
}

TEST_F(SettingsStoreTest, ABinaryOfAnotherSizeGivesTheDefaultAndAFailure) {
  const uint8_t stored[6] = {1, 2, 3, 4, 5, 6};
  regtest::SetRaw(kCurrentUser, path_, u"Block", kTypeBinary, stored, 6);
  uint8_t buffer[4] = {};
  const uint8_t fallback[4] = {7, 7, 7, 7};
  EXPECT_NE(ReadRegBinary(key_, u"Block", buffer, 4, fallback), kOk);
  EXPECT_EQ(std::memcmp(buffer, fallback, 4), 0);
}

TEST_F(SettingsStoreTest, On9xTextIsWrittenAndReadAsAnsi) {
  regtest::SetText(kCurrentUser, path_, u"Written on NT", u"Caf\u00E9");
  {
    regtest::RunAs9x win9x;
    ASSERT_EQ(WriteRegString(key_, u"Text", u"Gr\u00FC\u00DFe", 0), kOk);
    char bytes[16] = {};
    uint32_t type = 0, size = sizeof bytes;
    ASSERT_EQ(QueryValue(key_, u"Text", &type, bytes, &size), kOk);
    EXPECT_EQ(size, 6u);  // five characters of code page 1252 and the NUL
    EXPECT_STREQ(bytes, "Gr\xFC\xDF" "e");
    EXPECT_EQ(std::u16string(ReadRegString(key_, u"Text", u"", 0)), u"Gr\u00FC\u00DFe");
    EXPECT_EQ(std::u16string(ReadRegString(key_, u"Written on NT", u"", 0)), u"Caf\u00E9");
  }
  EXPECT_EQ(std::u16string(ReadRegString(key_, u"Text", u"", 0)), u"Gr\u00FC\u00DFe");
}

}  // namespace
