#include "tests/Code/Quorm/EngineDataFolder.h"

#include <cstdio>
#include <initializer_list>

#include "Code/Quorm/Engpaths.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

const char16_t* const kDataFiles[] = {
    u"Learned\\fssOLD", u"Learned\\fssSTD", u"Learned\\nhOLD", u"Learned\\nhSTD", u"Learned\\Text",
    u"Langs\\English\\langdata.txt", u"Langs\\English\\sylngram.bin", u"User\\dict.txt",
};
// The files of the sample set; the others of kDataFiles come from the
// shipped set in a sample folder too.
const char16_t* const kSampleFiles[] = {
    u"Learned\\fssOLD", u"Learned\\nhOLD", u"Learned\\Text", u"Langs\\English\\langdata.txt",
    u"Langs\\English\\sylngram.bin", u"User\\dict.txt",
};
const char16_t* const kFolders[] = {u"Resources", u"Resources\\Quorm", u"Resources\\Quorm\\Learned",
                                    u"Resources\\Quorm\\Langs", u"Resources\\Quorm\\Langs\\English",
                                    u"Resources\\Quorm\\User"};

}  // namespace

void PutInt32(Bytes& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

void PutBytes(Bytes& out, const uint8_t* data, size_t n) { out.insert(out.end(), data, data + n); }

Bytes MusicRecordBytes(int32_t type, int32_t minWidth, int32_t maxWidth, int32_t minHeight, int32_t maxHeight) {
  Bytes out;
  PutInt32(out, 1);
  PutInt32(out, 2);
  for (int i = 0; i < 32; ++i) out.push_back(static_cast<uint8_t>('a' + i % 26));
  PutInt32(out, type);
  for (int i = 0; i < 188; ++i) out.push_back(static_cast<uint8_t>(i * 7));
  for (int32_t v : {minWidth, maxWidth, minHeight, maxHeight}) PutInt32(out, v);
  return out;
}

Bytes NoteheadRecordBytes(int32_t headClass, int32_t variant) {
  Bytes out;
  for (int32_t v : {headClass, 5, variant, 6, 7, 8}) PutInt32(out, v);
  for (int i = 0; i < 180; ++i) out.push_back(static_cast<uint8_t>(255 - i));
  return out;
}

Bytes ReferenceFile(int32_t count, const std::vector<Bytes>& records) {
  Bytes out;
  PutInt32(out, count);
  for (const Bytes& r : records) out.insert(out.end(), r.begin(), r.end());
  return out;
}

std::string ReadFileBytes(const std::u16string& path) {
  std::string data;
  if (std::FILE* f = platform::OpenStream(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) data.append(buffer, n);
    std::fclose(f);
  }
  return data;
}

void WriteFileBytes(const std::u16string& path, const std::string& data) {
  std::FILE* f = platform::OpenStream(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
}

std::u16string ShippedEngineFolder() { return BuildPath("bin/Resources/Quorm"); }
std::u16string SampleEngineFolder() { return BuildPath("test-data/Quorm"); }
namespace {

bool FileOpens(const std::u16string& path) {
  std::FILE* probe = platform::OpenStream(path.c_str(), "rb");
  if (probe == nullptr) return false;
  std::fclose(probe);
  return true;
}

bool IsSampleFile(const char16_t* file) {
  for (const char16_t* sample : kSampleFiles)
    if (std::u16string(sample) == file) return true;
  return false;
}

}  // namespace

std::string MissingEngineData() {
  std::string missing;
  auto check = [&](const std::u16string& folder, const char16_t* file) {
    std::u16string path = folder + u"\\" + file;
    if (!FileOpens(path)) missing += "\n  " + EngineText(path);
  };
  for (const char16_t* file : kDataFiles) check(ShippedEngineFolder(), file);
  for (const char16_t* file : kSampleFiles) check(SampleEngineFolder(), file);
  if (missing.empty()) return missing;
  return "the engine's data files are missing:" + missing +
         "\nbuild the target kv_engine_data (Code/Quorm/data, written by tools/make_engine_data.py) "
         "before running the engine tests";
}

::testing::AssertionResult EngineDataBuilt() {
  std::string missing = MissingEngineData();
  if (missing.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << missing;
}

std::string EngineText(const std::u16string& path) { return WideToAnsi(path.c_str()); }

EngineDataFolder::EngineDataFolder(bool samples)
    : savedResourceFolder_(ResourceFolder()), savedEngineFolder_(EngineFolder().text) {
  for (const char16_t* folder : kFolders) platform::MakeDirectory(scratch_.File(folder).c_str());
  engine_ = scratch_.File(u"Resources\\Quorm");
  std::u16string from = samples ? SampleEngineFolder() : ShippedEngineFolder();
  for (const char16_t* file : kDataFiles) {
    std::u16string source = (samples && IsSampleFile(file) ? from : ShippedEngineFolder()) + u"\\" + file;
    if (!FileOpens(source)) ADD_FAILURE() << MissingEngineData();
    Write(file, ReadFileBytes(source));
  }
  SetResourceFolder(scratch_.Path().c_str());
  SetEngineFolder(EngineText(engine_).c_str());
}

EngineDataFolder::~EngineDataFolder() {
  SetResourceFolder(savedResourceFolder_.c_str());
  SetEngineFolder(savedEngineFolder_.c_str());
}

std::u16string EngineDataFolder::File(const std::u16string& relative) const { return engine_ + u"\\" + relative; }

void EngineDataFolder::Remove(const std::u16string& relative) const { platform::RemoveFile(File(relative).c_str()); }
