#include "app/rank_query.h"

#include "app/constants.h"
#include "app/main_window.h"
#include "app/rank_reply.h"
#include "platform/toolkit.h"
#include "web/web_access.h"

void RankQuery() {
  const Text regionItem = ReadControlText(kRegionList);
  const Text typedName = ReadControlText(kNameBox);
  const Text body = RankRequestBody(regionItem, typedName);
  const Text url = RankServiceUrl(constants::kRankServiceHost);
  Text rawHeaders;
  const Text reply = WebAccess(url, 1, body, nullptr, nullptr, nullptr, nullptr, false, nullptr, nullptr, &rawHeaders);
  // The box shows the name as it reads now. The window takes no input while
  // the request runs, so it is the name that was sent.
  const Text name = ReadControlText(kNameBox);
  ShowMessage(RankQueryMessage(name, reply, rawHeaders).c_str(), 0, constants::kRankCaption);
}
