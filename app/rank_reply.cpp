#include "app/rank_reply.h"

#include "app/constants.h"
#include "text/extract.h"
#include "text/url_encode.h"

namespace {

constexpr char kCrLf[] = "\r\n";

// A status line: "HTTP/", a version digit, ... , a space and a three-digit code.
bool StartsWithStatusLine(const Text& rawHeaders) {
  if (rawHeaders.compare(0, 5, "HTTP/") != 0) return false;
  const auto lineEnd = rawHeaders.find(kCrLf);
  const Text line = rawHeaders.substr(0, lineEnd);
  const auto space = line.find(' ');
  if (space == Text::npos || line.size() < space + 4) return false;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  return true;
}

}  // namespace

Text RegionLabel(const Text& comboText) { return TextAfterLast(comboText, " "); }

Text RankRequestBody(const Text& comboText, const Text& name) {
  const Text region = UrlEncode(RegionLabel(comboText), false, true);
  const Text nickname = UrlEncode(name, false, true);
  return ConcatText("daqu=", region, "&nickname=", nickname);
}

Text RankServiceUrl(const Text& host) { return ConcatText("http://", host, constants::kRankServicePath); }

RankValues CutRankValues(const Text& reply) {
  RankValues values;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const Text cut = TextBetween(reply, ConcatText(constants::kRankFields[i].marker, kCrLf), "</td>");
    values[i] = TextAfterLast(cut, "<td>");
  }
  return values;
}

Text RankMessage(const Text& name, const RankValues& values) {
  Text message = ConcatText(constants::kPlayerLabel, name);
  for (std::size_t i = 0; i < values.size(); ++i) {
    message += ConcatText(kCrLf, constants::kRankFields[i].label, values[i]);
  }
  return message;
}

bool ReplyArrived(const Text& rawHeaders, const Text& reply) {
  return !reply.empty() || StartsWithStatusLine(rawHeaders);
}

Text RankQueryMessage(const Text& name, const Text& reply, const Text& rawHeaders) {
  if (!ReplyArrived(rawHeaders, reply)) return constants::kServiceUnreachable;
  return RankMessage(name, CutRankValues(reply));
}
