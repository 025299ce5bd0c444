// The pure half of the rank query: the request it sends and the message it
// makes of the service's reply. No window and no network here, so every rule
// can be checked on its own; RankQuery wires these to the controls and to
// WebAccess.
#pragma once

#include <array>

#include "text/text.h"

// The five values of a reply, in the order of constants::kRankFields: tier,
// hidden score, ranked wins, ranked win rate, last login.
using RankValues = std::array<Text, 5>;

// The network part of a region item: the text after its last space.
// RegionLabel("艾欧尼亚 电信一") gives "电信一"; "教育网专区" and "" give "".
Text RegionLabel(const Text& comboText);

// The form body: "daqu=" + E(region label) + "&nickname=" + E(name), where E
// writes every UTF-8 byte as a percent triplet. RankRequestBody("艾欧尼亚 电信一",
// "Abc") gives "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname=%41%62%63".
Text RankRequestBody(const Text& comboText, const Text& name);

// "http://" + host + "/rank/rank.php".
Text RankServiceUrl(const Text& host);

// Each value is the text of the first "<td>" cell behind its field's header
// cell, which must end its line with CR LF: the cut runs from the end of
// marker + CR LF to the first "</td>", and the value is what follows the last
// "<td>" inside that cut. Markers match in any ASCII case, "<td>" in the cut
// only in small letters; a missing piece empties that field alone.
RankValues CutRankValues(const Text& reply);

// The six lines joined by CR LF, no CR LF at the end:
// "游戏ID：" + name, then each field's label and value ("段位 ：" + tier, ...).
Text RankMessage(const Text& name, const RankValues& values);

// Whether an HTTP response came back at all. `rawHeaders` is what WebAccess
// handed back through its raw-header parameter: a response starts it with a
// status line ("HTTP/1.1 200 OK"); a request that never got an answer leaves
// it empty or blank. A non-empty body also counts as an answer, so a response
// whose header text did not fit the header buffer is still shown.
bool ReplyArrived(const Text& rawHeaders, const Text& reply);

// The message box text for one query: the unreachable notice when no reply
// arrived, otherwise RankMessage of the values cut out of `reply`.
Text RankQueryMessage(const Text& name, const Text& reply, const Text& rawHeaders);
