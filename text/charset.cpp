// Reply bodies are re-encoded straight through the code-page layer. The text
// read under the source charset ends at its first NUL character, and so does
// the output.
#include "text/charset.h"

#include <cstring>

#include "platform/codepage.h"

namespace {

std::optional<unsigned> CodePageOfCharset(const Text& charset) {
  const Text name = ToLowerCase(charset);
  if (name == "utf-8" || name == "utf8") return kCodePageUtf8;
  if (name == "gbk" || name == "gb2312" || name == "cp936") return kCodePageGbk;
  return std::nullopt;
}

}  // namespace

ByteString ConvertCharset(const ByteString& data, const Text& fromCharset, const Text& toCharset,
                          std::optional<int> startPosition) {
  return StreamConvert(data, fromCharset.empty() ? Text("UTF-8") : fromCharset,
                       toCharset.empty() ? Text("GBK") : toCharset, startPosition);
}

ByteString StreamConvert(const ByteString& data, const Text& fromCharset, const Text& toCharset,
                         std::optional<int> startPosition) {
  const std::optional<unsigned> from = CodePageOfCharset(fromCharset);
  const std::optional<unsigned> to = CodePageOfCharset(toCharset);
  if (!from || !to) return ByteString();
  const std::uint8_t* bytes = data.data();
  std::size_t size = data.size();
  // A byte-order mark is no character of the text.
  if (*from == kCodePageUtf8 && size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    bytes += 3;
    size -= 3;
  }
  // In UTF-8 and in GBK a zero byte is always the NUL character (a GBK lead
  // byte before it stands alone), so the text ends at the first zero byte.
  if (const void* nul = size > 0 ? std::memchr(bytes, 0, size) : nullptr)
    size = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes);
  ByteString out;
  if (size == 0 || !ConvertCodePage(*from, *to, bytes, size, out)) return ByteString();
  // A negative position is refused and the whole output read; one at or
  // beyond the end leaves nothing to read.
  if (startPosition && *startPosition > 0) {
    const auto skip = static_cast<std::size_t>(*startPosition);
    if (skip >= out.size()) return ByteString();
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(skip));
  }
  return out;
}
