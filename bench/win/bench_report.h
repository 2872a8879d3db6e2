#pragma once
// The clock and the output line the Wine benchmarks share: scripts/bench.sh
// reads "sample <figure> <milliseconds>" lines.

#include <windows.h>

#include <cstdio>
#include <string_view>

namespace bench {

inline double now_ms() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

inline void report(std::string_view figure, double value) {
  std::printf("sample %.*s %.3f\n", static_cast<int>(figure.size()), figure.data(), value);
  // Seen at once by whoever reads the output, even if a later figure hangs.
  std::fflush(stdout);
}

}  // namespace bench
