// The re-lock decision. Without a password vault there is nothing to ask
// for; the check against the vault, `password_relock` and `relock_minutes`
// belongs here once passwords can be set.

#include "privacy/relock.h"

bool relock_required() { return false; }
