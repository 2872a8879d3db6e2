#pragma once
// Whether the veil is up. Owned by the veil; read by the frame, the tab
// model and the message loop, which behave differently while it is.

bool veiled();
void set_veiled(bool value);
