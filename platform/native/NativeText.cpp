// Native text services: code pages through iconv with the semantics of the
// Windows conversion calls, plain locale comparison, and the UI string table
// compiled into the program.
#include <iconv.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace platform {
namespace {

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const char kUtf16[] = "UTF-16LE";
#else
const char kUtf16[] = "UTF-16BE";
#endif

// Bytes that code page 1252 leaves undefined map to the same code points, as
// the system's tables do; iconv refuses them.
bool IsCp1252Hole(unsigned value) {
  return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

bool IsSingleByte(unsigned codePage) { return codePage == 1252 || codePage == 10000; }

// The iconv name of a code page, or null when this system lacks it.
const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case kAnsiCodePage:
    case 1252:
      return "CP1252";
    case 10000:
      return "MACINTOSH";
    case 932:
      return "CP932";
    case 65001:
      return "UTF-8";
    case 10001: {
      // Only the real Mac variant will do; plain Shift-JIS differs from it.
      static const char* const name = [] () -> const char* {
        for (const char* candidate : {"MAC-JAPANESE", "MACJAPANESE", "X-MAC-JAPANESE"}) {
          Converter probe(candidate, kUtf16);
          if (probe.ok()) return candidate;
        }
        return nullptr;
      }();
      return name;
    }
    default:
      return nullptr;
  }
}

unsigned Resolve(unsigned codePage) { return codePage == kAnsiCodePage ? 1252 : codePage; }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Converts character by character so that a character the code page lacks
// becomes '?' as with the system's default character.
bool EncodeAll(unsigned codePage, const char16_t* text, size_t length, std::string* bytes) {
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter cd(name, kUtf16);
  if (!cd.ok()) return false;
  for (size_t i = 0; i < length;) {
    size_t units = 1;
    if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1])) units = 2;
    if (codePage == 1252 && IsCp1252Hole(text[i])) {
      bytes->push_back(static_cast<char>(text[i]));
      i += units;
      continue;
    }
    char in[4];
    std::memcpy(in, text + i, units * sizeof(char16_t));
    char out[16];
    char* inPtr = in;
    size_t inLeft = units * sizeof(char16_t);
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft) {
      bytes->push_back('?');
    } else {
      bytes->append(out, static_cast<size_t>(outPtr - out));
    }
    i += units;
  }
  return true;
}

bool DecodeAll(unsigned codePage, const char* text, size_t length, std::u16string* units) {
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter cd(kUtf16, name);
  if (!cd.ok()) return false;
  char* inPtr = const_cast<char*>(text);
  size_t inLeft = length;
  while (inLeft) {
    char16_t out[256];
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    size_t result = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    units->append(out, static_cast<size_t>(reinterpret_cast<char16_t*>(outPtr) - out));
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // An undefined or cut byte: single-byte pages keep its value, others
    // show the default character.
    unsigned char bad = static_cast<unsigned char>(*inPtr);
    units->push_back(IsSingleByte(codePage) ? static_cast<char16_t>(bad) : u'?');
    if (errno == EINVAL) break;
    ++inPtr;
    --inLeft;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

// Shared tail of both conversions: measure, or copy when it fits.
template <typename Unit, typename Text>
int Deliver(const Text& result, Unit* out, int capacity) {
  if (result.size() > static_cast<size_t>(INT_MAX)) return 0;
  const int n = static_cast<int>(result.size());
  if (!out || capacity == 0) return n;
  if (n > capacity) return 0;
  std::memcpy(out, result.data(), result.size() * sizeof(Unit));
  return n;
}

}  // namespace

int WideToMultiByte(unsigned codePage, const char16_t* text, int length, char* out, int capacity) {
  if (!text || length == 0 || capacity < 0) return 0;
  size_t n = length < 0 ? std::char_traits<char16_t>::length(text) + 1 : static_cast<size_t>(length);
  std::string bytes;
  if (!EncodeAll(Resolve(codePage), text, n, &bytes)) return 0;
  return Deliver(bytes, out, capacity);
}

int MultiByteToWide(unsigned codePage, const char* text, int length, char16_t* out, int capacity) {
  if (!text || length == 0 || capacity < 0) return 0;
  size_t n = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
  std::u16string units;
  if (!DecodeAll(Resolve(codePage), text, n, &units)) return 0;
  return Deliver(units, out, capacity);
}

// Natively the user's locale is plain code-unit order.
int CompareUserLocale(const char16_t* a, const char16_t* b, bool ignoreCase) {
  if (ignoreCase) return CompareNoCase(a, b);
  const char16_t* x = a ? a : u"";
  const char16_t* y = b ? b : u"";
  while (*x && *x == *y) ++x, ++y;
  return static_cast<int>(*x) - static_cast<int>(*y);
}

namespace {
struct UiStringRow {
  unsigned id;
  const char16_t* text;
};
const UiStringRow kUiStrings[] = {
#include "UiStrings.inc"
};
}  // namespace

int LoadUiString(unsigned id, char16_t* out, int count) {
  if (!out || count <= 0) return 0;
  out[0] = 0;
  const UiStringRow* first = kUiStrings;
  const UiStringRow* last = kUiStrings + sizeof kUiStrings / sizeof kUiStrings[0];
  while (first < last) {  // the rows are sorted by id
    const UiStringRow* mid = first + (last - first) / 2;
    if (mid->id < id) {
      first = mid + 1;
    } else {
      last = mid;
    }
  }
  if (first == kUiStrings + sizeof kUiStrings / sizeof kUiStrings[0] || first->id != id) return 0;
  int n = 0;
  while (first->text[n] && n < count - 1) {
    out[n] = first->text[n];
    ++n;
  }
  out[n] = 0;
  return n;
}

}  // namespace platform
