// Reference-counted strings, code-page conversion and Exception.
#include "Code/Unicode/Utils/Str.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "platform/Platform.h"

namespace {

const char16_t kConversionFailed[] =
    u"WideCharToMultiByte failed - code page not present on machine?";

std::atomic<uint64_t> g_conversionCalls{0};

// Copies may travel between threads and every thread shares the empty
// records, so the counts change atomically.
void AddReference(uint32_t* references) {
  __atomic_add_fetch(references, 1, __ATOMIC_RELAXED);
}
bool DropReference(uint32_t* references) {
  return __atomic_sub_fetch(references, 1, __ATOMIC_ACQ_REL) == 0;
}

void* AllocateRecord(size_t headerSize, size_t n, size_t unitSize) {
  const size_t maxUnits = (std::numeric_limits<size_t>::max() - headerSize) / unitSize - 1;
  if (n > maxUnits || n >= std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
  void* block = std::malloc(headerSize + (n + 1) * unitSize);
  if (!block) throw std::bad_alloc();
  return block;
}

void Release(StrRep* rep) {
  if (DropReference(&rep->references)) StrRep::Free(rep);
}
void Release(StrRepA* rep) {
  if (DropReference(&rep->references)) StrRepA::Free(rep);
}

StrRep* NewRep(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength) {
  if (aLength + bLength == 0) {
    StrRep* empty = StrRep::Empty();
    AddReference(&empty->references);
    return empty;
  }
  StrRep* rep = StrRep::Allocate(aLength + bLength);
  if (aLength) std::memcpy(rep->chars, a, aLength * sizeof(char16_t));
  if (bLength) std::memcpy(rep->chars + aLength, b, bLength * sizeof(char16_t));
  rep->chars[aLength + bLength] = 0;
  rep->Update();
  return rep;
}

int ConvertRun(unsigned codePage, const char16_t* run, int runLength, char* out, int capacity) {
  g_conversionCalls.fetch_add(1, std::memory_order_relaxed);
  return platform::WideToMultiByte(codePage, run, runLength, out, out ? capacity : 0);
}

[[noreturn]] void ThrowConversionFailed() { throw Exception(CStr(kConversionFailed), 0); }

bool IsSymbolChar(char16_t c) { return c >= 0xF000 && c <= 0xF0FF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The longest prefix of whole characters of a run that fits into room bytes,
// converted; the bytes written.
int ConvertPrefixThatFits(unsigned codePage, const char16_t* run, int runLength, char* out,
                          int room) {
  int used = 0;
  int units = 0;
  while (units < runLength) {
    int step = (IsHighSurrogate(run[units]) && units + 1 < runLength &&
                IsLowSurrogate(run[units + 1]))
                   ? 2
                   : 1;
    int need = ConvertRun(codePage, run + units, step, nullptr, 0);
    if (need <= 0 || need > room - used) break;
    used += need;
    units += step;
  }
  if (units == 0) return 0;
  return ConvertRun(codePage, run, units, out, room);
}

}  // namespace

unsigned CodePageFromIndex(int index) {
  static const unsigned kCodePages[] = {1252, 10000, 932, 10001};
  if (index < 0 || index >= 4) return platform::kAnsiCodePage;
  return kCodePages[index];
}

size_t WideLength(const char16_t* text) {
  size_t n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

size_t NarrowLength(const char* text) { return text ? std::strlen(text) : 0; }

// ---- StrRep -----------------------------------------------------------------

StrRep* StrRep::Allocate(size_t n) {
  void* block = AllocateRecord(sizeof(StrRep), n, sizeof(char16_t));
  StrRep* rep = new (block) StrRep{nullptr, 0, 0, 1, 0, 1};
  rep->chars = reinterpret_cast<char16_t*>(rep + 1);
  rep->chars[0] = 0;
  return rep;
}

StrRep* StrRep::Empty() {
  // Constant-initialised: there is no first-use race, and the record's own
  // reference keeps it alive; Free never releases a static record.
  static StrRep empty{const_cast<char16_t*>(u""), 0, 0, 1, 1, 0};
  return &empty;
}

void StrRep::Update() {
  uint32_t h = 0;
  size_t n = 0;
  for (; chars[n]; ++n) h ^= chars[n];
  length = static_cast<uint32_t>(n);
  hash = h;
}

void StrRep::Free(StrRep* rep) {
  if (!rep || rep->isStatic) return;
  if (!rep->isInline) std::free(rep->chars);
  rep->~StrRep();
  std::free(rep);
}

StrRepA* StrRepA::Allocate(size_t n) {
  void* block = AllocateRecord(sizeof(StrRepA), n, sizeof(char));
  StrRepA* rep = new (block) StrRepA{nullptr, 0, 0, 1, 0, 1};
  rep->chars = reinterpret_cast<char*>(rep + 1);
  rep->chars[0] = 0;
  return rep;
}

StrRepA* StrRepA::Empty() {
  static StrRepA empty{const_cast<char*>(""), 0, 0, 1, 1, 0};
  return &empty;
}

void StrRepA::Update() {
  uint32_t h = 0;
  size_t n = 0;
  for (; chars[n]; ++n) h ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(chars[n])));
  length = static_cast<uint32_t>(n);
  hash = h;
}

void StrRepA::Free(StrRepA* rep) {
  if (!rep || rep->isStatic) return;
  if (!rep->isInline) std::free(rep->chars);
  rep->~StrRepA();
  std::free(rep);
}

// ---- CStr -------------------------------------------------------------------

CStr::CStr() : rep_(StrRep::Empty()) { AddReference(&rep_->references); }

CStr::CStr(const char16_t* text) : rep_(NewRep(text, WideLength(text), nullptr, 0)) {}

CStr::CStr(const CStr& other) : rep_(other.rep_) { AddReference(&rep_->references); }

CStr& CStr::operator=(const CStr& other) {
  if (rep_ == other.rep_) return *this;
  AddReference(&other.rep_->references);
  Release(rep_);
  rep_ = other.rep_;
  return *this;
}

CStr::~CStr() { Release(rep_); }

CStr CStr::operator+(const CStr& other) const {
  return CStr(NewRep(rep_->chars, rep_->length, other.rep_->chars, other.rep_->length), Adopting());
}

CStr CStr::Concat(const char16_t* text) const {
  return CStr(NewRep(rep_->chars, rep_->length, text, WideLength(text)), Adopting());
}

CStr PrependText(const char16_t* text, const CStr& str) {
  return CStr(NewRep(text, WideLength(text), str.rep_->chars, str.rep_->length), CStr::Adopting());
}

CStr& CStr::operator+=(const CStr& other) { return *this = *this + other; }

bool CStr::operator==(const CStr& other) const {
  if (rep_ == other.rep_) return true;
  if (rep_->length != other.rep_->length || rep_->hash != other.rep_->hash) return false;
  return StrEqualsLocale(rep_->chars, other.rep_->chars);
}

bool CStr::Equals(const char16_t* text) const {
  return StrEqualsLocale(rep_->chars, text ? text : u"");
}

void CStr::AssignAnsi(const char* text) {
  if (!text) return;
  int length = static_cast<int>(std::min<size_t>(NarrowLength(text), std::numeric_limits<int>::max()));
  int needed = length ? platform::MultiByteToWide(platform::kAnsiCodePage, text, length, nullptr, 0) : 0;
  if (needed <= 0) {
    *this = CStr();
    return;
  }
  StrRep* rep = StrRep::Allocate(static_cast<size_t>(needed));
  int written = platform::MultiByteToWide(platform::kAnsiCodePage, text, length, rep->chars, needed);
  rep->chars[written > 0 ? written : 0] = 0;
  rep->Update();
  *this = CStr(rep, Adopting());
}

const CStr& CStr::EmptyStr() {
  static const CStr empty;
  return empty;
}

// ---- CStrA ------------------------------------------------------------------

CStrA::CStrA() : rep_(StrRepA::Empty()) { AddReference(&rep_->references); }

CStrA::CStrA(const char* text) {
  size_t n = NarrowLength(text);
  if (n == 0) {
    rep_ = StrRepA::Empty();
    AddReference(&rep_->references);
    return;
  }
  rep_ = StrRepA::Allocate(n);
  std::memcpy(rep_->chars, text, n);
  rep_->chars[n] = 0;
  rep_->Update();
}

CStrA::CStrA(const CStrA& other) : rep_(other.rep_) { AddReference(&rep_->references); }

CStrA& CStrA::operator=(const CStrA& other) {
  if (rep_ == other.rep_) return *this;
  AddReference(&other.rep_->references);
  Release(rep_);
  rep_ = other.rep_;
  return *this;
}

CStrA::~CStrA() { Release(rep_); }

CStrA CStrA::Adopt(char* buffer) {
  if (!buffer) return CStrA();
  void* block = std::malloc(sizeof(StrRepA));
  if (!block) {
    std::free(buffer);
    throw std::bad_alloc();
  }
  StrRepA* rep = new (block) StrRepA{buffer, 0, 0, 1, 0, 0};
  rep->Update();
  return CStrA(rep, Adopting());
}

CStrA CStrA::FromWide(const char16_t* text, int codePageIndex) {
  if (!text || !*text) return CStrA();
  int count = 0;
  WideToCodePageSymbols(codePageIndex, text, nullptr, &count);
  std::unique_ptr<char, decltype(&std::free)> buffer(
      static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1)), &std::free);
  if (!buffer) throw std::bad_alloc();
  buffer.get()[count] = 0;
  int written = count;
  WideToCodePageSymbols(codePageIndex, text, buffer.get(), &written);
  buffer.get()[written] = 0;
  return Adopt(buffer.release());
}

