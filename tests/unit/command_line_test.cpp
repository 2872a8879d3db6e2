#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::wstring>;

struct SplitCase {
  const wchar_t* line;
  Args expected;
};

TEST(CommandLine, SplitsLikeTheCRuntime) {
  const SplitCase cases[] = {
      {L"nimbol.exe", {L"nimbol.exe"}},
      {L"", {L""}},
      {L"nimbol.exe a.txt  b.txt", {L"nimbol.exe", L"a.txt", L"b.txt"}},
      {L"nimbol.exe\ta.txt\t \tb.txt   ", {L"nimbol.exe", L"a.txt", L"b.txt"}},
      // Quotes group blanks and are dropped, also in the middle of an argument.
      {L"nimbol.exe \"my file.txt\" x\"y z\"w", {L"nimbol.exe", L"my file.txt", L"xy zw"}},
      // Two quotes inside quotes give one literal quote and quoting goes on.
      {L"nimbol.exe \"a\"\"b c\"", {L"nimbol.exe", L"a\"b c"}},
      {L"nimbol.exe \"\"\"\"", {L"nimbol.exe", L"\""}},
      // Empty quoted arguments are arguments.
      {L"nimbol.exe \"\" a \"\"", {L"nimbol.exe", L"", L"a", L""}},
      // Backslashes before a quote: an even run halves and the quote switches quoting...
      {L"nimbol.exe a\\\\\"b c\"", {L"nimbol.exe", L"a\\b c"}},
      {L"nimbol.exe \"a\\\\\\\\\" b", {L"nimbol.exe", L"a\\\\", L"b"}},
      // ...an odd run halves and the quote is literal.
      {L"nimbol.exe a\\\"b", {L"nimbol.exe", L"a\"b"}},
      {L"nimbol.exe a\\\\\\\"b", {L"nimbol.exe", L"a\\\"b"}},
      {L"nimbol.exe \"a\\\" b\"", {L"nimbol.exe", L"a\" b"}},
      // Backslashes anywhere else are literal, however many.
      {L"nimbol.exe C:\\dir\\\\file.txt \\\\server\\share\\",
       {L"nimbol.exe", L"C:\\dir\\\\file.txt", L"\\\\server\\share\\"}},
      {L"nimbol.exe \"C:\\Program Files\\\\\"", {L"nimbol.exe", L"C:\\Program Files\\"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_command_line(c.line), c.expected) << "line: " << std::string(c.line, c.line + std::wcslen(c.line));
  }
}

TEST(CommandLine, ProgramPathOnlySwitchesQuotingAndKeepsBackslashes) {
  const SplitCase cases[] = {
      {L"\"C:\\Program Files\\Nimbol\\nimbol.exe\" a", {L"C:\\Program Files\\Nimbol\\nimbol.exe", L"a"}},
      {L"C:\\dir\\\"x y\"\\nimbol.exe a", {L"C:\\dir\\x y\\nimbol.exe", L"a"}},
      {L"C:\\tools\\\\nimbol.exe\\\\ a", {L"C:\\tools\\\\nimbol.exe\\\\", L"a"}},
      {L"\"\"\"a\" b", {L"a", L"b"}},
      {L"  a", {L"", L"a"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_command_line(c.line), c.expected) << "line: " << std::string(c.line, c.line + std::wcslen(c.line));
  }
}

TEST(CommandLine, OnlyTheFirstArgumentSelectsAMaintenanceMode) {
  struct ModeCase {
    Args args;
    StartMode mode;
    bool quiet;
  };
  const ModeCase cases[] = {
      {{L"nimbol.exe"}, StartMode::Normal, false},
      {{L"nimbol.exe", L"--install"}, StartMode::Install, false},
      {{L"nimbol.exe", L"--uninstall", L"--quiet"}, StartMode::Uninstall, true},
      {{L"nimbol.exe", L"--quiet", L"--install"}, StartMode::Normal, true},
      {{L"nimbol.exe", L"--quiet", L"a.txt"}, StartMode::Normal, true},
      {{L"nimbol.exe", L"a.txt", L"--install"}, StartMode::Normal, false},
      {{L"nimbol.exe", L"--INSTALL"}, StartMode::Normal, false},
      {{L"nimbol.exe", L"--install "}, StartMode::Normal, false},
      {{L"nimbol.exe", L"-install"}, StartMode::Normal, false},
      {{L"nimbol.exe", L"--Quiet"}, StartMode::Normal, false},
      // The program path itself is never an option.
      {{L"--quiet"}, StartMode::Normal, false},
      {{L"--install", L"x"}, StartMode::Normal, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(start_mode(c.args), c.mode);
    EXPECT_EQ(quiet_requested(c.args), c.quiet);
  }
}

}  // namespace
