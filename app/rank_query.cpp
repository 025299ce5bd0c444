#include "app/rank_query.h"

// Filled in by the rank-query work; the button does nothing until then.
void RankQuery() {}
