// The common file dialogs. On 9x the wide structure is rebuilt as an ANSI
// one of the pre-2000 size and the results are copied back.
#include <cstring>
#include <vector>

#include "Code/Unicode/Utils/win32/ActCtxScope.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

namespace {

// A multiple selection ("folder\0name\0name\0\0") back into the wide buffer,
// at most count characters, always ended by two NULs.
void AnsiListToWide(const char* list, int bytes, wchar_t* out, int count) {
  if (!list || !out || count < 2) return;
  int n = 0;
  while (n + 1 < bytes && !(list[n] == '\0' && list[n + 1] == '\0')) ++n;
  int needed = n > 0 ? MultiByteToWideChar(CP_ACP, 0, list, n, nullptr, 0) : 0;
  if (needed <= 0 || needed > count - 2) return;  // the single-name conversion stands
  MultiByteToWideChar(CP_ACP, 0, list, n, out, needed);
  out[needed] = L'\0';
  out[needed + 1] = L'\0';
}

BOOL RunFileDialog(OPENFILENAMEW* dialog, bool save) {
  ActCtxScope scope;
  if (IsWindowsNT()) {
    if (dialog && WindowsVersion() < 500) dialog->lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    return save ? GetSaveFileNameW(dialog) : GetOpenFileNameW(dialog);
  }
  if (!dialog) return FALSE;

  CAnsiOutBuf file(reinterpret_cast<char16_t*>(dialog->lpstrFile), static_cast<int>(dialog->nMaxFile));
  CAnsiOutBuf fileTitle(reinterpret_cast<char16_t*>(dialog->lpstrFileTitle),
                        static_cast<int>(dialog->nMaxFileTitle));
  CTempAnsi initialDir(reinterpret_cast<const char16_t*>(dialog->lpstrInitialDir));
  CTempAnsi title(reinterpret_cast<const char16_t*>(dialog->lpstrTitle));
  CTempAnsi defaultExtension(reinterpret_cast<const char16_t*>(dialog->lpstrDefExt));
  CTempAnsi templateName(reinterpret_cast<const char16_t*>(dialog->lpTemplateName));
  std::string filter = AnsiFilterList(reinterpret_cast<const char16_t*>(dialog->lpstrFilter));

  OPENFILENAMEA ansi = {};
  ansi.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ansi.hwndOwner = dialog->hwndOwner;
  ansi.hInstance = dialog->hInstance;
  ansi.lpstrFilter = filter.empty() ? nullptr : filter.data();
  ansi.nFilterIndex = dialog->nFilterIndex;
  ansi.lpstrFile = Ansi(file);
  ansi.nMaxFile = static_cast<DWORD>(file.AnsiBytes());
  ansi.lpstrFileTitle = Ansi(fileTitle);
  ansi.nMaxFileTitle = static_cast<DWORD>(fileTitle.AnsiBytes());
  ansi.lpstrInitialDir = Ansi(initialDir);
  ansi.lpstrTitle = Ansi(title);
  ansi.Flags = dialog->Flags;
  ansi.nFileOffset = 0;
  ansi.nFileExtension = 0;
  ansi.lpstrDefExt = Ansi(defaultExtension);
  ansi.lCustData = dialog->lCustData;
  ansi.lpfnHook = dialog->lpfnHook;
  ansi.lpTemplateName = Ansi(templateName);

  BOOL result = save ? GetSaveFileNameA(&ansi) : GetOpenFileNameA(&ansi);
  if (result) {
    CopyOpenFileNameBack(ansi, dialog);
    if (dialog->Flags & OFN_ALLOWMULTISELECT)
      AnsiListToWide(ansi.lpstrFile, file.AnsiBytes(), dialog->lpstrFile, static_cast<int>(dialog->nMaxFile));
  }
  return result;  // the holders convert the name buffers back as they go
}

}  // namespace

std::string AnsiFilterList(const char16_t* filter) {
  if (!filter) return std::string();
  int end = -1;
  for (int i = 0; i + 1 < kFilterReach; ++i) {
    if (filter[i] == 0 && filter[i + 1] == 0) {
      end = i;
      break;
    }
  }
  if (end < 0) return std::string();
  std::string list;
  if (end > 0) {
    int bytes = WideCharToMultiByte(CP_ACP, 0, Wide(filter), end, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    list.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, Wide(filter), end, &list[0], bytes, nullptr, nullptr);
  }
  list.push_back('\0');
  list.push_back('\0');
  return list;
}

WORD AnsiOffsetToChars(const char* text, WORD bytes) {
  if (!text || bytes == 0) return 0;
  return static_cast<WORD>(MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0));
}

void CopyOpenFileNameBack(const OPENFILENAMEA& from, OPENFILENAMEW* to) {
  to->Flags = from.Flags;
  to->nFilterIndex = from.nFilterIndex;
  to->lCustData = from.lCustData;
  to->nFileOffset = AnsiOffsetToChars(from.lpstrFile, from.nFileOffset);
  to->nFileExtension = from.nFileExtension ? AnsiOffsetToChars(from.lpstrFile, from.nFileExtension) : 0;
}

BOOL UniGetOpenFileName(OPENFILENAMEW* dialog) { return RunFileDialog(dialog, false); }

BOOL UniGetSaveFileName(OPENFILENAMEW* dialog) { return RunFileDialog(dialog, true); }
