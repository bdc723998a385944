// Files and folders of the seam over the text-API layer.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "platform/Platform.h"

#undef RemoveDirectory  // <windows.h> names the wide call so; the seam has its own

namespace platform {
namespace {

constexpr FILEOP_FLAGS kSilentCopy = 0x614;  // silent, no confirmations, no error boxes, makes folders

void CopyRecord(const _wfinddatai64_t& found, FindRecord* record) {
  record->attributes = found.attrib;
  record->size = static_cast<uint64_t>(found.size);
  size_t n = 0;
  for (; n + 1 < sizeof(record->name) / sizeof(record->name[0]) && found.name[n]; ++n)
    record->name[n] = static_cast<char16_t>(found.name[n]);
  record->name[n] = 0;
}

// A path list of one path for the shell: the path and two NULs.
std::u16string WideShellList(const char16_t* path) {
  std::u16string list(path);
  list.push_back(0);
  list.push_back(0);
  return list;
}

std::string AnsiShellList(const char16_t* path) {
  CTempAnsi ansi(path);
  std::string list(GetFirstMember(ansi) ? GetFirstMember(ansi) : "");
  list.push_back('\0');
  list.push_back('\0');
  return list;
}

}  // namespace

std::FILE* OpenStream(const char16_t* path, const char* mode) {
  std::u16string wideMode(mode, mode + std::char_traits<char>::length(mode));
  return UniFOpen(path, wideMode.c_str());
}

bool MakeDirectory(const char16_t* path) { return UniMkDir(path) == 0; }

bool RemoveFile(const char16_t* path) { return UniRemove(path) == 0; }

bool RemoveDirectory(const char16_t* path) { return UniRemoveDirectory(path) != FALSE; }

bool CopyOneFile(const char16_t* from, const char16_t* to, bool failIfExists) {
  return UniCopyFile(from, to, failIfExists ? TRUE : FALSE) != FALSE;
}

bool CopyFilesMatching(const char16_t* pattern, const char16_t* targetFolder) {
  if (IsWindowsNT()) {
    std::u16string from = WideShellList(pattern), to = WideShellList(targetFolder);
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_COPY;
    operation.pFrom = reinterpret_cast<const wchar_t*>(from.c_str());
    operation.pTo = reinterpret_cast<const wchar_t*>(to.c_str());
    operation.fFlags = kSilentCopy;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
  }
  std::string from = AnsiShellList(pattern), to = AnsiShellList(targetFolder);
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_COPY;
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = kSilentCopy;
  return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

FindHandle FindFirst(const char16_t* pattern, FindRecord* record) {
  _wfinddatai64_t found = {};
  intptr_t handle = UniFindFirst(pattern, &found);
  if (handle == -1) return kNoFind;
  CopyRecord(found, record);
  return handle;
}

bool FindNext(FindHandle handle, FindRecord* record) {
  _wfinddatai64_t found = {};
  if (UniFindNext(handle, &found) != 0) return false;
  CopyRecord(found, record);
  return true;
}

void FindClose(FindHandle handle) {
  if (handle != kNoFind) _findclose(handle);
}

}  // namespace platform
