// Heap accounting for the benchmarks: every operator new of the program
// counts against a live total, and the highest total is kept.
#pragma once

#include <cstddef>

namespace heap_meter {

std::size_t LiveBytes();
std::size_t PeakBytes();
// Starts a new peak from the present live total; returns that total.
std::size_t ResetPeak();

}  // namespace heap_meter
