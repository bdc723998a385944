// File > Open, Open PDFs, Save and Save As.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <algorithm>
#include <cwchar>
#include <string>

#include "export/ExportEntries.h"
#include "export/ExportLayout.h"
#include "pages/PageImageStore.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "reading/FileOpener.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "shell/FileFilters.h"
#include "shell/OpenDialogResult.h"
#include "shell/ShellServices.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/SmallWindows.h"

namespace {

constexpr size_t kOpenBufferUnits = 13060;
constexpr size_t kPathUnits = MAX_PATH;
enum ScoreSaveType : int { kScoreFile = 1, kScoreFileCadenzor4 = 2, kScoreFileOlder = 3, kMusicXml = 4, kNiff = 5 };
enum PageSaveType : int { kPageTiff = 1, kPageBmp = 2 };

// What Save remembers between commands, besides the settings.
struct SaveMemory {
  int formatChoice = 0;  // WriteScoreFile's chosen version: 0 current, 4 or 3
  int pageType = 0;      // the page's last Save As type
  wchar_t musicXmlPath[kPathUnits] = {};
  wchar_t niffPath[kPathUnits] = {};
  wchar_t tiffPath[kPathUnits] = {};
  wchar_t bmpPath[kPathUnits] = {};
};
SaveMemory& Memory() {
  static SaveMemory memory;
  return memory;
}

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
const char16_t* U(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

void CopyPath(wchar_t* to, const wchar_t* from) {
  std::wcsncpy(to, from, kPathUnits - 1);
  to[kPathUnits - 1] = 0;
}

// The drive and folder of a path, with its final backslash.
void FolderOf(const wchar_t* path, char16_t* out, size_t capacity) {
  const wchar_t* last = std::wcsrchr(path, L'\\');
  size_t length = last ? size_t(last - path + 1) : 0;
  if (length >= capacity) length = 0;
  for (size_t i = 0; i < length; ++i) out[i] = char16_t(path[i]);
  out[length] = 0;
}

// The file-name part of a path with its extension replaced by extension.
void NameWithExtension(const wchar_t* path, const char16_t* extension, wchar_t* out, size_t capacity) {
  char16_t base[kPathUnits];
  GetBaseFileName(base, U(path));
  std::swprintf(out, capacity, L"%ls%ls", W(base), W(extension));
}

void WithWaitCursor(int (*exporter)(const char16_t*), const wchar_t* path) {
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  exporter(U(path));
  SetCursor(old ? old : LoadCursorW(nullptr, IDC_ARROW));
}

// The NIFF export with every page laid out first, so each hairpin ends at
// the chord under its drawn end.
int ExportNiffLaidOut(const char16_t* path) {
  void (*layOut)() = CurrentShellServices().layOutScorePage;
  if (!layOut) return ExportNiff(path);
  CCollectedPositions positions;
  LayOutEveryScorePage(layOut, TheScoreViewItems().index, &positions);
  return ExportNiff(path, &positions);
}

// The score Save As type's file name follows the chosen type.
void RenameForType(HWND hook, int type, const char16_t* extension) {
  HWND dialog = GetParent(hook);
  wchar_t typedName[kPathUnits] = {};
  SendMessageW(dialog, CDM_GETSPEC, kPathUnits, reinterpret_cast<LPARAM>(typedName));
  wchar_t renamed[kPathUnits];
  NameWithExtension(typedName, extension, renamed, kPathUnits);
  SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(renamed));
  SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(renamed));
  (void)type;
}

UINT_PTR CALLBACK ScoreSaveHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const OPENFILENAMEW* dialog = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    CheckDlgButton(hook, IDC_OPTIMIZE_FOR_PLAYBACK, Global().optimiseMidiForPlayback ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hook, IDC_OPTIMIZE_FOR_PLAYBACK), dialog->nFilterIndex == kMusicXml);
  } else if (message == WM_NOTIFY) {
    const OFNOTIFYW* notice = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notice->hdr.code == CDN_TYPECHANGE) {
      int type = int(notice->lpOFN->nFilterIndex);
      RenameForType(hook, type, ScoreSaveExtension(type));
      EnableWindow(GetDlgItem(hook, IDC_OPTIMIZE_FOR_PLAYBACK), type == kMusicXml);
    }
  } else if (message == WM_COMMAND && LOWORD(wParam) == IDC_OPTIMIZE_FOR_PLAYBACK) {
    Global().optimiseMidiForPlayback = IsDlgButtonChecked(hook, IDC_OPTIMIZE_FOR_PLAYBACK) == BST_CHECKED;
  }
  return 0;
}

