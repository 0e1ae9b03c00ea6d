#include "fx/line_tracer.h"

namespace {

// Wide enough that no difference or doubled difference of two int32_t
// coordinates overflows.
using LineTracerWide = int64_t;

void line_tracer_plot(PixelGrid& grid, LineTracerWide x, LineTracerWide y) {
    if (grid_contains(x, y)) grid.pixels[grid_index(static_cast<int>(y), static_cast<int>(x))] = 1;
}

}  // namespace

void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, PixelGrid& grid) {
    const LineTracerWide dx = LineTracerWide{x1} - x0;
    const LineTracerWide dy = LineTracerWide{y1} - y0;
    const LineTracerWide step_x = dx < 0 ? -1 : 1;
    const LineTracerWide step_y = dy < 0 ? -1 : 1;
    const LineTracerWide ax = 2 * (dx < 0 ? -dx : dx);
    const LineTracerWide ay = 2 * (dy < 0 ? -dy : dy);
    LineTracerWide x = x0;
    LineTracerWide y = y0;
    line_tracer_plot(grid, x, y);
    // The minor coordinate is decided before each major step from the error
    // of the previous one; err >= 0 (a tie included) moves it.
    if (ax > ay) {
        LineTracerWide err = ay - ax / 2;
        while (x != x1) {
            if (err >= 0) {
                y += step_y;
                err -= ax;
            }
            err += ay;
            x += step_x;
            line_tracer_plot(grid, x, y);
        }
    } else {
        LineTracerWide err = ax - ay / 2;
        while (y != y1) {
            if (err >= 0) {
                x += step_x;
                err -= ay;
            }
            y += step_y;
            err += ax;
            line_tracer_plot(grid, x, y);
        }
    }
}
