#include "text/url_encode.h"

#include "platform/codepage.h"

namespace {

// - . 0-9 A-Z a-z: 64 byte values; the slash inside 0x2D-0x39 is not among them.
bool IsSafe(unsigned char byte) {
  return (byte >= 0x2D && byte <= 0x39 && byte != 0x2F) || (byte >= 0x41 && byte <= 0x5A) ||
         (byte >= 0x61 && byte <= 0x7A);
}

}  // namespace

Text UrlEncode(const Text& text, bool keepSafe, bool toUtf8) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const Text bytes = toUtf8 ? AnsiToUtf8(text) : text;
  Text result;
  result.reserve(bytes.size() * 3);
  // Byte by byte, never by character: a GBK trail byte in the safe set stays plain.
  for (const unsigned char byte : bytes) {
    if (keepSafe && IsSafe(byte)) {
      result += static_cast<char>(byte);
    } else {
      result += '%';
      result += kDigits[byte >> 4];
      result += kDigits[byte & 0x0F];
    }
  }
  return result;
}

Text AnsiToUtf8(const Text& text) { return UnicodeToAnsi(AnsiToUnicode(text, kCodePageGbk), kCodePageUtf8); }

// Every buffer is sized in the code page the conversion uses, so a Chinese
// text converts whole whatever the system's ANSI code page is.
ByteString AnsiToUnicode(const Text& text, std::optional<unsigned> codePage) {
  const unsigned page = codePage.value_or(kCodePageUtf8);
  const char* bytes = TextPointer(text);
  const int count = MultiByteToUtf16(page, bytes, -1, nullptr, 0);
  if (count <= 0) return ByteString();
  std::u16string units(static_cast<std::size_t>(count), u'\0');
  const int written = MultiByteToUtf16(page, bytes, -1, units.data(), count);
  // A bad sequence at the very end can take the terminator with it; the
  // buffer still ends with a zero unit.
  if (units.back() != 0) units += u'\0';
  ByteString buffer(2 * units.size(), 0);
  for (std::size_t i = 0; i < static_cast<std::size_t>(written); ++i) {
    buffer[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return buffer;
}

Text UnicodeToAnsi(const ByteString& units, std::optional<unsigned> codePage) {
  const unsigned page = codePage.value_or(kCodePageAnsi);
  if (units.empty()) return Text();
  // Up to the first zero unit, and never past the buffer when it has none.
  std::u16string wide;
  wide.reserve(units.size() / 2);
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(units[i] | units[i + 1] << 8);
    if (unit == 0) break;
    wide += unit;
  }
  const int count = Utf16ToMultiByte(page, wide.c_str(), -1, nullptr, 0);
  if (count <= 0) return Text();
  Text buffer(static_cast<std::size_t>(count), ' ');
  Utf16ToMultiByte(page, wide.c_str(), -1, buffer.data(), count);
  return ToText(buffer);
}
