#include "scenes/box.h"

#include "display/display_link.h"
#include "fx/precision.h"
#include "fx/wipes.h"

namespace {

// Each side: centre + amplitude * sin(t / period), the product truncated.
constexpr int32_t box_left_centre = 25;
constexpr double box_left_amplitude = 20.0;
constexpr double box_left_period = 130.0;
constexpr int32_t box_right_centre = 75;
constexpr double box_right_amplitude = 20.0;
constexpr double box_right_period = 70.0;
constexpr int32_t box_top_centre = 8;
constexpr double box_top_amplitude = 8.0;
constexpr double box_top_period = 60.0;
constexpr int32_t box_bottom_centre = 24;
constexpr double box_bottom_amplitude = 8.0;
constexpr double box_bottom_period = 150.0;

constexpr uint8_t box_full_row = 0x1F;

// A row lit from pixel lx (0 leftmost) to the cell's right end.
constexpr uint8_t box_left_edge_masks[glyph_columns] = {
    0b11111,  // lx 0
    0b01111,  // lx 1
    0b00111,  // lx 2
    0b00011,  // lx 3
    0b00001,  // lx 4
};

// A row lit from the cell's left end to pixel rx.
constexpr uint8_t box_right_edge_masks[glyph_columns] = {
    0b10000,  // rx 0
    0b11000,  // rx 1
    0b11100,  // rx 2
    0b11110,  // rx 3
    0b11111,  // rx 4
};

constexpr uint8_t box_full_block_glyph[glyph_rows] = {
    0b11111, 0b11111, 0b11111, 0b11111, 0b11111, 0b11111, 0b11111, 0b11111,
};

int32_t box_side(int32_t centre, double amplitude, double period, float tf) {
    return centre + truncate_to_int(amplitude * sin_single(tf / period));
}

// The sides and corners are clipped to the Screen: the bottom row of cells
// is row 4, which does not exist, when the bottom side reaches 32.
void box_put(Screen& screen, int row, int column, uint8_t code) {
    if (row < 0 || row >= screen_rows || column < 0 || column >= screen_columns) return;
    screen.cells[cell_index(row, column)] = code;
}

// Rows first to last - 1 hold `value`, the others 0; then sent as `code`.
void box_send_glyph(int code, int first, int last, uint8_t value) {
    uint8_t rows[glyph_rows];
    for (int row = 0; row < glyph_rows; ++row) {
        rows[row] = row >= first && row < last ? value : 0;
    }
    define_glyph(code, rows);
}

}  // namespace

BoxSides box_sides(int32_t t) {
    const float tf = static_cast<float>(t);
    return {
        box_side(box_left_centre, box_left_amplitude, box_left_period, tf),
        box_side(box_right_centre, box_right_amplitude, box_right_period, tf),
        box_side(box_top_centre, box_top_amplitude, box_top_period, tf),
        box_side(box_bottom_centre, box_bottom_amplitude, box_bottom_period, tf),
    };
}

void box_init() {
    define_glyph(box_inside_code, box_full_block_glyph);
}

void box_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    const BoxSides sides = box_sides(t);
    const int cl = sides.left / glyph_columns;
    const int cr = sides.right / glyph_columns;
    const int rt = sides.top / glyph_rows;
    const int rb = sides.bottom / glyph_rows;
    const int lx = sides.left % glyph_columns;
    const int rx = sides.right % glyph_columns;
    const int ty = sides.top % glyph_rows;
    const int by = sides.bottom % glyph_rows;

    // Later writes replace earlier ones in the same cell.
    box_put(screen, rt, cl, box_top_left_code);
    box_put(screen, rt, cr, box_top_right_code);
    box_put(screen, rb, cl, box_bottom_left_code);
    box_put(screen, rb, cr, box_bottom_code);
    for (int c = cl + 1; c < cr; ++c) {
        box_put(screen, rt, c, box_top_code);
        box_put(screen, rb, c, box_bottom_code);
    }
    for (int r = rt + 1; r < rb; ++r) {
        box_put(screen, r, cl, box_left_code);
        box_put(screen, r, cr, box_right_code);
    }
    for (int r = rt + 1; r < rb; ++r) {
        for (int c = cl + 1; c < cr; ++c) box_put(screen, r, c, box_inside_code);
    }

    const uint8_t left_mask = box_left_edge_masks[lx];
    const uint8_t right_mask = box_right_edge_masks[rx];
    define_glyph(box_inside_code, box_full_block_glyph);
    box_send_glyph(box_top_left_code, ty, glyph_rows, left_mask);
    box_send_glyph(box_top_right_code, ty, glyph_rows, right_mask);
    box_send_glyph(box_bottom_left_code, 0, by, left_mask);
    box_send_glyph(box_top_code, ty, glyph_rows, box_full_row);
    box_send_glyph(box_left_code, 0, glyph_rows, left_mask);
    box_send_glyph(box_right_code, 0, glyph_rows, right_mask);
    box_send_glyph(box_bottom_code, 0, by, box_full_row);

    wipe_in(screen, t);
    wipe_out(screen, t, box_out_start_ms);
}
