// A progress bar on standard error: one line per stage, redrawn in place,
// with done of total, the time taken and an estimate of the time left.
#pragma once

#include <cstdint>
#include <cstdio>

struct ProgressBar {
    FILE* out;         // null when quiet
    const char* unit;  // what is counted ("frames", "ms of show")
    const char* stage;
    double stage_started_s;
    double last_report_s;  // a stage starts when the one before it last reported
    double last_drawn_s;
};

// Draws on `out`, or nothing at all when `out` is null.
void progress_bar_start(ProgressBar& bar, FILE* out, const char* unit);

// A new stage name ends the previous stage's line. Redraws at most ten
// times a second, and always when a stage is complete.
void progress_bar_report(ProgressBar& bar, const char* stage, int64_t done, int64_t total);

// Ends the last line.
void progress_bar_finish(ProgressBar& bar);
