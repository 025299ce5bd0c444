// TextBetween over a 64 MiB GBK text beside FindText over the same text, the
// markers planted near the end. TextBetween ignores case by default, so it is
// set beside FindText both with and without ignoreCase.
#include <benchmark/benchmark.h>


#include "bench/gbk_text.h"
#include "text/extract.h"

namespace {

constexpr std::size_t kSize = 64u << 20;
const Text kLeft = "<td class=#引号tier#引号>";
const Text kLeftPlain = "<td class=\"tier\">";
const Text kRight = "</td>";
const Text kValue = "钻石 I";

// GBK-like text with one table cell 4 KiB before the end.
const Text& Haystack() {
  static const Text text = [] {
    Text t = GbkLikeText(kSize - 4096);
    t.back() = ' ';
    t += kLeftPlain + kValue + kRight;
    while (t.size() < kSize) t += 'x';
    return t;
  }();
  return text;
}

template <typename Operation>
void Run(benchmark::State& state, Operation operation) {
  const Text& text = Haystack();
  for (auto _ : state) benchmark::DoNotOptimize(operation(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSize));
}

void BM_TextBetween(benchmark::State& state) {
  if (TextBetween(Haystack(), kLeft, kRight) != kValue) state.SkipWithError("wrong value");
  Run(state, [](const Text& t) { return TextBetween(t, kLeft, kRight); });
}
void BM_TextBetween_CaseSensitive(benchmark::State& state) {
  Run(state, [](const Text& t) { return TextBetween(t, kLeft, kRight, 1, true); });
}
void BM_FindText(benchmark::State& state) {
  Run(state, [](const Text& t) { return FindText(t, kLeftPlain); });
}
void BM_FindText_IgnoreCase(benchmark::State& state) {
  Run(state, [](const Text& t) { return FindText(t, kLeftPlain, 1, true); });
}

}  // namespace

BENCHMARK(BM_FindText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_IgnoreCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextBetween)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextBetween_CaseSensitive)->Unit(benchmark::kMillisecond);
