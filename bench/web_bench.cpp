// A 64 MiB body from the loopback test server through WebAccess, beside the
// curl command-line tool fetching the same body to /dev/null in the same run.
// WebAccess also reports its peak heap use as a multiple of the body size.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "bench/heap_meter.h"
#include "web/web_access.h"

namespace {

constexpr std::size_t kBodySize = 64u << 20;

// The conformance suite's scripted server, started once for the whole run.
class Server {
 public:
  Server() {
    std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    std::string script = (root / "tests" / "conformance" / "server.py").string();
    directory_ = std::filesystem::temp_directory_path() / ("web-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory_);
    pid_ = fork();
    if (pid_ == 0) {
      execlp("python3", "python3", script.c_str(), "--dir", directory_.c_str(), "--lifetime", "600",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 400 && port_ == 0; ++i) {
      std::ifstream(directory_ / "port") >> port_;
      if (port_ == 0) usleep(25000);
    }
    // The server builds a body the first time it is asked for it; not timed.
    if (port_ != 0) std::system(("curl -s -o /dev/null '" + BigUrl() + "'").c_str());
  }
  ~Server() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(directory_);
  }
  std::string BigUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/big/" + std::to_string(kBodySize);
  }
  bool ok() const { return port_ != 0; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::filesystem::path directory_;
};

Server& TheServer() {
  static Server server;
  return server;
}

void BM_WebAccess64MiB(benchmark::State& state) {
  if (!TheServer().ok()) return state.SkipWithError("the test server did not start");
  const Text url = TheServer().BigUrl();
  double worstPeak = 0;
  for (auto _ : state) {
    const std::size_t before = heap_meter::ResetPeak();
    Text body = WebAccess(url);
    double peak = static_cast<double>(heap_meter::PeakBytes() - before) / kBodySize;
    if (peak > worstPeak) worstPeak = peak;
    if (body.size() != kBodySize) return state.SkipWithError("short body");
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodySize));
  state.counters["peak_heap_per_body"] = worstPeak;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_WebAccess64MiB)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_CurlTool64MiB(benchmark::State& state) {
  if (!TheServer().ok()) return state.SkipWithError("the test server did not start");
  const std::string command = "curl -s -f -o /dev/null '" + TheServer().BigUrl() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodySize));
}
BENCHMARK(BM_CurlTool64MiB)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
