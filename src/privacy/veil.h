#pragma once
// The veil: the child window that takes the place of everything that shows
// text while the user is not working with the program.

#include <windows.h>

#include "model/config.h"

// Posted to the frame for a cover that arrived while the veil was busy
// covering or uncovering; it is carried out once that has finished. A
// wParam of 1 carries a Hide Now.
inline constexpr UINT WM_APP_COVER = WM_APP + 2;

LRESULT CALLBACK veil_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

void cover();
void uncover();

// Hide Now: covers at once, even with hiding switched off, and locks: with a
// password set, only the password brings this cover's text back.
void hide_now();

// Whether the text was locked by Hide Now and not shown since.
bool locked_by_user();

// The frame's layout pass calls this while the text is veiled: the veil's
// picture of the window is rebuilt from the (hidden) editor's line metrics.
void refresh_veil_layout();

// What the veil needs from AppState, copied out so that the state is not
// held across ShowWindow and SetFocus (they re-enter the frame).
struct VeilParts {
  HWND frame = nullptr;
  HWND tab_strip = nullptr;
  HWND status_bar = nullptr;
  HWND veil = nullptr;
  HWND editor = nullptr;
  bool hide_text = false;
  Reveal reveal = Reveal::Focus;
  RevealKey reveal_key;
  Mask mask = Mask::Bars;
};

// Painting may happen inside another handler (UpdateWindow and friends), so
// it takes the state only when it is free (`painting`).
VeilParts veil_parts(bool painting = false);
