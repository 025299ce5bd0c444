#include "tests/support/window_driver.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

using window_driver::QuoteCommandLine;

// What the program would see: the C runtime's splitting of the command line.
std::vector<std::wstring> Split(const std::wstring& line) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::wstring> result(arguments, arguments + count);
  LocalFree(arguments);
  return result;
}

TEST(QuoteCommandLine, ArgumentsSurviveTheRoundTrip) {
  const std::vector<std::wstring> cases[] = {
      {L"plain"},
      {L""},
      {L"two words"},
      {L"say \"hi\""},
      {L"C:\\dir with space\\"},
      {L"trailing\\\\"},
      {L"a\\\"b"},
      {L"Z:\\tmp\\out.txt", L"--dpi", L"144"},
  };
  for (const auto& arguments : cases) {
    auto split = Split(QuoteCommandLine(L"C:\\Program Files\\x.exe", arguments));
    ASSERT_EQ(split.size(), arguments.size() + 1);
    EXPECT_EQ(split[0], L"C:\\Program Files\\x.exe");
    for (size_t i = 0; i < arguments.size(); ++i) EXPECT_EQ(split[i + 1], arguments[i]) << i;
  }
}

TEST(QuoteCommandLine, PlainArgumentsStayUnquoted) {
  EXPECT_EQ(QuoteCommandLine(L"x.exe", {L"a", L"b\\c"}), L"x.exe a b\\c");
}

TEST(Texts, ConvertBetweenUtf8GbkAndWide) {
  const std::string utf8 = window_driver::Utf8(u8"明智之选！");
  const std::string gbk = "\xC3\xF7\xD6\xC7\xD6\xAE\xD1\xA1\xA3\xA1";
  EXPECT_EQ(window_driver::FromUtf8(utf8), window_driver::FromGbk(gbk));
  EXPECT_EQ(window_driver::ToGbk(window_driver::FromUtf8(utf8)), gbk);
  EXPECT_EQ(window_driver::ToUtf8(window_driver::FromGbk(gbk)), utf8);
  EXPECT_EQ(window_driver::ToUtf8(L""), "");
}

TEST(StartProcess, ReportsTheExitCode) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  {
    auto process = window_driver::StartProcess(cmd, {L"/c", L"exit 7"});
    ASSERT_TRUE(process.Started());
    DWORD code = 0;
    ASSERT_TRUE(process.WaitForExit(code));
    EXPECT_EQ(code, 7u);
  }
  auto missing = window_driver::StartProcess(L"C:\\no\\such\\program.exe");
  EXPECT_FALSE(missing.Started());
}

}  // namespace
