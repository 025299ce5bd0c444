// Code pages on Linux through iconv, made to give Windows' bytes.
//
// iconv converts everything it can in one pass. Where it stops (bad input, or
// a character the target lacks), that one character is read and written the
// way Windows does, and iconv carries on behind it. glibc's CP936 agrees with
// Windows' code page 936 wherever both map a code; what Windows maps beyond it
// is in codepage_cp936_extra.h.
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include "platform/posix/codepage_cp936_extra.h"

namespace {

enum class Form { kUtf8, kGbk, kUtf16 };
constexpr int kForms = 3;

std::optional<Form> FormOfCodePage(unsigned codePage) {
  switch (codePage) {
    case kCodePageAnsi:
    case kCodePageGbk:
      return Form::kGbk;
    case kCodePageUtf8:
      return Form::kUtf8;
    default:
      return std::nullopt;
  }
}

const char* IconvName(Form form) {
  switch (form) {
    case Form::kUtf8:
      return "UTF-8";
    case Form::kGbk:
      return "CP936";
    case Form::kUtf16:
      break;
  }
  return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

// One iconv descriptor per direction and thread, opened on first use.
class Converters {
 public:
  Converters() { std::fill(std::begin(descriptors_), std::end(descriptors_), kNone); }
  ~Converters() {
    for (iconv_t& cd : descriptors_)
      if (cd != kNone) iconv_close(cd);
  }
  iconv_t Get(Form from, Form to) {
    iconv_t& cd = descriptors_[static_cast<int>(from) * kForms + static_cast<int>(to)];
    if (cd == kNone) cd = iconv_open(IconvName(to), IconvName(from));
    if (cd != kNone) iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return cd;
  }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  iconv_t descriptors_[kForms * kForms];
};

thread_local Converters converters;

constexpr char32_t kReplacement = 0xFFFD;

struct Char {
  char32_t value;
  std::size_t length;  // bytes read
};

// One UTF-8 character as Windows reads it (`n` bytes are left in the input).
// A bad run ends at the first byte that cannot continue it, and the
// continuation byte that shows a sequence to be overlong, a surrogate or above
// U+10FFFF still belongs to the bad run. A lead byte with fewer bytes behind it
// than its sequence needs makes the rest of the input one bad run, whatever
// those bytes are (a terminating NUL included).
Char ReadUtf8(const std::uint8_t* p, std::size_t n) {
  const std::uint8_t lead = p[0];
  if (lead < 0x80) return {lead, 1};
  int more;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    value = lead & 0x07;
  } else {
    return {kReplacement, 1};
  }
  if (n - 1 < static_cast<std::size_t>(more)) return {kReplacement, n};
  std::size_t i = 1;
  for (int k = 0; k < more; ++k, ++i) {
    if (i >= n || (p[i] & 0xC0) != 0x80) return {kReplacement, i};
    value = (value << 6) | (p[i] & 0x3F);
    if (k == 0 && more == 3 && (value < 0x10 || value >= 0x110)) return {kReplacement, i + 1};
    if (k == 0 && more == 2 && (value < 0x20 || (value >= 0x360 && value < 0x380))) return {kReplacement, i + 1};
  }
  return {value, i};
}

std::optional<char32_t> GbkExtraToUnit(unsigned code) {
  for (const cp936::Run& run : cp936::kRuns)
    if (code >= run.code && code < unsigned{run.code} + run.count) return char32_t{run.unit} + (code - run.code);
  return std::nullopt;
}

// One GBK character as Windows reads it, where iconv found none.
Char ReadGbk(const std::uint8_t* p, std::size_t n) {
  const std::uint8_t lead = p[0];
  if (lead < 0x81 || lead == 0xFF) return {GbkExtraToUnit(lead).value_or(lead < 0x80 ? lead : U'?'), 1};
  if (n < 2 || p[1] == 0) return {U'?', 1};
  return {GbkExtraToUnit(unsigned{lead} << 8 | p[1]).value_or(U'?'), 2};
}

Char ReadUtf16(const std::uint8_t* p, std::size_t n) {
  if (n < 2) return {kReplacement, n};
  char16_t unit;
  std::memcpy(&unit, p, 2);
  if (unit < 0xD800 || unit > 0xDFFF) return {unit, 2};
  if (unit <= 0xDBFF && n >= 4) {
    char16_t low;
    std::memcpy(&low, p + 2, 2);
    if (low >= 0xDC00 && low <= 0xDFFF) return {0x10000 + ((char32_t{unit} - 0xD800) << 10) + (low - 0xDC00), 4};
  }
  return {kReplacement, 2};
}

// Output under construction. It is reserved in advance and grows by
// appending, so its bytes are written once and never zero-filled first.
using Output = std::vector<std::uint8_t>;

void WriteUtf8(char32_t c, Output& out) {
  if (c < 0x80) {
    out.push_back(static_cast<std::uint8_t>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<std::uint8_t>(0xC0 | (c >> 6)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<std::uint8_t>(0xE0 | (c >> 12)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<std::uint8_t>(0xF0 | (c >> 18)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
  }
}

void WriteUtf16Unit(char16_t unit, Output& out) {
  std::uint8_t bytes[2];
  std::memcpy(bytes, &unit, 2);
  out.insert(out.end(), bytes, bytes + 2);
}

void WriteUtf16(char32_t c, Output& out) {
  if (c < 0x10000) {
    WriteUtf16Unit(static_cast<char16_t>(c), out);
  } else {
    WriteUtf16Unit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), out);
    WriteUtf16Unit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), out);
  }
}

std::optional<unsigned> GbkExtraFromUnit(char32_t c) {
  for (const cp936::Run& run : cp936::kRuns)
    if (c >= run.unit && c < char32_t{run.unit} + run.count) return run.code + (c - run.unit);
  const auto* end = std::end(cp936::kBestFit);
  const auto* fit = std::lower_bound(std::begin(cp936::kBestFit), end, c,
                                     [](const cp936::BestFit& entry, char32_t unit) { return entry.unit < unit; });
  if (fit != end && fit->unit == c) return fit->code;
  return std::nullopt;
}

// A character iconv could not write in GBK: a code Windows has beyond
// glibc's, or "?" per UTF-16 unit.
void WriteGbk(char32_t c, Output& out) {
  if (c < 0x80) {
    out.push_back(static_cast<std::uint8_t>(c));
  } else if (c >= 0x10000) {
    out.push_back('?');
    out.push_back('?');
  } else if (const std::optional<unsigned> code = GbkExtraFromUnit(c)) {
    if (*code > 0xFF) out.push_back(static_cast<std::uint8_t>(*code >> 8));
    out.push_back(static_cast<std::uint8_t>(*code & 0xFF));
  } else {
    out.push_back('?');
  }
}

Char Read(Form form, const std::uint8_t* p, std::size_t n) {
  switch (form) {
    case Form::kUtf8:
      return ReadUtf8(p, n);
    case Form::kGbk:
      return ReadGbk(p, n);
    case Form::kUtf16:
      break;
  }
  return ReadUtf16(p, n);
}

void Write(Form form, char32_t c, Output& out) {
  switch (form) {
    case Form::kUtf8:
      return WriteUtf8(c, out);
    case Form::kGbk:
      return WriteGbk(c, out);
    case Form::kUtf16:
      return WriteUtf16(c, out);
  }
}

// A first guess at the output size that is seldom exceeded: GBK from UTF-8
// never grows, the other directions at most double or triple.
std::size_t OutputGuess(Form from, Form to, std::size_t size) {
  if (to == Form::kGbk) return size + 16;
  if (to == Form::kUtf16) return 2 * size + 16;
  return from == Form::kGbk ? size + size / 2 + 16 : 2 * size + 16;
}

// glibc copies UTF-8 to UTF-8 without looking at it; Windows replaces every
// bad run, so the text is read here character by character.
void RepairUtf8(const std::uint8_t* data, std::size_t size, Output& out) {
  out.reserve(size + 16);
  std::size_t i = 0;
  while (i < size) {
    std::size_t ascii = i;
    while (ascii < size && data[ascii] < 0x80) ++ascii;
    if (ascii > i) {
      out.insert(out.end(), data + i, data + ascii);
      i = ascii;
      continue;
    }
    const Char c = ReadUtf8(data + i, size - i);
    WriteUtf8(c.value, out);
    i += c.length;
  }
}

// glibc drops the tag characters U+E0000-U+E007F without a word when it
// writes a legacy code page; Windows writes "??" for each. Finds the next one
// from `p` on, or gives `end`.
const std::uint8_t* NextTagCharacter(Form from, const std::uint8_t* p, const std::uint8_t* end) {
  if (from == Form::kUtf8) {
    while (end - p >= 4) {
      const void* lead = std::memchr(p, 0xF3, static_cast<std::size_t>(end - p - 3));
      if (lead == nullptr) break;
      p = static_cast<const std::uint8_t*>(lead);
      if (p[1] == 0xA0 && (p[2] == 0x80 || p[2] == 0x81) && (p[3] & 0xC0) == 0x80) return p;
      ++p;
    }
  } else if (from == Form::kUtf16) {
    for (; end - p >= 4; p += 2) {
      char16_t high;
      char16_t low;
      std::memcpy(&high, p, 2);
      std::memcpy(&low, p + 2, 2);
      if (high == 0xDB40 && low >= 0xDC00 && low <= 0xDC7F) return p;
    }
  }
  return end;
}

// Runs iconv from `p` up to `stop`, and repairs where it stops; `end` is the
// end of the whole input, which decides how a cut-off sequence is read.
// Gives the position reached, `stop` or just behind it. iconv writes into a
// small buffer that stays in the cache, which is then appended to `out`.
const std::uint8_t* RunIconv(iconv_t cd, Form from, Form to, const std::uint8_t* p, const std::uint8_t* stop,
                             const std::uint8_t* end, Output& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(reinterpret_cast<const char*>(p));
  std::size_t inLeft = static_cast<std::size_t>(stop - p);
  char chunk[64 * 1024];
  while (inLeft > 0) {
    char* target = chunk;
    std::size_t targetLeft = sizeof chunk;
    const std::size_t result = iconv(cd, &in, &inLeft, &target, &targetLeft);
    out.insert(out.end(), chunk, target);
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: iconv stands at the character it could not take.
    const auto* at = reinterpret_cast<const std::uint8_t*>(in);
    const Char c = Read(from, at, static_cast<std::size_t>(end - at));
    Write(to, c.value, out);
    if (c.length >= inLeft) return at + c.length;
    in += c.length;
    inLeft -= c.length;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return stop;
}

bool Convert(Form from, Form to, const std::uint8_t* data, std::size_t size, Output& out) {
  out.clear();
  if (from == Form::kUtf8 && to == Form::kUtf8) {
    RepairUtf8(data, size, out);
    return true;
  }
  iconv_t cd = converters.Get(from, to);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  if (size == 0) return true;
  out.reserve(OutputGuess(from, to, size));
  const std::uint8_t* p = data;
  const std::uint8_t* const end = data + size;
  while (p < end) {
    const std::uint8_t* stop = to == Form::kGbk ? NextTagCharacter(from, p, end) : end;
    if (p < stop) {
      p = RunIconv(cd, from, to, p, stop, end, out);
    } else {
      const Char c = Read(from, p, static_cast<std::size_t>(end - p));
      Write(to, c.value, out);
      p += c.length;
    }
  }
  return true;
}

}  // namespace

int MultiByteToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int capacity) {
  const std::optional<Form> form = FormOfCodePage(codePage);
  if (!form || text == nullptr || length == 0 || length < -1 || capacity < 0) return 0;
  const std::size_t size = length == -1 ? std::strlen(text) + 1 : static_cast<std::size_t>(length);
  std::vector<std::uint8_t> bytes;
  Convert(*form, Form::kUtf16, reinterpret_cast<const std::uint8_t*>(text), size, bytes);
  const std::size_t units = bytes.size() / 2;
  if (units > INT_MAX) return 0;
  if (capacity == 0) return static_cast<int>(units);
  if (units > static_cast<std::size_t>(capacity)) return 0;
  if (units > 0) std::memcpy(out, bytes.data(), units * 2);
  return static_cast<int>(units);
}

