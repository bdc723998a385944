// The program's two base folders and paths under them: the resource folder
// (the shipped files) and the data folder (the working page store), the page
// store's set-up at start-up, the user's special folders, and the detection
// of the outside notation programs Cadenzor and R8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Registry key names below HKEY_*\SOFTWARE, shared with the settings store.
constexpr char16_t kSoftwareKeyName[] = u"SOFTWARE";
constexpr char16_t kCompanyKeyName[] = u"Velmorant";
constexpr char16_t kProductKeyName[] = u"Korvalinde";
constexpr char16_t kSettingsKeyName[] = u"Settings";  // the fixed level above the sections and "DataPath"

constexpr char16_t kPageStoreFolderName[] = u"RuzazEvova_d5";

// ---- The base folders: set by the shell at start-up, read-only afterwards ----

// Ends with a backslash (or, natively, a slash).
const char16_t* ResourceFolder();
const char* ResourceFolderAnsi();  // the same in the ANSI code page
// A separator is added when the folder does not end with one.
void SetResourceFolder(const char16_t* folder);
// No trailing separator.
const char16_t* DataFolder();
void SetDataFolder(const char16_t* folder);

// The folder of the running program, up to and including its last separator
// (empty when the program file is not known).
std::u16string InitialResourceFolder();
// The Application Data folder followed by "\Velmorant"; empty without one.
std::u16string InitialDataFolder();

// ---- Paths: false (and out empty) when the path does not fit capacity ----

bool MakeResourcePath(char16_t* out, size_t capacity, const char16_t* name);       // ResourceFolder + name
bool MakeResourcesSubPath(char16_t* out, size_t capacity, const char16_t* name);   // ... + "Resources\" + name
bool MakeMusicPagesPath(char16_t* out, size_t capacity, const char16_t* name);     // DataFolder + "\RuzazEvova_d5\" + name
template <size_t N>
bool MakeResourcePath(char16_t (&out)[N], const char16_t* name) { return MakeResourcePath(out, N, name); }
template <size_t N>
bool MakeResourcesSubPath(char16_t (&out)[N], const char16_t* name) { return MakeResourcesSubPath(out, N, name); }
template <size_t N>
bool MakeMusicPagesPath(char16_t (&out)[N], const char16_t* name) { return MakeMusicPagesPath(out, N, name); }

// ---- The user's folders and copying ----

bool GetMyDocumentsFolder(char16_t* out, int capacity);
bool GetAppDataFolder(char16_t* out, int capacity);
// Copies what a pattern ("folder\*.*") names into a folder, silently.
bool ShellCopyFiles(const char16_t* sourcePattern, const char16_t* targetFolder);

// ---- Start-up ----

// Makes the page-store folders and fills a new page store with the pages of
// an older layout or with the shipped default pages.
void SetupMusicPages();
// The machine-wide "ResourcePath" value: read into ResourceFolder, or written
// from it when it is new or empty. Registry failures are shown and leave
// ResourceFolder as it was.
void InitDataPath();

// ---- Outside programs: detected on the first question, kept for the run ----

int FindCadenzor();  // 1 installed, 0 not
int FindR8();
double CadenzorVersion();  // the major part of the program file's version; 0.0 when not found
double R8Version();
// Forgets what was detected: the next question detects again.
void ForgetOutsidePrograms();

// The four 16-bit parts of a file's fixed version; all 0 without one.
void GetFileVersion(const char16_t* path, uint16_t* major, uint16_t* minor, uint16_t* third, uint16_t* fourth);
// The NT family at version 5.1 or later.
bool IsWindowsXPOrLater();

// Free bytes for the user on the disc of path (null: the page store), as a
// u32: 0x80000000 when there are 4 GB or more or the question fails.
uint32_t GetFreeDiskSpace(const char16_t* path);
// Below this much free space for pages and data, kTextLowDiscSpace warns.
constexpr uint64_t kLowDiscSpaceBytes = 0x400000;
constexpr unsigned kTextLowDiscSpace = 10017;
