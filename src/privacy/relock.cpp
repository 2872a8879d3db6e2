// The re-lock decision. The settings `password_relock` and
// `relock_minutes` are read and kept, but not acted on yet: revealing never
// asks for the password again.

#include "privacy/relock.h"

bool relock_required() { return false; }
