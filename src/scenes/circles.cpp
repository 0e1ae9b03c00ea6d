#include "scenes/circles.h"

#include <cmath>

#include "display/display_link.h"
#include "fx/precision.h"
#include "fx/wipes.h"

namespace {

constexpr double circles_disc_radius = 8.0;
constexpr double circles_disc_centre = (disc_size - 1) / 2.0;  // 7.5

// The band of summed values that is lit.
constexpr int circles_lit_low = 5;
constexpr int circles_lit_high = 6;

// One stamp's path: left = left_base + trunc(left_reach * cos(tf / left_ms)),
// top = top_base + trunc(top_reach * sin(tf / top_ms)).
struct CirclesPath {
    int32_t left_base;
    double left_reach;
    double left_ms;
    int32_t top_base;
    double top_reach;
    double top_ms;
};

// clang-format off
constexpr CirclesPath circles_paths[] = {
    {0, 8.0, 500.0, 0, 6.0, 500.0},  // 1: left -8 to 8,  top -6 to 6
    {5, 5.0, 300.0, 1, 5.0, 200.0},  // 2: left 0 to 10,  top -4 to 6
    {5, 7.0, 400.0, 1, 6.0, 300.0},  // 3: left -2 to 12, top -5 to 7
};
// clang-format on
static_assert(sizeof circles_paths / sizeof circles_paths[0] == circles_stamp_count);

// Three cones of at most 7 sum to at most 21: a grid byte holds it.
static_assert(circles_stamp_count * static_cast<int>(circles_disc_radius) <= 255);

}  // namespace

float disc_table[disc_size][disc_size];

void circles_init() {
    upload_glyph_set(sub_row_glyphs);
    // The squared distance and its root are each rounded to single
    // precision. No entry lies on a whole number, so truncating it later
    // gives the same value in any precision.
    for (int i = 0; i < disc_size; ++i) {
        for (int j = 0; j < disc_size; ++j) {
            const double di = i - circles_disc_centre;
            const double dj = j - circles_disc_centre;
            const float squared = static_cast<float>(dj * dj + di * di);
            const float distance = std::sqrt(squared);
            const double value = circles_disc_radius - distance;
            disc_table[i][j] = value >= 0.0 ? static_cast<float>(value) : 0.0f;
        }
    }
}

void circles_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    PixelGrid grid;
    circles_draw(t, grid);
    map_four_sub_rows(grid, screen);
    wipe_in(screen, t);
    wipe_out(screen, t, circles_out_start_ms);
}

void circles_draw(int32_t t, PixelGrid& grid) {
    clear_grid(grid);
    GridPoint corners[circles_stamp_count];
    circles_corners(t, corners);
    for (const GridPoint& corner : corners) circles_stamp(grid, corner);
    circles_threshold(grid);
}

void circles_corners(int32_t t, GridPoint corners[circles_stamp_count]) {
    // Angles, sines and cosines single precision; the products double.
    const float tf = static_cast<float>(t);
    for (int s = 0; s < circles_stamp_count; ++s) {
        const CirclesPath& path = circles_paths[s];
        corners[s].x =
            path.left_base + truncate_to_int(path.left_reach * cos_single(tf / path.left_ms));
        corners[s].y =
            path.top_base + truncate_to_int(path.top_reach * sin_single(tf / path.top_ms));
    }
}

void circles_stamp(PixelGrid& grid, GridPoint corner) {
    for (int r = 0; r < disc_size; ++r) {
        const int64_t y = int64_t{corner.y} + r;
        for (int c = 0; c < disc_size; ++c) {
            const int64_t x = int64_t{corner.x} + c;
            if (!grid_contains(x, y)) continue;
            grid.pixels[grid_index(static_cast<int>(y), static_cast<int>(x))] +=
                static_cast<uint8_t>(truncate_to_int(disc_table[r][c]));
        }
    }
}

void circles_threshold(PixelGrid& grid) {
    for (uint8_t& pixel : grid.pixels)
        pixel = pixel >= circles_lit_low && pixel <= circles_lit_high ? 1 : 0;
}
