// The output layer of the MusicXML writer: a stream of indented lines, each
// ended by CR LF, written straight to a file (or kept in memory). No tree is
// built. Every write is checked; the first failure sticks and Close reports it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Text as element content: only printable ASCII remains. Markup characters
// become entities, other characters one numeric reference per code point (a
// surrogate pair is one reference); characters that XML 1.0 cannot carry at
// all (C0 controls but TAB, CR and LF, lone surrogates, U+FFFE, U+FFFF) are
// dropped.
std::string EscapeXmlText(const std::u16string& text);

class CXmlOutput;

// An element that is written only once something is put into it. Sections
// live on the stack of the code that fills them; a chain of unopened
// sections opens from the outside in.
class CXMLOptionalSection {
 public:
  CXMLOptionalSection(CXmlOutput* output, const char* name) : output_(output), name_(name) {}
  virtual ~CXMLOptionalSection() = default;
  virtual void Open();
  virtual void Close();

  bool IsOpen() const { return open_; }
  const char* Name() const { return name_; }
  CXMLOptionalSection* Parent() const { return parent_; }

 private:
  friend class CXmlOutput;
  CXmlOutput* output_;
  const char* name_;
  bool open_ = false;
  CXMLOptionalSection* parent_ = nullptr;
};

class CXmlOutput {
 public:
  CXmlOutput() = default;
  ~CXmlOutput();
  CXmlOutput(const CXmlOutput&) = delete;
  CXmlOutput& operator=(const CXmlOutput&) = delete;

  // Opens the document file for binary writing; a failure is reported to
  // the user by the file layer.
  bool Open(const char16_t* path);
  // Writes into Memory() instead of a file.
  void OpenInMemory();
  // True when the file was closed and every write reached it.
  bool Close();
  bool Failed() const { return failed_; }
  const std::string& Memory() const { return memory_; }
  int Depth() const { return depth_; }

  void WriteIndent();
  void WriteRaw(const char* text, const char* tail);
  void OpenElement(const char* name);
  // <nameAndAttribute="prefix value"tail> ; the depth grows by one.
  void OpenElementWithAttribute(const char* nameAndAttribute, const char* value, const char* prefix = "",
                                const char* tail = "");
  void OpenElementWithAttribute(const char* nameAndAttribute, int value, const char* prefix = "",
                                const char* tail = "");
  // The same line at the same depth; tail "/" makes it an empty element.
  void WriteElementWithAttribute(const char* nameAndAttribute, const char* value, const char* prefix = "",
                                 const char* tail = "");
  void WriteElementWithAttribute(const char* nameAndAttribute, int value, const char* prefix = "",
                                 const char* tail = "");
  // name ends in "/" ("rest/"); the tail is normally CR LF.
  void WriteEmptyElement(const char* name, const char* tail = "\r\n");
  void CloseElement(const char* name);
  void CloseTag(const char* name, bool noIndent = false);
  void WriteTextElement(const char* name, const std::u16string& text, const char* endName = nullptr);
  void WriteCharElement(const char* name, char character, const char* endName = nullptr);
  void WriteIntElement(const char* name, int value, const char* endName = nullptr);

  void SetSection(CXMLOptionalSection* section);
  void EnsureSectionOpen();
  void EndSection();
  CXMLOptionalSection* CurrentSection() const { return section_; }

 private:
  void Put(const char* text);
  void Put(const char* text, size_t length);
  void AttributeLine(const char* nameAndAttribute, const char* value, const char* prefix, const char* tail);

  std::FILE* stream_ = nullptr;
  bool inMemory_ = false;
  bool failed_ = false;
  std::string memory_;
  int depth_ = 0;
  CXMLOptionalSection* section_ = nullptr;
};
