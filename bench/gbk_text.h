// Test texts for the benchmarks.
#pragma once

#include <cstddef>

#include "text/text.h"

// `size` bytes that look like GBK text: mostly two-byte characters (first byte
// 0x81-0xFE, second 0x40-0xFE) with runs of ASCII letters, digits, spaces and
// punctuation between them. Never ends in a cut character. Same bytes every run.
Text GbkLikeText(std::size_t size);
