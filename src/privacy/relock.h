#pragma once
// Whether the password must be entered again before covered text is shown.

// Always false in this version: covered text is shown again without the
// password, whatever the re-lock settings say.
bool relock_required();
