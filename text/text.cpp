#include "text/text.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/fatal.h"

void RunTimeError(const char* what) { ShowFatalErrorAndExit(what); }

const Text& TextArray::Member(int index) const {
  if (index < 1 || index > Count()) RunTimeError("数组成员索引超出范围");
  return members_[static_cast<std::size_t>(index - 1)];
}

void TextArray::Append(Text member) { members_.push_back(std::move(member)); }

namespace {

using Byte = unsigned char;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

constexpr bool IsHigh(Byte b) { return b >= 0x80; }
constexpr Byte Fold(Byte b) { return static_cast<Byte>(b - 0x41u < 26u ? b + 0x20 : b); }

const Byte* BytesOf(const Text& text) { return reinterpret_cast<const Byte*>(text.data()); }

// Tells which positions of a text start a character, counting from a window
// start `lo` that is a character start by definition. A byte below 0x80 always
// ends a character, so a position is a character start exactly when the run
// of high bytes between it and the previous low byte (or `lo`) has even
// length. The run last measured is remembered, so a series of queries that
// only rises, or only falls, reads every byte at most once.
class CharStarts {
 public:
  CharStarts(const Byte* text, std::size_t lo) : text_(text) { Restart(lo); }

  // Character starts are counted afresh from `lo` (the walk resumes there).
  void Restart(std::size_t lo) { lo_ = base_ = seen_ = lo; }

  bool At(std::size_t p) {
    if (p < base_ || p > seen_) {
      // Invariant: base_ starts a character and [base_, seen_) are all high.
      std::size_t q = p;
      bool joined = false;
      while (q > lo_ && IsHigh(text_[q - 1])) {
        --q;
        if (q == seen_ && p > seen_) {
          joined = true;
          break;
        }
      }
      if (!joined) base_ = q;
      seen_ = p;
    }
    return (p - base_) % 2 == 0;
  }

