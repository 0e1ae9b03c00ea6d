// A progress bar on standard error for work that takes more than a moment:
// how far, how long so far, how long still to go. Drawn only on a terminal.
#pragma once

#include <cstdint>

struct ProgressBar {
    bool shown;      // false: every call does nothing
    uint64_t total;  // units of work in all
    uint64_t done;
    int64_t steps;     // calls of update_progress so far
    double started_s;  // monotonic seconds at start
    double drawn_s;    // when the bar was last drawn
    const char* unit;  // what a unit is, for the label ("ms of show")
};

// shown: the caller's decision (a terminal, and not asked to be quiet).
void start_progress(ProgressBar& bar, bool shown, uint64_t total, const char* unit = "ms of show");
void update_progress(ProgressBar& bar, uint64_t done);
// Draws the final state and ends the line.
void finish_progress(ProgressBar& bar);
