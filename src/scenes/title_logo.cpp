#include "scenes/title_logo.h"

#include "display/display_link.h"
#include "fx/wipes.h"

namespace {

constexpr int32_t title_logo_slide_start_ms = 2000;
constexpr int32_t title_logo_slide_step_ms = 200;  // per column
constexpr int32_t title_logo_digit_after_ms = 2500;
constexpr int32_t title_logo_wipe_out_ms = 5000;

constexpr int title_logo_slide_columns = 2;  // the picture starts this far right
constexpr int title_logo_picture_rows = 3;
constexpr int title_logo_picture_columns = 15;
constexpr int title_logo_caption_row = 3;
constexpr int title_logo_caption_spacing = 2;  // one letter every second column
constexpr int title_logo_digit_rows = screen_rows;
constexpr int title_logo_digit_columns = 4;
constexpr int title_logo_digit_column = screen_columns - title_logo_digit_columns;  // 16

// A digit is a glyph of title_glyphs, a point a blank.
// clang-format off
constexpr char title_logo_picture[title_logo_picture_rows][title_logo_picture_columns + 1] = {
    "33...0333133331",  // L, C and D: top
    "33...33...33.33",
    "333334333533335",  // bottom
};
constexpr char title_logo_digit[title_logo_digit_rows][title_logo_digit_columns + 1] = {
    "0331",  // a block 2
    "2773",
    "3666",
    "3333",
};
// clang-format on
constexpr char title_logo_caption[] = "STARGLOW";

static_assert(title_logo_slide_columns + title_logo_picture_columns <= screen_columns);
static_assert(title_logo_slide_columns +
                  (sizeof title_logo_caption - 2) * title_logo_caption_spacing <
              screen_columns);

// The screen code of one picture cell.
constexpr uint8_t title_logo_code(char c) {
    return c == '.' ? blank_code : static_cast<uint8_t>(c - '0');
}

// Columns the picture stands right of column 0: two until the slide
// starts, then one fewer every 200 ms, never below zero.
int title_logo_offset(int32_t t) {
    if (t <= title_logo_slide_start_ms) return title_logo_slide_columns;
    const int32_t moved = (t - title_logo_slide_start_ms) / title_logo_slide_step_ms;
    return moved >= title_logo_slide_columns ? 0 : title_logo_slide_columns - moved;
}

}  // namespace

void title_logo_init() {
    upload_glyph_set(title_glyphs);
}

void title_logo_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    const int x = title_logo_offset(t);
    for (int row = 0; row < title_logo_picture_rows; ++row) {
        for (int k = 0; k < title_logo_picture_columns; ++k) {
            screen.cells[cell_index(row, x + k)] = title_logo_code(title_logo_picture[row][k]);
        }
    }
    for (int i = 0; title_logo_caption[i] != '\0'; ++i) {
        screen.cells[cell_index(title_logo_caption_row, x + i * title_logo_caption_spacing)] =
            static_cast<uint8_t>(title_logo_caption[i]);
    }
    // The digit stands at the right edge, not shifted: the slide is over
    // by the time it appears.
    if (t > title_logo_digit_after_ms) {
        for (int row = 0; row < title_logo_digit_rows; ++row) {
            for (int k = 0; k < title_logo_digit_columns; ++k) {
                screen.cells[cell_index(row, title_logo_digit_column + k)] =
                    title_logo_code(title_logo_digit[row][k]);
            }
        }
    }
    wipe_in(screen, t);
    wipe_out(screen, t, title_logo_wipe_out_ms);
}

// Row bytes as sent, top row first; full rows stored as FF (the display
// reads the low five bits). Pixels in the comments, bit 4 leftmost.
const GlyphSet title_glyphs = {{
    // ....#  ..###  .####  .####  #####  #####  #####  #####
    {0x01, 0x07, 0x0F, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF},  // 0: full, top-left rounded
    // #....  ###..  ####.  ####.  #####  #####  #####  #####
    {0x10, 0x1C, 0x1E, 0x1E, 0xFF, 0xFF, 0xFF, 0xFF},  // 1: full, top-right rounded
    // .....  .....  .....  .....  ....#  ..###  .####  #####
    {0x00, 0x00, 0x00, 0x00, 0x01, 0x07, 0x0F, 0xFF},  // 2: small curve, bottom right
    // #####  #####  #####  #####  #####  #####  #####  #####
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 3: full block
    // #####  #####  #####  #####  .####  .####  ..###  ....#
    {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x07, 0x01},  // 4: full, bottom-left rounded
    // #####  #####  #####  #####  ####.  ####.  ###..  #....
    {0xFF, 0xFF, 0xFF, 0xFF, 0x1E, 0x1E, 0x1C, 0x10},  // 5: full, bottom-right rounded
    // #####  #####  #####  #####  .....  .....  .....  .....
    {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00},  // 6: upper half
    // .....  .....  .....  .....  #####  #####  #####  #####
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},  // 7: lower half
}};
