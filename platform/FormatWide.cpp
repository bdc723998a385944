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

struct Directive {
  bool left = false, plus = false, space = false, zero = false, alternate = false;
  long width = 0;
  long precision = -1;  // none
  enum Length { kNone, kChar, kShort, kLong, kLongLong, kSize } length = kNone;
};

// Writes a field of text with the width's padding around it.
bool PutField(Output& out, const Directive& directive, const char16_t* text, size_t n) {
  long pad = directive.width > static_cast<long>(n) ? directive.width - static_cast<long>(n) : 0;
  if (!directive.left && !out.Repeat(u' ', pad)) return false;
  for (size_t i = 0; i < n; ++i)
    if (!out.Put(text[i])) return false;
  return directive.left ? out.Repeat(u' ', pad) : true;
}

bool PutInteger(Output& out, const Directive& directive, uint64_t magnitude, bool negative, unsigned base,
                bool upper, bool isSigned) {
  const char* digitsOf = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char16_t digits[24];
  int n = 0;
  for (uint64_t v = magnitude; v; v /= base) digits[n++] = static_cast<char16_t>(digitsOf[v % base]);
  // "%.0d" of zero prints no digits; otherwise at least one.
  long minDigits = directive.precision >= 0 ? directive.precision : 1;
  long zeros = minDigits > n ? minDigits - n : 0;
  if (base == 8 && directive.alternate && zeros == 0 && (n == 0 || digits[n - 1] != u'0')) zeros = 1;

  char16_t prefix[2];
  int prefixLength = 0;
  if (isSigned) {
    if (negative) {
      prefix[prefixLength++] = u'-';
    } else if (directive.plus) {
      prefix[prefixLength++] = u'+';
    } else if (directive.space) {
      prefix[prefixLength++] = u' ';
    }
  } else if (base == 16 && directive.alternate && magnitude != 0) {
    prefix[prefixLength++] = u'0';
    prefix[prefixLength++] = upper ? u'X' : u'x';
  }
  long total = prefixLength + zeros + n;
  long pad = directive.width > total ? directive.width - total : 0;
  if (directive.zero && !directive.left && directive.precision < 0) {
    zeros += pad;
    pad = 0;
  }
  if (!directive.left && !out.Repeat(u' ', pad)) return false;
  for (int i = 0; i < prefixLength; ++i)
    if (!out.Put(prefix[i])) return false;
  if (!out.Repeat(u'0', zeros)) return false;
  for (int i = n - 1; i >= 0; --i)
    if (!out.Put(digits[i])) return false;
  return directive.left ? out.Repeat(u' ', pad) : true;
}

int64_t SignedArgument(const Directive& directive, va_list& args) {
  switch (directive.length) {
    case Directive::kChar: return static_cast<signed char>(va_arg(args, int));
    case Directive::kShort: return static_cast<short>(va_arg(args, int));
    case Directive::kLong: return va_arg(args, long);
    case Directive::kLongLong: return va_arg(args, long long);
    case Directive::kSize: return va_arg(args, ptrdiff_t);
    default: return va_arg(args, int);
  }
}

uint64_t UnsignedArgument(const Directive& directive, va_list& args) {
  switch (directive.length) {
    case Directive::kChar: return static_cast<unsigned char>(va_arg(args, unsigned));
    case Directive::kShort: return static_cast<unsigned short>(va_arg(args, unsigned));
    case Directive::kLong: return va_arg(args, unsigned long);
    case Directive::kLongLong: return va_arg(args, unsigned long long);
    case Directive::kSize: return va_arg(args, size_t);
    default: return va_arg(args, unsigned);
  }
}

bool PutFloat(Output& out, const Directive& directive, char conversion, double value) {
  std::string narrow = "%";
  if (directive.left) narrow += '-';
  if (directive.plus) narrow += '+';
  if (directive.space) narrow += ' ';
  if (directive.zero) narrow += '0';
  if (directive.alternate) narrow += '#';
  narrow += "*.*";
  narrow += conversion;
  int width = static_cast<int>(directive.width < INT_MAX ? directive.width : INT_MAX);
  int precision = static_cast<int>(directive.precision < INT_MAX ? directive.precision : INT_MAX);
  int n = std::snprintf(nullptr, 0, narrow.c_str(), width, precision, value);
  if (n < 0) return true;
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::snprintf(text.data(), text.size(), narrow.c_str(), width, precision, value);
  for (int i = 0; i < n; ++i)
    if (!out.Put(static_cast<unsigned char>(text[static_cast<size_t>(i)]))) return false;
  return true;
}

