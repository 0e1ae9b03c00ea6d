#include "display_model/picture.h"

#include <cstring>

namespace {

constexpr int picture_cell_pitch_x = glyph_columns + picture_cell_gap_dots;
constexpr int picture_cell_pitch_y = glyph_rows + picture_cell_gap_dots;
constexpr int picture_dot_line_from_scale = 3;  // scales below this draw dots edge to edge
constexpr int picture_underline_row = glyph_rows - 1;

uint8_t picture_mix(uint8_t dark, uint8_t lit, int level) {
    return static_cast<uint8_t>((dark * (255 - level) + lit * level + 127) / 255);
}

// The dot under pixel (x, y) of the picture scaled `scale` times. From
// picture_dot_line_from_scale up, the last row and column of each pixel's
// square are glass, so that pixels stand apart as on real glass.
uint8_t picture_scaled_dot(const uint8_t* dots, int scale, int x, int y) {
    const uint8_t dot = dots[(y / scale) * picture_columns + x / scale];
    const bool edge =
        scale >= picture_dot_line_from_scale && (x % scale == scale - 1 || y % scale == scale - 1);
    return edge ? static_cast<uint8_t>(picture_glass) : dot;
}

}  // namespace

const PicturePalette picture_palettes[picture_palette_count] = {
    // name      glass, unlit pixel, lit pixel (backlight on) ... (backlight off)
    {"blue",
     {{32, 64, 200}, {40, 76, 214}, {232, 240, 255}},
     {{8, 14, 44}, {10, 18, 52}, {70, 80, 120}}},
    {"green",
     {{150, 190, 40}, {140, 180, 36}, {28, 44, 16}},
     {{80, 96, 36}, {76, 92, 34}, {24, 34, 14}}},
    {"white",
     {{226, 230, 236}, {212, 216, 224}, {24, 26, 36}},
     {{120, 124, 128}, {114, 118, 122}, {22, 24, 30}}},
    {"amber", {{18, 10, 4}, {34, 20, 8}, {255, 168, 32}}, {{10, 6, 2}, {16, 10, 4}, {110, 70, 12}}},
};

const PicturePalette* picture_palette_named(const char* name) {
    for (const PicturePalette& palette : picture_palettes)
        if (std::strcmp(palette.name, name) == 0) return &palette;
    return nullptr;
}

void picture_dots(const LcdModel& model, bool cursor_shown, uint8_t out[picture_dot_count]) {
    std::memset(out, picture_glass, picture_dot_count);
    const bool cursor_in_view = model.cursor_column < screen_columns;
    for (int row = 0; row < screen_rows; ++row) {
        for (int column = 0; column < screen_columns; ++column) {
            const uint8_t* rows = lcd_cell_rows(model, model.cells[cell_index(row, column)]);
            const bool here =
                cursor_in_view && row == model.cursor_row && column == model.cursor_column;
            const bool block = here && model.block_cursor && cursor_shown;
            const bool underline = here && model.underline_cursor;
            const int top = picture_margin_dots + row * picture_cell_pitch_y;
            const int left = picture_margin_dots + column * picture_cell_pitch_x;
            for (int y = 0; y < glyph_rows; ++y) {
                uint8_t bits = rows[y] & glyph_row_mask;
                if (block || (underline && y == picture_underline_row)) bits = glyph_row_mask;
                uint8_t* line = out + (top + y) * picture_columns + left;
                for (int x = 0; x < glyph_columns; ++x)
                    line[x] = (bits >> (glyph_columns - 1 - x)) & 1 ? picture_lit : picture_unlit;
            }
        }
    }
}

void picture_colours(const LcdModel& model, const PicturePalette& palette,
                     Rgb out[picture_dot_kinds]) {
    const int level = model.backlight ? model.brightness : 0;
    for (int k = 0; k < picture_dot_kinds; ++k) {
        out[k].r = picture_mix(palette.dark[k].r, palette.lit[k].r, level);
        out[k].g = picture_mix(palette.dark[k].g, palette.lit[k].g, level);
        out[k].b = picture_mix(palette.dark[k].b, palette.lit[k].b, level);
    }
}

void picture_scaled_dots(const uint8_t dots[picture_dot_count], int scale, uint8_t* out) {
    const int width = picture_columns * scale;
    for (int y = 0; y < picture_rows * scale; ++y)
        for (int x = 0; x < width; ++x) out[y * width + x] = picture_scaled_dot(dots, scale, x, y);
}

void picture_rgb(const LcdModel& model, const PicturePalette& palette, int scale, bool cursor_shown,
                 uint8_t* out) {
    uint8_t dots[picture_dot_count];
    picture_dots(model, cursor_shown, dots);
    Rgb colours[picture_dot_kinds];
    picture_colours(model, palette, colours);
    const int width = picture_columns * scale;
    for (int y = 0; y < picture_rows * scale; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb colour = colours[picture_scaled_dot(dots, scale, x, y)];
            uint8_t* pixel = out + (static_cast<size_t>(y) * width + x) * 3;
            pixel[0] = colour.r;
            pixel[1] = colour.g;
            pixel[2] = colour.b;
        }
    }
}
