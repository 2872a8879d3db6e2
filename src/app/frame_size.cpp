// The editor control lays its text out for its width, and a large file
// takes long to lay out (minutes for 100 MiB under Wine). The frame is
// created at the system's default size and only placed when it shows, after
// the start-up files are in their tabs: without this, all of that text
// would be laid out a second time for the width it is shown at.

#include <windows.h>

#include "app/frame_size.h"

#include "ui/dpi.h"
#include "ui/window_dpi.h"

void size_hidden_frame(HWND frame, const std::optional<WindowPos>& stored) {
  if (stored) {
    if (stored->maximized) return;
    // The same placement the frame gets when it shows, without showing it.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = SW_HIDE;
    placement.rcNormalPosition = {stored->left, stored->top, stored->right, stored->bottom};
    SetWindowPlacement(frame, &placement);
    return;
  }
  const UINT dpi = window_dpi(frame);
  SetWindowPos(frame, nullptr, 0, 0, scale_for_dpi(900, dpi), scale_for_dpi(600, dpi),
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}
