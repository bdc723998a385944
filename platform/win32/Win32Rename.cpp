// Renaming files: MoveFileEx on the NT family; on 9x, where MoveFileEx is not
// implemented, the target is deleted and the file moved.
#include <windows.h>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Platform.h"

namespace platform {

bool RenameFile(const char16_t* from, const char16_t* to, bool replace) {
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

}  // namespace platform
