// CookieMerge and DedupeJoined at 10,000 and 20,000 items: the time per call
// should grow about linearly with the number of items.
//
// Each call takes a few MiB of heap and gives it back. With glibc's default
// settings the freed top of the heap goes back to the kernel and the next call
// faults it in again, for some sizes and not others depending on the order of
// the runs, and then page faults make most of the time. Fixed thresholds keep
// the heap, so that the timings show the routines; set BENCH_DEFAULT_HEAP=1 in
// the environment to measure with glibc's defaults.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <string>

#include "web/cookies.h"

namespace {

const bool kSteadyHeap = [] {
  if (std::getenv("BENCH_DEFAULT_HEAP") != nullptr) return false;
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  return true;
}();

Text Item(int name, const char* value) {
  Text item = "c";
  item += std::to_string(name);
  item += '=';
  item += value;
  return item;
}

// n old items; n returned items of which half reuse old names, one in ten is
// deleted and one in twenty repeats an earlier returned item.
void BM_CookieMerge(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Text cookies;
  Text returned;
  for (int i = 0; i < n; ++i) {
    cookies += Item(i, "old");
    cookies += "; ";
    if (i % 20 == 19) {
      returned += Item(2 * (i - 7), "new");
    } else if (i % 10 == 3) {
      returned += Item(2 * i, "deleted");
    } else {
      returned += Item(2 * i, "new");
    }
    returned += "; ";
  }
  for (auto _ : state) {
    Text oldCookies = cookies;
    Text newCookies = returned;
    benchmark::DoNotOptimize(CookieMerge(oldCookies, newCookies));
  }
  state.SetItemsProcessed(state.iterations() * 2 * n);
  state.counters["steady_heap"] = kSteadyHeap;
}

// n members joined by "; ", a third of them repeats.
void BM_DedupeJoined(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Text text;
  for (int i = 0; i < n; ++i) {
    text += Item(i % 3 == 2 ? i / 2 : i, "1");
    text += "; ";
  }
  text.resize(text.size() - 2);
  for (auto _ : state) benchmark::DoNotOptimize(DedupeJoined(text, "; "));
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["steady_heap"] = kSteadyHeap;
}

}  // namespace

BENCHMARK(BM_CookieMerge)->Arg(10000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DedupeJoined)->Arg(10000)->Arg(20000)->Unit(benchmark::kMicrosecond);
