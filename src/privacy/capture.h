#pragma once
// Keeping every window of the program out of screenshots, recordings and
// screen sharing, including dialogs and menus opened later.

// Switches the exclusion for every window of the GUI thread, open now or
// created later.
void apply_capture_exclusion(bool on);

// Renews the exclusion of every window open now, while it is on: the frame
// calls it when a modal dialog or menu it owns waits for input.
void reapply_capture_exclusion();
