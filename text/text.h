// Text, ByteString and TextArray: the values every routine works with, and
// their primitive operations.
//
// A Text is a run of GBK (code page 936) bytes without a zero byte. The absent
// Text and the empty Text are one value; where a platform call needs a string
// pointer, TextPointer() gives a null pointer for it.
//
// Characters: a byte 0x80-0xFF always starts a two-byte character, whatever
// follows it; such a byte at the very end of a text is a "cut character".
// Searching, splitting, replacing, trimming and case folding step over
// two-byte characters as units, so a needle is never matched at the second
// byte of one. Cutting by length (TextLeft, TextRight, TextMid) counts bytes
// and may split a character.
//
// Positions are 1-based byte positions; -1 means "not found". Only the byte
// 0x20 and the full-width space 0xA1 0xA1 are spaces. Case folding touches the
// ASCII capitals 0x41-0x5A only.
//
// Every operation returns a new value and leaves its arguments alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Text = std::string;
using ByteString = std::vector<std::uint8_t>;

// An ordered list of Texts numbered from 1. An index outside 1..Count() is a
// programming fault: it ends the process with the run-time error.
class TextArray {
 public:
  TextArray() = default;
  int Count() const { return static_cast<int>(members_.size()); }
  const Text& Member(int index) const;  // 1-based
  void Append(Text member);

  std::vector<Text>::const_iterator begin() const { return members_.begin(); }
  std::vector<Text>::const_iterator end() const { return members_.end(); }

 private:
  std::vector<Text> members_;
};

// The pointer a platform call receives for a Text: null for the empty Text.
inline const char* TextPointer(const Text& text) {
  return text.empty() ? nullptr : text.c_str();
}

// Ends the process at once with exit code -1 after a modal error message (on
// Linux: the message on stderr). Only a fault in a routine leads here.
[[noreturn]] void RunTimeError(const char* what);

// --- Measuring and cutting (byte based) ------------------------------------

int TextLength(const Text& text);
int BytesLength(const ByteString& bytes);
// TextLeft("abc", 10) gives "abc"; n <= 0 gives the empty Text.
Text TextLeft(const Text& text, int n);
Text TextRight(const Text& text, int n);
// TextMid("abc", 3, 5) gives "c"; TextMid("abc", 0, 2) and ("abc", 4, 1) are empty.
Text TextMid(const Text& text, int position, int n);

// --- Searching (character based) --------------------------------------------

// FindText("abcabc", "bc") gives 2; with start 3 it gives 5; an empty needle
// gives 1 for any non-empty window. start below 2 searches the whole text; the
// walk begins at byte `start` even inside a two-byte character.
int FindText(const Text& text, const Text& needle, int start = 1, bool ignoreCase = false);
// Last occurrence ending before position `start` (the whole text when start is
// omitted); overlapping matches count: "aa" in "aaa" is at 2.
int FindTextReverse(const Text& text, const Text& needle, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);

// Replaces up to `count` (negative: all) occurrences from position `start` on.
Text ReplaceSubtext(const Text& text, const Text& needle, const Text& replacement = {}, int start = 1,
                    int count = -1, bool caseSensitive = false);

// SplitText("x,,y") gives x; empty; y. A delimiter at the very end adds no
// empty member; an empty text or maxCount <= 0 gives no members.
TextArray SplitText(const Text& text, const Text& delimiter = ",", std::optional<int> maxCount = std::nullopt);

// --- Spaces, case and numbers ---------------------------------------------

Text TrimBothEnds(const Text& text);
Text RemoveAllSpaces(const Text& text);
Text ToLowerCase(const Text& text);
// ToInteger(" 81/") gives 81; full-width digits and signs count as ASCII ones;
// the value wraps modulo 2^32.
int ToInteger(const Text& text);
// ToHexText(255) gives "FF"; ToHexText(-1) gives "FFFFFFFF".
Text ToHexText(int value);

// --- Construction and conversion -------------------------------------------

// CharFromCode(0) is the empty Text.
Text CharFromCode(int code);
Text BlankText(int n);
ByteString BlankBytes(int n);
ByteString ToBytes(const Text& text);
// The bytes before the first zero byte.
Text ToText(const ByteString& bytes);
Text ToText(const Text& text);
ByteString BytesLeft(const ByteString& bytes, int n);
// Exact byte search; an empty needle gives -1; start below 1 counts as 1.
int FindBytes(const ByteString& bytes, const ByteString& needle, int start = 1);

template <typename... Parts>
Text ConcatText(const Parts&... parts) {
  Text result;
  result.reserve((std::string_view(parts).size() + ... + 0));
  (result.append(std::string_view(parts)), ...);
  return result;
}

template <typename... Parts>
ByteString ConcatBytes(const Parts&... parts) {
  ByteString result;
  result.reserve((parts.size() + ... + 0));
  (result.insert(result.end(), parts.begin(), parts.end()), ...);
  return result;
}

// Negative, zero or positive; bytes compared as unsigned values.
int CompareText(const Text& a, const Text& b);
bool CompareBytes(const ByteString& a, const ByteString& b);

template <typename... Values>
int BitOr(Values... values) {
  return static_cast<int>((static_cast<std::uint32_t>(values) | ... | 0u));
}
