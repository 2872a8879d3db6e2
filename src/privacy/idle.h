#pragma once
// Idle hiding: the text is covered when keyboard and mouse have been left
// alone for the chosen time while the main window is in front.

#include <windows.h>

inline constexpr UINT_PTR TIMER_IDLE = 2;
inline constexpr UINT TIMER_IDLE_MS = 1000;

// Starts (or restarts) the frame's once-a-second idle timer, or stops it
// when idle hiding is off.
void arm_idle_timer();

// The frame's handler of TIMER_IDLE.
void idle_check();
