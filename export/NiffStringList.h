// The strings of a NIFF file's string table, in the order they were added;
// each text keeps the offset that the table gave it. A text added twice is
// stored once.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class NiffStringList {
 public:
  void Add(const std::u16string& text);
  size_t Count() const { return texts_.size(); }
  const std::vector<std::u16string>& Texts() const { return texts_; }
  // The offsets until the table is written: the sum of (length + 1) of the
  // UTF-8 forms before each string.
  void SetOffset(size_t index, uint32_t offset) { offsets_[index] = offset; }
  // A text that was never added is an error (CNiffWriterError).
  uint32_t OffsetOf(const std::u16string& text) const;
  // The file form of a string: UTF-8.
  static std::string FileForm(const std::u16string& text);

 private:
  std::vector<std::u16string> texts_;
  std::vector<uint32_t> offsets_;
  std::map<std::u16string, size_t> index_;
  uint32_t nextOffset_ = 0;
};
