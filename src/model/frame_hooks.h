#pragma once
// The few things the features ask of the frame while they work: a new
// layout, a new title, an editor put in its place, the main menu. The frame sits above the
// features and fills these in at start-up, so that the features never reach
// up into it. They are plain synchronous calls on purpose: covering the text
// must have changed the title before cover() returns, and a posted message
// would let the title show a file name for a moment.

struct HWND__;

struct FrameHooks {
  void (*layout)() = nullptr;
  void (*refresh_title)() = nullptr;
  void (*place_editor)(HWND__* editor) = nullptr;
  void (*show_main_menu)() = nullptr;
};

// Installed by the frame before the state exists; empty hooks do nothing.
void set_frame_hooks(FrameHooks hooks);

// Places the children for the frame's current client size and DPI.
void layout();

// Repaints strip and status bar and sets the title: "<tab> - Nimbol", or
// "Nimbol" while there is no active tab or the text is veiled.
void refresh_title();

// Gives an editor the active editor's place, so that a tab's text is laid
// out (and wrapped) at its real width even while the tab is in the
// background.
void place_editor(HWND__* editor);

// Opens the main menu below the tab strip's menu button.
void show_main_menu();
