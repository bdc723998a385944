#include "score/RecentFiles.h"

#include <cstring>

#include "platform/Settings.h"
#include "platform/TextUtils.h"

void AddRecentFile(const char16_t* path) {
  GlobalSettings& g = Global();
  size_t length = 0;
  while (path[length]) ++length;
  if (length >= kRecentFileChars) return;
  uint32_t count = g.recentFileCount > kRecentFileRows ? kRecentFileRows : g.recentFileCount;
  for (uint32_t i = 0; i < count; ++i)
    if (CompareNoCase(g.recentFiles[i], path) == 0) {
      std::memmove(g.recentFiles[i], g.recentFiles[i + 1], (count - 1 - i) * sizeof g.recentFiles[0]);
      --count;
      break;
    }
  if (count == kRecentFileRows) --count;
  std::memmove(g.recentFiles[1], g.recentFiles[0], count * sizeof g.recentFiles[0]);
  std::memset(g.recentFiles[0], 0, sizeof g.recentFiles[0]);
  std::memcpy(g.recentFiles[0], path, length * sizeof(char16_t));
  g.recentFileCount = count + 1;
}

void FormatRecentFileItem(int index, char16_t* out, size_t capacity) {
  const GlobalSettings& g = Global();
  if (index < 0 || uint32_t(index) >= g.recentFileCount || uint32_t(index) >= kRecentFileRows) {
    if (capacity) out[0] = 0;
    return;
  }
  const char16_t* name = PathFileName(g.recentFiles[index]);
  char16_t extension[kRecentFileChars];
  PathExtension(name, extension, kRecentFileChars);
  char16_t base[kRecentFileChars];
  size_t baseLength = 0;
  while (name[baseLength]) ++baseLength;
  size_t extLength = 0;
  while (extension[extLength]) ++extLength;
  baseLength -= extLength;
  std::memcpy(base, name, baseLength * sizeof(char16_t));
  base[baseLength] = 0;
  FormatWide(out, capacity, u"%d %s%s", index + 1, base, extension);
}
