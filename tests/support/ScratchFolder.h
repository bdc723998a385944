// A fresh, empty folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, without a trailing separator, in the platform's form
  // (backslashes on Windows).
  const std::u16string& Path() const { return path_; }
  // Path() + separator + name.
  std::u16string File(const std::u16string& name) const;

 private:
  std::u16string path_;
};
