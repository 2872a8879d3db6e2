// The replaceable global allocation functions, for the whole test program:
// each block carries its size in front of it, so that a freed block can be
// searched whole. Outside a probe they only allocate and free.

#include <windows.h>

#include "alloc_probe.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string_view>

namespace {

constexpr std::size_t header = 16;  // keeps the blocks aligned as malloc's

// Plain data, constant-initialised: the allocator may run before any
// constructor does, and must never allocate itself.
constexpr std::size_t max_marker = 64;
struct ProbeState {
  bool active = false;
  DWORD thread = 0;
  char utf8[max_marker] = {};
  std::size_t utf8_size = 0;
  char utf16[2 * max_marker] = {};  // the marker's UTF-16 bytes
  std::size_t fail_at = 0;
  std::size_t min_size = 0;
  std::size_t counted = 0;
  bool failed = false;
  std::size_t unwiped = 0;
};

constinit ProbeState state;

ProbeState& probe() { return state; }

bool watching() { return probe().active && GetCurrentThreadId() == probe().thread; }

void* allocate(std::size_t size, bool may_throw) {
  if (watching() && size >= probe().min_size && ++probe().counted == probe().fail_at) {
    probe().failed = true;
    if (may_throw) throw std::bad_alloc();
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(std::malloc(size + header));
  if (!block) {
    if (may_throw) throw std::bad_alloc();
    return nullptr;
  }
  *reinterpret_cast<std::size_t*>(block) = size;
  return block + header;
}

bool holds(std::string_view block, std::string_view marker) {
  return !marker.empty() && block.find(marker) != std::string_view::npos;
}

void release(void* memory) noexcept {
  if (!memory) return;
  auto* block = static_cast<unsigned char*>(memory) - header;
  if (watching()) {
    const std::string_view bytes(reinterpret_cast<const char*>(memory), *reinterpret_cast<std::size_t*>(block));
    const std::string_view utf8(probe().utf8, probe().utf8_size);
    const std::string_view utf16(probe().utf16, 2 * probe().utf8_size);
    if (holds(bytes, utf8) || holds(bytes, utf16)) ++probe().unwiped;
  }
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size, true); }
void* operator new[](std::size_t size) { return allocate(size, true); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, false); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, false); }
void operator delete(void* memory) noexcept { release(memory); }
void operator delete[](void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { release(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { release(memory); }

namespace wintest {

AllocProbe::AllocProbe(std::string_view marker, std::size_t fail_at, std::size_t min_size) {
  ProbeState& state = probe();
  state.utf8_size = std::min(marker.size(), max_marker);
  for (std::size_t i = 0; i < state.utf8_size; ++i) {
    state.utf8[i] = marker[i];
    state.utf16[2 * i] = marker[i];  // the marker is ASCII
    state.utf16[2 * i + 1] = '\0';
  }
  state.fail_at = fail_at;
  state.min_size = min_size;
  state.counted = 0;
  state.failed = false;
  state.unwiped = 0;
  state.thread = GetCurrentThreadId();
  state.active = true;
}

AllocProbe::~AllocProbe() { probe().active = false; }

bool AllocProbe::failed() const { return probe().failed; }

std::size_t AllocProbe::unwiped() const { return probe().unwiped; }

}  // namespace wintest
