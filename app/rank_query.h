// The query button's handler: posts the region and the name to the rank
// service and shows the five values it returns.
#pragma once

void RankQuery();
