#pragma once
// The program's own message box: a text, an icon and a row of buttons, run
// modally over its owner. The system's message box is never used.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t MESSAGE_BOX_CLASS[] = L"NimbolMessageWnd";

// Shows `text` with `buttons` (left to right) and returns the index of the
// button chosen: Enter gives `default_index`; Esc, the close box, a failure
// to create the window or the end of the program give `cancel_index` (which
// may match no button). `owner` (or null) is disabled while the box is open.
// `app_icon` shows the program's icon instead of the warning sign.
std::size_t message_box(HWND owner, bool app_icon, std::string_view text, const std::vector<std::string>& buttons,
                        std::size_t default_index, std::size_t cancel_index);
