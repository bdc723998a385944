// The edit item: the working copy of the item being edited. One buffer per
// item kind serves as that kind's template; the current edit item is the
// buffer of the kind last taken. A buffer holds the whole item, however long
// (texts included), and at least the longest chord.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "score/ScoreItem.h"

class EditItem {
 public:
  EditItem();

  ItemKind Kind() const { return kind_; }
  // Points the edit item at the template buffer of a kind (its bytes stay).
  void SelectKind(ItemKind kind) { kind_ = static_cast<ItemKind>(kind & 7); }

  // The bytes of the current buffer; valid until the next Take or Reserve.
  uint8_t* Bytes() { return buffers_[kind_].data(); }
  const uint8_t* Bytes() const { return buffers_[kind_].data(); }
  size_t Capacity() const { return buffers_[kind_].size(); }
  // Makes the current buffer hold at least n bytes (new bytes are 0).
  void Reserve(size_t n);

  // The stored length of the item that was taken; 0 while a new item is made.
  uint32_t Length() const { return length_; }
  void SetLength(uint32_t length) { length_ = length; }

  // Copies the item at offset of a stream into the buffer of its kind when it
  // lies wholly inside the used length, and makes that the current item.
  // False, with nothing changed, when it does not.
  bool TakeFrom(const uint8_t* stream, uint32_t used, uint32_t offset, uint8_t version);

 private:
  std::vector<uint8_t> buffers_[8];
  ItemKind kind_ = kItemBarLine;
  uint32_t length_ = 0;
};