bool PutNarrowText(Output& out, const Directive& directive, const char* text) {
  size_t n = NarrowLength(text);
  if (directive.precision >= 0 && static_cast<size_t>(directive.precision) < n) n = static_cast<size_t>(directive.precision);
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
  return PutField(out, directive, wide.data(), wide.size());
}

bool PutWideText(Output& out, const Directive& directive, const char16_t* text) {
  size_t n = 0;
  while (text[n] && (directive.precision < 0 || n < static_cast<size_t>(directive.precision))) ++n;
  return PutField(out, directive, text, n);
}

const char16_t* ParseDirective(const char16_t* f, Directive* directive, va_list& args) {
  for (;; ++f) {
    if (*f == u'-') directive->left = true;
    else if (*f == u'+') directive->plus = true;
    else if (*f == u' ') directive->space = true;
    else if (*f == u'0') directive->zero = true;
    else if (*f == u'#') directive->alternate = true;
    else break;
  }
  if (*f == u'*') {
    long w = va_arg(args, int);
    if (w < 0) {
      directive->left = true;
      w = -w;
    }
    directive->width = w;
    ++f;
  } else {
    for (; *f >= u'0' && *f <= u'9'; ++f)
      directive->width = directive->width < INT_MAX / 10 ? directive->width * 10 + (*f - u'0') : INT_MAX;
  }
  if (*f == u'.') {
    ++f;
    directive->precision = 0;
    if (*f == u'*') {
      long p = va_arg(args, int);
      directive->precision = p < 0 ? -1 : p;
      ++f;
    } else {
      for (; *f >= u'0' && *f <= u'9'; ++f)
        directive->precision = directive->precision < INT_MAX / 10 ? directive->precision * 10 + (*f - u'0') : INT_MAX;
    }
  }
  if (*f == u'h') {
    ++f;
    directive->length = Directive::kShort;
    if (*f == u'h') {
      ++f;
      directive->length = Directive::kChar;
    }
  } else if (*f == u'l') {
    ++f;
    directive->length = Directive::kLong;
    if (*f == u'l') {
      ++f;
      directive->length = Directive::kLongLong;
    }
  } else if (*f == u'z') {
    ++f;
    directive->length = Directive::kSize;
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
    Directive directive;
    f = ParseDirective(f, &directive, ap);
    const char16_t conversion = *f;
    if (conversion) ++f;
    switch (conversion) {
      case u'd':
      case u'i': {
        int64_t v = SignedArgument(directive, ap);
        uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        PutInteger(out, directive, magnitude, v < 0, 10, false, true);
        break;
      }
      case u'u': PutInteger(out, directive, UnsignedArgument(directive, ap), false, 10, false, false); break;
      case u'o': PutInteger(out, directive, UnsignedArgument(directive, ap), false, 8, false, false); break;
      case u'x': PutInteger(out, directive, UnsignedArgument(directive, ap), false, 16, false, false); break;
      case u'X': PutInteger(out, directive, UnsignedArgument(directive, ap), false, 16, true, false); break;
      case u'c': {
        char16_t c = static_cast<char16_t>(va_arg(ap, int));
        if (directive.length == Directive::kShort) {
          char narrow[2] = {static_cast<char>(c), 0};
          Directive one = directive;
          one.precision = 1;
          PutNarrowText(out, one, narrow);
        } else {
          PutField(out, directive, &c, 1);
        }
        break;
      }
      case u's':
        if (directive.length == Directive::kShort) {
          const char* text = va_arg(ap, const char*);
          PutNarrowText(out, directive, text ? text : "(null)");
        } else {
          const char16_t* text = va_arg(ap, const char16_t*);
          PutWideText(out, directive, text ? text : u"(null)");
        }
        break;
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
        PutFloat(out, directive, static_cast<char>(conversion), va_arg(ap, double));
        break;
      case u'p': {
        Directive pointer;
        pointer.width = directive.width;
        pointer.left = directive.left;
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
