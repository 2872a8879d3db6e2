// How a program reacts to a misused state cell. This file is compiled into
// each program on its own rather than into the libraries: with
// NIMBOL_CHECKED (every test program) a misuse is reported and aborts, so a
// test cannot pass over it; without it (the program users run) the call
// returns and the cell goes on without the borrow, and nothing of the check
// is left in the program.

#include "base/state_cell.h"

#ifdef NIMBOL_CHECKED
#include <cstdio>
#include <cstdlib>
#endif

void state_cell_misused([[maybe_unused]] const char* what) noexcept {
#ifdef NIMBOL_CHECKED
  std::fprintf(stderr, "StateCell: %s while the state is borrowed\n", what);
  std::abort();
#endif
}
