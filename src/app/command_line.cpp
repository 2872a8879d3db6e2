// Command-line splitting by the rules of the Microsoft C runtime, including
// its special treatment of the program path and of backslashes before quotes.

#include "app/command_line.h"

namespace {

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> split_command_line(std::wstring_view line) {
  std::vector<std::wstring> args;
  std::size_t i = 0;

  // The program path: quotes only switch quoting, backslashes are literal.
  std::wstring first;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    const wchar_t c = line[i];
    if (c == L'"') {
      quoted = !quoted;
    } else if (is_blank(c) && !quoted) {
      break;
    } else {
      first.push_back(c);
    }
  }
  args.push_back(std::move(first));

  while (true) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i >= line.size()) break;

    std::wstring arg;
    quoted = false;
    while (i < line.size()) {
      const wchar_t c = line[i];
      if (is_blank(c) && !quoted) break;
      if (c == L'\\') {
        std::size_t run = 0;
        while (i < line.size() && line[i] == L'\\') {
          ++run;
          ++i;
        }
        if (i < line.size() && line[i] == L'"') {
          arg.append(run / 2, L'\\');
          if (run % 2 == 1) {
            arg.push_back(L'"');
            ++i;
          }
          // With an even run the quote is handled as any other quote below.
        } else {
          arg.append(run, L'\\');
        }
        continue;
      }
      if (c == L'"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          arg.push_back(L'"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(c);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

StartMode start_mode(const std::vector<std::wstring>& args) {
  if (args.size() < 2) return StartMode::Normal;
  if (args[1] == L"--install") return StartMode::Install;
  if (args[1] == L"--uninstall") return StartMode::Uninstall;
  return StartMode::Normal;
}

bool quiet_requested(const std::vector<std::wstring>& args) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == L"--quiet") return true;
  }
  return false;
}
