// Items and part descriptors written for older file versions.
#include <gtest/gtest.h>

#include <vector>

#include "score/DownConversion.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreItem.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Converted(Bytes item, uint8_t from, uint8_t to) {
  DownConvertItem(item.data(), ItemLength(item.data(), from), from, to);
  return item;
}

TEST(DownConversionTest, ItemsOfNewerVersionsBecomeWhatOlderOnesKnow) {
  struct Case {
    const char* what;
    Bytes item;
    uint8_t to;
    Bytes written;
  } cases[] = {
      {"bar style 9", {0x48}, 4, {0x00}},
      {"bar style 7", {0x38}, 3, {0x38}},
      {"structure mark", {0x88}, 3, {0x88}},
      {"tablature clef", {0x51, 0x03}, 3, {0x09, 0x03}},
      {"tablature clef in version 4", {0x51, 0x03}, 4, {0x51, 0x03}},
      {"bass clef", {0x39, 0x01}, 3, {0x39, 0x01}},
      {"key not played", {0xA2}, 4, {0x22}},
      {"hidden time signature", {0x23, 0x85}, 3, {0x23, 0x85}},
      {"chord placement", {0x0C, 0x14, 0xFF, 0x00, 0x00, 0x0C}, 4, {0x0C, 0x14, 0xE3, 0x00, 0x00, 0x0C}},
      {"chord in voice 3", {0x0C, 0x14, 0x00, 0x00, 0xF8, 0x0C}, 3, {0x0C, 0x14, 0x00, 0x00, 0xF0, 0x0C}},
      {"chord in voice 1", {0x0C, 0x14, 0x00, 0x00, 0x08, 0x0C}, 3, {0x0C, 0x14, 0x00, 0x00, 0x08, 0x0C}},
      {"rest fields", {0x55, 0x7D}, 4, {0x55, 0x41}},
      {"rest in voice 3", {0x55, 0xC1}, 3, {0x55, 0x81}},
      {"multi-bar rest keeps its bars", {0x4D, 0xFF}, 4, {0x4D, 0xFF}},
      {"multi-bar rest in voice 3", {0x4D, 0xFF}, 3, {0x4D, 0xBF}},
      {"mark in voice 3", {0x8E, 0x01, 0xFF, 0x00, 0x00}, 3, {0x8E, 0x01, 0xBF, 0x00, 0x00}},
      {"pedal mark", {0xD6, 0x01, 0x40, 0x02, 0x03}, 4, {0xFE, 0x01, 0x40, 0x02, 0x03}},
      {"ornament mark", {0xE6, 0x01, 0x40, 0x02, 0x03}, 4, {0xFE, 0x01, 0x40, 0x02, 0x03}},
      {"tuplet", {0x86, 0x60, 0x40, 0x03, 0x0F}, 3, {0x86, 0x60, 0x40, 0x03, 0x0F}},
      {"coda word", {0x4F, 0x04, 0x00, 0x01, 0x02, 'C', 0x00}, 4, {0x07, 0x04, 0x00, 0x01, 0x02, 'C', 0x00}},
      {"segno word", {0x57, 0x02, 0x00, 0x01, 0x02}, 3, {0x07, 0x02, 0x00, 0x01, 0x02}},
      {"repeat ending", {0x67, 0x05, 0x00, 0x01, 0x02, 0x09, '2', 0x00}, 4,
       {0x07, 0x05, 0x00, 0x01, 0x02, '2', 0x00, 0x00}},
      {"repeat ending without text", {0x67, 0x03, 0x00, 0x01, 0x02, 0x09}, 4, {0x07, 0x03, 0x00, 0x01, 0x02, 0x00}},
      {"lyric", {0x0F, 0x02, 0x00, 0x01, 0x02}, 3, {0x0F, 0x02, 0x00, 0x01, 0x02}},
  };
  for (const Case& c : cases) EXPECT_EQ(Converted(c.item, 5, c.to), c.written) << c.what;
}

