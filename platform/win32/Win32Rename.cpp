// Renaming files: MoveFileEx on the NT family; on 9x, where MoveFileEx is not
// implemented, the target is deleted and the file moved. A target that
// another program holds open for a moment (a virus scanner, an indexer, a
// reader of the page index) refuses the replace with a sharing violation:
// the rename is tried again for about half a second before it fails.
#include <windows.h>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Platform.h"

namespace platform {
namespace {

constexpr int kRenameTries = 10;
constexpr DWORD kRenamePauseMs = 50;

bool RenameOnce(const char16_t* from, const char16_t* to, bool replace) {
  if (!from || !to) return false;
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  if (IsWindowsNT())
    return MoveFileExW(reinterpret_cast<LPCWSTR>(from), reinterpret_cast<LPCWSTR>(to), flags) != FALSE;

  CTempAnsi source(from);
  CTempAnsi target(to);
  const char* sourceText = GetFirstMember(source);
  const char* targetText = GetFirstMember(target);
  if (!sourceText || !targetText) return false;
  if (MoveFileExA(sourceText, targetText, flags)) return true;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  if (GetFileAttributesA(targetText) != INVALID_FILE_ATTRIBUTES) {
    if (!replace || !DeleteFileA(targetText)) return false;
  }
  return MoveFileA(sourceText, targetText) != FALSE;
}

}  // namespace

bool RenameFile(const char16_t* from, const char16_t* to, bool replace) {
  if (!from || !to) return false;
  for (int attempt = 1;; ++attempt) {
    if (RenameOnce(from, to, replace)) return true;
    const DWORD error = GetLastError();
    if (attempt == kRenameTries || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                                    error != ERROR_LOCK_VIOLATION))
      return false;
    Sleep(kRenamePauseMs);
  }
}

}  // namespace platform
