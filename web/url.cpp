#include "web/url.h"
