#pragma once
// The channel between a second start and the running instance.

#include <windows.h>

#include <string>
#include <vector>

// Creates the message-only window that receives hand-offs; null on failure.
HWND create_hand_off_window();

// The second instance's side: delivers the paths (waiting up to about two
// seconds for a first instance that is still starting). True when the
// running instance took them; false when it refused them (it is closing or
// busy) or could not be reached, and the caller still has them to open.
[[nodiscard]] bool send_hand_off(const std::vector<std::wstring>& paths);

// Paths handed over before the frame's state existed, taken once.
std::vector<std::string> take_pending_open_paths();
