#include "score/EditItem.h"

#include <cstring>

EditItem::EditItem() {
  for (auto& buffer : buffers_) buffer.assign(kMaxItemBytesExceptText, 0);
}

void EditItem::Reserve(size_t n) {
  if (buffers_[kind_].size() < n) buffers_[kind_].resize(n, 0);
}

bool EditItem::TakeFrom(const uint8_t* stream, uint32_t used, uint32_t offset, uint8_t version) {
  if (!stream || offset >= used) return false;
  uint32_t length = 0;
  if (!ItemLengthWithin(stream + offset, used - offset, version, &length)) return false;
  const ItemKind kind = KindOf(stream + offset);
  std::vector<uint8_t>& buffer = buffers_[kind];
  buffer.assign(length > kMaxItemBytesExceptText ? length : kMaxItemBytesExceptText, 0);
  std::memcpy(buffer.data(), stream + offset, length);
  kind_ = kind;
  length_ = length;
  return true;
}
