#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/niffio/RiffFile.h"
#include "platform/Platform.h"
#include "tests/export/NiffioDoubles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"

namespace {

std::string Name(RIFFIOFOURCC code) {
  char text[5];
  RIFFIOFOURCCToString(code, text);
  return text;
}

// Walks every chunk inside parent (the whole file without one), tracing lists
// as "id/type[...]" and chunks as "id:size". False at the first refusal.
bool Walk(NIFFIOFile* file, const RIFFIOChunk* parent, std::string& trace, int depth = 0) {
  while (!RIFFIOChunkDataEnd(file, parent)) {
    RIFFIOChunk chunk;
    if (!RIFFIOChunkDescend(file, &chunk, parent)) return false;
    trace += Name(chunk.id);
    if (RIFFIOIsListId(chunk.id)) {
      trace += "/" + Name(chunk.type) + "[";
      if (depth > 16 || !Walk(file, &chunk, trace, depth + 1)) return false;
      trace += "]";
    } else {
      trace += ":" + std::to_string(chunk.size);
    }
    if (!RIFFIOChunkAscend(file, &chunk)) return false;
    trace += " ";
  }
  return true;
}

struct OpenedFile {
  explicit OpenedFile(const std::u16string& path) : stream(platform::OpenStream(path.c_str(), "rb")) {
    NIFFIOFileInitSTDC(&file, stream);
  }
  ~OpenedFile() {
    if (stream) std::fclose(stream);
  }
  std::FILE* stream;
  NIFFIOFile file;
};

std::u16string WriteFile(const ScratchFolder& folder, const std::vector<uint8_t>& bytes) {
  const std::u16string path = folder.File(u"test.nif");
  WriteTestFile(path, bytes);
  return path;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::vector<uint8_t> Text(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }
std::vector<uint8_t> Big32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

TEST(NiffChunkReader, DescendsAndAscendsThroughListsAndPaddedChunks) {
  ScratchFolder folder;
  OpenedFile opened(WriteFile(folder, kSmallNiff));
  ASSERT_NE(opened.stream, nullptr);
  RiffErrorLog log;
  std::string trace;
  EXPECT_TRUE(Walk(&opened.file, nullptr, trace));
  EXPECT_EQ(trace, "RIFX/NIFF[LIST/setp[acdl:1 tie :6 ] LIST/data[note:10 time:2 ] ] ");
  EXPECT_EQ(opened.file.byteOrder, RIFFIO_ORDER_BIG);
  EXPECT_TRUE(log.lines().empty());
}

TEST(NiffChunkReader, ReadsFieldsAndTagsOfOneChunk) {
  ScratchFolder folder;
  OpenedFile opened(WriteFile(folder, kSmallNiff));
  NIFFIOFile* file = &opened.file;
  RIFFIOChunk form, setp, data, note;
  ASSERT_TRUE(RIFFIOChunkDescend(file, &form, nullptr));
  ASSERT_TRUE(RIFFIOChunkDescend(file, &setp, &form));
  ASSERT_TRUE(RIFFIOChunkAscend(file, &setp));
  ASSERT_TRUE(RIFFIOChunkDescend(file, &data, &form));
  EXPECT_EQ(Name(data.type), "data");
  ASSERT_TRUE(RIFFIOChunkDescend(file, &note, &data));
  uint8_t shape = 0, step = 0, tagValue = 0;
  uint16_t numerator = 0, denominator = 0;
  ASSERT_TRUE(RIFFIORead8(file, &shape) && RIFFIORead8(file, &step) && RIFFIORead16(file, &numerator) &&
              RIFFIORead16(file, &denominator));
  EXPECT_EQ(shape, 5);
  EXPECT_EQ(step, 0xFE);
  EXPECT_EQ(numerator, 3);
  EXPECT_EQ(denominator, 8);
  NIFFIOTag tag;
  ASSERT_TRUE(NIFFIOTagDescend(file, &tag, &note));
  EXPECT_EQ(tag.id, 0x1D);
  EXPECT_EQ(tag.size, 1);
  ASSERT_TRUE(RIFFIORead8(file, &tagValue));
  EXPECT_EQ(tagValue, 9);
  ASSERT_TRUE(NIFFIOTagAscend(file, &tag));
  EXPECT_TRUE(RIFFIOChunkDataEnd(file, &note));
}

TEST(NiffChunkReader, HostileFilesAreRefusedCleanly) {
  const std::vector<uint8_t> niff = Text("NIFF");
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* report;
  } cases[] = {
      {"truncated header",
       {'R', 'I', 'F', 'X', 0, 0},
       "RIFFIOChunkDescend: Chunk header at 0 runs past the end of its container"},
      {"form past the end", Text("RIFX") + Big32(256) + niff,
       "RIFFIOChunkDescend: Chunk <RIFX> of 256 bytes runs past the end of its container"},
      {"form of the largest size", Text("RIFX") + Big32(0xFFFFFFFF) + niff,
       "RIFFIOChunkDescend: Chunk <RIFX> of 4294967295 bytes runs past the end of its container"},
      {"little-endian form past the end", Text("RIFF") + std::vector<uint8_t>{0, 1, 0, 0} + niff,
       "RIFFIOChunkDescend: Chunk <RIFF> of 256 bytes runs past the end of its container"},
      {"chunk past its form", Text("RIFX") + Big32(16) + niff + Text("acdl") + Big32(0x7FFFFFFF) + Big32(0),
       "RIFFIOChunkDescend: Chunk <acdl> of 2147483647 bytes runs past the end of its container"},
      {"chunk header cut by its form", Text("RIFX") + Big32(8) + niff + Text("acdl"),
       "RIFFIOChunkDescend: Chunk header at 12 runs past the end of its container"},
      {"list without room for its type", Text("RIFX") + Big32(14) + niff + Text("LIST") + Big32(2) + Text("ab"),
       "RIFFIOChunkDescend: List <LIST> of 2 bytes has no room for its type"},
      {"chunk past its list, inside the form",
       Text("RIFX") + Big32(28) + niff + Text("LIST") + Big32(12) + Text("setp") + Text("acdl") + Big32(4) + Big32(0),
       "RIFFIOChunkDescend: Chunk <acdl> of 4 bytes runs past the end of its container"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    OpenedFile opened(WriteFile(folder, c.bytes));
    ASSERT_NE(opened.stream, nullptr) << c.what;
    RiffErrorLog log;
    std::string trace;
    EXPECT_FALSE(Walk(&opened.file, nullptr, trace)) << c.what;
    EXPECT_TRUE(log.Has(c.report)) << c.what << ": " << (log.lines().empty() ? "" : log.lines().back());
  }
}

TEST(NiffChunkReader, TagsPastTheirChunkAreRefused) {
  const std::vector<uint8_t> note = Text("note") + Big32(8) + std::vector<uint8_t>{5, 0, 0, 1, 0, 4};
  struct Case {
    const char* what;
    std::vector<uint8_t> tagBytes;
    const char* report;
  } cases[] = {
      {"tag size past the chunk", {0x1D, 0x20}, "NIFFIOTagDescend: Tag 29 of 32 bytes runs past the end of its chunk"},
      {"tag header cut by the chunk", {0x1D}, "NIFFIOTagDescend: Tag header runs past the end of its chunk"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = note + c.tagBytes;
    bytes[7] = uint8_t(6 + c.tagBytes.size());
    MemoryFile memory;
    memory.bytes = bytes;
    RiffErrorLog log;
    RIFFIOChunk chunk;
    ASSERT_TRUE(RIFFIOChunkDescend(&memory.file, &chunk, nullptr)) << c.what;
    ASSERT_TRUE(RIFFIOSeek(&memory.file, 6, RIFFIO_SEEK_CUR));
    NIFFIOTag tag;
    EXPECT_FALSE(NIFFIOTagDescend(&memory.file, &tag, &chunk)) << c.what;
    EXPECT_TRUE(log.Has(c.report)) << c.what;
  }
}

}  // namespace
