#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "export/niffio/NiffChunks.h"
#include "export/niffio/NiffTables.h"
#include "platform/Platform.h"
#include "tests/export/NiffioDoubles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestFiles.h"

namespace {

std::string Name(RIFFIOFOURCC code) {
  char text[5];
  RIFFIOFOURCCToString(code, text);
  return text;
}

TEST(NiffChunkWriter, WritesNestedListsAndPaddedChunksByteForByte) {
  ScratchFolder folder;
  const std::u16string path = folder.File(u"small.nif");
  std::FILE* stream = platform::OpenStream(path.c_str(), "wb");
  ASSERT_NE(stream, nullptr);
  RiffErrorLog log;
  NIFFIOStorage* storage = NIFFIOStorageNewSTDC(stream);
  ASSERT_NE(storage, nullptr);
  EXPECT_EQ(NIFFIOStorageGetCurrent(), storage);
  EXPECT_EQ(BuildSmallNiff(), 1);
  NIFFIOStorageDelete(storage);
  EXPECT_EQ(NIFFIOStorageGetCurrent(), nullptr);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(ReadBytes(path), kSmallNiff);
}

TEST(NiffChunkWriter, AnOutermostRiffWritesEveryNumberLowByteFirst) {
  MemoryFile memory;
  RIFFIOChunk form, chunk;
  form.id = kRIFFIO_RIFF;
  form.type = RIFFIOMakeFOURCC("TEST");
  chunk.id = RIFFIOMakeFOURCC("abcd");
  ASSERT_TRUE(RIFFIOChunkCreate(&memory.file, &form));
  ASSERT_TRUE(RIFFIOChunkCreate(&memory.file, &chunk));
  ASSERT_TRUE(RIFFIOWrite16(&memory.file, 0x0102) && RIFFIOWrite32(&memory.file, 0x03040506) &&
              RIFFIOWrite8(&memory.file, 9));
  ASSERT_TRUE(RIFFIOChunkFinalize(&memory.file, &chunk));
  ASSERT_TRUE(RIFFIOChunkFinalize(&memory.file, &form));
  const std::vector<uint8_t> expected = {'R', 'I', 'F', 'F', 20, 0, 0, 0, 'T', 'E', 'S', 'T', 'a', 'b',
                                         'c', 'd', 7,   0,   0,  0, 2, 1, 6,   5,   4,   3,   9,   0};
  EXPECT_EQ(memory.bytes, expected);
  EXPECT_EQ(chunk.size, 7u);
  EXPECT_EQ(form.size, 20u);
}

TEST(NiffChunkWriter, DefaultLengthTableIsWrittenSortedAsTextAndAdopted) {
  MemoryFile memory;
  MemoryStorage storage(memory);
  ASSERT_TRUE(NIFFIOStartNiff() && NIFFIOStoreDefaultCLT() && NIFFIOStorageListEnd());
  const std::vector<uint8_t>& b = memory.bytes;
  ASSERT_EQ(b.size(), 12u + 8u + 84u * 8u);
  EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "clt ");
  EXPECT_EQ((b[18] << 8) | b[19], 84 * 8);
  std::vector<std::string> ids;
  for (size_t at = 20; at < b.size(); at += 8) ids.push_back(std::string(b.begin() + at, b.begin() + at + 4));
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
  EXPECT_EQ(ids.front(), "IARL");
  EXPECT_EQ(ids[21], "ISRF");
  EXPECT_EQ(ids[22], "acdl");
  EXPECT_EQ(ids.back(), "tupl");
  const auto clt = std::find(ids.begin(), ids.end(), "clt ");
  ASSERT_NE(clt, ids.end());
  EXPECT_EQ(*(clt + 1), "cstg");
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 24, b.begin() + 28), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  ASSERT_NE(memory.file.clt, nullptr);
  const NIFFIOCLTEntry* nnfo = NIFFIOCLTFind(memory.file.clt, RIFFIOMakeFOURCC("nnfo"));
  ASSERT_NE(nnfo, nullptr);
  EXPECT_EQ(nnfo->length, 14);
}

TEST(NiffChunkWriter, LengthTableTakesLettersAndDigitsWithTrailingSpacesOnly) {
  struct Case {
    const char* id;
    bool valid;
  } cases[] = {{"tie ", true},
               {"clt ", true},
               {"A1b2", true},
               {"a   ", true},
               {" tie", false},
               {"ti e", false},
               {"    ", false},
               {"ab-c", false},
               {"\xE9"
                "abc",
                false}};
  NIFFIOChunkLengthTable* table = NIFFIOCLTNew();
  for (const Case& c : cases) {
    RiffErrorLog log;
    EXPECT_EQ(NIFFIOCLTMakeEntry(table, c.id, 3), c.valid ? 1 : 0) << c.id;
    EXPECT_EQ(log.lines().empty(), c.valid) << c.id;
    EXPECT_EQ(NIFFIOCLTFind(table, RIFFIOFOURCCFromChars(c.id)) != nullptr, c.valid) << c.id;
  }
  {
    RiffErrorLog log;
    NIFFIOCLTMakeEntry(table, "ti e", 1);
    EXPECT_TRUE(log.Has("NIFFIOCLTMakeEntry: Entry has an invalid chunkName <ti e>"));
  }
  ASSERT_TRUE(NIFFIOCLTMakeEntry(table, "tie ", 9));
  EXPECT_EQ(NIFFIOCLTFind(table, RIFFIOMakeFOURCC("tie "))->length, 9);
  NIFFIOCLTDelete(table);
}

