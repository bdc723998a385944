// The program's own count-limited printf over UTF-16 text. wchar_t differs
// between systems, so the runtime's wide printf cannot serve; numbers with a
// fraction are handed to snprintf and widened.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Unicode/Utils/Str.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace {

class Output {
 public:
  Output(char16_t* buffer, size_t count) : buffer_(buffer), count_(count) {}

  // False once the text no longer fits: the rest need not be formatted.
  bool Put(char16_t c) {
    if (cut_) return false;
    if (length_ + 1 >= count_ || length_ >= static_cast<size_t>(INT_MAX)) {
      cut_ = true;
      return false;
    }
    buffer_[length_++] = c;
    return true;
  }
  bool Repeat(char16_t c, long n) {
    for (; n > 0; --n)
      if (!Put(c)) return false;
    return true;
  }
  int Finish() {
    buffer_[length_] = 0;
    return cut_ ? -1 : static_cast<int>(length_);
  }
  bool cut() const { return cut_; }

 private:
  char16_t* buffer_;
  size_t count_;
  size_t length_ = 0;
  bool cut_ = false;
};

struct Spec {
  bool left = false, plus = false, space = false, zero = false, alternate = false;
  long width = 0;
  long precision = -1;  // none
  enum Length { kNone, kChar, kShort, kLong, kLongLong, kSize } length = kNone;
};

// Writes a field of text with the width's padding around it.
bool PutField(Output& out, const Spec& spec, const char16_t* text, size_t n) {
  long pad = spec.width > static_cast<long>(n) ? spec.width - static_cast<long>(n) : 0;
  if (!spec.left && !out.Repeat(u' ', pad)) return false;
  for (size_t i = 0; i < n; ++i)
    if (!out.Put(text[i])) return false;
  return spec.left ? out.Repeat(u' ', pad) : true;
}

bool PutInteger(Output& out, const Spec& spec, uint64_t magnitude, bool negative, unsigned base,
                bool upper, bool isSigned) {
  const char* digitsOf = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char16_t digits[24];
  int n = 0;
  for (uint64_t v = magnitude; v; v /= base) digits[n++] = static_cast<char16_t>(digitsOf[v % base]);
  // "%.0d" of zero prints no digits; otherwise at least one.
  long minDigits = spec.precision >= 0 ? spec.precision : 1;
  long zeros = minDigits > n ? minDigits - n : 0;
  if (base == 8 && spec.alternate && zeros == 0 && (n == 0 || digits[n - 1] != u'0')) zeros = 1;

  char16_t prefix[2];
  int prefixLength = 0;
  if (isSigned) {
    if (negative) {
      prefix[prefixLength++] = u'-';
    } else if (spec.plus) {
      prefix[prefixLength++] = u'+';
    } else if (spec.space) {
      prefix[prefixLength++] = u' ';
    }
  } else if (base == 16 && spec.alternate && magnitude != 0) {
    prefix[prefixLength++] = u'0';
    prefix[prefixLength++] = upper ? u'X' : u'x';
  }
  long total = prefixLength + zeros + n;
  long pad = spec.width > total ? spec.width - total : 0;
  if (spec.zero && !spec.left && spec.precision < 0) {
    zeros += pad;
    pad = 0;
  }
  if (!spec.left && !out.Repeat(u' ', pad)) return false;
  for (int i = 0; i < prefixLength; ++i)
    if (!out.Put(prefix[i])) return false;
  if (!out.Repeat(u'0', zeros)) return false;
  for (int i = n - 1; i >= 0; --i)
    if (!out.Put(digits[i])) return false;
  return spec.left ? out.Repeat(u' ', pad) : true;
}