 private:
  const Byte* text_;
  std::size_t lo_ = 0, base_ = 0, seen_ = 0;
};

std::uint64_t Load8(const Byte* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// The high bit of every byte of v that is zero, and nothing else.
constexpr std::uint64_t ZeroBytes(std::uint64_t v) { return ~(((v & kLow7) + kLow7) | v) & kHigh; }

// Finds the occurrences of a needle in a byte range, rising or falling,
// overlapping ones included, optionally with ASCII capitals folded on both
// sides. Candidates come from a word-at-a-time filter on the needle's first
// and last byte and are then compared in full; should the comparisons cost
// more than a few times the text's length (a needle built to defeat the
// filter), the search switches to a prefix-function automaton for the rest.
// Either way the cost of all calls over one text is linear in its length.
class Scanner {
 public:
  Scanner(const Byte* hay, std::size_t haySize, std::string_view needle, bool fold)
      : hay_(hay), m_(needle.size()), fold_(fold), budget_(2 * haySize + 4 * needle.size() + 1024) {
    needle_.assign(needle);
    if (fold_)
      for (char& c : needle_) c = static_cast<char>(Fold(static_cast<Byte>(c)));
    const Byte first = static_cast<Byte>(needle_.front());
    const Byte last = static_cast<Byte>(needle_.back());
    or0_ = FoldMask(first);
    or1_ = FoldMask(last);
    t0_ = first;
    t1_ = last;
  }

  // The smallest p with lo <= p and p + m <= hi at which the needle occurs.
  std::size_t Forward(std::size_t lo, std::size_t hi) {
    if (hi < m_ || lo > hi - m_) return kNone;
    if (kmp_) return KmpForward(lo, hi);
    const std::size_t end = hi - m_ + 1;  // one past the last candidate
    const std::uint64_t or0 = or0_ * kOnes, t0 = t0_ * kOnes, or1 = or1_ * kOnes, t1 = t1_ * kOnes;
    std::size_t p = lo;
    while (end - p >= 8) {
      std::uint64_t z = ZeroBytes(((Load8(hay_ + p) | or0) ^ t0) | ((Load8(hay_ + p + m_ - 1) | or1) ^ t1));
      if (z == 0 && end - p >= 16) {
        // Two words a round while nothing turns up, the common case by far.
        const Byte* h = hay_ + p + 8;
        if (ZeroBytes(((Load8(h) | or0) ^ t0) | ((Load8(h + m_ - 1) | or1) ^ t1)) == 0) {
          p += 16;
          continue;
        }
      }
      while (z != 0) {
        const std::size_t c = p + (static_cast<std::size_t>(std::countr_zero(z)) >> 3);
        if (Verify(c)) return lastForward_ = c;
        if (kmp_) return KmpForward(c + 1, hi);
        z &= z - 1;
      }
      p += 8;
    }
    for (; p < end; ++p) {
      if (!EndsMatch(p)) continue;
      if (Verify(p)) return lastForward_ = p;
      if (kmp_) return KmpForward(p + 1, hi);
    }
    return kNone;
  }

  // The largest p with lo <= p and p + m <= hi at which the needle occurs.
  std::size_t Backward(std::size_t lo, std::size_t hi) {
    if (hi < m_ || lo > hi - m_) return kNone;
    if (kmp_) return KmpBackward(lo, hi);
    const std::uint64_t or0 = or0_ * kOnes, t0 = t0_ * kOnes, or1 = or1_ * kOnes, t1 = t1_ * kOnes;
    std::size_t top = hi - m_ + 1;  // one past the highest candidate left
    while (top - lo >= 8) {
      const std::size_t b = top - 8;
      std::uint64_t z = ZeroBytes(((Load8(hay_ + b) | or0) ^ t0) | ((Load8(hay_ + b + m_ - 1) | or1) ^ t1));
      if (z == 0 && top - lo >= 16) {
        const Byte* h = hay_ + b - 8;
        if (ZeroBytes(((Load8(h) | or0) ^ t0) | ((Load8(h + m_ - 1) | or1) ^ t1)) == 0) {
          top -= 16;
          continue;
        }
      }
      while (z != 0) {
        const int bit = 63 - std::countl_zero(z);
        const std::size_t c = b + (static_cast<std::size_t>(bit) >> 3);
        if (Verify(c)) return lastBackward_ = c;
        if (kmp_) return KmpBackward(lo, c + m_ - 1);
        z ^= std::uint64_t{1} << bit;
      }
      top = b;
    }
    while (top > lo) {
      const std::size_t c = --top;
      if (!EndsMatch(c)) continue;
      if (Verify(c)) return lastBackward_ = c;
      if (kmp_) return KmpBackward(lo, c + m_ - 1);
    }
    return kNone;
  }

 private:
  std::uint64_t FoldMask(Byte b) const { return fold_ && b >= 'a' && b <= 'z' ? 0x20 : 0; }

  bool EndsMatch(std::size_t p) const {
    return (hay_[p] | or0_) == t0_ && (hay_[p + m_ - 1] | or1_) == t1_;
  }

  // Compares the needle in full at p; counts the cost against the budget.
  bool Verify(std::size_t p) {
    work_ += m_;
    if (work_ > budget_) kmp_ = true;
    if (m_ <= 2) return true;  // both bytes already matched the filter
    const Byte* h = hay_ + p;
    if (!fold_) return std::memcmp(h + 1, needle_.data() + 1, m_ - 2) == 0;
    for (std::size_t k = 1; k + 1 < m_; ++k)
      if (Fold(h[k]) != static_cast<Byte>(needle_[k])) return false;
    return true;
  }

  Byte At(std::size_t i) const { return fold_ ? Fold(hay_[i]) : hay_[i]; }

  // Prefix function of `pattern`: table[q] is the length of the longest proper
  // border of its first q bytes.
  static std::vector<std::size_t> Borders(std::string_view pattern) {
    std::vector<std::size_t> table(pattern.size() + 1, 0);
    std::size_t k = 0;
    for (std::size_t q = 1; q < pattern.size(); ++q) {
      while (k > 0 && pattern[q] != pattern[k]) k = table[k];
      if (pattern[q] == pattern[k]) ++k;
      table[q + 1] = k;
    }
    return table;
  }

  std::size_t KmpForward(std::size_t lo, std::size_t hi) {
    if (borders_.empty()) borders_ = Borders(needle_);
    std::size_t pos = lo, q = 0;
    if (lastForward_ != kNone && lo == lastForward_ + 1) {
      // Continue behind the occurrence reported last: its borders may begin one.
      pos = lastForward_ + m_;
      q = borders_[m_];
    }
    for (; pos < hi; ++pos) {
      const char b = static_cast<char>(At(pos));
      while (q > 0 && needle_[q] != b) q = borders_[q];
      if (needle_[q] == b) ++q;
      if (q == m_) return lastForward_ = pos + 1 - m_;
    }
    return kNone;
  }

  std::size_t KmpBackward(std::size_t lo, std::size_t hi) {
    if (reversed_.empty()) {
      reversed_.assign(needle_.rbegin(), needle_.rend());
      reverseBorders_ = Borders(reversed_);
    }
    std::size_t pos = hi, q = 0;  // bytes from pos on have been read
    if (lastBackward_ != kNone && hi == lastBackward_ + m_ - 1) {
      pos = lastBackward_;
      q = reverseBorders_[m_];
    }
    for (; pos > lo; --pos) {
      const char b = static_cast<char>(At(pos - 1));
      while (q > 0 && reversed_[q] != b) q = reverseBorders_[q];
      if (reversed_[q] == b) ++q;
      if (q == m_) return lastBackward_ = pos - 1;
    }
    return kNone;
  }

  const Byte* hay_;
  std::size_t m_;
  bool fold_;
  std::string needle_;
  std::uint64_t or0_ = 0, t0_ = 0, or1_ = 0, t1_ = 0;
  std::size_t work_ = 0, budget_;
  bool kmp_ = false;
  std::vector<std::size_t> borders_;
  std::string reversed_;
  std::vector<std::size_t> reverseBorders_;
  std::size_t lastForward_ = kNone, lastBackward_ = kNone;
};

// Whether the character starting at `i` is a space (0x20, or the full-width
// 0xA1 0xA1); its length goes to `width`.
bool IsSpaceAt(const Byte* s, std::size_t size, std::size_t i, std::size_t& width) {
  if (s[i] == 0x20) {
    width = 1;
    return true;
  }
  if (s[i] == 0xA1 && i + 1 < size && s[i + 1] == 0xA1) {
    width = 2;
    return true;
  }
  return false;
}

}  // namespace

// --- Measuring and cutting --------------------------------------------------

int TextLength(const Text& text) { return static_cast<int>(text.size()); }

int BytesLength(const ByteString& bytes) { return static_cast<int>(bytes.size()); }

Text TextLeft(const Text& text, int n) {
  if (n <= 0) return {};
  return text.substr(0, static_cast<std::size_t>(n));
}

Text TextRight(const Text& text, int n) {
  if (n <= 0) return {};
  const std::size_t k = std::min(static_cast<std::size_t>(n), text.size());
  return text.substr(text.size() - k);
}

Text TextMid(const Text& text, int position, int n) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size() || n <= 0) return {};
  return text.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(n));
}

