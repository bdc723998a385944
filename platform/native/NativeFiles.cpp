// Files and folders over POSIX. Paths arrive as UTF-16 with backslashes or
// slashes; search patterns match as the Windows find calls do ('*' and '?',
// case-insensitive, "*.*" every name).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/Platform.h"
#include "platform/native/NativePaths.h"
#include "platform/native/NativePlatform.h"

namespace platform {
namespace {

using native::ToNativePath;

struct Search {
  DIR* dir;
  std::string folder;   // with a trailing '/', or empty for the current folder
  std::string pattern;  // the last component of the search pattern
};

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Matches(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0 || std::strcmp(pattern, "*") == 0) return true;
  // Iterative '*' matching with one back-tracking point.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern && Fold(*pattern) == Fold(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == 0;
}

void SplitPattern(const std::string& path, std::string* folder, std::string* last) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder->clear();
    *last = path;
  } else {
    *folder = path.substr(0, slash + 1);
    *last = path.substr(slash + 1);
  }
}

// Fills the record for one directory entry; false when its name does not fit.
// A symbolic link is never reported as a folder, so that a tree walk removes
// the link and not what it points to.
bool FillRecord(const Search& search, const char* name, FindRecord* record) {
  if (!native::FromUtf8(name, record->name, 260)) return false;
  struct stat info;
  std::string full = search.folder + name;
  record->attributes = 0;
  record->size = 0;
  if (lstat(full.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) record->attributes = kAttributeDirectory;
    else record->size = static_cast<uint64_t>(info.st_size);
  }
  return true;
}

bool NextMatch(Search* search, FindRecord* record) {
  while (dirent* entry = readdir(search->dir)) {
    if (Matches(search->pattern.c_str(), entry->d_name) && FillRecord(*search, entry->d_name, record)) return true;
  }
  return false;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::string& path) {
  if (path.empty() || IsDirectory(path)) return true;
  size_t slash = path.find_last_of('/', path.size() - 1);
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  return mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsDirectory(path));
}

bool CopyFileNative(const std::string& from, const std::string& to, bool failIfExists) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat source;
  struct stat target;
  // Copying a file onto itself would empty it.
  if (fstat(in, &source) != 0 || S_ISDIR(source.st_mode) ||
      (stat(to.c_str(), &target) == 0 && target.st_dev == source.st_dev && target.st_ino == source.st_ino)) {
    close(in);
    return false;
  }
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
  int out = open(to.c_str(), flags, 0666);
  if (out < 0) {
    close(in);
    return false;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < got;) {
      ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) ok = false;
      else done += put;
    }
    if (!ok) break;
  }
  close(in);
  if (close(out) != 0) ok = false;
  if (!ok) unlink(to.c_str());
  return ok;
}

std::string RealPath(const std::string& path) {
  char* real = realpath(path.empty() ? "." : path.c_str(), nullptr);
  std::string result = real ? real : "";
  std::free(real);
  return result;
}

// True when folder is target or holds it.
bool Contains(const std::string& folder, const std::string& target) {
  return !folder.empty() && target.compare(0, folder.size(), folder) == 0 &&
         (target.size() == folder.size() || target[folder.size()] == '/');
}

// Copies the entries of folder that match pattern into target, folders with
// everything in them, as the shell's copy does. A folder that holds the
// target is not copied into itself.
bool CopyMatching(const std::string& folder, const std::string& pattern, const std::string& target) {
  if (!MakeFolders(target)) return false;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  const std::string realTarget = RealPath(target);
  bool ok = true;
  while (dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || !Matches(pattern.c_str(), name)) continue;
    std::string from = folder + name;
    std::string to = target + "/" + name;
    struct stat info;
    if (lstat(from.c_str(), &info) != 0) {
      ok = false;
    } else if (S_ISDIR(info.st_mode)) {
      ok = !Contains(RealPath(from), realTarget) && CopyMatching(from + "/", "*", to) && ok;
    } else if (S_ISREG(info.st_mode)) {
      ok = CopyFileNative(from, to, false) && ok;
    }
  }
  closedir(dir);
  return ok;
}

std::mutex openCountLock;
std::map<std::u16string, size_t>& OpenCounts() {
  static std::map<std::u16string, size_t> counts;
  return counts;
}

}  // namespace

size_t StreamOpenCountForTest(const char16_t* path) {
  std::lock_guard<std::mutex> hold(openCountLock);
  const auto found = OpenCounts().find(path ? path : u"");
  return found == OpenCounts().end() ? 0 : found->second;
}

std::FILE* OpenStream(const char16_t* path, const char* mode) {
  if (!path || !mode) return nullptr;
  {
    std::lock_guard<std::mutex> hold(openCountLock);
    ++OpenCounts()[path];
  }
  std::string native = ToNativePath(path);
  // fopen opens a folder for reading; the Windows runtime does not.
  if (IsDirectory(native)) return nullptr;
  return std::fopen(native.c_str(), mode);
}

bool MakeDirectory(const char16_t* path) { return path && mkdir(ToNativePath(path).c_str(), 0777) == 0; }

bool RemoveFile(const char16_t* path) { return path && unlink(ToNativePath(path).c_str()) == 0; }

bool RemoveDirectory(const char16_t* path) { return path && rmdir(ToNativePath(path).c_str()) == 0; }

bool CopyOneFile(const char16_t* from, const char16_t* to, bool failIfExists) {
  return from && to && CopyFileNative(ToNativePath(from), ToNativePath(to), failIfExists);
}

bool CopyFilesMatching(const char16_t* pattern, const char16_t* targetFolder) {
  if (!pattern || !targetFolder) return false;
  std::string folder;
  std::string last;
  SplitPattern(ToNativePath(pattern), &folder, &last);
  std::string target = ToNativePath(targetFolder);
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  return CopyMatching(folder, last, target);
}

FindHandle FindFirst(const char16_t* pattern, FindRecord* record) {
  if (!pattern || !record) return kNoFind;
  Search* search = new Search{nullptr, {}, {}};
  SplitPattern(ToNativePath(pattern), &search->folder, &search->pattern);
  search->dir = opendir(search->folder.empty() ? "." : search->folder.c_str());
  if (!search->dir || search->pattern.empty() || !NextMatch(search, record)) {
    if (search->dir) closedir(search->dir);
    delete search;
    return kNoFind;
  }
  return reinterpret_cast<FindHandle>(search);
}

bool FindNext(FindHandle handle, FindRecord* record) {
  if (handle == kNoFind || handle == 0 || !record) return false;
  return NextMatch(reinterpret_cast<Search*>(handle), record);
}

void FindClose(FindHandle handle) {
  if (handle == kNoFind || handle == 0) return;
  Search* search = reinterpret_cast<Search*>(handle);
  closedir(search->dir);
  delete search;
}

}  // namespace platform
