#include <fstream>

#include "platform/native/NativePaths.h"
#include "platform/native/NativePlatform.h"
#include "tests/platform/RegistryTestSupport.h"

namespace regtest {

void ResetSeam() {
  platform::ResetRegistryForTest();
  platform::ResetOsVersionForTest();
}

std::vector<std::u16string> ValueNames(Key root, const char16_t* path) {
  return platform::RegistryValueNamesForTest(root, path);
}

// Some bytes, then the fixed version block of a version resource.
bool PlaceProgramWithVersion62(const std::u16string& path) {
  std::ofstream file(platform::native::ToNativePath(path.c_str()), std::ios::binary);
  const unsigned char bytes[] = {'M',  'Z',  0,    0,    0x11, 0x22, 0x33, 0x44,  // a little of a program
                                 0xBD, 0x04, 0xEF, 0xFE, 0x00, 0x00, 0x01, 0x00,  // signature, structure version
                                 0x02, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,  // 6.2, then 0.0
                                 0,    0,    0,    0};
  file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  return static_cast<bool>(file);
}

}  // namespace regtest

namespace regtest {

DocumentsFolderAt::DocumentsFolderAt(const std::u16string& folder) {
  platform::SetSpecialFolderForTest(platform::SpecialFolder::MyDocuments, folder.c_str());
}

DocumentsFolderAt::~DocumentsFolderAt() {
  platform::SetSpecialFolderForTest(platform::SpecialFolder::MyDocuments, nullptr);
}

}  // namespace regtest

namespace regtest {
void RemoveIfEmpty(Key, const char16_t*) {}
}  // namespace regtest
