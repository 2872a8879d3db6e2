// The host's system random source, so that the core and its tests run on
// Linux. The Windows build compiles this file too, where it adds nothing:
// the Windows source lives in random_win.cpp.

#ifndef _WIN32

#include "store/random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdlib>

void fill_random(std::span<std::uint8_t> out) noexcept {
  std::size_t done = 0;
  while (done < out.size()) {
    // getrandom may return fewer bytes than asked for large requests, and
    // may be interrupted by a signal before it has any.
    const ssize_t got = ::getrandom(out.data() + done, out.size() - done, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      std::abort();
    }
    done += static_cast<std::size_t>(got);
  }
}

#endif  // _WIN32
