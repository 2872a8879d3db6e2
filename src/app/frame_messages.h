#pragma once
// The frame's private messages and timers that belong to no feature built
// yet; the others (the store's timer, the veil's cover message, the idle
// timer, the unlock request) live with their owners.

#include <windows.h>

inline constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 3;

inline constexpr UINT_PTR TIMER_UPDATE = 3;

inline constexpr UINT TIMER_UPDATE_MS = 3600000;
