#pragma once
// The Win32-layer tests run with an allocator of their own: while a probe
// lives, one chosen allocation fails as if memory had run out, and every
// block given back is searched for a marker text. A tab's text that holds
// the marker and is copied by the code under test must be wiped before its
// memory goes back, on the failing paths too; an unwiped block shows here.

#include <cstddef>
#include <string_view>

namespace wintest {

class AllocProbe {
 public:
  // On this thread: the `fail_at`-th allocation of at least `min_size`
  // bytes throws std::bad_alloc (0: none does); freed blocks holding
  // `marker`, as UTF-8 or as UTF-16, are counted.
  explicit AllocProbe(std::string_view marker, std::size_t fail_at = 0, std::size_t min_size = 256);
  ~AllocProbe();
  AllocProbe(const AllocProbe&) = delete;
  AllocProbe& operator=(const AllocProbe&) = delete;

  // Whether the chosen allocation came (and failed).
  bool failed() const;
  // Blocks freed while they still held the marker.
  std::size_t unwiped() const;
};

}  // namespace wintest
