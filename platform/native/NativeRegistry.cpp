// The registry natively: an in-memory tree that behaves as the Windows one
// does for what the program asks of it. Key and value names compare without
// regard to case, "" and null name the unnamed value, a small buffer gets
// ERROR_MORE_DATA with the size needed, values are read and written only
// through handles opened with the rights for it. Text values are kept as
// UTF-16; while the program runs as on 9x, and in the ANSI calls, they pass
// as ANSI text, as the A entry points of the NT family pass them.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/TextUtils.h"
#include "platform/native/NativePlatform.h"

namespace platform::reg {

const Key kCurrentUser = 0x80000001u;
const Key kLocalMachine = 0x80000002u;

namespace {

enum : long { kInvalidHandle = 6, kInvalidParameter = 87, kBadPathname = 161, kKeyDeleted = 1018 };
enum : uint32_t { kRightQueryValue = 0x1, kRightSetValue = 0x2, kAllRights = 0xF003F };
enum : uint32_t { kTypeExpandSz = 2, kTypeMultiSz = 7 };

struct Value {
  std::u16string name;
  uint32_t type;
  std::vector<uint8_t> data;
};

struct Node {
  std::u16string name;
  std::u16string foldedPath;  // root and names from it, folded, joined by "\"
  std::vector<std::shared_ptr<Node>> children;
  std::vector<Value> values;  // in the order they were first set
  bool deleted = false;
};

struct Handle {
  std::shared_ptr<Node> node;
  uint32_t access;
};

struct InjectedFailure {
  std::u16string foldedPath;
  long error;
  uint32_t whenAccessHas;
};

struct Store {
  std::mutex lock;
  std::shared_ptr<Node> currentUser;
  std::shared_ptr<Node> localMachine;
  std::map<Key, Handle> open;
  Key nextHandle = 0x1000;
  std::vector<InjectedFailure> failures;
  uint64_t calls = 0;
  std::vector<std::u16string> writeLog;