int64_t SignedArgument(const Spec& spec, va_list& args) {
  switch (spec.length) {
    case Spec::kChar: return static_cast<signed char>(va_arg(args, int));
    case Spec::kShort: return static_cast<short>(va_arg(args, int));
    case Spec::kLong: return va_arg(args, long);
    case Spec::kLongLong: return va_arg(args, long long);
    case Spec::kSize: return va_arg(args, ptrdiff_t);
    default: return va_arg(args, int);
  }
}

uint64_t UnsignedArgument(const Spec& spec, va_list& args) {
  switch (spec.length) {
    case Spec::kChar: return static_cast<unsigned char>(va_arg(args, unsigned));
    case Spec::kShort: return static_cast<unsigned short>(va_arg(args, unsigned));
    case Spec::kLong: return va_arg(args, unsigned long);
    case Spec::kLongLong: return va_arg(args, unsigned long long);
    case Spec::kSize: return va_arg(args, size_t);
    default: return va_arg(args, unsigned);
  }
}

bool PutFloat(Output& out, const Spec& spec, char conversion, double value) {
  std::string narrow = "%";
  if (spec.left) narrow += '-';
  if (spec.plus) narrow += '+';
  if (spec.space) narrow += ' ';
  if (spec.zero) narrow += '0';
  if (spec.alternate) narrow += '#';
  narrow += "*.*";
  narrow += conversion;
  int width = static_cast<int>(spec.width < INT_MAX ? spec.width : INT_MAX);
  int precision = static_cast<int>(spec.precision < INT_MAX ? spec.precision : INT_MAX);
  int n = std::snprintf(nullptr, 0, narrow.c_str(), width, precision, value);
  if (n < 0) return true;
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::snprintf(text.data(), text.size(), narrow.c_str(), width, precision, value);
  for (int i = 0; i < n; ++i)
    if (!out.Put(static_cast<unsigned char>(text[static_cast<size_t>(i)]))) return false;
  return true;
}

bool PutNarrowText(Output& out, const Spec& spec, const char* text) {
  size_t n = NarrowLength(text);
  if (spec.precision >= 0 && static_cast<size_t>(spec.precision) < n) n = static_cast<size_t>(spec.precision);
  std::u16string wide;
  if (n) {
    int length = static_cast<int>(n < static_cast<size_t>(INT_MAX) ? n : INT_MAX);
    int units = platform::MultiByteToWide(platform::kAnsiCodePage, text, length, nullptr, 0);
    if (units > 0) {
      wide.resize(static_cast<size_t>(units));
      units = platform::MultiByteToWide(platform::kAnsiCodePage, text, length, &wide[0], units);
      wide.resize(units > 0 ? static_cast<size_t>(units) : 0);
    }
  }
  return PutField(out, spec, wide.data(), wide.size());
}

bool PutWideText(Output& out, const Spec& spec, const char16_t* text) {
  size_t n = 0;
  while (text[n] && (spec.precision < 0 || n < static_cast<size_t>(spec.precision))) ++n;
  return PutField(out, spec, text, n);
}

const char16_t* ParseSpec(const char16_t* f, Spec* spec, va_list& args) {
  for (;; ++f) {
    if (*f == u'-') spec->left = true;
    else if (*f == u'+') spec->plus = true;
    else if (*f == u' ') spec->space = true;
    else if (*f == u'0') spec->zero = true;
    else if (*f == u'#') spec->alternate = true;
    else break;
  }
  if (*f == u'*') {
    long w = va_arg(args, int);
    if (w < 0) {
      spec->left = true;
      w = -w;
    }
    spec->width = w;
    ++f;
  } else {
    for (; *f >= u'0' && *f <= u'9'; ++f)
      spec->width = spec->width < INT_MAX / 10 ? spec->width * 10 + (*f - u'0') : INT_MAX;
  }
  if (*f == u'.') {
    ++f;
    spec->precision = 0;
    if (*f == u'*') {
      long p = va_arg(args, int);
      spec->precision = p < 0 ? -1 : p;
      ++f;
    } else {
      for (; *f >= u'0' && *f <= u'9'; ++f)
        spec->precision = spec->precision < INT_MAX / 10 ? spec->precision * 10 + (*f - u'0') : INT_MAX;
    }
  }
  if (*f == u'h') {
    ++f;
    spec->length = Spec::kShort;
    if (*f == u'h') {
      ++f;
      spec->length = Spec::kChar;
    }
  } else if (*f == u'l') {
    ++f;
    spec->length = Spec::kLong;
    if (*f == u'l') {
      ++f;
      spec->length = Spec::kLongLong;
    }
  } else if (*f == u'z') {
    ++f;
    spec->length = Spec::kSize;
  }
  return f;
}

}  // namespace