TEST(DownConversionTest, NothingChangesForTheSameVersion) {
  const Bytes stream = {0x48, 0x51, 0x03, 0xA2, 0xD6, 0x01, 0x40, 0x02, 0x03, 0x90};
  Bytes out;
  ASSERT_TRUE(AppendStreamForVersion(stream.data(), uint32_t(stream.size()), 5, 5, &out));
  EXPECT_EQ(out, stream);
  out.clear();
  ASSERT_TRUE(AppendStreamForVersion(stream.data(), uint32_t(stream.size()), 5, 3, &out));
  EXPECT_EQ(out, (Bytes{0x00, 0x09, 0x03, 0x22, 0xFE, 0x01, 0x40, 0x02, 0x03, 0x90}));
}

TEST(DownConversionTest, AStreamThatDoesNotWalkIsRefused) {
  // A text claiming 300 payload bytes with 4 left.
  const Bytes stream = {0x80, 0x07, 0x2C, 0x01, 0x01, 0x02, 0x41, 0x00};
  Bytes out = {0xAA};
  EXPECT_FALSE(AppendStreamForVersion(stream.data(), uint32_t(stream.size()), 5, 3, &out));
  EXPECT_FALSE(AppendStreamForVersion(stream.data(), uint32_t(stream.size()), 5, 5, &out));
  EXPECT_EQ(out, Bytes{0xAA});
}

TEST(PartDescriptorTest, PacksTheRecordsForEachVersion) {
  PartRecord record{};
  record.fields[0] = 31;
  record.fields[1] = 1;
  record.fields[2] = 16;
  record.tablatureFlag = 1;
  record.tablatureKind = 4;
  record.smallStave = 1;
  record.partFlag = 1;
  const uint32_t fields = 31 | 1 << 5 | 16 << 10;
  struct Case {
    uint32_t kind;
    uint8_t version;
    bool printTabRhythm;
    uint32_t descriptor;
  } cases[] = {
      {4, 5, true, fields | 4 << 18 | 1 << 21 | 1 << 22 | 1 << 23},
      {4, 5, false, fields | 1 << 17 | 4 << 18 | 1 << 21 | 1 << 22 | 1 << 23},
      {2, 4, true, fields | 2 << 18 | 1 << 21 | 1 << 22 | 1 << 23},
      {2, 3, true, fields | 5 << 18 | 1 << 21 | 1 << 22 | 1 << 23},
      {4, 3, true, fields | 4 << 18 | 1 << 21 | 1 << 22 | 1 << 23},
      {4, 2, true, fields | 5 << 18 | 1 << 21 | 1 << 22},
      {0, 2, true, fields | 1 << 21 | 1 << 22 | 1 << 23},
  };
  for (const Case& c : cases) {
    record.tablatureKind = c.kind;
    EXPECT_EQ(PackPartDescriptor(record, c.version, c.printTabRhythm), c.descriptor)
        << c.kind << " " << int(c.version);
  }
  record.tablatureKind = 4;
  const PartRecord back = UnpackPartDescriptor(PackPartDescriptor(record, 5, false));
  EXPECT_EQ(back.fields[0], 31);
  EXPECT_EQ(back.fields[1], 1);
  EXPECT_EQ(back.fields[2], 16);
  EXPECT_EQ(back.tablatureFlag, 1);
  EXPECT_EQ(back.tablatureKind, 4u);
  EXPECT_EQ(back.smallStave, 1);
  EXPECT_EQ(back.partFlag, 1);
}

TEST(PageCountTest, PageMarksFollowedByMoreStartPages) {
  struct Case {
    Bytes stream;
    int pages;
  } cases[] = {
      {{}, 1},
      {{0x80, 0x88, 0x90}, 1},
      {{0x80, 0x88, 0x80, 0x90}, 2},
      {{0x88}, 1},
      {{0x88, 0x88, 0x88, 0x90}, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CountStreamPages(c.stream.data(), uint32_t(c.stream.size()), 5, 20), c.pages);
  Bytes many;
  for (int i = 0; i < 25; ++i) many.insert(many.end(), {0x88, 0x80});
  EXPECT_EQ(CountStreamPages(many.data(), uint32_t(many.size()), 5, 20), 21);
}

}  // namespace
