#include "bench/heap_meter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

void Count(void* pointer) {
  const std::size_t now = liveBytes += malloc_usable_size(pointer);
  std::size_t peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
}

// Out of line, so the compiler does not pair the free with a new expression.
[[gnu::noinline]] void UncountAndFree(void* pointer) {
  if (pointer != nullptr) liveBytes -= malloc_usable_size(pointer);
  std::free(pointer);
}

}  // namespace

namespace heap_meter {

std::size_t LiveBytes() { return liveBytes.load(); }
std::size_t PeakBytes() { return peakBytes.load(); }
std::size_t ResetPeak() {
  const std::size_t live = liveBytes.load();
  peakBytes = live;
  return live;
}

}  // namespace heap_meter

void* operator new(std::size_t size) {
  void* pointer = std::malloc(size != 0 ? size : 1);
  if (pointer == nullptr) throw std::bad_alloc();
  Count(pointer);
  return pointer;
}
void operator delete(void* pointer) noexcept { UncountAndFree(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { UncountAndFree(pointer); }
