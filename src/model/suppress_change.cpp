// The suppress_change flag of the GUI thread.

#include "model/suppress_change.h"

namespace {
thread_local bool suppress_change = false;
}

bool change_suppressed() { return suppress_change; }

SuppressChange::SuppressChange() : previous_(suppress_change) { suppress_change = true; }
SuppressChange::~SuppressChange() { suppress_change = previous_; }
