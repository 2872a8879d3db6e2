#pragma once
// The frame's private messages and timers that belong to no feature; the
// store's timer, the veil's cover message and the update result live with
// their owners.

#include <windows.h>

inline constexpr UINT WM_APP_UNLOCK = WM_APP + 1;

inline constexpr UINT_PTR TIMER_IDLE = 2;
inline constexpr UINT_PTR TIMER_UPDATE = 3;

inline constexpr UINT TIMER_IDLE_MS = 1000;
inline constexpr UINT TIMER_UPDATE_MS = 3600000;