  Store() { Reset(); }
  // A registry as a fresh system has it: each root with its "SOFTWARE" key.
  void Reset() {
    currentUser = NewRoot(u"HKEY_CURRENT_USER");
    localMachine = NewRoot(u"HKEY_LOCAL_MACHINE");
    open.clear();
    failures.clear();
    writeLog.clear();
  }
  static std::shared_ptr<Node> NewRoot(const char16_t* name) {
    auto root = std::make_shared<Node>();
    root->name = root->foldedPath = name;
    auto software = std::make_shared<Node>();
    software->name = u"SOFTWARE";
    software->foldedPath = root->foldedPath + u"\\software";
    root->children.push_back(software);
    return root;
  }
};

Store& TheStore() {
  static Store store;
  return store;
}

std::u16string Fold(const char16_t* text) {
  std::u16string folded;
  for (; text && *text; ++text) folded.push_back(FoldCase(*text));
  return folded;
}

bool SameName(const std::u16string& a, const char16_t* b) {
  return Fold(a.c_str()) == Fold(b ? b : u"");
}

// The node and rights a handle stands for; null when the handle is unknown.
const Handle* Resolve(Store& store, Key key, Handle* scratch) {
  if (key == kCurrentUser || key == kLocalMachine) {
    scratch->node = key == kCurrentUser ? store.currentUser : store.localMachine;
    scratch->access = kAllRights;
    return scratch;
  }
  auto found = store.open.find(key);
  return found == store.open.end() ? nullptr : &found->second;
}

// The handle of key for a call that needs the rights in need (none: 0); null,
// with the call's error, when the handle is unknown, its key deleted or the
// rights are missing, in that order.
const Handle* LiveHandle(Store& store, Key key, uint32_t need, Handle* scratch, long* error) {
  const Handle* handle = Resolve(store, key, scratch);
  *error = !handle ? kInvalidHandle
           : handle->node->deleted ? kKeyDeleted
           : (handle->access & need) != need ? kAccessDenied
                                             : kOk;
  return *error == kOk ? handle : nullptr;
}

// Splits "a\b\c" into its names; false for a path that starts with "\".
bool SplitPath(const char16_t* path, std::vector<std::u16string>* names) {
  names->clear();
  if (!path) return true;
  if (path[0] == u'\\') return false;
  std::u16string name;
  for (const char16_t* p = path;; ++p) {
    if (*p == u'\\' || *p == 0) {
      if (!name.empty()) names->push_back(name);
      name.clear();
      if (*p == 0) break;
    } else {
      name.push_back(*p);
    }
  }
  return true;
}

std::shared_ptr<Node> FindChild(const Node& node, const std::u16string& name) {
  for (const auto& child : node.children)
    if (SameName(child->name, name.c_str())) return child;
  return nullptr;
}

std::u16string TargetPath(const Node& from, const std::vector<std::u16string>& names) {
  std::u16string path = from.foldedPath;
  for (const auto& name : names) path += u"\\" + Fold(name.c_str());
  return path;
}

long InjectedError(const Store& store, const std::u16string& foldedPath, uint32_t access) {
  for (const auto& failure : store.failures)
    if (failure.foldedPath == foldedPath && (failure.whenAccessHas == 0 || (access & failure.whenAccessHas)))
      return failure.error;
  return kOk;
}

Key NewHandle(Store& store, std::shared_ptr<Node> node, uint32_t access) {
  Key key = store.nextHandle;
  store.nextHandle += 4;
  store.open[key] = Handle{std::move(node), access};
  return key;
}

long OpenOrCreate(Key parent, const char16_t* subkey, uint32_t access, Key* out, bool create, bool* created) {
  if (created) *created = false;
  if (!out) return kInvalidParameter;
  *out = 0;
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  ++store.calls;
  Handle scratch;
  long error;
  const Handle* from = LiveHandle(store, parent, 0, &scratch, &error);
  if (!from) return error;
  std::vector<std::u16string> names;
  if (!SplitPath(subkey, &names)) return kBadPathname;
  if (long error = InjectedError(store, TargetPath(*from->node, names), access)) return error;
  std::shared_ptr<Node> node = from->node;
  for (const auto& name : names) {
    std::shared_ptr<Node> child = FindChild(*node, name);
    if (!child) {
      if (!create) return kNotFound;
      child = std::make_shared<Node>();
      child->name = name;
      child->foldedPath = node->foldedPath + u"\\" + Fold(name.c_str());
      node->children.push_back(child);
      if (created) *created = true;
    }
    node = child;
  }
  *out = NewHandle(store, node, access);
  return kOk;
}

Value* FindValue(Node& node, const char16_t* name) {
  for (auto& value : node.values)
    if (SameName(value.name, name)) return &value;
  return nullptr;
}

bool IsText(uint32_t type) { return type == kTypeSz || type == kTypeExpandSz || type == kTypeMultiSz; }

// Stored UTF-16 text as the ANSI calls hand it out: exactly the stored units,
// a NUL among them included.
std::vector<uint8_t> WideBytesToAnsi(const std::vector<uint8_t>& data) {
  std::u16string units(data.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(&units[0], data.data(), units.size() * 2);
  std::vector<uint8_t> ansi;
  if (units.empty()) return ansi;
  int n = WideToMultiByte(kAnsiCodePage, units.data(), static_cast<int>(units.size()), nullptr, 0);
  ansi.resize(n > 0 ? static_cast<size_t>(n) : 0);
  if (n > 0) WideToMultiByte(kAnsiCodePage, units.data(), static_cast<int>(units.size()),
                             reinterpret_cast<char*>(ansi.data()), n);
  return ansi;
}

std::vector<uint8_t> AnsiBytesToWide(const uint8_t* data, uint32_t size) {
  std::vector<uint8_t> wide;
  if (size == 0) return wide;
  const char* text = reinterpret_cast<const char*>(data);
  int n = MultiByteToWide(kAnsiCodePage, text, static_cast<int>(size), nullptr, 0);
  if (n <= 0) return wide;
  std::u16string units(static_cast<size_t>(n), u'\0');
  MultiByteToWide(kAnsiCodePage, text, static_cast<int>(size), &units[0], n);
  wide.resize(units.size() * 2);
  std::memcpy(wide.data(), units.data(), wide.size());
  return wide;
}

long Query(Key key, const char16_t* name, uint32_t* type, void* data, uint32_t* size, bool ansiText) {
  if (data && !size) return kInvalidParameter;
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  ++store.calls;
  Handle scratch;
  long error;
  const Handle* handle = LiveHandle(store, key, kRightQueryValue, &scratch, &error);
  if (!handle) return error;
  const Value* value = FindValue(*handle->node, name);
  if (!value) return kNotFound;
  std::vector<uint8_t> bytes = ansiText && IsText(value->type) ? WideBytesToAnsi(value->data) : value->data;
  if (type) *type = value->type;
  uint32_t needed = static_cast<uint32_t>(bytes.size());
  if (!size) return kOk;
  if (data && *size < needed) {
    *size = needed;
    return kMoreData;
  }
  if (data && needed) std::memcpy(data, bytes.data(), needed);
  *size = needed;
  return kOk;
}

}  // namespace

long OpenKey(Key parent, const char16_t* subkey, uint32_t access, Key* out) {
  return OpenOrCreate(parent, subkey, access, out, false, nullptr);
}

long CreateKey(Key parent, const char16_t* subkey, uint32_t access, Key* out, bool* created) {
  return OpenOrCreate(parent, subkey, access, out, true, created);
}

long CloseKey(Key key) {
  if (key == kCurrentUser || key == kLocalMachine) return kOk;
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  return store.open.erase(key) ? static_cast<long>(kOk) : static_cast<long>(kInvalidHandle);
}

long QueryValue(Key key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  return Query(key, name, type, data, size, !IsWindowsNT());
}

long SetValue(Key key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  bool ansiText = !IsWindowsNT();  // asked before the lock: detection reads the registry
  if (size && !data) return kInvalidParameter;
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  Handle scratch;
  long error;
  const Handle* handle = LiveHandle(store, key, kRightSetValue, &scratch, &error);
  if (!handle) return error;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> stored = ansiText && IsText(type) ? AnsiBytesToWide(bytes, size)
                                                         : std::vector<uint8_t>(bytes, bytes + size);
  Value* value = FindValue(*handle->node, name);
  if (!value) {
    handle->node->values.push_back(Value{name ? name : u"", type, {}});
    value = &handle->node->values.back();
  }
  value->type = type;
  value->data = std::move(stored);
  store.writeLog.push_back(value->name);
  return kOk;
}

long DeleteValue(Key key, const char16_t* name) {
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  Handle scratch;
  long error;
  const Handle* handle = LiveHandle(store, key, kRightSetValue, &scratch, &error);
  if (!handle) return error;
  auto& values = handle->node->values;
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (SameName(it->name, name)) {
      values.erase(it);
      return kOk;
    }
  }
  return kNotFound;
}

namespace {
void MarkDeleted(Node& node) {
  node.deleted = true;
  for (auto& child : node.children) MarkDeleted(*child);
}
}  // namespace

long DeleteKeyTree(Key parent, const char16_t* subkey) {
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  Handle scratch;
  const Handle* from = Resolve(store, parent, &scratch);
  if (!from) return kInvalidHandle;
  std::vector<std::u16string> names;
  if (!SplitPath(subkey, &names)) return kBadPathname;
  if (names.empty()) return kInvalidParameter;  // the tool deletes below a key, not the key itself
  std::shared_ptr<Node> node = from->node;
  for (size_t k = 0; k + 1 < names.size(); ++k) {
    node = FindChild(*node, names[k]);
    if (!node) return kNotFound;
  }
  auto& children = node->children;
  for (auto it = children.begin(); it != children.end(); ++it) {
    if (SameName((*it)->name, names.back().c_str())) {
      MarkDeleted(**it);
      children.erase(it);
      return kOk;
    }
  }
  return kNotFound;
}

namespace {
bool AnsiName(const char* name, std::u16string* wide) {
  wide->clear();
  if (!name || !*name) return true;
  int n = MultiByteToWide(kAnsiCodePage, name, -1, nullptr, 0);
  if (n <= 0) return false;
  wide->resize(static_cast<size_t>(n));
  MultiByteToWide(kAnsiCodePage, name, -1, &(*wide)[0], n);
  wide->resize(static_cast<size_t>(n) - 1);  // the NUL the conversion counted
  return true;
}
}  // namespace

long OpenKeyAnsi(Key parent, const char* subkey, uint32_t access, Key* out) {
  std::u16string wide;
  if (!AnsiName(subkey, &wide)) return kInvalidParameter;
  return OpenKey(parent, subkey ? wide.c_str() : nullptr, access, out);
}

long QueryValueAnsi(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  std::u16string wide;
  if (!AnsiName(name, &wide)) return kInvalidParameter;
  return Query(key, wide.c_str(), type, data, size, true);
}

}  // namespace platform::reg

