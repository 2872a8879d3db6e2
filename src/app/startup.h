#pragma once
// The process entry's work: command line, maintenance modes, single
// instance, windows, tabs, then the message loop. Returns the exit code.

int run_program();
