// The text primitives over a 64 MiB GBK-like text, each beside a plain C
// library baseline over the same bytes in the same run: the searches beside
// memmem, the copying operations beside memcpy.
//
// Counters: bytes_per_second (throughput over the text), peak_heap_x (the most
// heap the operation held at once, in multiples of the text's size, result
// included) and maxrss_MiB (the process's peak resident size so far).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "bench/gbk_text.h"
#include "bench/heap_meter.h"
#include "text/text.h"


namespace {

constexpr std::size_t kSize = 64u << 20;

const Text& Haystack() {
  static const Text text = GbkLikeText(kSize);
  return text;
}

// The haystack with `needle` planted at a character start `at` bytes from
// its beginning (negative: from its end).
Text Planted(const Text& needle, long at) {
  Text t = Haystack();
  std::size_t p = at >= 0 ? static_cast<std::size_t>(at) : t.size() - static_cast<std::size_t>(-at);
  t[p - 1] = ' ';  // a byte below 0x80 always ends a character
  t.replace(p, needle.size(), needle);
  return t;
}

const Text kMiss = "隐藏分查询";               // 10 bytes, not in the haystack
const Text kMissLetters = "Rank Query Tool";  // ASCII, not in the haystack in any case
const Text kHit = "英雄联盟隐藏分";

void Finish(benchmark::State& state, std::size_t base) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSize));
  state.counters["peak_heap_x"] = static_cast<double>(heap_meter::PeakBytes() - base) / static_cast<double>(kSize);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxrss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

template <typename Operation>
void Run(benchmark::State& state, const Text& text, Operation operation) {
  const std::size_t base = heap_meter::ResetPeak();
  for (auto _ : state) benchmark::DoNotOptimize(operation(text));
  Finish(state, base);
}

// --- Searches beside memmem ---------------------------------------------------

const void* MemMem(const Text& text, const Text& needle) {
  return memmem(text.data(), text.size(), needle.data(), needle.size());
}

void BM_Memmem_Miss(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return MemMem(t, kMiss); });
}
void BM_FindText_Miss(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return FindText(t, kMiss); });
}
void BM_FindText_MissIgnoreCase(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return FindText(t, kMissLetters, 1, true); });
}
void BM_Memmem_MissLetters(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return MemMem(t, kMissLetters); });
}

void BM_Memmem_HitNearEnd(benchmark::State& state) {
  static const Text text = Planted(kHit, -4096);
  Run(state, text, [](const Text& t) { return MemMem(t, kHit); });
}
void BM_FindText_HitNearEnd(benchmark::State& state) {
  static const Text text = Planted(kHit, -4096);
  if (FindText(text, kHit) != static_cast<int>(kSize - 4096 + 1)) state.SkipWithError("wrong position");
  Run(state, text, [](const Text& t) { return FindText(t, kHit); });
}
void BM_FindText_HitNearEndIgnoreCase(benchmark::State& state) {
  static const Text text = Planted("rank QUERY tool", -4096);
  if (FindText(text, kMissLetters, 1, true) != static_cast<int>(kSize - 4096 + 1))
    state.SkipWithError("wrong position");
  Run(state, text, [](const Text& t) { return FindText(t, kMissLetters, 1, true); });
}

void BM_FindTextReverse_Miss(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return FindTextReverse(t, kMiss); });
}
void BM_FindTextReverse_HitNearStart(benchmark::State& state) {
  static const Text text = Planted(kHit, 4096);
  if (FindTextReverse(text, kHit) != 4096 + 1) state.SkipWithError("wrong position");
  Run(state, text, [](const Text& t) { return FindTextReverse(t, kHit); });
}
void BM_FindTextReverse_MissIgnoreCase(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return FindTextReverse(t, kMissLetters, std::nullopt, true); });
}

// Hostile texts: needles that occur at almost every other position, but only
// at second bytes, so that every candidate is rejected. In the first the
// candidates lie inside one run of high bytes 64 MiB long; in the second each
// comparison is 65 bytes long, which drives the search into its automaton.
void BM_FindText_HostileHighRun(benchmark::State& state) {
  static const Text text = [] {
    Text t = "\xB1";
    while (t.size() < kSize) t += "\xB0\xB2";
    return t;
  }();
  if (FindText(text, "\xB0\xB2") != -1) state.SkipWithError("wrong position");
  Run(state, text, [](const Text& t) { return FindText(t, "\xB0\xB2"); });
}
void BM_FindText_HostileLongNeedle(benchmark::State& state) {
  static const Text text = [] {
    Text t;
    while (t.size() < kSize) t += "\xB0" "A";
    return t;
  }();
  static const Text needle = [] {
    Text n = "A";
    for (int i = 0; i < 32; ++i) n += "\xB0" "A";
    return n;
  }();
  if (FindText(text, needle) != -1) state.SkipWithError("wrong position");
  Run(state, text, [](const Text& t) { return FindText(t, needle); });
}

// --- Copying operations beside memcpy -----------------------------------------

void BM_Memcpy(benchmark::State& state) {
  const Text& text = Haystack();
  Text copy(kSize, '\0');
  Run(state, text, [&](const Text& t) {
    std::memcpy(copy.data(), t.data(), t.size());
    return copy.data();
  });
}
// The same copy into a new allocation of the text's size, as every operation
// below makes one: on this kind of machine the first touch of fresh pages
// costs more than the copy itself.
void BM_MemcpyFresh(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) {
    Text copy = t;
    return copy.size();
  });
}
void BM_ReplaceSubtext(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return ReplaceSubtext(t, ",", "，", 1, -1, true).size(); });
}
void BM_ReplaceSubtext_IgnoreCase(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return ReplaceSubtext(t, "ab", "XYZ").size(); });
}
void BM_SplitText(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return SplitText(t, ",").Count(); });
}
void BM_ToLowerCase(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return ToLowerCase(t).size(); });
}
void BM_RemoveAllSpaces(benchmark::State& state) {
  Run(state, Haystack(), [](const Text& t) { return RemoveAllSpaces(t).size(); });
}

}  // namespace

BENCHMARK(BM_Memmem_Miss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_Miss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_MissLetters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_MissIgnoreCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_HitNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_HitNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_HitNearEndIgnoreCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextReverse_Miss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextReverse_MissIgnoreCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextReverse_HitNearStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_HostileHighRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_HostileLongNeedle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyFresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceSubtext)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceSubtext_IgnoreCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToLowerCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveAllSpaces)->Unit(benchmark::kMillisecond);