int FormatWideV(char16_t* buffer, size_t count, const char16_t* format, va_list args) {
  if (!buffer || count == 0) return -1;
  Output out(buffer, count);
  va_list ap;
  va_copy(ap, args);
  for (const char16_t* f = format ? format : u""; *f && !out.cut();) {
    if (*f != u'%') {
      out.Put(*f++);
      continue;
    }
    const char16_t* start = f++;
    Spec spec;
    f = ParseSpec(f, &spec, ap);
    const char16_t conversion = *f;
    if (conversion) ++f;
    switch (conversion) {
      case u'd':
      case u'i': {
        int64_t v = SignedArgument(spec, ap);
        uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        PutInteger(out, spec, magnitude, v < 0, 10, false, true);
        break;
      }
      case u'u': PutInteger(out, spec, UnsignedArgument(spec, ap), false, 10, false, false); break;
      case u'o': PutInteger(out, spec, UnsignedArgument(spec, ap), false, 8, false, false); break;
      case u'x': PutInteger(out, spec, UnsignedArgument(spec, ap), false, 16, false, false); break;
      case u'X': PutInteger(out, spec, UnsignedArgument(spec, ap), false, 16, true, false); break;
      case u'c': {
        char16_t c = static_cast<char16_t>(va_arg(ap, int));
        if (spec.length == Spec::kShort) {
          char narrow[2] = {static_cast<char>(c), 0};
          Spec one = spec;
          one.precision = 1;
          PutNarrowText(out, one, narrow);
        } else {
          PutField(out, spec, &c, 1);
        }
        break;
      }
      case u's':
        if (spec.length == Spec::kShort) {
          const char* text = va_arg(ap, const char*);
          PutNarrowText(out, spec, text ? text : "(null)");
        } else {
          const char16_t* text = va_arg(ap, const char16_t*);
          PutWideText(out, spec, text ? text : u"(null)");
        }
        break;
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
        PutFloat(out, spec, static_cast<char>(conversion), va_arg(ap, double));
        break;
      case u'p': {
        Spec pointer;
        pointer.width = spec.width;
        pointer.left = spec.left;
        pointer.precision = static_cast<long>(2 * sizeof(void*));
        PutInteger(out, pointer, reinterpret_cast<uintptr_t>(va_arg(ap, void*)), false, 16, true, false);
        break;
      }
      case u'%': out.Put(u'%'); break;
      default:
        // Unknown or incomplete: written as it stands, no argument taken.
        for (const char16_t* p = start; p < f; ++p) out.Put(*p);
        break;
    }
  }
  va_end(ap);
  return out.Finish();
}

int FormatWide(char16_t* buffer, size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int n = FormatWideV(buffer, count, format, args);
  va_end(args);
  return n;
}

void FormatDecimal(char16_t* buffer, uint32_t value) {
  char16_t digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value);
  for (int i = 0; i < n; ++i) buffer[i] = digits[n - 1 - i];
  buffer[n] = 0;
}

void FormatHex4(char16_t* buffer, uint32_t value) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  if (value > 0xFFFF) value = 0xFFFF;
  for (int i = 0; i < 4; ++i) buffer[i] = kDigits[(value >> (12 - 4 * i)) & 0xF];
  buffer[4] = 0;
}
