#include "driver/timeline.h"

#include "fx/big_font.h"
#include "scenes/big_scroller.h"
#include "scenes/box.h"
#include "scenes/circles.h"
#include "scenes/credits_sparkle.h"
#include "scenes/four_row_scrollers.h"
#include "scenes/ready_screen.h"
#include "scenes/rotating_cube.h"
#include "scenes/sine_bars.h"
#include "scenes/spectrum_bars.h"
#include "scenes/title_logo.h"
#include "scenes/wave_pattern.h"

void empty_init() {}

// clang-format off
const SceneEntry show_timeline[show_scene_rows + 1] = {
    {spectrum_bars_init, spectrum_bars_update,       0},       // 1
    {upload_font_glyphs, big_scroller_a_update,      22000},   // 2
    {title_logo_init,    title_logo_update,          37000},   // 3
    {empty_init,         credits_sparkle_update,     43000},   // 4
    {wave_pattern_init,  wave_pattern_update,        66500},   // 5
    {circles_init,       circles_update,             81000},   // 6
    {empty_init,         sine_bars_update,           103500},  // 7
    {box_init,           box_update,                 111000},  // 8
    {upload_font_glyphs, four_row_scrollers_update,  120000},  // 9
    {upload_font_glyphs, ready_screen_update,        151500},  // 10
    {rotating_cube_init, rotating_cube_update,       155000},  // 11
    {upload_font_glyphs, big_scroller_b_update,      185000},  // 12
    {spectrum_bars_init, spectrum_bars_update,       193500},  // 13
    {nullptr,            nullptr,                    sentinel_start_ms},
};
// clang-format on

int count_scene_rows(const SceneEntry* timeline) {
    int rows = 0;
    while (timeline[rows].init != nullptr) ++rows;
    return rows;
}

int timeline_row_at(const SceneEntry* timeline, int scene_rows, int32_t clock_ms) {
    // Edges first: before the first start and from the end of the last
    // window (the next row's start, the sentinel's for the last row) on,
    // no row holds the clock.
    if (scene_rows <= 0 || clock_ms < timeline[0].start_ms) return -1;
    if (clock_ms >= timeline[scene_rows].start_ms) return -1;
    int row = 0;
    while (clock_ms >= timeline[row + 1].start_ms) ++row;
    return row;
}
