#include "platform/Folders.h"

#include <cstring>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"
#include "platform/TextUtils.h"

namespace {

struct BaseFolders {
  std::u16string resource;
  std::string resourceAnsi;
  std::u16string data;
};

BaseFolders& Folders() {
  static BaseFolders folders;
  return folders;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string ResourcePath(const char16_t* name) { return Folders().resource + name; }
std::u16string ResourcesSubPath(const char16_t* name) { return Folders().resource + u"Resources\\" + name; }
std::u16string MusicPagesPath(const char16_t* name) {
  return Folders().data + u"\\" + kPageStoreFolderName + u"\\" + name;
}

bool CopyPath(const std::u16string& path, char16_t* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  if (path.size() >= capacity) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, path.c_str(), (path.size() + 1) * sizeof(char16_t));
  return true;
}

}  // namespace

const char16_t* ResourceFolder() { return Folders().resource.c_str(); }
const char* ResourceFolderAnsi() { return Folders().resourceAnsi.c_str(); }
const char16_t* DataFolder() { return Folders().data.c_str(); }

void SetResourceFolder(const char16_t* folder) {
  std::u16string text = folder ? folder : u"";
  if (!text.empty() && !IsSeparator(text.back())) text.push_back(u'\\');
  Folders().resource = text;
  Folders().resourceAnsi = WideToAnsi(text.c_str());
}

void SetDataFolder(const char16_t* folder) {
  std::u16string text = folder ? folder : u"";
  while (text.size() > 1 && IsSeparator(text.back())) text.pop_back();
  Folders().data = text;
}

std::u16string InitialResourceFolder() {
  char16_t program[1024];
  if (!platform::GetProgramFileName(program, 1024)) return std::u16string();
  std::u16string path = program;
  size_t last = path.find_last_of(u"\\/");
  return last == std::u16string::npos ? std::u16string() : path.substr(0, last + 1);
}

std::u16string InitialDataFolder() {
  char16_t appData[1024];
  if (!GetAppDataFolder(appData, 1024)) return std::u16string();
  return std::u16string(appData) + u"\\" + kCompanyKeyName;
}

bool MakeResourcePath(char16_t* out, size_t capacity, const char16_t* name) {
  return CopyPath(ResourcePath(name ? name : u""), out, capacity);
}

bool MakeResourcesSubPath(char16_t* out, size_t capacity, const char16_t* name) {
  return CopyPath(ResourcesSubPath(name ? name : u""), out, capacity);
}

bool MakeMusicPagesPath(char16_t* out, size_t capacity, const char16_t* name) {
  return CopyPath(MusicPagesPath(name ? name : u""), out, capacity);
}

bool GetMyDocumentsFolder(char16_t* out, int capacity) {
  return platform::GetSpecialFolder(platform::SpecialFolder::MyDocuments, out, capacity);
}

bool GetAppDataFolder(char16_t* out, int capacity) {
  return platform::GetSpecialFolder(platform::SpecialFolder::AppData, out, capacity);
}

bool ShellCopyFiles(const char16_t* sourcePattern, const char16_t* targetFolder) {
  return platform::CopyFilesMatching(sourcePattern, targetFolder);
}

void SetupMusicPages() {
  const std::u16string data = DataFolder();
  const std::u16string store = MusicPagesPath(u"");
  const std::u16string folders[] = {data, store, MusicPagesPath(u"Saved"), MusicPagesPath(u"PDF"),
                                    MusicPagesPath(u"Transfers")};
  for (const std::u16string& folder : folders) {
    if (!FileExists(folder.c_str())) FileMakeDir(folder.c_str());  // a failure shows later, when used
  }
  const std::u16string index = MusicPagesPath(u"!Index");
  if (FileExists(index.c_str())) return;

  const bool oldPagesInResources = FileExists(ResourcePath(u"MusicPages\\!Index").c_str());
  std::u16string source;
  if (oldPagesInResources) source = ResourcePath(u"MusicPages\\*.*");
  else if (FileExists((data + u"\\MusicPages\\!Index").c_str())) source = data + u"\\MusicPages\\*.*";
  else source = ResourcesSubPath(u"Default MusicPages\\*.*");

  bool copied = ShellCopyFiles(source.c_str(), store.c_str()) && FileExists(index.c_str());
  // The old pages go only once the new store holds them.
  if (copied && oldPagesInResources) DeleteTree(ResourcePath(u"MusicPages").c_str());
}