UINT_PTR CALLBACK PageSaveHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const OFNOTIFYW* notice = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notice->hdr.code == CDN_TYPECHANGE) {
      int type = int(notice->lpOFN->nFilterIndex);
      RenameForType(hook, type, PageSaveExtension(type));
    }
  }
  return 0;
}

void RememberSaveFolder(const wchar_t* path) { FolderOf(path, Global().saveDirectory, kFolderChars); }

// Asks for the path to save to; on OK the path carries the chosen type's
// extension when the typed name has none (the dialog adds it itself where it
// can, so that its overwrite question names the file really written).
bool AskSavePath(HWND frame, const FileFilterList& filters, const char16_t* (*extensionOf)(int), int type,
                 LPOFNHOOKPROC hook, bool scoreTemplate, wchar_t* path, int* chosenType) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = frame;
  dialog.hInstance = Windows().instance;
  dialog.lpstrFilter = W(filters.Data());
  dialog.nFilterIndex = DWORD(type > 0 ? type : 1);
  dialog.lpstrFile = path;
  dialog.nMaxFile = kPathUnits;
  dialog.lpstrInitialDir = Global().saveDirectory[0] ? W(Global().saveDirectory) : nullptr;
  dialog.lpstrDefExt = W(extensionOf(int(dialog.nFilterIndex))) + 1;  // without its dot
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  dialog.lpfnHook = hook;
  if (scoreTemplate) {
    dialog.Flags |= OFN_ENABLETEMPLATE;
    dialog.lpTemplateName = MAKEINTRESOURCEW(IDD_SAVE_AS_TEMPLATE);
  }
  if (!GetSaveFileNameW(&dialog)) {
    CallCommonDialogInContext("CommDlgExtendedError");
    return false;
  }
  *chosenType = int(dialog.nFilterIndex);
  const std::u16string written = PathWithSaveExtension(U(path), extensionOf(*chosenType), kPathUnits);
  std::copy(written.begin(), written.end(), path);
  path[written.size()] = 0;
  RememberSaveFolder(path);
  return true;
}

void SavePageAs(HWND frame) {
  SaveMemory& m = Memory();
  wchar_t path[kPathUnits] = {};
  const wchar_t* last = m.pageType == kPageBmp ? m.bmpPath : m.tiffPath;
  const char16_t* source = last[0] ? U(last) : CurrentImagePath();
  if (source && source[0]) {
    char16_t base[kPathUnits];
    GetBaseFileName(base, source);
    CopyPath(path, W(base));
  }
  int type = m.pageType;
  if (!AskSavePath(frame, PageSaveFilters(), PageSaveExtension, type, PageSaveHook, false, path, &type)) return;
  m.pageType = type == kPageBmp ? kPageBmp : kPageTiff;
  if (m.pageType == kPageBmp) {
    if (SavePageImageBmp(U(path))) CopyPath(m.bmpPath, path);
  } else {
    if (SavePageImageTiff(U(path))) CopyPath(m.tiffPath, path);
  }
}

const wchar_t* LastScorePathOfType(int type) {
  if (type == kMusicXml) return Memory().musicXmlPath;
  if (type == kNiff) return Memory().niffPath;
  return W(CurrentScore.path);
}

void WriteScoreAs(int type, const wchar_t* path) {
  SaveMemory& m = Memory();
  switch (type) {
    case kMusicXml:
      CopyPath(m.musicXmlPath, path);
      WithWaitCursor(ExportMusicXml, path);
      return;
    case kNiff:
      CopyPath(m.niffPath, path);
      WithWaitCursor(ExportNiffLaidOut, path);
      return;
    default:
      m.formatChoice = type == kScoreFileCadenzor4 ? 4 : type == kScoreFileOlder ? 3 : 0;
      WriteScoreFile(U(path), 0, kTargetScore, 0, 0, m.formatChoice);
  }
}

