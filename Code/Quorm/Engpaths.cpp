#include "Code/Quorm/Engpaths.h"

#include <cstring>
#include <initializer_list>

#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace {

EnginePath engineFolder = {};

const char* Store(EnginePath& buffer, const EnginePath& path) {
  buffer = path;
  return buffer.text;
}

// A data file's path from the engine folder. Once a join comes out empty the
// path stays empty, so an over-long folder never names a file elsewhere.
EnginePath JoinAll(std::initializer_list<const char*> components) {
  EnginePath path = engineFolder;
  for (const char* component : components) {
    if (path.text[0] == '\0') break;
    path = JoinEnginePath(path, component);
  }
  return path;
}

}  // namespace

EnginePath JoinEnginePath(const EnginePath& base, const char* component) {
  EnginePath joined = {};
  if (component == nullptr) return joined;
  size_t baseLength = strnlen(base.text, kEnginePathBytes - 1);
  size_t componentLength = std::strlen(component);
  if (baseLength + componentLength + 2 >= static_cast<size_t>(kEnginePathBytes)) return joined;
  std::memcpy(joined.text, base.text, baseLength);
  joined.text[baseLength] = '\\';
  std::memcpy(joined.text + baseLength + 1, component, componentLength + 1);
  return joined;
}

bool MakeEnginePath(const char* text, EnginePath* out) {
  *out = {};
  if (text == nullptr) return false;
  size_t length = strnlen(text, kEnginePathBytes);
  if (length >= static_cast<size_t>(kEnginePathBytes)) return false;
  std::memcpy(out->text, text, length + 1);
  return true;
}

void SetEngineFolder(const char* path) {
  EnginePath copy;
  if (!MakeEnginePath(path, &copy)) copy = {};
  engineFolder = copy;
}

const EnginePath& EngineFolder() { return engineFolder; }

std::FILE* OpenEngineFile(const char* path, const char* mode) {
  if (path == nullptr || *path == '\0' || mode == nullptr) return nullptr;
  return platform::OpenStream(AnsiToWide(path), mode);
}

const char* GetFssRefPath(int old) {
  static EnginePath buffer;
  return Store(buffer, JoinAll({"Learned", old ? "fssOLD" : "fssSTD"}));
}

const char* GetNheadRefPath(int old) {
  static EnginePath buffer;
  return Store(buffer, JoinAll({"Learned", old ? "nhOLD" : "nhSTD"}));
}

const char* GetTextRefPath() {
  static EnginePath buffer;
  return Store(buffer, JoinAll({"Learned", "Text"}));
}

const char* GetLangDataPath(const char* language) {
  static EnginePath buffer;
  return Store(buffer, JoinAll({"Langs", language, "langdata.txt"}));
}

const char* GetSylngramPath(const char* language) {
  static EnginePath buffer;
  return Store(buffer, JoinAll({"Langs", language, "sylngram.bin"}));
}

const char* GetUserDictPath() {
  static EnginePath buffer;
  return Store(buffer, JoinAll({"User", "dict.txt"}));
}

int32_t ReadInt32LE(std::FILE* stream) {
  uint8_t bytes[4];
  ReadEngineBytes(stream, bytes, sizeof bytes);
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return static_cast<int32_t>(value);
}

void ReadEngineBytes(std::FILE* stream, uint8_t* out, size_t n) {
  const size_t read = std::fread(out, 1, n, stream);
  std::memset(out + read, 0, n - read);
}

long EngineFileSize(std::FILE* stream) {
  long here = std::ftell(stream);
  if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(stream);
  std::fseek(stream, here, SEEK_SET);
  return size;
}
