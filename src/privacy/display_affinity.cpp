#include <windows.h>

#include "privacy/display_affinity.h"

#ifdef NIMBOL_CHECKED
std::vector<AffinityCall>& display_affinity_calls() {
  thread_local std::vector<AffinityCall> calls;
  return calls;
}
#endif

void set_display_affinity(HWND window, DWORD affinity) noexcept {
#ifdef NIMBOL_CHECKED
  display_affinity_calls().push_back({window, affinity});
#endif
  // A window the call fails for simply stays capturable.
  SetWindowDisplayAffinity(window, affinity);
}
