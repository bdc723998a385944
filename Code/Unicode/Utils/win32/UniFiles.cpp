// The C runtime's file calls: the wide forms on NT, ANSI copies of the
// paths on 9x.
#include <direct.h>
#include <share.h>
#include <cstdio>
#include <cstring>

#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

namespace {

void CopyFindRecord(const _finddatai64_t& from, _wfinddatai64_t* to) {
  to->attrib = from.attrib;
  to->time_create = from.time_create;
  to->time_access = from.time_access;
  to->time_write = from.time_write;
  to->size = from.size;
  AnsiToWideBounded(from.name, static_cast<int>(sizeof(from.name)), reinterpret_cast<char16_t*>(to->name),
                    static_cast<int>(sizeof(to->name) / sizeof(to->name[0])));
}

}  // namespace

std::FILE* UniFOpen(const char16_t* path, const char16_t* mode) {
  if (IsWindowsNT()) return _wfsopen(Wide(path), Wide(mode), _SH_DENYNO);
  CTempAnsi ansiPath(path), ansiMode(mode);
  return _fsopen(Ansi(ansiPath), Ansi(ansiMode), _SH_DENYNO);
}

int UniMkDir(const char16_t* path) {
  if (IsWindowsNT()) return _wmkdir(Wide(path));
  CTempAnsi ansi(path);
  return _mkdir(Ansi(ansi));
}

int UniRemove(const char16_t* path) {
  if (IsWindowsNT()) return _wremove(Wide(path));
  CTempAnsi ansi(path);
  return std::remove(Ansi(ansi));
}

intptr_t UniFindFirst(const char16_t* pattern, _wfinddatai64_t* record) {
  if (IsWindowsNT()) return _wfindfirsti64(Wide(pattern), record);
  CTempAnsi ansi(pattern);
  _finddatai64_t found = {};
  intptr_t handle = _findfirsti64(Ansi(ansi), &found);
  if (handle != -1) CopyFindRecord(found, record);
  return handle;
}

int UniFindNext(intptr_t handle, _wfinddatai64_t* record) {
  if (IsWindowsNT()) return _wfindnexti64(handle, record);
  _finddatai64_t found = {};
  int result = _findnexti64(handle, &found);
  if (result == 0) CopyFindRecord(found, record);
  return result;
}
