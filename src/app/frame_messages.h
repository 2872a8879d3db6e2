#pragma once
// The frame's timer that belongs to no feature: the hourly update tick is
// started by start-up; every other message and timer lives with its owner.

#include <windows.h>

inline constexpr UINT_PTR TIMER_UPDATE = 3;

inline constexpr UINT TIMER_UPDATE_MS = 3600000;
