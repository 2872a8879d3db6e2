// The frame's hooks on the GUI thread.

#include "model/frame_hooks.h"

namespace {

FrameHooks installed;

}  // namespace

void set_frame_hooks(FrameHooks hooks) { installed = hooks; }

void layout() {
  if (installed.layout) installed.layout();
}

void refresh_title() {
  if (installed.refresh_title) installed.refresh_title();
}

void place_editor(HWND__* editor) {
  if (installed.place_editor) installed.place_editor(editor);
}

void show_main_menu() {
  if (installed.show_main_menu) installed.show_main_menu();
}
