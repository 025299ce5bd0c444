#include "platform/fatal.h"

#include <cstdio>
#include <cstdlib>

void ShowFatalErrorAndExit(const char* message) {
  std::fprintf(stderr, "%s\n", message);
  std::fflush(stderr);
  std::_Exit(-1);
}