namespace platform {

void ResetRegistryForTest() {
  reg::Store& store = reg::TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  store.Reset();
}

void FailRegistryKeyForTest(reg::Key root, const char16_t* path, long error, uint32_t whenAccessHas) {
  reg::Store& store = reg::TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  std::vector<std::u16string> names;
  reg::SplitPath(path, &names);
  const std::shared_ptr<reg::Node>& from = root == reg::kCurrentUser ? store.currentUser : store.localMachine;
  store.failures.push_back({reg::TargetPath(*from, names), error, whenAccessHas});
}

uint64_t RegistryCallCountForTest() {
  reg::Store& store = reg::TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  return store.calls;
}

std::vector<std::u16string> RegistryValueNamesForTest(reg::Key root, const char16_t* path) {
  reg::Key key = 0;
  std::vector<std::u16string> names;
  if (reg::OpenKey(root, path, reg::kAccessRead, &key) != reg::kOk) return names;
  reg::Store& store = reg::TheStore();
  {
    std::lock_guard<std::mutex> hold(store.lock);
    for (const auto& value : store.open[key].node->values) names.push_back(value.name);
  }
  reg::CloseKey(key);
  return names;
}

std::vector<std::u16string> TakeRegistryWriteLogForTest() {
  reg::Store& store = reg::TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  std::vector<std::u16string> log;
  log.swap(store.writeLog);
  return log;
}

size_t OpenRegistryKeyCountForTest() {
  reg::Store& store = reg::TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  return store.open.size();
}

}  // namespace platform
