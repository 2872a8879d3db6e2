// The Windows system random source. BCryptGenRandom with the system's
// preferred generator is the documented way; RtlGenRandom (SystemFunction036)
// stays as a fallback for systems where the CNG call is unavailable or fails.
//
// This file belongs to the core build on purpose (the include sits inside the
// guard): the core's sealing needs fresh nonces, and the unit tests that run
// under Windows link only the core. On the host it compiles to nothing; the
// host's source is random_posix.cpp.

#ifdef _WIN32

// clang-format off
  #include <windows.h>
// clang-format on

#include <bcrypt.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "store/random.h"

namespace {

using BCryptGenRandomFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);
using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);

// Both entry points are looked up rather than imported, so that the core
// library asks nothing of the programs that link it beyond kernel32. The
// modules stay loaded for the life of the process on purpose.
template <class Fn>
Fn system_function(const wchar_t* module, const char* name) noexcept {
  HMODULE handle = ::LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

bool fill_chunk(std::uint8_t* data, ULONG size) noexcept {
  static const auto bcrypt_gen_random = system_function<BCryptGenRandomFn>(L"bcrypt.dll", "BCryptGenRandom");
  if (bcrypt_gen_random != nullptr &&
      BCRYPT_SUCCESS(bcrypt_gen_random(nullptr, data, size, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    return true;
  }
  static const auto rtl_gen_random = system_function<RtlGenRandomFn>(L"advapi32.dll", "SystemFunction036");
  return rtl_gen_random != nullptr && rtl_gen_random(data, size) != FALSE;
}

}  // namespace

void fill_random(std::span<std::uint8_t> out) noexcept {
  std::size_t done = 0;
  while (done < out.size()) {
    const auto chunk = static_cast<ULONG>(
        std::min<std::size_t>(out.size() - done, std::numeric_limits<ULONG>::max()));
    if (!fill_chunk(out.data() + done, chunk)) {
      // Without fresh randomness a nonce could repeat; stop here, at once.
      ::TerminateProcess(::GetCurrentProcess(), 1);
      std::abort();
    }
    done += chunk;
  }
}

#endif  // _WIN32