int Utf16ToMultiByte(unsigned codePage, const char16_t* units, int length, char* out, int capacity) {
  const std::optional<Form> form = FormOfCodePage(codePage);
  if (!form || units == nullptr || length == 0 || length < -1 || capacity < 0) return 0;
  std::size_t count = static_cast<std::size_t>(length);
  if (length == -1) {
    count = 0;
    while (units[count] != 0) ++count;
    ++count;
  }
  std::vector<std::uint8_t> bytes;
  Convert(Form::kUtf16, *form, reinterpret_cast<const std::uint8_t*>(units), count * 2, bytes);
  if (bytes.size() > INT_MAX) return 0;
  if (capacity == 0) return static_cast<int>(bytes.size());
  if (bytes.size() > static_cast<std::size_t>(capacity)) return 0;
  if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

bool ConvertCodePage(unsigned fromCodePage, unsigned toCodePage, const std::uint8_t* data, std::size_t size,
                     std::vector<std::uint8_t>& out) {
  out.clear();
  const std::optional<Form> from = FormOfCodePage(fromCodePage);
  const std::optional<Form> to = FormOfCodePage(toCodePage);
  if (!from || !to) return false;
  return Convert(*from, *to, data, size, out);
}

unsigned AnsiCodePage() { return kCodePageGbk; }