// --- Searching ---------------------------------------------------------------

int FindText(const Text& text, const Text& needle, int start, bool ignoreCase) {
  const std::size_t size = text.size();
  if (size == 0) return -1;
  if (start > 0 && static_cast<std::size_t>(start) > size) return -1;  // empty window
  if (needle.empty()) return 1;
  const std::size_t lo = start < 2 ? 0 : static_cast<std::size_t>(start - 1);
  if (needle.size() > size - lo) return -1;
  const Byte* s = BytesOf(text);
  Scanner scanner(s + 0, size, needle, ignoreCase);
  CharStarts starts(s, lo);
  for (std::size_t p = scanner.Forward(lo, size); p != kNone; p = scanner.Forward(p + 1, size))
    if (starts.At(p)) return static_cast<int>(p + 1);
  return -1;
}

int FindTextReverse(const Text& text, const Text& needle, std::optional<int> start, bool ignoreCase) {
  std::size_t window = text.size();
  if (start) {
    if (*start <= 1) return -1;
    window = std::min(window, static_cast<std::size_t>(*start - 1));
  }
  if (window == 0) return -1;
  if (needle.empty()) return 1;
  const std::size_t m = needle.size();
  if (m > window) return -1;
  const Byte* s = BytesOf(text);
  Scanner scanner(s, window, needle, ignoreCase);
  CharStarts starts(s, 0);
  for (std::size_t p = scanner.Backward(0, window); p != kNone; p = p == 0 ? kNone : scanner.Backward(0, p + m - 1))
    if (starts.At(p)) return static_cast<int>(p + 1);
  return -1;
}