TEST(NiffChunkWriter, StringTableOffsetsCountTheTerminatingZero) {
  MemoryFile memory;
  MemoryStorage storage(memory);
  NIFFIOStblEntry strings[] = {{"ab", 99}, {"c", 99}};
  ASSERT_TRUE(NIFFIOStartNiff() && NIFFIOChunkStbl());
  EXPECT_EQ(NIFFIOStblStore(strings, 2), 2);
  ASSERT_TRUE(NIFFIOStorageListEnd());
  EXPECT_EQ(strings[0].offset, 0u);
  EXPECT_EQ(strings[1].offset, 3u);
  const std::vector<uint8_t> chunk(memory.bytes.begin() + 12, memory.bytes.end());
  EXPECT_EQ(chunk, (std::vector<uint8_t>{'s', 't', 'b', 'l', 0, 0, 0, 5, 'a', 'b', 0, 'c', 0, 0}));
}

TEST(NiffChunkWriter, EndingAListWithNoneOpenSucceeds) {
  MemoryFile memory;
  MemoryStorage storage(memory);
  RiffErrorLog log;
  EXPECT_EQ(NIFFIOStorageListEnd(), 1);
  EXPECT_TRUE(memory.bytes.empty());
  EXPECT_TRUE(log.lines().empty());
}

TEST(NiffChunkWriter, TagDataBeyondItsSizeByteIsRefused) {
  MemoryFile memory;
  MemoryStorage storage(memory);
  RiffErrorLog log;
  NIFFIOTag tag;
  tag.id = 0x03;
  const std::vector<uint8_t> data(300, 0x55);
  ASSERT_TRUE(NIFFIOStartNiff() && NIFFIOChunkTupl() && NIFFIOStorageTagStart(&tag));
  ASSERT_TRUE(RIFFIOWriteBytes(&memory.file, data.data(), data.size()));
  EXPECT_EQ(NIFFIOStorageListEnd(), 0);
  EXPECT_TRUE(log.Has("NIFFIOTagFinalize: Tag 3 of 300 bytes does not fit its size byte"));
  EXPECT_TRUE(log.Has("NIFFIOStorageListEnd: Failed to finalize possible pending chunks or tags"));
}

TEST(NiffChunkWriter, EveryFailedWriteFailsTheBuildWithAReport) {
  for (size_t limit = 0; limit < kSmallNiff.size(); ++limit) {
    MemoryFile memory;
    memory.writeLimit = limit;
    MemoryStorage storage(memory);
    RiffErrorLog log;
    EXPECT_EQ(BuildSmallNiff(), 0) << "writes stop at byte " << limit;
    EXPECT_FALSE(log.lines().empty()) << "writes stop at byte " << limit;
  }
}

TEST(NiffChunkWriter, FailuresOfTheLengthTableAndTheFlushAreFailures) {
  {
    MemoryFile memory;
    memory.writeLimit = 12;  // the form's header fits, the "clt " chunk does not
    MemoryStorage storage(memory);
    RiffErrorLog log;
    ASSERT_TRUE(NIFFIOStartNiff());
    EXPECT_EQ(NIFFIOStoreDefaultCLT(), 0);
    EXPECT_TRUE(log.Has("NIFFIOStoreDefaultCLT: Failed to start a CLT chunk"));
    EXPECT_EQ(memory.bytes.size(), 12u);
  }
  {
    MemoryFile memory;
    memory.writeLimit = 12 + 8 + 100;  // the table breaks off
    MemoryStorage storage(memory);
    RiffErrorLog log;
    ASSERT_TRUE(NIFFIOStartNiff());
    EXPECT_EQ(NIFFIOStoreDefaultCLT(), 0);
    EXPECT_TRUE(log.Has("NIFFIOStoreDefaultCLT: NIFFIOStoreCLT failed"));
    EXPECT_EQ(memory.file.clt, nullptr);
  }
  {
    MemoryFile memory;
    memory.failFlush = true;
    MemoryStorage storage(memory);
    RiffErrorLog log;
    EXPECT_EQ(BuildSmallNiff(), 0);
    EXPECT_TRUE(log.Has("NIFFIOStorageListEnd: Failed to flush the file"));
  }
}

