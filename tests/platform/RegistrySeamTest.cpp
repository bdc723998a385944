// The registry as the settings and folder code rely on it. Natively this is
// the in-memory registry; under Wine the same expectations hold for the real
// one, which keeps the two honest with each other.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Registry.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/support/TestText.h"

using namespace platform::reg;

namespace {

const std::u16string kBase = std::u16string(regtest::kSettingsPath) + u"\\Registry seam";

class RegistrySeam : public testing::Test {
 protected:
  void SetUp() override { regtest::CleanRegistry(); }
  void TearDown() override { regtest::CleanRegistry(); }
};

TEST_F(RegistrySeam, CreateTellsWhetherTheKeyIsNewAndNamesIgnoreCase) {
  Key key = 0;
  bool created = false;
  ASSERT_EQ(CreateKey(kCurrentUser, (kBase + u"\\Mixed Case").c_str(), kAccessAll, &key, &created), kOk);
  EXPECT_TRUE(created);
  CloseKey(key);
  ASSERT_EQ(CreateKey(kCurrentUser, (kBase + u"\\MIXED case").c_str(), kAccessAll, &key, &created), kOk);
  EXPECT_FALSE(created);
  ASSERT_EQ(SetValue(key, u"Some Value", kTypeDword, "\x07\0\0\0", 4), kOk);
  CloseKey(key);

  std::u16string lower = u"software\\velmorant\\korvalinde\\settings\\registry seam\\mixed case";
  ASSERT_EQ(OpenKey(kCurrentUser, lower.c_str(), kAccessRead, &key), kOk);
  uint32_t type = 0, value = 0, size = 4;
  EXPECT_EQ(QueryValue(key, u"SOME VALUE", &type, &value, &size), kOk);
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeDword));
  EXPECT_EQ(value, 7u);
  CloseKey(key);
}

TEST_F(RegistrySeam, MissingKeysAndValuesAreNotFound) {
  Key key = 0;
  EXPECT_EQ(OpenKey(kCurrentUser, (kBase + u"\\Nowhere").c_str(), kAccessRead, &key), kNotFound);
  ASSERT_EQ(CreateKey(kCurrentUser, kBase.c_str(), kAccessAll, &key, nullptr), kOk);
  uint32_t size = 16;
  char data[16];
  EXPECT_EQ(QueryValue(key, u"Nothing", nullptr, data, &size), kNotFound);
  EXPECT_EQ(DeleteValue(key, u"Nothing"), kNotFound);
  CloseKey(key);
}

TEST_F(RegistrySeam, NullAndEmptyNameBothMeanTheUnnamedValue) {
  regtest::SetText(kCurrentUser, kBase, nullptr, u"unnamed");
  EXPECT_EQ(regtest::GetText(kCurrentUser, kBase, u""), u"unnamed");
  regtest::SetText(kCurrentUser, kBase, u"", u"again");
  EXPECT_EQ(regtest::GetText(kCurrentUser, kBase, nullptr), u"again");
}

TEST_F(RegistrySeam, SmallBufferGetsMoreDataWithTheSizeNeeded) {
  regtest::SetText(kCurrentUser, kBase, u"Text", u"abcdef");  // 14 bytes with the NUL
  Key key = 0;
  ASSERT_EQ(OpenKey(kCurrentUser, kBase.c_str(), kAccessRead, &key), kOk);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(QueryValue(key, u"Text", &type, nullptr, &size), kOk);  // measuring
  EXPECT_EQ(size, 14u);
  char16_t small[4];
  size = sizeof small;
  EXPECT_EQ(QueryValue(key, u"Text", &type, small, &size), kMoreData);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeSz));
  char16_t whole[7];
  size = sizeof whole;
  EXPECT_EQ(QueryValue(key, u"Text", &type, whole, &size), kOk);
  EXPECT_EQ(std::u16string(whole), u"abcdef");
  CloseKey(key);
}

TEST_F(RegistrySeam, ValuesKeepTypeAndBytes) {
  const uint8_t block[5] = {1, 2, 0, 0xFF, 9};
  regtest::SetRaw(kCurrentUser, kBase, u"Block", kTypeBinary, block, 5);
  uint32_t type = 0;
  std::vector<uint8_t> data;
  ASSERT_TRUE(regtest::GetRaw(kCurrentUser, kBase, u"Block", &type, &data));
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeBinary));
  EXPECT_EQ(data, std::vector<uint8_t>(block, block + 5));
  regtest::SetDword(kCurrentUser, kBase, u"Block", 0x01020304);  // a new type replaces the old
  EXPECT_EQ(regtest::GetDword(kCurrentUser, kBase, u"Block"), 0x01020304u);
}

TEST_F(RegistrySeam, AKeyOpenedForQueryCannotWrite) {
  Key key = 0;
  ASSERT_EQ(CreateKey(kCurrentUser, kBase.c_str(), kAccessAll, &key, nullptr), kOk);
  CloseKey(key);
  ASSERT_EQ(OpenKey(kCurrentUser, kBase.c_str(), kAccessQuery, &key), kOk);
  EXPECT_EQ(SetValue(key, u"x", kTypeDword, "\1\0\0\0", 4), kAccessDenied);
  // Keys below it can still be made through it, as the settings store does.
  Key child = 0;
  EXPECT_EQ(CreateKey(key, u"Child", kAccessAll, &child, nullptr), kOk);
  CloseKey(child);
  CloseKey(key);
}

TEST_F(RegistrySeam, DeleteKeyTreeRemovesEverythingBelow) {
  regtest::SetText(kCurrentUser, kBase + u"\\A\\B", u"v", u"x");
  ASSERT_EQ(DeleteKeyTree(kCurrentUser, (kBase + u"\\A").c_str()), kOk);
  EXPECT_FALSE(regtest::KeyExists(kCurrentUser, kBase + u"\\A\\B"));
  EXPECT_FALSE(regtest::KeyExists(kCurrentUser, kBase + u"\\A"));
  EXPECT_TRUE(regtest::KeyExists(kCurrentUser, kBase));
  EXPECT_EQ(DeleteKeyTree(kCurrentUser, (kBase + u"\\A").c_str()), kNotFound);
}

TEST_F(RegistrySeam, AnsiCallsTakeAnsiNamesAndGiveAnsiText) {
  regtest::SetText(kCurrentUser, kBase + u"\\Gr\u00FC\u00DFe", u"T\u00EAte", u"Cl\u00E9");
  std::string path = U8(kBase) + "\\Gr\xFC\xDF" "e";  // code page 1252
  Key key = 0;
  ASSERT_EQ(OpenKeyAnsi(kCurrentUser, path.c_str(), kAccessRead, &key), kOk);
  char text[16] = {};
  uint32_t type = 0, size = sizeof text;
  ASSERT_EQ(QueryValueAnsi(key, "T\xEAte", &type, text, &size), kOk);
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeSz));
  EXPECT_EQ(size, 4u);  // three characters and the NUL, one byte each
  EXPECT_STREQ(text, "Cl\xE9");
  CloseKey(key);
}

}  // namespace
