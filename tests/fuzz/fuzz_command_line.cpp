// Any command line must split without a crash into at least the program
// path, and the arguments, quoted back the way a caller quotes them, must
// split into the very same list.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

bool needs_quotes(const std::wstring& arg) { return arg.empty() || arg.find_first_of(L" \t\"") != std::wstring::npos; }

// The C runtime's rules backwards: backslashes count double only before a
// quote, so those runs are doubled, and a quote inside is escaped.
std::wstring quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      if (c == L'"') out.append(backslashes + 1, L'\\');
      backslashes = 0;
    }
    out.push_back(c);
  }
  out.append(backslashes, L'\\');
  out.push_back(L'"');
  return out;
}

// The program path takes no escapes, and a split one never holds a quote,
// so quotes around it are enough.
std::wstring joined(const std::vector<std::wstring>& args, bool quote_all) {
  std::wstring line = quote_all || needs_quotes(args[0]) ? L"\"" + args[0] + L"\"" : args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    line += L' ';
    line += quote_all || needs_quotes(args[i]) ? quoted(args[i]) : args[i];
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring line;
  for (std::size_t i = 0; i + 1 < size; i += 2) line.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  const std::vector<std::wstring> args = split_command_line(line);
  if (args.empty()) std::abort();
  for (const bool quote_all : {false, true}) {
    if (split_command_line(joined(args, quote_all)) != args) std::abort();
  }
  return 0;
}
