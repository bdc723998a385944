// Reference-counted wide (UTF-16) and 8-bit strings, code-page conversion
// and the utility library's one exception type.
#pragma once

#include <cstddef>
#include <cstdint>

// Code pages by index: 0 = 1252, 1 = 10000, 2 = 932, 3 = 10001; a negative
// index means the system's ANSI code page.
enum : int { kCodePageAnsi = -1 };
unsigned CodePageFromIndex(int index);

// Storage record of a CStr. The characters of an inline record follow it in
// the same allocation. The shared empty record is never freed: its first
// reference belongs to the record itself.
struct StrRep {
  char16_t* chars;
  uint32_t length;
  uint32_t hash;        // XOR of all characters
  uint32_t references;  // atomic: the shared empty record is used by every thread
  uint32_t isStatic;
  uint32_t isInline;

  static StrRep* Allocate(size_t n);
  // The shared empty record; the caller adds its own reference.
  static StrRep* Empty();
  void Update();
  static void Free(StrRep* rep);
};

struct StrRepA {
  char* chars;
  uint32_t length;
  uint32_t hash;  // XOR of all bytes, each sign-extended to 32 bits
  uint32_t references;  // atomic, as for StrRep
  uint32_t isStatic;
  uint32_t isInline;

  static StrRepA* Allocate(size_t n);
  // The shared empty record; the caller adds its own reference.
  static StrRepA* Empty();
  void Update();
  static void Free(StrRepA* rep);
};

class CStr {
 public:
  CStr();
  CStr(const char16_t* text);  // NOLINT: implicit, as text literals are used as strings
  CStr(const CStr& other);
  CStr& operator=(const CStr& other);
  ~CStr();

  const char16_t* Text() const { return rep_->chars; }
  uint32_t Length() const { return rep_->length; }
  uint32_t Hash() const { return rep_->hash; }
  bool IsEmpty() const { return rep_->length == 0; }
  bool SharesRecordWith(const CStr& other) const { return rep_ == other.rep_; }

  CStr operator+(const CStr& other) const;
  CStr Concat(const char16_t* text) const;
  CStr& operator+=(const CStr& other);
  bool operator==(const CStr& other) const;
  bool operator!=(const CStr& other) const { return !(*this == other); }
  bool Equals(const char16_t* text) const;
  // Null leaves the string unchanged; otherwise the ANSI text is converted.
  void AssignAnsi(const char* text);

  static const CStr& EmptyStr();

 private:
  // Takes over a record's reference (a tag keeps CStr(nullptr) unambiguous).
  struct Adopting {};
  CStr(StrRep* rep, Adopting) : rep_(rep) {}
  friend CStr PrependText(const char16_t* text, const CStr& str);
  StrRep* rep_;
};

CStr PrependText(const char16_t* text, const CStr& str);

class CStrA {
 public:
  CStrA();
  CStrA(const char* text);  // NOLINT
  CStrA(const CStrA& other);
  CStrA& operator=(const CStrA& other);
  ~CStrA();

  const char* Text() const { return rep_->chars; }
  uint32_t Length() const { return rep_->length; }
  uint32_t Hash() const { return rep_->hash; }

  // Takes over an allocated (malloc), NUL-ended buffer.
  static CStrA Adopt(char* buffer);
  // Null gives the empty string. Throws Exception when the code page is missing.
  static CStrA FromWide(const char16_t* text, int codePageIndex);
  static const CStrA& EmptyStr();

 private:
  struct Adopting {};
  CStrA(StrRepA* rep, Adopting) : rep_(rep) {}
  StrRepA* rep_;
};

// The utility library's exception: thrown only when a code-page conversion fails.
class Exception {
 public:
  Exception(const CStr& message, uint32_t code) : message_(message), code_(code) {}
  Exception(const Exception& other) = default;
  const CStr& Message() const { return message_; }
  uint32_t Code() const { return code_; }

 private:
  CStr message_;
  uint32_t code_;
};

size_t WideLength(const char16_t* text);
size_t NarrowLength(const char* text);

// True when the user's locale compares the two NUL-ended texts equal.
bool StrEqualsLocale(const char16_t* a, const char16_t* b);

// One conversion in the chosen code page; a null output measures. Throws
// Exception("WideCharToMultiByte failed - code page not present on machine?")
// when nothing could be converted.
void WideToCodePage(int codePageIndex, const char16_t* run, int runLength, char* out,
                    int capacity, int* written);

// Converts text that may hold symbol-font characters (U+F000..U+F0FF become
// their low byte). With no output only counts. On return *size holds the bytes
// written (or needed); never more than the capacity given in *size.
void WideToCodePageSymbols(int codePageIndex, const char16_t* text, char* out, int* size);

// How many code-page conversion calls the two functions above have made so
// far in this process (diagnostics; tests count calls with it).
uint64_t CodePageConversionCalls();
