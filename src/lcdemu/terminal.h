// The user's terminal while lcdemu draws on it: what it changes and how it
// puts everything back. Leaving is safe to call from a signal handler and
// more than once, so every way out (normal end, Ctrl-C, hang-up, errors)
// restores the terminal.
#pragma once

// Takes over the terminal on `fd` (which must be a terminal): keys are no
// longer echoed or line-buffered, the alternate screen is shown, the
// cursor hidden, and lines no longer wrap at the right edge. Ctrl-C still
// raises SIGINT. False if `fd` is not a terminal.
bool terminal_enter(int fd);

// Puts back everything terminal_enter changed; does nothing if it was not
// entered. Async-signal-safe.
void terminal_leave();

// Columns and rows of the terminal on `fd`; false if unknown.
bool terminal_size(int fd, int* columns, int* rows);