namespace {

// The walk of ReplaceSubtext from `lo` on: calls replaced(p) for every
// occurrence it replaces, in order, and returns where the copied tail ends
// (before a dropped cut character, or at the end).
template <typename Replaced>
std::size_t WalkReplacements(const Text& text, const Text& needle, std::size_t lo, int count, bool fold,
                             Replaced replaced) {
  const std::size_t size = text.size();
  const std::size_t m = needle.size();
  const Byte* s = BytesOf(text);
  Scanner scanner(s, size, needle, fold);
  CharStarts starts(s, lo);
  std::size_t i = lo;  // the next character start of the walk
  for (std::size_t p = scanner.Forward(i, size); p != kNone;) {
    if (!starts.At(p)) {
      p = scanner.Forward(p + 1, size);
      continue;
    }
    replaced(p);
    i = p + m;
    starts.Restart(i);
    if (count > 0 && --count == 0) return size;  // the rest is copied as it is
    p = scanner.Forward(i, size);
  }
  // A cut character that a one-byte needle's walk reaches and that did not
  // match is dropped; a longer needle's walk stops before it.
  if (m == 1 && i < size && IsHigh(s[size - 1]) && starts.At(size - 1)) return size - 1;
  return size;
}

}  // namespace

Text ReplaceSubtext(const Text& text, const Text& needle, const Text& replacement, int start, int count,
                    bool caseSensitive) {
  const std::size_t size = text.size();
  const std::size_t m = needle.size();
  if (size == 0 || m == 0 || count == 0) return text;
  if (start > 0 && static_cast<std::size_t>(start) - 1 >= size) return text;
  const std::size_t lo = start < 1 ? 0 : static_cast<std::size_t>(start - 1);

  // A longer replacement makes the result grow: measure it first, so that it
  // is allocated once and never copied over into a bigger buffer.
  std::size_t capacity = size;
  if (replacement.size() > m) {
    std::size_t found = 0;
    WalkReplacements(text, needle, lo, count, !caseSensitive, [&](std::size_t) { ++found; });
    capacity = size + found * (replacement.size() - m);
  }
  Text result;
  result.reserve(capacity);
  result.append(text, 0, lo);
  std::size_t copied = lo;
  const std::size_t tail = WalkReplacements(text, needle, lo, count, !caseSensitive, [&](std::size_t p) {
    result.append(text, copied, p - copied);
    result.append(replacement);
    copied = p + m;
  });
  result.append(text, copied, tail - copied);
  return result;
}

TextArray SplitText(const Text& text, const Text& delimiter, std::optional<int> maxCount) {
  TextArray members;
  if (text.empty() || (maxCount && *maxCount <= 0)) return members;
  if (delimiter.empty()) {
    members.Append(text);
    return members;
  }
  const int limit = maxCount ? *maxCount : INT_MAX;
  const std::size_t size = text.size();
  const std::size_t m = delimiter.size();
  const Byte* s = BytesOf(text);
  Scanner scanner(s, size, delimiter, false);
  CharStarts starts(s, 0);
  std::size_t from = 0;
  int made = 0;
  for (std::size_t p = scanner.Forward(0, size); p != kNone;) {
    if (!starts.At(p)) {
      p = scanner.Forward(p + 1, size);
      continue;
    }
    members.Append(text.substr(from, p - from));
    from = p + m;
    if (++made == limit) return members;
    starts.Restart(from);
    p = scanner.Forward(from, size);
  }
  if (from < size) members.Append(text.substr(from));
  return members;
}

// --- Spaces, case and numbers ----------------------------------------------

Text TrimBothEnds(const Text& text) {
  const std::size_t size = text.size();
  const Byte* s = BytesOf(text);
  std::size_t begin = 0, width = 0;
  while (begin < size && IsSpaceAt(s, size, begin, width)) begin += width;
  if (begin >= size) return {};
  // The character starts near the end are found by looking back from there.
  CharStarts starts(s, 0);
  std::size_t end = size;
  if (IsHigh(s[size - 1]) && starts.At(size - 1)) {
    end = size - 1;  // a cut character goes; the spaces before it stay
  } else {
    while (end > begin) {
      if (s[end - 1] == 0x20 && starts.At(end - 1)) {
        end -= 1;
      } else if (end - begin >= 2 && s[end - 1] == 0xA1 && s[end - 2] == 0xA1 && starts.At(end - 2)) {
        end -= 2;
      } else {
        break;
      }
    }
  }
  if (end <= begin) return {};
  return text.substr(begin, end - begin);
}

