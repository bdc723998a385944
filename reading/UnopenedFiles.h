// Telling the user about files that were not opened: one error box that
// names the file (or the files) and says why.
#pragma once

#include <string>
#include <vector>

// The box of one file: the headline (a UI string id: "TIFF didn't Open" or
// the general one), the path, and why.
void ReportFileNotOpened(const char16_t* path, unsigned headlineId, const char16_t* reason);
void ReportFileNotOpenedById(const char16_t* path, unsigned headlineId, unsigned reasonId);

// Why a path opens as nothing, as a UI string id: missing, a folder, an
// unreadable file, an empty file without extension, or else a file of no
// type the program opens.
unsigned WhyPathOpensNothing(const char16_t* path);

// Paths that opened as nothing, gathered while a drain of the open queue or
// a drop runs and told when it ends: one box per reason, in the order the
// reasons came, naming the first ten files of each.
class UnopenedFiles {
 public:
  void Add(const char16_t* path) { Add(path, WhyPathOpensNothing(path)); }
  void Add(const char16_t* path, unsigned reasonId);
  // Shows the boxes and forgets the paths.
  void Report();

 private:
  struct Group {
    unsigned reasonId;
    std::vector<std::u16string> paths;
  };
  std::vector<Group> groups_;
};
