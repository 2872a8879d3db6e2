#pragma once
// Active Accessibility for the program's own painted windows: WM_GETOBJECT
// answered with an object that reads the window's AccessView afresh at every
// question, so it never tells anything the window no longer shows.

#include <windows.h>

#include <cstddef>

#include "ui/access_view.h"

// The window's view right now; called on the window's thread only.
using DescribeWindow = AccessView (*)(HWND window);
// Uses child `index` of the view (its default action). Called inside a
// screen reader's request, so it should only post what is to be done.
using ActOnChild = void (*)(HWND window, std::size_t index);

// The answer to WM_GETOBJECT: the object for OBJID_CLIENT, the system's
// default for anything else.
LRESULT answer_get_object(HWND window, WPARAM wparam, LPARAM lparam, DescribeWindow describe, ActOnChild act = nullptr);
