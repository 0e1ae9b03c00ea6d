// The display as a picture: the glass with its margin, the 80 cells of 5x8
// dots with a one-dot gap between cells, and a palette that says what colour
// each kind of dot is. The terminal, PNG and GIF renderers all draw this.
#pragma once

#include <cstdint>

#include "display_model/lcd_model.h"

// Geometry in dots (one dot is one LCD pixel, or one gap or margin dot).
inline constexpr int picture_margin_dots = 2;
inline constexpr int picture_cell_gap_dots = 1;
inline constexpr int picture_columns =
    2 * picture_margin_dots + pixel_columns + (screen_columns - 1) * picture_cell_gap_dots;  // 123
inline constexpr int picture_rows =
    2 * picture_margin_dots + pixel_rows + (screen_rows - 1) * picture_cell_gap_dots;  // 39
inline constexpr int picture_dot_count = picture_columns * picture_rows;

// What each dot is.
enum PictureDot : uint8_t {
    picture_glass = 0,  // margin and gaps between cells
    picture_unlit = 1,  // a pixel that is off (faintly visible, as on real glass)
    picture_lit = 2,    // a pixel that is on
};
inline constexpr int picture_dot_kinds = 3;

struct Rgb {
    uint8_t r, g, b;
};

// Colours with the backlight full on and fully off; brightness mixes them.
struct PicturePalette {
    const char* name;
    Rgb lit[picture_dot_kinds];
    Rgb dark[picture_dot_kinds];
};

inline constexpr int picture_palette_count = 4;
extern const PicturePalette picture_palettes[picture_palette_count];  // blue first: the default

// The palette of that name, or null.
const PicturePalette* picture_palette_named(const char* name);

// Every dot of the picture, row by row. `cursor_shown` is false during the
// dark phase of the block cursor's blink; the underline cursor never blinks.
void picture_dots(const LcdModel& model, bool cursor_shown, uint8_t out[picture_dot_count]);

// The colours of the three kinds of dot for the model's backlight and
// brightness. (Contrast is kept by the model but not drawn.)
void picture_colours(const LcdModel& model, const PicturePalette& palette,
                     Rgb out[picture_dot_kinds]);

// The picture scaled up `scale` times as packed RGB (3 bytes a pixel, rows
// top first): picture_columns * scale by picture_rows * scale pixels. From a
// scale of 3 up each LCD pixel is drawn with a thin glass line around it, as
// on real glass. `out` must hold picture_rgb_bytes(scale) bytes.
inline constexpr int picture_rgb_bytes(int scale) {
    return picture_dot_count * scale * scale * 3;
}
void picture_rgb(const LcdModel& model, const PicturePalette& palette, int scale, bool cursor_shown,
                 uint8_t* out);

// The same as one palette index (0 to 2, a PictureDot) per pixel.
void picture_scaled_dots(const uint8_t dots[picture_dot_count], int scale, uint8_t* out);