TEST(NiffChunkWriter, AStreamThatRefusesWritesFailsTheFirstStep) {
  ScratchFolder folder;
  const std::u16string path = folder.File(u"read-only.nif");
  std::FILE* stream = platform::OpenStream(path.c_str(), "wb");
  ASSERT_NE(stream, nullptr);
  std::fclose(stream);
  stream = platform::OpenStream(path.c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  RiffErrorLog log;
  NIFFIOStorage* storage = NIFFIOStorageNewSTDC(stream);
  ASSERT_NE(storage, nullptr);
  EXPECT_EQ(NIFFIOStartNiff(), 0);
  EXPECT_TRUE(log.Has("RIFFIOChunkCreate: Failed to write chunk id"));
  EXPECT_TRUE(log.Has("NIFFIOStorageListStart: Failed to create list"));
  NIFFIOStorageDelete(storage);
  std::fclose(stream);
}

TEST(NiffChunkWriter, AFailedStorageLeavesNoCurrentStorage) {
  RiffErrorLog log;
  EXPECT_EQ(NIFFIOStorageNewSTDC(nullptr), nullptr);
  EXPECT_TRUE(log.Has("NIFFIOStorageNewSTDC: Failed to initialize a new NIFFIOFile"));
  EXPECT_EQ(NIFFIOStorageGetCurrent(), nullptr);
  EXPECT_EQ(NIFFIOChunkAcdl(1), 0);
  EXPECT_EQ(NIFFIOStorageListEnd(), 0);
  EXPECT_TRUE(log.Has("NIFFIOStorageChunkStart: No current NIFFIOStorage with a file"));
}

TEST(NiffChunkWriter, ChunkFunctionsWriteTheirFixedFieldsInOrder) {
  struct Case {
    int (*write)();
    const char* id;
    uint8_t size;  // without the pad byte
    std::vector<uint8_t> data;
  } cases[] = {
      {[]() -> int { return NIFFIOChunkNnfo("6b\0\0\0\0\0", 1, 2, 0x0304, 0x0506); },
       "nnfo",
       14,
       {'6', 'b', 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6}},
      {[]() -> int { return NIFFIOChunkPart(0x0102, 3, 0x04050607, 8, 9, 10, 11); },
       "part",
       14,
       {1, 2, 0, 0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
      {[]() -> int { return NIFFIOChunkBarl(1, 2, 0x0304); }, "barl", 4, {1, 2, 3, 4}},
      {[]() -> int { return NIFFIOChunkGtgr(6, 5, 0x01020304); }, "gtgr", 6, {6, 5, 1, 2, 3, 4}},
      {[]() -> int { return NIFFIOChunkLyrc(0x01020304, 2); }, "lyrc", 5, {1, 2, 3, 4, 2, 0}},
      {[]() -> int { return NIFFIOChunkRept(0x0102, 3); }, "rept", 3, {1, 2, 3, 0}},
      {[]() -> int {
         return NIFFIOChunkRest(1, 2, RIFFIORational{1, 4});
       },
       "rest",
       6,
       {1, 2, 0, 1, 0, 4}},
      {[]() -> int {
         return NIFFIOChunkTmsl(1, RIFFIORational{3, 2});
       },
       "tmsl",
       5,
       {1, 0, 3, 0, 2, 0}},
      {[]() -> int { return NIFFIOChunkSlur() && NIFFIOTag01(0x0102, 0x0304) && NIFFIOTag10(); },
       "slur",
       8,
       {0x01, 4, 1, 2, 3, 4, 0x10, 0}},
      {[]() -> int { return NIFFIOChunkStem() && NIFFIOTag03(RIFFIOMakeFOURCC("ab c")); },
       "stem",
       6,
       {0x03, 4, 'a', 'b', ' ', 'c'}},
      {[]() -> int {
         return NIFFIOChunkAugd() && NIFFIOTag2D(RIFFIORational{1, 2}, RIFFIORational{3, 4}, 5);
       },
       "augd",
       12,
       {0x2D, 9, 0, 1, 0, 2, 0, 3, 0, 4, 5, 0}},
  };
  for (const Case& c : cases) {
    MemoryFile memory;
    MemoryStorage storage(memory);
    RiffErrorLog log;
    ASSERT_TRUE(NIFFIOStartNiff() && c.write() && NIFFIOStorageListEnd()) << c.id;
    const std::vector<uint8_t> chunk(memory.bytes.begin() + 12, memory.bytes.end());
    ASSERT_GE(chunk.size(), 8u) << c.id;
    EXPECT_EQ(Name(RIFFIOFOURCCFromChars(reinterpret_cast<const char*>(chunk.data()))), c.id);
    EXPECT_EQ(chunk[7], c.size) << c.id;
    EXPECT_EQ(std::vector<uint8_t>(chunk.begin() + 8, chunk.end()), c.data) << c.id;
    EXPECT_TRUE(log.lines().empty()) << c.id;
  }
}

}  // namespace
