// Text conversion between UTF-8 and the printer's encoding, with iconv.
#include "platform/text_conversion.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace tf {
namespace {

// One iconv descriptor per conversion and thread, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in` whole; returns the bytes written to `out`, or -1 when any of it fails.  The
  // state is flushed (a stateful encoding may hold a character back) and reset afterwards.
  long Convert(const char* in, std::size_t inLen, char* out, std::size_t outLen) {
    if (!ok()) return -1;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    std::size_t outLeft = outLen;
    std::size_t rc = iconv(cd_, &inPtr, &inLen, &outPtr, &outLeft);
    if (rc == static_cast<std::size_t>(-1) || inLen != 0) {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      return -1;
    }
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      return -1;
    }
    return static_cast<long>(outPtr - out);
  }

 private:
  iconv_t cd_;
};

Converter& Utf8ToUtf16() {
  thread_local Converter converter("UTF-16LE", "UTF-8");
  return converter;
}
Converter& Utf16ToShiftJis() {
  thread_local Converter converter("SHIFT_JISX0213", "UTF-16LE");
  return converter;
}

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Strict UTF-8 check: iconv accepts some forms (encoded surrogates) that are not valid UTF-8.
bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size(), i = 0;
  while (i < n) {
    unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    unsigned int cp;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += len;
  }
  return true;
}

std::size_t EncodeUtf8(char16_t unit, char out[6]) {
  if (IsSurrogate(unit)) return 0;
  if (unit < 0x80) {
    out[0] = static_cast<char>(unit);
    return 1;
  }
  if (unit < 0x800) {
    out[0] = static_cast<char>(0xC0 | (unit >> 6));
    out[1] = static_cast<char>(0x80 | (unit & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (unit >> 12));
  out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (unit & 0x3F));
  return 3;
}

int ConvertWalk(const char* source, char* dest, int size, TextEncoding encoding) {
  if (dest == nullptr || size <= 0) return 0;
  std::memset(dest, 0, static_cast<std::size_t>(size));
  if (source == nullptr) return 0;
  std::u16string units;
  if (!DecodeUtf8(source, units)) return 0;
  std::size_t length = 0;
  const std::size_t limit = static_cast<std::size_t>(size) - 1;
  for (char16_t unit : units) {
    char piece[6] = {};
    std::size_t n = ConvertUnit(unit, encoding, piece);
    if (n == 0) continue;
    if (length + n > limit) break;  // the whole character does not fit: stop before it
    std::memcpy(dest + length, piece, n);
    length += n;
  }
  return static_cast<int>(length);
}

}  // namespace

bool DecodeUtf8(std::string_view text, std::u16string& units) {
  units.clear();
  if (!IsValidUtf8(text)) return false;
  if (text.empty()) return true;
  std::string buffer(text.size() * 2 + 4, '\0');
  long n = Utf8ToUtf16().Convert(text.data(), text.size(), buffer.data(), buffer.size());
  if (n < 0) return false;
  units.resize(static_cast<std::size_t>(n) / 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(buffer[2 * i]) |
                                     (static_cast<unsigned char>(buffer[2 * i + 1]) << 8));
  }
  return true;
}

std::size_t ConvertUnit(char16_t unit, TextEncoding encoding, char out[6]) {
  if (unit == u'\\' || unit == u'~' || encoding == TextEncoding::UTF8) return EncodeUtf8(unit, out);
  if (IsSurrogate(unit)) return 0;
  const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  long n = Utf16ToShiftJis().Convert(in, 2, out, 6);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

int ConvertUTF8ToEncoding(const char* source, char* dest, int size) {
  return ConvertWalk(source, dest, size, TextEncoding::ShiftJIS);
}

int ConvertUTF8ToEncodingForUTF8(const char* source, char* dest, int size) {
  return ConvertWalk(source, dest, size, TextEncoding::UTF8);
}

int ConvertToEncoding(TextEncoding encoding, const char* source, char* dest, int size) {
  return ConvertWalk(source, dest, size, encoding);
}

std::size_t CharWidth(const unsigned char* p, std::size_t remaining, TextEncoding encoding) {
  if (remaining == 0) return 0;
  std::size_t width = 1;
  const unsigned char c = p[0];
  if (encoding == TextEncoding::ShiftJIS) {
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) width = 2;
  } else if (c >= 0xF0) {
    width = 4;
  } else if (c >= 0xE0) {
    width = 3;
  } else if (c >= 0xC0) {
    width = 2;
  }
  return width < remaining ? width : remaining;
}

std::size_t CutToWholeChars(std::string_view text, std::size_t max, TextEncoding encoding) {
  if (text.size() <= max) return text.size();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t width = CharWidth(p + pos, text.size() - pos, encoding);
    if (pos + width > max) break;
    pos += width;
  }
  return pos;
}

long CountUtf16Units(std::string_view text) {
  if (!IsValidUtf8(text)) return -1;
  long units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) units += (c >= 0xF0) ? 2 : 1;
  }
  return units;
}

std::size_t Utf8PrefixForUnits(std::string_view text, std::size_t units) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t pos = 0, counted = 0;
  while (pos < text.size()) {
    std::size_t width = CharWidth(p + pos, text.size() - pos, TextEncoding::UTF8);
    std::size_t cost = (p[pos] >= 0xF0) ? 2 : 1;
    if (counted + cost > units) break;
    counted += cost;
    pos += width;
  }
  return pos;
}

std::size_t CopyToField(char* field, std::size_t size, std::string_view text,
                        TextEncoding encoding, std::size_t max) {
  if (field == nullptr || size == 0) return 0;
  const std::size_t room = max < size - 1 ? max : size - 1;
  const std::size_t length = CutToWholeChars(text, room, encoding);
  std::memmove(field, text.data(), length);
  std::memset(field + length, 0, size - length);
  return length;
}

void CutField(char* field, std::size_t size, std::size_t max, TextEncoding encoding) {
  const std::string_view text(field, strnlen(field, size));
  if (text.size() <= max) return;
  const std::size_t length = CutToWholeChars(text, max, encoding);
  std::memset(field + length, 0, size - length);
}

}  // namespace tf
