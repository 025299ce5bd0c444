// ConvertCharset of 64 MiB of UTF-8 Chinese text to GBK, beside one raw iconv
// call over the same bytes in the same run.
//
// Counters: bytes_per_second (over the input), peak_heap_x (the most heap held
// at once during the call, the input included, in multiples of the input's
// size) and maxrss_MiB (the process's peak resident size so far).
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

#include "bench/heap_meter.h"
#include "text/charset.h"


namespace {

constexpr std::size_t kSize = 64u << 20;

// Level-1 GBK hanzi (B0A1-D7F9) with short runs of ASCII and Chinese
// punctuation between them, converted once to UTF-8 and cut to 64 MiB at a
// character boundary.
const ByteString& Utf8Text() {
  static const ByteString text = [] {
    std::mt19937 random(1);
    std::string gbk;
    gbk.reserve(kSize);
    const char ascii[] = "abcdefghijklmnopqrstuvwxyz0123456789 <>/=\"";
    while (gbk.size() < kSize * 3 / 4) {
      if (random() % 10 == 0) {
        for (unsigned n = 1 + random() % 12; n > 0; --n) gbk += ascii[random() % (sizeof ascii - 1)];
      } else if (random() % 10 == 0) {
        gbk += "\xA3\xAC";  // full-width comma
      } else {
        gbk += static_cast<char>(0xB0 + random() % 0x28);
        gbk += static_cast<char>(0xA1 + random() % 0x59);
      }
    }
    ByteString utf8(gbk.size() * 3 / 2 + 16);
    iconv_t cd = iconv_open("UTF-8", "CP936");
    char* in = gbk.data();
    std::size_t inLeft = gbk.size();
    char* out = reinterpret_cast<char*>(utf8.data());
    std::size_t outLeft = utf8.size();
    iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    std::size_t size = std::min(kSize, utf8.size() - outLeft);
    while ((utf8[size] & 0xC0) == 0x80) --size;
    utf8.resize(size);
    utf8.shrink_to_fit();
    return utf8;
  }();
  return text;
}

void Finish(benchmark::State& state, const ByteString& input) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(input.size()));
  state.counters["peak_heap_x"] = static_cast<double>(heap_meter::PeakBytes()) / static_cast<double>(input.size());
  state.counters["input_MiB"] = static_cast<double>(input.size()) / (1 << 20);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxrss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

ByteString RawConversion(const ByteString& input) {
  ByteString output(input.size());
  iconv_t cd = iconv_open("CP936", "UTF-8");
  char* in = const_cast<char*>(reinterpret_cast<const char*>(input.data()));
  std::size_t inLeft = input.size();
  char* out = reinterpret_cast<char*>(output.data());
  std::size_t outLeft = output.size();
  iconv(cd, &in, &inLeft, &out, &outLeft);
  iconv_close(cd);
  output.resize(output.size() - outLeft);
  return output;
}

void BM_RawIconv(benchmark::State& state) {
  const ByteString& input = Utf8Text();
  iconv_t cd = iconv_open("CP936", "UTF-8");
  heap_meter::ResetPeak();
  for (auto _ : state) {
    // A fresh buffer of the input's size, as the conversion makes one.
    auto* output = static_cast<char*>(std::malloc(input.size()));
    char* in = const_cast<char*>(reinterpret_cast<const char*>(input.data()));
    std::size_t inLeft = input.size();
    char* out = output;
    std::size_t outLeft = input.size();
    iconv(cd, &in, &inLeft, &out, &outLeft);
    benchmark::DoNotOptimize(output);
    std::free(output);
  }
  iconv_close(cd);
  Finish(state, input);
}

void BM_ConvertCharset(benchmark::State& state) {
  const ByteString& input = Utf8Text();
  if (ConvertCharset(input) != RawConversion(input)) state.SkipWithError("output differs from iconv's");
  heap_meter::ResetPeak();
  for (auto _ : state) {
    ByteString output = ConvertCharset(input);
    benchmark::DoNotOptimize(output.data());
  }
  Finish(state, input);
}

}  // namespace

BENCHMARK(BM_RawIconv)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_ConvertCharset)->Unit(benchmark::kMillisecond)->MinTime(3);
