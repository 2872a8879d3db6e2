#pragma once
// The password re-lock: after the text was covered long enough, it comes
// back only with the password. It guards the veil alone; the vault's key
// stays held and no file is touched.

#include <windows.h>

// Posted to the frame so that the password is asked outside the activation
// or click handling that wanted the text back.
inline constexpr UINT WM_APP_UNLOCK = WM_APP + 1;

// Whether the password must be entered before covered text is shown.
bool relock_required();

// The unlock prompt over `owner`, for a change that would otherwise let
// covered text back without the password: true once the right password was
// entered, false when it was cancelled or there is no vault to ask.
bool password_confirmed(HWND owner);

// The frame's handler of WM_APP_UNLOCK: asks for the password (one prompt
// at a time) and uncovers once the right one was entered.
void on_unlock_request();

// A gesture, or the frame getting activated, asks for covered text back:
// it is shown at once, or the password is asked first when the re-lock
// applies. `by_user` tells a click or key from an activation.
void request_reveal(bool by_user);
