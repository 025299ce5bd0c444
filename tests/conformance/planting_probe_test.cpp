// WebAccess beside a planted wininet.dll (see planted_wininet.cpp), run under
// Wine with native DLLs preferred: the query must work and the planted DLL
// must never run. Windows only: the planting concerns the Windows loader.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/conformance/test_server.h"
#include "web/web_access.h"

namespace conformance {
namespace {

constexpr char kPlainLoad[] = "--load-wininet-plainly";

bool MarkExists() {
  std::ifstream mark(TestServer::Get().FilePath("planted-mark"));
  return mark.good();
}

// Runs this program again with kPlainLoad and waits for it.
bool RunPlainLoad() {
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return false;
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --load-wininet-plainly";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

TEST(WinInetPlanting, PlantedDllNeverRunsAndTheQueryWorks) {
  const TestServer& server = TestServer::Get();
  ASSERT_NE(server.port(), 0) << "needs the scripted server: run through run.py (ctest does)";
  ASSERT_FALSE(MarkExists()) << "the planted DLL ran before main";

  std::string path = server.Script(OkReply("rank page"));
  EXPECT_EQ(WebAccess(server.Url(path), 1, "daqu=a&nickname=b"), "rank page");
  EXPECT_EQ(server.Recorded(path).body, "daqu=a&nickname=b");
  EXPECT_FALSE(MarkExists()) << "WebAccess loaded the planted wininet.dll";

  // Control, in a fresh process (a loaded module would be handed out again by
  // name): the ordinary search order does pick the planted copy, so the check
  // above would have seen it.
  ASSERT_TRUE(RunPlainLoad());
  EXPECT_TRUE(MarkExists()) << "the planted DLL cannot be detected in this setup";
}

}  // namespace
}  // namespace conformance

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], conformance::kPlainLoad) == 0) {
    LoadLibraryW(L"wininet.dll");
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
