#include "fx/big_font.h"

#include <cstddef>

#include "display/display_link.h"

namespace {

// Where the letter box beginning at column `left` meets the display: cells
// first to last (inclusive) of the box. Wide arithmetic, so that a pen far
// out on either side cannot wrap around.
struct BigFontSpan {
    int first;
    int last;
};

BigFontSpan big_font_visible_cells(int64_t left) {
    const int64_t first = left < 0 ? -left : 0;
    const int64_t last = left + (big_font_columns - 1) >= screen_columns ? screen_columns - 1 - left
                                                                         : big_font_columns - 1;
    return {static_cast<int>(first), static_cast<int>(last)};
}

void big_font_draw_letter(Screen& screen, int letter, int64_t left) {
    const BigFontSpan span = big_font_visible_cells(left);
    const uint8_t* box = big_font.data() + letter * big_font_letter_cells;
    for (int row = 0; row < big_font_rows; ++row) {
        for (int k = span.first; k <= span.last; ++k) {
            screen.cells[cell_index(row, static_cast<int>(left + k))] =
                box[row * big_font_columns + k];
        }
    }
}

}  // namespace

void upload_font_glyphs() {
    upload_glyph_set(font_glyph_set);
}

void draw_big_text(Screen& screen, const char* text, int32_t first_column) {
    if (text == nullptr) return;
    int64_t pen = first_column;
    for (; *text != '\0'; ++text) {
        // Columns only grow from here on: once the pen is past the right
        // edge, nothing more can show.
        if (pen >= screen_columns) return;
        const char c = *text;
        if (c >= 'A' && c <= 'Z' && pen + big_font_columns > 0) {
            big_font_draw_letter(screen, c - 'A', pen);
        }
        pen += big_text_advance(c);
    }
}

// ------------------------------------------------------------------------
// Tables

// Row bytes as sent, top row first; full rows stored as FF (the display
// reads the low five bits). Pixels in the comments, bit 4 leftmost.
const GlyphSet font_glyph_set = {{
    // ....#  ..###  .####  .####  #####  #####  #####  #####
    {0x01, 0x07, 0x0F, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF},  // 0: full, top-left rounded
    // #....  ###..  ####.  ####.  #####  #####  #####  #####
    {0x10, 0x1C, 0x1E, 0x1E, 0xFF, 0xFF, 0xFF, 0xFF},  // 1: full, top-right rounded
    // .....  .....  .....  #....  ##...  ###..  ####.  #####
    {0x00, 0x00, 0x00, 0x10, 0x18, 0x1C, 0x1E, 0xFF},  // 2: lower-left triangle
    // #####  #####  #####  #####  #####  #####  #####  #####
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 3: full block
    // #####  #####  #####  #####  .####  .####  ..###  ....#
    {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x07, 0x01},  // 4: full, bottom-left rounded
    // #####  #####  #####  #####  ####.  ####.  ###..  #....
    {0xFF, 0xFF, 0xFF, 0xFF, 0x1E, 0x1E, 0x1C, 0x10},  // 5: full, bottom-right rounded
    // #####  .####  ..###  ...##  ....#  .....  .....  .....
    {0xFF, 0x0F, 0x07, 0x03, 0x01, 0x00, 0x00, 0x00},  // 6: upper-right triangle
    // .....  .....  .....  .....  #####  #####  #####  #####
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},  // 7: lower half (unused by letters)
}};

namespace {

// The letters as they look: one letter a line, its four rows left to right
// (top row first), five cells a row; a digit is a glyph of font_glyph_set,
// a point a blank. Glyph 2 over glyph 6 in one column makes the slanted bar
// of A, B, E and F.
// clang-format off
constexpr char big_font_picture[] =
    "03331" "3.2.3" "3.6.3" "3...3"  // A
    "33331" "3.2.5" "3.6.1" "33335"  // B
    "03331" "3...6" "3...2" "43335"  // C
    "33331" "3...3" "3...3" "33335"  // D
    "03331" "3.2.." "3.6.." "43335"  // E
    "03331" "3.2.." "3.6.." "3...."  // F
    "03331" "3...6" "3..63" "43335"  // G
    "3...3" "3...3" "33333" "3...3"  // H
    "3...." "3...." "3...." "3...."  // I (one cell wide)
    "....3" "....3" "2...3" "43335"  // J
    "3...3" "3..25" "3..61" "3...3"  // K
    "3...." "3...." "3...." "33333"  // L
    "01.01" "34353" "3...3" "3...3"  // M
    "3.2.3" "3.6.3" "3...3" "3...3"  // N
    "03331" "3...3" "3...3" "43335"  // O
    "03331" "3...3" "33335" "3...."  // P
    "03331" "3...3" "3..63" "43336"  // Q
    "33331" "3..25" "3..62" "3...3"  // R
    "03331" "42..6" "2..61" "43335"  // S
    "33333" "..3.." "..3.." "..3.."  // T
    "3...3" "3...3" "3...3" "43335"  // U
    "3...3" "3...3" "41.05" ".435."  // V
    "3...3" "3...3" "30313" "45.45"  // W
    "3...3" "4...5" "03331" "3...3"  // X
    "3...3" "3...3" "43335" "..3.."  // Y
    "33333" "...33" "333.." "33333"; // Z
// clang-format on

constexpr char big_font_blank_mark = '.';
constexpr char big_font_highest_glyph = '6';  // glyph 7 is not part of any letter

static_assert(sizeof big_font_picture - 1 == big_font_cells, "26 letters of 4 rows of 5 cells");

constexpr bool big_font_picture_is_well_formed() {
    for (int i = 0; i < big_font_cells; ++i) {
        const char c = big_font_picture[i];
        if (c != big_font_blank_mark && (c < '0' || c > big_font_highest_glyph)) return false;
    }
    return true;
}
static_assert(big_font_picture_is_well_formed(), "only points and glyphs 0 to 6");

constexpr std::array<uint8_t, big_font_cells> big_font_from_picture() {
    std::array<uint8_t, big_font_cells> cells{};
    for (int i = 0; i < big_font_cells; ++i) {
        const char c = big_font_picture[i];
        cells[static_cast<size_t>(i)] =
            c == big_font_blank_mark ? blank_code : static_cast<uint8_t>(c - '0');
    }
    return cells;
}

}  // namespace

// Built while compiling, so it is complete before any code runs.
constinit const std::array<uint8_t, big_font_cells> big_font = big_font_from_picture();
