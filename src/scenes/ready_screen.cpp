#include "scenes/ready_screen.h"

#include "fx/wipes.h"

namespace {

constexpr int32_t ready_screen_wipe_out_ms = 3000;

constexpr int ready_screen_picture_rows = 3;
constexpr int ready_screen_picture_columns = 15;
constexpr int ready_screen_picture_column = 3;  // cells 0 to 14 at columns 3 to 17
constexpr int ready_screen_word_row = 3;
constexpr int ready_screen_word_column = 4;   // first letter
constexpr int ready_screen_word_spacing = 3;  // one letter every third column

// A digit is a glyph of the big font's set (rounded corners 1 and 5, the
// full block 3), a point a blank.
// clang-format off
constexpr char ready_screen_picture[ready_screen_picture_rows][ready_screen_picture_columns + 1] = {
    "33...33.3333331",  // H, a gap, D: top
    "3333333.33...33",
    "33...33.3333335",  // bottom
};
// clang-format on
constexpr char ready_screen_word[] = "ready";

static_assert(ready_screen_picture_column + ready_screen_picture_columns <= screen_columns);
static_assert(ready_screen_word_column +
                  (sizeof ready_screen_word - 2) * ready_screen_word_spacing <
              screen_columns);

constexpr uint8_t ready_screen_code(char c) {
    return c == '.' ? blank_code : static_cast<uint8_t>(c - '0');
}

}  // namespace

void ready_screen_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    for (int row = 0; row < ready_screen_picture_rows; ++row) {
        for (int k = 0; k < ready_screen_picture_columns; ++k) {
            screen.cells[cell_index(row, ready_screen_picture_column + k)] =
                ready_screen_code(ready_screen_picture[row][k]);
        }
    }
    for (int i = 0; ready_screen_word[i] != '\0'; ++i) {
        screen.cells[cell_index(ready_screen_word_row,
                                ready_screen_word_column + i * ready_screen_word_spacing)] =
            static_cast<uint8_t>(ready_screen_word[i]);
    }
    wipe_in(screen, t);
    wipe_out(screen, t, ready_screen_wipe_out_ms);
}
