#include "export/NiffStringList.h"

#include "export/NiffWriterError.h"

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

std::string NiffStringList::FileForm(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone half of a pair
    }
    if (c == 0) continue;  // the table ends each string with a NUL
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
