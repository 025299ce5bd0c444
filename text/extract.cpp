#include "text/extract.h"

namespace {

// A marker may write a double quote as "#引号", so that callers can spell
// HTML attribute quotes without escaping them.
Text WithQuotes(const Text& marker) { return ReplaceSubtext(marker, "#引号", "\"", 1, -1, true); }

}  // namespace

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start, bool caseSensitive) {
  const Text left = WithQuotes(leftMarker);
  const Text right = WithQuotes(rightMarker);
  const bool ignoreCase = !caseSensitive;
  const int leftAt = FindText(text, left, start, ignoreCase);
  if (leftAt == -1) return Text();
  const int behindLeft = leftAt + TextLength(left);
  const int rightAt = FindText(text, right, behindLeft, ignoreCase);
  if (rightAt == -1) return Text();
  return TextMid(text, behindLeft, rightAt - behindLeft);
}

Text TextAfterLast(const Text& text, const Text& delimiter, bool ignoreCase) {
  const int at = FindTextReverse(text, delimiter, std::nullopt, ignoreCase);
  if (at == -1) return Text();
  return TextRight(text, TextLength(text) - TextLength(delimiter) - at + 1);
}

Text HeaderValue(const Text& text) {
  const int colon = FindText(text, ":");
  const Text piece = colon == -1 ? Text() : TextRight(text, TextLength(text) - colon);
  return TrimBothEnds(piece);
}
