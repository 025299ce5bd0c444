// TextBetween over a 64 MiB GBK text beside FindText over the same text, the
// markers planted near the end. TextBetween ignores case by default, so it is
// set beside FindText both with and without ignoreCase.
#include <benchmark/benchmark.h>

#include <random>

#include "text/extract.h"

namespace {

constexpr std::size_t kSize = 64u << 20;
const Text kLeft = "<td class=#引号tier#引号>";
const Text kLeftPlain = "<td class=\"tier\">";
const Text kRight = "</td>";
const Text kValue = "钻石 I";

// Two-byte characters with short ASCII runs, and one table cell 4 KiB before the end.
const Text& Haystack() {
  static const Text text = [] {
    std::mt19937 random(1);
    Text t;
    t.reserve(kSize + 64);
    const char ascii[] = "abcdefghijklmnopqrstuvwxyz0123456789 ,.";
    while (t.size() < kSize - 4096) {
      if (random() % 8 == 0) {
        for (unsigned n = 1 + random() % 16; n > 0; --n) t += ascii[random() % (sizeof ascii - 1)];
      } else {
        for (unsigned n = 1 + random() % 12; n > 0; --n) {
          t += static_cast<char>(0xB0 + random() % 0x28);
          t += static_cast<char>(0xA1 + random() % 0x5E);
        }
      }
    }
    t.resize(kSize - 4096);
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
