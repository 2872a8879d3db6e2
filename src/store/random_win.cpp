// The Windows system random source. BCryptGenRandom with the system's
// preferred generator is the documented way; RtlGenRandom (SystemFunction036)
// stays as a fallback for systems where the CNG call fails. The host's
// source is random_posix.cpp.

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "store/random.h"

namespace {

using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);

// Looked up rather than imported: it has no documented import, and a
// missing fallback must not keep the program from starting. advapi32 stays
// loaded for the life of the process on purpose.
bool fill_with_rtl_gen_random(std::uint8_t* data, ULONG size) noexcept {
  static const RtlGenRandomFn rtl_gen_random = []() -> RtlGenRandomFn {
    HMODULE advapi = ::LoadLibraryExW(L"advapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (advapi == nullptr) return nullptr;
    return reinterpret_cast<RtlGenRandomFn>(reinterpret_cast<void*>(::GetProcAddress(advapi, "SystemFunction036")));
  }();
  return rtl_gen_random != nullptr && rtl_gen_random(data, size) != FALSE;
}

}  // namespace

void fill_random(std::span<std::uint8_t> out) noexcept {
  std::size_t done = 0;
  while (done < out.size()) {
    const auto chunk = static_cast<ULONG>(std::min<std::size_t>(out.size() - done, std::numeric_limits<ULONG>::max()));
    std::uint8_t* data = out.data() + done;
    const NTSTATUS status = ::BCryptGenRandom(nullptr, data, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!BCRYPT_SUCCESS(status) && !fill_with_rtl_gen_random(data, chunk)) {
      // Without fresh randomness a nonce could repeat; stop here, at once.
      ::TerminateProcess(::GetCurrentProcess(), 1);
      std::abort();
    }
    done += chunk;
  }
}
