// The show in the page: the steps of starglow's start-up on the page's line,
// then the frame loop one turn at a time, each turn when the line has
// carried the previous one, as the page's script calls in. Live, the clock
// is the wall clock since t0 and the position is the music as heard; in the
// fast mode both follow the virtual link, as in starglow-render.
#pragma once

#include <cstdint>

#include "web/page_record.h"

enum PageShowState : int {
    page_show_idle = 0,
    page_show_running = 1,
    page_show_ended = 2,    // the show ran to its end mark
    page_show_not_run = 3,  // the music is not the show's length
    page_show_failed = 4,   // the music layer failed; it said why on standard output
};

struct PageShowOptions {
    bool fast;    // the virtual link's clock, as fast as the page can
    bool silent;  // no music at all
    bool record;  // keep the wire and the turns
    bool port;    // a real serial port takes the bytes too
};

struct PageShowStats {
    int64_t turns;
    double turn_ms_total;  // time spent in turns (the fast mode: whole runs)
    double turn_ms_most;   // the longest single call of the live mode
    int64_t stalls;        // times the page was held up past the catch-up window
};

struct PageShow {
    PageShowState state;
    PageShowOptions options;
    PageShowStats stats;
    double t0_ms;
};

extern PageShow page_show;

// The display as the real one is after start-up, before the show.
void page_show_before_play();

// Runs starglow's start-up from `now_ms` on: the display's start-up string,
// the pause, the clear, the timeline, the music, t0 and the length test.
PageShowState page_show_start(double now_ms, const PageShowOptions& options);

// Runs the turns that are due by `now_ms` (live) or as many as fit in
// `budget_ms` (fast); the last turn stops the music.
PageShowState page_show_run(double now_ms, double budget_ms);

// When the next turn is due on the wall clock.
double page_show_next_turn_ms();

// The music layer ended the show (check_result): what remains is to say so.
void page_show_fail();

// The music turned out not to be the length it promised: the show stops
// where it is, as if it had never been the show's music.
void page_show_abandon();

// Bytes for the real serial port: what the line has begun to carry, in
// order, since the last take.
extern PageBuffer page_port_outbox;
void page_port_take(double now_ms);
