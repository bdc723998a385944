// A reader of whole NIFF files for the tests, written apart from the chunk
// library: it walks a RIFX file chunk by chunk, checks that every size fits
// its container, that pad bytes are there and that each container is used
// up exactly, splits each chunk into its fixed fields (by the file's own
// chunk length table) and its tags, and gives the tree.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct NiffTagSeen {
  uint8_t id = 0;
  std::vector<uint8_t> data;
};

struct NiffNode {
  std::string id;    // chunk id; "RIFX" or "LIST" for a list
  std::string type;  // list type, empty for a chunk
  std::vector<uint8_t> fields;
  std::vector<NiffTagSeen> tags;
  std::vector<NiffNode> children;

  bool IsList() const { return !type.empty(); }
  // The list type or the chunk id.
  const std::string& Name() const { return IsList() ? type : id; }
  const NiffTagSeen* Tag(uint8_t tagId) const {
    for (const NiffTagSeen& t : tags)
      if (t.id == tagId) return &t;
    return nullptr;
  }
  uint32_t Field(size_t offset, size_t bytes) const {
    uint32_t v = 0;
    for (size_t i = 0; i < bytes && offset + i < fields.size(); ++i) v = (v << 8) | fields[offset + i];
    return v;
  }
};

class NiffWalker {
 public:
  // False with a reason when the file is not a well-formed NIFF file.
  bool Walk(const std::vector<uint8_t>& bytes, NiffNode* root, std::string* error) {
    bytes_ = &bytes;
    error_.clear();
    lengths_.clear();
    if (bytes.size() < 12 || Text(0) != "RIFX" || Text(8) != "NIFF") return Fail("no RIFX form NIFF", error);
    const uint32_t size = U32(4);
    if (size_t{size} + 8 != bytes.size() && size_t{size} + 9 != bytes.size()) return Fail("form size", error);
    root->id = "RIFX";
    root->type = "NIFF";
    if (!Children(12, 8 + size_t{size}, root)) return Fail(error_, error);
    return true;
  }

 private:
  bool Fail(const std::string& why, std::string* error) {
    if (error) *error = why;
    return false;
  }
  std::string Text(size_t at) const { return std::string(bytes_->begin() + at, bytes_->begin() + at + 4); }
  uint32_t U32(size_t at) const {
    const auto& b = *bytes_;
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
  }
  bool Children(size_t at, size_t end, NiffNode* parent) {
    while (at < end) {
      if (at + 8 > end) return Set("a chunk header passes its container in " + parent->Name());
      NiffNode node;
      node.id = Text(at);
      const size_t size = U32(at + 4);
      const size_t dataEnd = at + 8 + size;
      if (dataEnd > end) return Set("chunk " + node.id + " passes its container " + parent->Name());
      if (node.id == "LIST") {
        if (size < 4) return Set("a list without its type");
        node.type = Text(at + 8);
        if (!Children(at + 12, dataEnd, &node)) return false;
      } else if (!Leaf(at + 8, dataEnd, &node)) {
        return false;
      }
      if (size % 2 == 1) {
        if (dataEnd + 1 > end || (*bytes_)[dataEnd] != 0) return Set("pad byte missing after " + node.id);
      }
      parent->children.push_back(node);
      at = dataEnd + size % 2;
    }
    if (at != end) return Set("container " + parent->Name() + " not used up");
    return true;
  }
  bool Leaf(size_t at, size_t end, NiffNode* node) {
    const std::vector<uint8_t> data(bytes_->begin() + at, bytes_->begin() + end);
    if (node->id == "clt ") {
      if (data.size() % 8 != 0) return Set("clt size");
      for (size_t i = 0; i < data.size(); i += 8) lengths_[Text(at + i)] = int32_t(U32(at + i + 4));
      node->fields = data;
      return true;
    }
    auto known = lengths_.find(node->id);
    if (known == lengths_.end()) return Set("chunk " + node->id + " not in the length table");
    if (known->second < 0) {
      node->fields = data;
      return true;
    }
    const size_t fixed = size_t(known->second);
    if (data.size() < fixed) return Set("chunk " + node->id + " shorter than its fields");
    node->fields.assign(data.begin(), data.begin() + fixed);
    size_t i = fixed;
    while (i < data.size()) {
      if (i + 2 > data.size()) return Set("tag header passes chunk " + node->id);
      NiffTagSeen tag;
      tag.id = data[i];
      const size_t size = data[i + 1];
      if (i + 2 + size + size % 2 > data.size()) return Set("tag passes chunk " + node->id);
      tag.data.assign(data.begin() + i + 2, data.begin() + i + 2 + size);
      if (size % 2 == 1 && data[i + 2 + size] != 0) return Set("tag pad byte");
      node->tags.push_back(tag);
      i += 2 + size + size % 2;
    }
    return true;
  }
  bool Set(const std::string& why) {
    error_ = why;
    return false;
  }

  const std::vector<uint8_t>* bytes_ = nullptr;
  std::map<std::string, int32_t> lengths_;
  std::string error_;
};

// Every node below the root in document order.
inline void Flatten(const NiffNode& node, std::vector<const NiffNode*>* out) {
  for (const NiffNode& child : node.children) {
    out->push_back(&child);
    Flatten(child, out);
  }
}

inline std::vector<const NiffNode*> FindAll(const NiffNode& root, const std::string& name) {
  std::vector<const NiffNode*> all;
  Flatten(root, &all);
  std::vector<const NiffNode*> found;
  for (const NiffNode* n : all)
    if (n->Name() == name) found.push_back(n);
  return found;
}

// The names of a node's children, space separated.
inline std::string ChildNames(const NiffNode& node) {
  std::string text;
  for (const NiffNode& child : node.children) text += (text.empty() ? "" : " ") + child.Name();
  return text;
}
