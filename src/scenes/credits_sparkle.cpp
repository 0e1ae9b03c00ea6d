#include "scenes/credits_sparkle.h"

#include <cstring>

#include "display/display_link.h"
#include "fx/precision.h"
#include "random/show_random.h"

namespace {

// The path, a Lissajous figure in the right half of the display.
constexpr double credits_sparkle_path_x_amplitude = 20.0;
constexpr double credits_sparkle_path_x_centre = 75.0;
constexpr double credits_sparkle_path_x_period = 1000.0;
constexpr double credits_sparkle_path_y_amplitude = 10.0;
constexpr double credits_sparkle_path_y_centre = 16.0;
constexpr double credits_sparkle_path_y_period = 700.0;
// The faster wobble on top of it.
constexpr double credits_sparkle_wobble_amplitude = 5.0;
constexpr double credits_sparkle_wobble_x_period = 225.0;
constexpr double credits_sparkle_wobble_y_period = 125.0;
// A point's random scatter is (draw mod (i + 1)) / 10: none for points 0-9.
constexpr int32_t credits_sparkle_scatter_divisor = 10;

struct Credit {
    char label[9];  // eight characters shown, row 1
    char name[9];   // eight characters shown, row 2
    int32_t type_ms;
    int32_t erase_ms;
    int32_t end_ms;
};

constexpr int credits_sparkle_letters = 8;
constexpr int32_t credits_sparkle_letter_ms = 32;
constexpr int credits_sparkle_label_row = 1;
constexpr int credits_sparkle_name_row = 2;
constexpr int credits_sparkle_column = 2;

constexpr Credit credits_sparkle_credits[] = {
    {"code    ", "TORVANDE", 2000, 9500, 9999},
    {"music   ", "MISKARRO", 10500, 18000, 18499},
};
static_assert(sizeof credits_sparkle_credits / sizeof credits_sparkle_credits[0] == 2);

void credits_sparkle_trail(int32_t t, SparkleSlots& slots) {
    // u steps back along the path: point i takes its path position at
    // t - i(i-1)/2 and its wobble at t - i(i+1)/2. Held in 64 bits so that
    // no t can overflow it; within the show's range it is the same number.
    int64_t u = t;
    for (int i = 0; i < credits_sparkle_points; ++i) {
        const float path_u = static_cast<float>(u);
        const int32_t x0 = truncate_to_int(credits_sparkle_path_x_amplitude *
                                               cos_single(path_u / credits_sparkle_path_x_period) +
                                           credits_sparkle_path_x_centre);
        const int32_t y0 = truncate_to_int(credits_sparkle_path_y_amplitude *
                                               sin_single(path_u / credits_sparkle_path_y_period) +
                                           credits_sparkle_path_y_centre);
        u -= i;
        const float wobble_u = static_cast<float>(u);
        const int32_t r1 = show_rand();
        const int32_t r2 = show_rand();
        const int32_t x = x0 + (r1 % (i + 1)) / credits_sparkle_scatter_divisor +
                          truncate_to_int(credits_sparkle_wobble_amplitude *
                                          cos_single(wobble_u / credits_sparkle_wobble_x_period));
        const int32_t y = y0 + (r2 % (i + 1)) / credits_sparkle_scatter_divisor +
                          truncate_to_int(credits_sparkle_wobble_amplitude *
                                          sin_single(wobble_u / credits_sparkle_wobble_y_period));
        credits_sparkle_plot(slots, x, y);
    }
}

// Letter i of label and name stands from type_ms + 32 (i + 1) until
// erase_ms + 32 (i + 1), and the credit only within (type_ms, end_ms].
void credits_sparkle_type(const Credit& credit, int32_t t, Screen& screen) {
    if (t <= credit.type_ms || t > credit.end_ms) return;
    int32_t first = (t - credit.erase_ms) / credits_sparkle_letter_ms;
    if (first < 0) first = 0;
    if (first > credits_sparkle_letters) first = credits_sparkle_letters;
    int32_t stop = (t - credit.type_ms) / credits_sparkle_letter_ms;
    if (stop > credits_sparkle_letters) stop = credits_sparkle_letters;
    for (int32_t i = first; i < stop; ++i) {
        screen.cells[cell_index(credits_sparkle_label_row, credits_sparkle_column + i)] =
            static_cast<uint8_t>(credit.label[i]);
        screen.cells[cell_index(credits_sparkle_name_row, credits_sparkle_column + i)] =
            static_cast<uint8_t>(credit.name[i]);
    }
}

}  // namespace

void credits_sparkle_clear(SparkleSlots& slots) {
    for (SparkleSlot& slot : slots.slots) {
        slot.cell_column = -1;
        slot.cell_row = -1;
        std::memset(slot.rows, 0, sizeof slot.rows);
    }
}

bool credits_sparkle_plot(SparkleSlots& slots, int32_t x, int32_t y) {
    if (x < 0 || x >= pixel_columns || y < 0 || y >= pixel_rows) return false;
    const int32_t column = x / glyph_columns;
    const int32_t row = y / glyph_rows;
    const uint8_t bit = static_cast<uint8_t>(1u << (glyph_columns - 1 - x % glyph_columns));
    // Slots are taken lowest first and never given back, so the used ones
    // come first and the first free slot ends the search.
    for (SparkleSlot& slot : slots.slots) {
        if (slot.cell_column == -1) {
            slot.cell_column = column;
            slot.cell_row = row;
        } else if (slot.cell_column != column || slot.cell_row != row) {
            continue;
        }
        slot.rows[y % glyph_rows] |= bit;
        return true;
    }
    return false;
}

void credits_sparkle_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    SparkleSlots slots;
    credits_sparkle_clear(slots);
    credits_sparkle_trail(t, slots);

    for (int k = 0; k < glyph_count; ++k) {
        const SparkleSlot& slot = slots.slots[k];
        if (slot.cell_column == -1) continue;
        define_glyph(k, slot.rows);
        screen.cells[cell_index(slot.cell_row, slot.cell_column)] = static_cast<uint8_t>(k);
    }

    for (const Credit& credit : credits_sparkle_credits) credits_sparkle_type(credit, t, screen);
}
