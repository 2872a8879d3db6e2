#pragma once
// The one call that asks Windows to leave a window out of screen capture.
// It is compiled into each program on its own (like the state cell's misuse
// report): the test programs also write down every call, because under Wine
// the call itself never succeeds and so cannot be observed; the program
// users run carries nothing of that.

#include <windows.h>

#include <vector>

inline constexpr DWORD AFFINITY_EXCLUDED = 0x11;  // WDA_EXCLUDEFROMCAPTURE
inline constexpr DWORD AFFINITY_NONE = 0;         // WDA_NONE

void set_display_affinity(HWND window, DWORD affinity) noexcept;

#ifdef NIMBOL_CHECKED
struct AffinityCall {
  HWND window = nullptr;
  DWORD affinity = 0;
};
// Every call so far on this thread, oldest first; tests clear it.
std::vector<AffinityCall>& display_affinity_calls();
#endif
