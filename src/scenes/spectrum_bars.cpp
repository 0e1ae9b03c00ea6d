#include "scenes/spectrum_bars.h"

#include "audio/music_player.h"
#include "display/display_link.h"
#include "fx/wipes.h"

namespace {

constexpr char spectrum_bars_name[] = "vorilune";
constexpr int spectrum_bars_name_row = 1;
constexpr int spectrum_bars_name_column = 10;
static_assert(spectrum_bars_name_column + sizeof spectrum_bars_name - 1 <= screen_columns);

// Height of a bar in pixel rows: the summed magnitudes scaled, truncated
// toward zero. Kept in range before the conversion so that any float the
// music layer might deliver (huge, infinite, NaN) gives a defined height;
// the clamping below makes everything above 32 look alike anyway.
int32_t spectrum_bars_height(float left, float right) {
    const double h = (static_cast<double>(left) + static_cast<double>(right)) * spectrum_bars_scale;
    if (!(h > -1.0)) return 0;  // negative, or NaN
    if (h >= pixel_rows + 1.0) return pixel_rows + 1;
    return static_cast<int32_t>(h);
}

// The level of one cell, 0 to 8 pixel rows, for the cell whose bottom lies
// `below` pixel rows above the bar's foot.
int32_t spectrum_bars_level(int32_t h, int32_t below) {
    const int32_t level = h - below;
    if (level < 0) return 0;
    if (level > glyph_rows) return glyph_rows;
    return level;
}

}  // namespace

void spectrum_bars_init() {
    upload_glyph_set(bar_glyphs);
}

void spectrum_bars_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    for (int column = 0; column < spectrum_bars_columns; ++column) {
        const int32_t h = spectrum_bars_height(spectrum.left[column], spectrum.right[column]);
        for (int row = screen_rows - 1; row >= 0; --row) {
            const int32_t level = spectrum_bars_level(h, (screen_rows - 1 - row) * glyph_rows);
            screen.cells[cell_index(row, column)] =
                level == 0 ? blank_code : static_cast<uint8_t>(level - 1);
        }
    }
    for (int i = 0; spectrum_bars_name[i] != '\0'; ++i) {
        screen.cells[cell_index(spectrum_bars_name_row, spectrum_bars_name_column + i)] =
            static_cast<uint8_t>(spectrum_bars_name[i]);
    }
    wipe_in(screen, t);
}

// Glyph k lights the bottom k + 1 pixel rows; lit rows stored as FF.
const GlyphSet bar_glyphs = {{
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},  // 0: bottom 1
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF},  // 1: bottom 2
    {0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF},  // 2: bottom 3
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},  // 3: bottom 4
    {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 4: bottom 5
    {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 5: bottom 6
    {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 6: bottom 7
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 7: all 8
}};
