#include "export/NiffStringList.h"

#include "export/NiffWriterError.h"
#include "platform/Utf8.h"

void NiffStringList::Add(const std::u16string& text) {
  if (index_.count(text)) return;
  index_[text] = texts_.size();
  texts_.push_back(text);
  offsets_.push_back(nextOffset_);
  nextOffset_ += static_cast<uint32_t>(FileForm(text).size() + 1);
}

uint32_t NiffStringList::OffsetOf(const std::u16string& text) const {
  auto it = index_.find(text);
  CheckOrThrow(it != index_.end());
  return offsets_[it->second];
}

// NULs are left out (the table ends each string with one), so the text is
// converted piece by piece between them.
std::string NiffStringList::FileForm(const std::u16string& text) {
  std::string out;
  const char16_t* const end = text.c_str() + text.size();
  for (const char16_t* piece = text.c_str(); piece < end;
       piece += std::char_traits<char16_t>::length(piece) + 1)
    out += Utf16ToUtf8(piece);
  return out;
}
