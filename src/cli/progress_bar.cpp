#include "cli/progress_bar.h"

#include <chrono>
#include <cstring>

namespace {

constexpr int progress_bar_width = 30;
constexpr double progress_bar_redraw_s = 0.1;

double progress_bar_now_s() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void progress_bar_start(ProgressBar& bar, FILE* out, const char* unit) {
    const double now = progress_bar_now_s();
    bar = {out, unit, nullptr, now, now, 0.0};
}

void progress_bar_report(ProgressBar& bar, const char* stage, int64_t done, int64_t total) {
    if (bar.out == nullptr) return;
    if (done > total) done = total;
    const double now = progress_bar_now_s();
    const double previous_report_s = bar.last_report_s;
    bar.last_report_s = now;
    if (bar.stage == nullptr || std::strcmp(bar.stage, stage) != 0) {
        if (bar.stage != nullptr) std::fputc('\n', bar.out);
        bar.stage = stage;
        bar.stage_started_s = previous_report_s;
    } else if (done < total && now - bar.last_drawn_s < progress_bar_redraw_s) {
        return;
    }
    bar.last_drawn_s = now;

    const double fraction =
        total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    char cells[progress_bar_width + 1];
    const int filled = static_cast<int>(fraction * progress_bar_width);
    for (int i = 0; i < progress_bar_width; ++i) cells[i] = i < filled ? '#' : '.';
    cells[progress_bar_width] = '\0';
    const double elapsed = now - bar.stage_started_s;
    const double left = fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : 0.0;
    // \033[K clears what a longer earlier line left behind.
    std::fprintf(bar.out, "\r%-10s [%s] %3d%%  %lld/%lld %s  %.1f s, %.1f s left\033[K", stage,
                 cells, static_cast<int>(fraction * 100.0), static_cast<long long>(done),
                 static_cast<long long>(total), bar.unit, elapsed, left);
    std::fflush(bar.out);
}

void progress_bar_finish(ProgressBar& bar) {
    if (bar.out != nullptr && bar.stage != nullptr) std::fputc('\n', bar.out);
    bar.stage = nullptr;
    bar.last_report_s = progress_bar_now_s();
}
