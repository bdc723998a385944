#include "shell/OpenDialogResult.h"

#include "reading/FileOpener.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The NUL-ended texts of the buffer up to the empty one (or its end).
std::vector<std::u16string> ListEntries(const char16_t* buffer, size_t capacity) {
  std::vector<std::u16string> entries;
  size_t at = 0;
  while (at < capacity && buffer[at]) {
    size_t end = at;
    while (end < capacity && buffer[end]) ++end;
    entries.emplace_back(buffer + at, end - at);
    at = end + 1;
  }
  return entries;
}

// The drive and folder of a path, up to and including its last separator.
std::u16string FolderOf(const std::u16string& path) {
  size_t last = path.find_last_of(u"\\/");
  if (last == std::u16string::npos) {
    size_t colon = path.find(u':');
    return colon == std::u16string::npos ? std::u16string() : path.substr(0, colon + 1);
  }
  return path.substr(0, last + 1);
}

}  // namespace

OpenDialogSelection SplitOpenDialogResult(const char16_t* buffer, size_t capacity) {
  OpenDialogSelection selection;
  if (!buffer) return selection;
  std::vector<std::u16string> entries = ListEntries(buffer, capacity);
  if (entries.empty()) return selection;
  if (entries.size() == 1) {
    selection.folder = FolderOf(entries[0]);
    selection.paths.push_back(entries[0]);
    return selection;
  }
  selection.folder = entries[0];
  std::u16string prefix = entries[0];
  if (!IsSeparator(prefix.back())) prefix.push_back(u'\\');
  for (size_t i = 1; i < entries.size(); ++i) selection.paths.push_back(prefix + entries[i]);
  return selection;
}

int QueueOpenDialogSelection(const OpenDialogSelection& selection) {
  int queued = 0;
  for (const std::u16string& path : selection.paths) {
    if (OpenFiles.count >= kOpenFileQueueSlots) break;
    if (QueueFileToOpen(path.c_str(), u"")) ++queued;
  }
  return queued;
}
