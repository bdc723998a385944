#include "export/XmlOutput.h"

#include <cstring>

#include "platform/FileLayer.h"

namespace {

bool CopiedAsIs(char16_t c) {
  if (c < 32 || c > 127) return false;
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) return true;
  static const char kPunctuation[] = " !$%^*()-=_+[]{};'#:@~,./?";
  return std::strchr(kPunctuation, static_cast<char>(c)) != nullptr;
}

// Characters that no XML 1.0 document may hold, not even as a reference.
bool ForbiddenInXml(char32_t c) {
  if (c < 0x20) return c != 0x09 && c != 0x0A && c != 0x0D;
  if (c >= 0xD800 && c <= 0xDFFF) return true;  // a surrogate that found no partner
  return c == 0xFFFE || c == 0xFFFF;
}

void AppendReference(std::string* out, char32_t c) {
  static const char kHex[] = "0123456789abcdef";
  char digits[8];
  int n = 0;
  do {
    digits[n++] = kHex[c & 15];
    c >>= 4;
  } while (c != 0);
  while (n < 4) digits[n++] = '0';
  out->append("&#x");
  while (n > 0) out->push_back(digits[--n]);
  out->push_back(';');
}

}  // namespace

std::string EscapeXmlText(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    char32_t c = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x10000 && CopiedAsIs(static_cast<char16_t>(c))) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    switch (c) {
      case u'"': out.append("&quot;"); break;
      case u'&': out.append("&amp;"); break;
      case u'<': out.append("&lt;"); break;
      case u'>': out.append("&gt;"); break;
      default:
        if (!ForbiddenInXml(c)) AppendReference(&out, c);
    }
  }
  return out;
}

// ---- Optional sections ---------------------------------------------------------

void CXMLOptionalSection::Open() {
  if (parent_ && !parent_->open_) parent_->Open();
  output_->OpenElement(name_);
  open_ = true;
}

void CXMLOptionalSection::Close() {
  output_->CloseElement(name_);
  open_ = false;
}

void CXmlOutput::SetSection(CXMLOptionalSection* section) {
  if (section == section_) return;
  section->parent_ = section_;
  section_ = section;
}

void CXmlOutput::EnsureSectionOpen() {
  if (section_ && !section_->open_) section_->Open();
}

void CXmlOutput::EndSection() {
  if (!section_) return;
  if (section_->open_) section_->Close();
  section_ = section_->parent_;
}

// ---- The document stream ---------------------------------------------------------

CXmlOutput::~CXmlOutput() {
  if (stream_) std::fclose(stream_);
}

bool CXmlOutput::Open(const char16_t* path) {
  stream_ = FileOpen(path, kFileWrite, true);
  inMemory_ = false;
  failed_ = stream_ == nullptr;
  depth_ = 0;
  section_ = nullptr;
  return stream_ != nullptr;
}

void CXmlOutput::OpenInMemory() {
  inMemory_ = true;
  failed_ = false;
  memory_.clear();
  depth_ = 0;
  section_ = nullptr;
}

bool CXmlOutput::Close() {
  if (stream_) {
    if (std::fflush(stream_) != 0) failed_ = true;
    if (FileClose(stream_) != nullptr) failed_ = true;
    stream_ = nullptr;
  } else if (!inMemory_) {
    failed_ = true;
  }
  inMemory_ = false;
  return !failed_;
}

void CXmlOutput::Put(const char* text, size_t length) {
  if (failed_ || length == 0) return;
  if (inMemory_) {
    memory_.append(text, length);
  } else if (!stream_ || std::fwrite(text, 1, length, stream_) != length) {
    failed_ = true;
  }
}

void CXmlOutput::Put(const char* text) {
  if (text) Put(text, std::strlen(text));
}

void CXmlOutput::WriteIndent() {
  for (int i = 0; i < depth_; ++i) Put("\t", 1);
}

void CXmlOutput::WriteRaw(const char* text, const char* tail) {
  Put(text);
  Put(tail);
}

void CXmlOutput::OpenElement(const char* name) {
  WriteIndent();
  Put("<");
  Put(name);
  Put(">\r\n");
  ++depth_;
}

void CXmlOutput::AttributeLine(const char* nameAndAttribute, const char* value, const char* prefix,
                               const char* tail) {
  WriteIndent();
  Put("<");
  Put(nameAndAttribute);
  Put("=\"");
  Put(prefix);
  Put(value);
  Put("\"");
  Put(tail);
  Put(">\r\n");
}

void CXmlOutput::OpenElementWithAttribute(const char* nameAndAttribute, const char* value, const char* prefix,
                                          const char* tail) {
  AttributeLine(nameAndAttribute, value, prefix, tail);
  ++depth_;
}

void CXmlOutput::OpenElementWithAttribute(const char* nameAndAttribute, int value, const char* prefix,
                                          const char* tail) {
  OpenElementWithAttribute(nameAndAttribute, std::to_string(value).c_str(), prefix, tail);
}

void CXmlOutput::WriteElementWithAttribute(const char* nameAndAttribute, const char* value, const char* prefix,
                                           const char* tail) {
  AttributeLine(nameAndAttribute, value, prefix, tail);
}

void CXmlOutput::WriteElementWithAttribute(const char* nameAndAttribute, int value, const char* prefix,
                                           const char* tail) {
  AttributeLine(nameAndAttribute, std::to_string(value).c_str(), prefix, tail);
}

void CXmlOutput::WriteEmptyElement(const char* name, const char* tail) {
  WriteIndent();
  Put("<");
  Put(name);
  Put(">");
  Put(tail);
}

void CXmlOutput::CloseElement(const char* name) {
  if (depth_ > 0) --depth_;
  CloseTag(name);
}

void CXmlOutput::CloseTag(const char* name, bool noIndent) {
  if (!noIndent) WriteIndent();
  Put("</");
  Put(name);
  Put(">\r\n");
}

void CXmlOutput::WriteTextElement(const char* name, const std::u16string& text, const char* endName) {
  WriteIndent();
  Put("<");
  Put(name);
  Put(">");
  std::string escaped = EscapeXmlText(text);
  Put(escaped.data(), escaped.size());
  CloseTag(endName ? endName : name, true);
}

void CXmlOutput::WriteCharElement(const char* name, char character, const char* endName) {
  WriteIndent();
  Put("<");
  Put(name);
  Put(">");
  Put(&character, 1);
  CloseTag(endName ? endName : name, true);
}

void CXmlOutput::WriteIntElement(const char* name, int value, const char* endName) {
  WriteIndent();
  Put("<");
  Put(name);
  Put(">");
  Put(std::to_string(value).c_str());
  CloseTag(endName ? endName : name, true);
}