namespace {

using namespace platform::reg;

// Keys opened one below the other, closed in reverse order.
class KeyChain {
 public:
  KeyChain() = default;
  KeyChain(const KeyChain&) = delete;
  KeyChain& operator=(const KeyChain&) = delete;
  ~KeyChain() {
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) CloseKey(*it);
  }
  Key Last() const { return keys_.back(); }
  bool Open(Key parent, const char16_t* name, uint32_t access) { return Keep(OpenKey(parent, name, access, &key_)); }
  bool Create(Key parent, const char16_t* name, uint32_t access, bool* created = nullptr) {
    return Keep(CreateKey(parent, name, access, &key_, created));
  }
  // Read and write access, or read access when that is refused.
  bool CreateWritable(Key parent, const char16_t* name, bool* created = nullptr) {
    return Create(parent, name, kAccessAll, created) || Create(parent, name, kAccessRead, created);
  }

 private:
  bool Keep(long result) {
    if (result != kOk) return false;
    keys_.push_back(key_);
    return true;
  }
  std::vector<Key> keys_;
  Key key_ = 0;
};

constexpr char16_t kDataPathKeyName[] = u"DataPath";
constexpr char16_t kResourcePathValue[] = u"ResourcePath";
constexpr uint32_t kResourcePathMaxBytes = 512;

}  // namespace

void InitDataPath() {
  const std::u16string kept = ResourceFolder();
  KeyChain keys;
  if (!keys.Open(kLocalMachine, kSoftwareKeyName, kAccessRead)) {
    MessageById(nullptr, kStringCantOpenRegistry);
    return;
  }
  if (!keys.Create(keys.Last(), kCompanyKeyName, kAccessQuery) ||
      !keys.Create(keys.Last(), kProductKeyName, kAccessQuery)) {
    MessageById(nullptr, kStringCantAccessRegistry);
    return;
  }
  bool created = false;
  if (!keys.CreateWritable(keys.Last(), kSettingsKeyName) ||
      !keys.CreateWritable(keys.Last(), kDataPathKeyName, &created)) {
    MessageById(nullptr, kStringCantAccessRegistry);
    return;
  }
  Key dataPath = keys.Last();
  if (!created) {
    std::u16string stored;
    long result = ReadText(dataPath, kResourcePathValue, kResourcePathMaxBytes, &stored);
    if (result == kOk && !stored.empty()) {
      SetResourceFolder(stored.c_str());
      return;
    }
    if (result != kOk && result != kNotFound) {
      MessageById(nullptr, kStringCantReadRegistry);
      return;
    }
    // Empty or missing: the folder found at start-up is the one to keep.
  }
  WriteText(dataPath, kResourcePathValue, kept.c_str());
}

uint32_t GetFreeDiskSpace(const char16_t* path) {
  constexpr uint32_t kPlenty = 0x80000000u;
  char16_t folder[kFolderChars];
  if (!path) {
    if (!MakeMusicPagesPath(folder, u"")) return kPlenty;
    path = folder;
  }
  platform::OsVersion os{};
  if (platform::QueryOsVersion(&os) && os.platformId != 1 && os.platformId != 2) return kPlenty;
  uint64_t free = platform::FreeDiscSpace(path);
  return free >= (uint64_t(1) << 32) ? kPlenty : static_cast<uint32_t>(free);
}