// The dialog's first name: the file-name part of the last path of the type.
void InitialScoreName(int type, wchar_t* path) {
  const wchar_t* last = LastScorePathOfType(type);
  if (!last[0]) return;
  char16_t base[kPathUnits];
  GetBaseFileName(base, U(last));
  CopyPath(path, W(base));
}

void SaveScoreAs(HWND frame) {
  if (!ScoreHasPages()) return;
  int type = Global().saveFilter;
  if (type < kScoreFile || type > kNiff) type = kScoreFile;
  wchar_t path[kPathUnits] = {};
  InitialScoreName(type, path);
  if (!AskSavePath(frame, ScoreSaveFilters(), ScoreSaveExtension, type, ScoreSaveHook, true, path, &type)) return;
  Global().saveFilter = uint8_t(type);
  WriteScoreAs(type, path);
}

// Save for a score that has no file yet: the name is asked for among the
// score file's own formats only. An export cannot be read back, so it never
// stands in for a save, whatever type Save As used last.
void SaveScoreFileAs(HWND frame) {
  int type = Global().saveFilter;
  if (type < kScoreFile || type > kScoreFileOlder) type = kScoreFile;
  wchar_t path[kPathUnits] = {};
  InitialScoreName(type, path);
  if (!AskSavePath(frame, ScoreFileSaveFilters(), ScoreSaveExtension, type, ScoreSaveHook, true, path, &type))
    return;
  if (type < kScoreFile || type > kScoreFileOlder) type = kScoreFile;
  Global().saveFilter = uint8_t(type);
  WriteScoreAs(type, path);
}

}  // namespace

SaveTarget MenuSaveTarget() {
  ActiveDocument doc = GetActiveDocument();
  if (doc.isPage) return kSavePage;
  if (doc.isScore || ScoreHasPages()) return kSaveScore;
  return kSaveNothing;
}

void OpenFilesCommand(HWND frame, bool pdfOnly) {
  static wchar_t buffer[kOpenBufferUnits];
  buffer[0] = 0;
  FileFilterList filters = OpenFilters(pdfOnly);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = frame;
  dialog.lpstrFilter = W(filters.Data());
  // No custom filter: an empty one is a malformed filter to the dialog,
  // which then lists no type at all.
  dialog.nFilterIndex = Global().openFilter ? Global().openFilter : 1;
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = kOpenBufferUnits;
  dialog.lpstrInitialDir = Global().openDirectory[0] ? W(Global().openDirectory) : nullptr;
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&dialog)) {
    CallCommonDialogInContext("CommDlgExtendedError");
    return;
  }
  if (!pdfOnly) Global().openFilter = uint8_t(dialog.nFilterIndex);
  OpenDialogSelection selection = SplitOpenDialogResult(U(buffer), kOpenBufferUnits);
  if (selection.folder.size() < kFolderChars) {
    std::copy(selection.folder.begin(), selection.folder.end(), Global().openDirectory);
    Global().openDirectory[selection.folder.size()] = 0;
  }
  if (QueueOpenDialogSelection(selection) > 0) OpenFileByType();
}

void SaveCommand(HWND frame, LPARAM lParam) {
  SaveMemory& m = Memory();
  SaveTarget target = lParam == kSaveTheScore ? kSaveScore : MenuSaveTarget();
  if (target == kSavePage) {
    if (m.pageType == kPageTiff && m.tiffPath[0]) {
      SavePageImageTiff(U(m.tiffPath));
    } else if (m.pageType == kPageBmp && m.bmpPath[0]) {
      SavePageImageBmp(U(m.bmpPath));
    } else {
      SavePageAs(frame);
    }
    return;
  }
  if (target != kSaveScore || !ScoreHasPages()) return;
  // Save always writes the score file: to the score's own path, or to one
  // asked for now. (Only a score file, read or written, gives the score a path.)
  if (CurrentScore.path[0]) {
    WriteScoreFile(CurrentScore.path, 0, kTargetScore, 0, 0, m.formatChoice);
    return;
  }
  SaveScoreFileAs(frame);
}

void SaveAsCommand(HWND frame, SaveTarget target) {
  if (target == kSavePage) SavePageAs(frame);
  if (target == kSaveScore) SaveScoreAs(frame);
}
