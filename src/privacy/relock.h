#pragma once
// Whether the password must be entered again before covered text is shown.

// Until a password can be set, no text ever needs one to be shown again.
bool relock_required();