Text RemoveAllSpaces(const Text& text) {
  const std::size_t size = text.size();
  const Byte* s = BytesOf(text);
  Text result;
  result.reserve(size);
  std::size_t run = 0, i = 0, width = 0;  // [run, i) is still to be copied
  while (i < size) {
    if (IsSpaceAt(s, size, i, width)) {
      result.append(text, run, i - run);
      i += width;
      run = i;
    } else if (IsHigh(s[i])) {
      if (i + 1 == size) break;  // a cut character is removed
      i += 2;
    } else {
      i += 1;
    }
  }
  result.append(text, run, i - run);
  return result;
}

Text ToLowerCase(const Text& text) {
  const std::size_t size = text.size();
  const Byte* s = BytesOf(text);
  Text result = text;
  Byte* out = reinterpret_cast<Byte*>(result.data());
  bool atStart = true;  // s[i] starts a character
  for (std::size_t i = 0; i < size; ++i) {
    const Byte b = s[i];
    if (atStart && b - 0x41u < 26u) out[i] = static_cast<Byte>(b + 0x20);
    atStart = !atStart || !IsHigh(b);
  }
  return result;
}

int ToInteger(const Text& text) {
  const std::size_t size = text.size();
  const Byte* s = BytesOf(text);
  enum { kSpace, kSign, kDigits } phase = kSpace;
  bool negative = false;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size;) {
    // One character, with its full-width form made half-width.
    Byte c = s[i];
    if (IsHigh(c)) {
      if (i + 1 == size) break;  // a cut character is dropped
      const Byte second = s[i + 1];
      if (c == 0xA3 && second >= 0xA1 && second <= 0xFE) {
        c = static_cast<Byte>(second - 0x80);
      } else if (c == 0xA1 && second == 0xA1) {
        c = 0x20;
      } else if (c == 0xA1 && second == 0xAB) {
        c = 0x7E;
      } else if (c == 0xA1 && (second == 0xEE || second == 0xEF)) {
        c = 0x2A;
      }
      i += 2;
    } else {
      i += 1;
    }
    if (phase == kSpace && (c == 0x20 || (c >= 0x09 && c <= 0x0D))) continue;
    if (phase == kSpace && (c == '+' || c == '-')) {
      negative = c == '-';
      phase = kDigits;
      continue;
    }
    if (c < '0' || c > '9') break;
    phase = kDigits;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

Text ToHexText(int value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::uint32_t v = static_cast<std::uint32_t>(value);
  char buffer[8];
  std::size_t n = 0;
  do {
    buffer[sizeof buffer - ++n] = kDigits[v & 0xF];
    v >>= 4;
  } while (v != 0);
  return Text(buffer + sizeof buffer - n, n);
}

// --- Construction and conversion --------------------------------------------

Text CharFromCode(int code) {
  if (code <= 0 || code > 0xFF) return {};
  return Text(1, static_cast<char>(code));
}

Text BlankText(int n) {
  if (n <= 0) return {};
  return Text(static_cast<std::size_t>(n), ' ');
}

ByteString BlankBytes(int n) {
  if (n <= 0) return {};
  return ByteString(static_cast<std::size_t>(n), 0);
}

ByteString ToBytes(const Text& text) { return ByteString(text.begin(), text.end()); }

Text ToText(const ByteString& bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), end);
}

Text ToText(const Text& text) { return text.substr(0, text.find('\0')); }

ByteString BytesLeft(const ByteString& bytes, int n) {
  if (n <= 0) return {};
  const std::size_t k = std::min(static_cast<std::size_t>(n), bytes.size());
  return ByteString(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(k));
}

int FindBytes(const ByteString& bytes, const ByteString& needle, int start) {
  if (needle.empty()) return -1;
  const std::size_t lo = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  if (lo >= bytes.size()) return -1;
  Scanner scanner(bytes.data(), bytes.size(),
                  std::string_view(reinterpret_cast<const char*>(needle.data()), needle.size()), false);
  const std::size_t p = scanner.Forward(lo, bytes.size());
  return p == kNone ? -1 : static_cast<int>(p + 1);
}

int CompareText(const Text& a, const Text& b) {
  const int order = std::string_view(a).compare(std::string_view(b));
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool CompareBytes(const ByteString& a, const ByteString& b) { return a == b; }