const CStrA& CStrA::EmptyStr() {
  static const CStrA empty;
  return empty;
}

// ---- Conversions ------------------------------------------------------------

bool StrEqualsLocale(const char16_t* a, const char16_t* b) {
  return platform::CompareUserLocale(a ? a : u"", b ? b : u"", false) == 0;
}

void WideToCodePage(int codePageIndex, const char16_t* run, int runLength, char* out,
                    int capacity, int* written) {
  int n = 0;
  // An output without room would make the system call measure instead of
  // convert, reporting bytes that were never written.
  if (!out || capacity > 0) n = ConvertRun(CodePageFromIndex(codePageIndex), run, runLength, out, capacity);
  if (n == 0 && runLength != 0) ThrowConversionFailed();
  if (written) *written = n;
}

void WideToCodePageSymbols(int codePageIndex, const char16_t* text, char* out, int* size) {
  if (!size) return;
  const int capacity = (out && *size > 0) ? *size : 0;
  const unsigned codePage = CodePageFromIndex(codePageIndex);
  int position = 0;
  const char16_t* p = text ? text : u"";
  while (*p) {
    if (IsSymbolChar(*p)) {
      if (out) {
        if (position >= capacity) break;
        out[position] = static_cast<char>(*p & 0xFF);
      }
      ++position;
      ++p;
      continue;
    }
    const char16_t* run = p;
    while (*p && !IsSymbolChar(*p)) ++p;
    const int runLength = static_cast<int>(p - run);
    if (!out) {
      int n = ConvertRun(codePage, run, runLength, nullptr, 0);
      if (n == 0) ThrowConversionFailed();
      position += n;
      continue;
    }
    const int room = capacity - position;
    if (room <= 0) break;
    int n = ConvertRun(codePage, run, runLength, out + position, room);
    if (n == 0) {
      // Either the code page is missing or the run does not fit: keep the
      // whole characters that fit and stop there.
      if (ConvertRun(codePage, run, runLength, nullptr, 0) == 0) ThrowConversionFailed();
      position += ConvertPrefixThatFits(codePage, run, runLength, out + position, room);
      break;
    }
    position += n;
  }
  *size = position;
}

uint64_t CodePageConversionCalls() { return g_conversionCalls.load(std::memory_order_relaxed); }
