#include "render/progress_bar.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr int progress_width = 30;
constexpr double progress_redraw_s = 0.1;

double progress_now_s() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void progress_draw(const ProgressBar& bar, double now_s) {
    const uint64_t done = bar.done < bar.total ? bar.done : bar.total;
    const double fraction =
        bar.total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(bar.total);
    const double elapsed = now_s - bar.started_s;
    char filled[progress_width + 1];
    const int full = static_cast<int>(fraction * progress_width);
    for (int i = 0; i < progress_width; ++i) filled[i] = i < full ? '#' : '.';
    filled[progress_width] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%  %llu of %llu %s, %lld turns  elapsed %.1f s", filled,
                 static_cast<int>(fraction * 100.0), static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(bar.total), bar.unit,
                 static_cast<long long>(bar.steps), elapsed);
    if (fraction > 0.0 && fraction < 1.0) {
        std::fprintf(stderr, "  remaining %.1f s ", elapsed * (1.0 - fraction) / fraction);
    } else {
        std::fputs("                 ", stderr);
    }
    std::fflush(stderr);
}

}  // namespace

void start_progress(ProgressBar& bar, bool shown, uint64_t total, const char* unit) {
    bar = {shown, total, 0, 0, progress_now_s(), 0.0, unit};
}

void update_progress(ProgressBar& bar, uint64_t done) {
    if (!bar.shown) return;
    bar.done = done;
    ++bar.steps;
    const double now = progress_now_s();
    if (now - bar.drawn_s < progress_redraw_s) return;
    bar.drawn_s = now;
    progress_draw(bar, now);
}

void finish_progress(ProgressBar& bar) {
    if (!bar.shown) return;
    bar.done = bar.total;
    progress_draw(bar, progress_now_s());
    std::fputc('\n', stderr);
}
