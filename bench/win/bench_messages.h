#pragma once
// What the benchmark driver and the bare program agree on.

#include <windows.h>

inline constexpr wchar_t BARE_FRAME_CLASS[] = L"NimbolBenchBareFrame";
// Sent to the bare frame: save the text over the file it was opened from;
// the answer is 1 once the bytes are written.
inline constexpr UINT WM_APP_BENCH_SAVE = WM_APP + 0x500;
