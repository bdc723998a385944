#include "Code/Quorm/options.h"

#include <cstring>
#include <initializer_list>

#include "Code/Quorm/Codepage.h"

namespace {

constexpr int kPathBytes = 264;

// Options with initial values.
struct EngineDefaults {
  char imageName[kPathBytes] = "unknown";
  char language[32] = "English";
  int useOldReferences = 1;
  int noteheadModel4 = 1;
  int textFinderA = 1;
  int textFinderB = 1;
};

// Options that start as zero.
struct EngineOptions {
  char logPath[kPathBytes] = {};
  int showErrors = 0;
  int postErrors = 0;
  int noteheadClass2 = 0;
  int noteheadModels5to7 = 0;
  int beamWidth = 0;
  int pageDescription = 0;
  int textStaffRuleA = 0;
  int textStaffRuleB = 0;
};

const EngineDefaults defaults;
const EngineOptions options;

// '#' enabled, '-' not: the printable characters 0x21..0x7D except % < > ^,
// and a few letters and marks of the upper half.
struct CharacterClassTable {
  char entry[256];
  CharacterClassTable() {
    std::memset(entry, '-', sizeof entry);
    for (int c = 0x21; c <= 0x7D; ++c) entry[c] = '#';
    for (unsigned char c : {'%', '<', '>', '^'}) entry[c] = '-';
    for (const PrivateCodePageByte& own : kPrivateCodePage)
      if (own.enabled) entry[own.byte] = '#';
  }
};
const CharacterClassTable characterClasses;

}  // namespace

const char* GetImageNameOption() { return defaults.imageName; }
const char* GetLogPathOption() { return options.logPath; }
int GetShowErrorOption() { return options.showErrors; }
int GetPostErrorOption() { return options.postErrors; }
int GetUseOldReferencesOption() { return defaults.useOldReferences; }
int GetNoteheadClass2Option() { return options.noteheadClass2; }
int GetNoteheadModel4Option() { return defaults.noteheadModel4; }
int GetNoteheadModels5to7Option() { return options.noteheadModels5to7; }
int GetBeamWidthOption() { return options.beamWidth; }
int GetPageDescriptionOption() { return options.pageDescription; }
int GetTextFinderOptionA() { return defaults.textFinderA; }
int GetTextFinderOptionB() { return defaults.textFinderB; }
const char* GetLanguageOption() { return defaults.language; }
int GetTextStaffRuleA() { return options.textStaffRuleA; }
int GetTextStaffRuleB() { return options.textStaffRuleB; }
int IsCharacterEnabled(unsigned char c) { return characterClasses.entry[c] == '#' ? 1 : 0; }
