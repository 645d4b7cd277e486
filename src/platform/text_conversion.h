// Text conversion between the job's UTF-8 text and the printer's encoding.
//
// Printers take text either as UTF-8 ("UTF-8 mode") or as Shift-JIS of JIS X 0213 ("byte mode").
// Text is converted one UTF-16 unit at a time, so that a character the printer's encoding lacks
// drops out alone; backslash and tilde always stay the single bytes 0x5C and 0x7E.  Conversions
// are done with iconv.  No conversion or cut ever leaves half a character in its result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tf {

enum class TextEncoding {
  ShiftJIS,  // byte mode
  UTF8,      // UTF-8 mode
};

// Decodes UTF-8 text into UTF-16 units.  Returns false (and leaves `units` empty) when the text is
// not valid UTF-8.
bool DecodeUtf8(std::string_view text, std::u16string& units);

// Converts one UTF-16 unit into `out` (room for 6 bytes).  Returns the byte count, 0 when the unit
// cannot be converted by itself (a surrogate half, or a character the encoding lacks).
std::size_t ConvertUnit(char16_t unit, TextEncoding encoding, char out[6]);

// Byte-mode conversion: UTF-8 `source` into Shift-JIS X 0213 in `dest` (`size` bytes, the result
// always NUL-terminated).  Returns the length of the result; 0 (empty result) for text that is not
// valid UTF-8.  A character that does not fit whole in size - 1 bytes ends the result.
int ConvertUTF8ToEncoding(const char* source, char* dest, int size);

// UTF-8-mode conversion: the same walk, every unit converted as UTF-8 (characters outside the
// Basic Multilingual Plane drop out).
int ConvertUTF8ToEncodingForUTF8(const char* source, char* dest, int size);

// The conversion of the given mode.
int ConvertToEncoding(TextEncoding encoding, const char* source, char* dest, int size);

// Width in bytes of the character that starts at `p` (at most `remaining` bytes are looked at):
// Shift-JIS lead bytes 0x81-0x9F and 0xE0-0xFC take two bytes, UTF-8 lead bytes take the length
// of their sequence.  Never more than `remaining`.
std::size_t CharWidth(const unsigned char* p, std::size_t remaining, TextEncoding encoding);

// The longest prefix of `text` of at most `max` bytes that ends on a character boundary.
std::size_t CutToWholeChars(std::string_view text, std::size_t max, TextEncoding encoding);

// The bounded copy into a text field: copies into `field` (`size` bytes) the longest prefix of
// `text` that ends on a character boundary of `encoding` and holds at most `max` bytes (and at
// most size - 1), and clears the rest of the field, so that it holds its terminator.  Returns the
// bytes copied.
std::size_t CopyToField(char* field, std::size_t size, std::string_view text,
                        TextEncoding encoding, std::size_t max = static_cast<std::size_t>(-1));
template <std::size_t N>
std::size_t CopyToField(char (&field)[N], std::string_view text, TextEncoding encoding,
                        std::size_t max = N - 1) {
  return CopyToField(field, N, text, encoding, max);
}

// Shortens the text in `field` (`size` bytes) to at most `max` bytes of whole characters of
// `encoding`, clearing what follows.
void CutField(char* field, std::size_t size, std::size_t max, TextEncoding encoding);
template <std::size_t N>
void CutField(char (&field)[N], std::size_t max, TextEncoding encoding) {
  CutField(field, N, max, encoding);
}

// Number of UTF-16 units of UTF-8 text; -1 when the text is not valid UTF-8.
long CountUtf16Units(std::string_view text);

// Byte length of the longest prefix of UTF-8 `text` that holds at most `units` UTF-16 units and
// does not split a character (a character outside the BMP counts two units).
std::size_t Utf8PrefixForUnits(std::string_view text, std::size_t units);

}  // namespace tf
