#pragma once
// The tabs of the previous run, brought back at start-up.

// Rebuilds the tabs the store kept into the empty tab list, sets `next_id`
// and `active`. Nothing without a store.
void restore_session();
