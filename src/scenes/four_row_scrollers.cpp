#include "scenes/four_row_scrollers.h"

namespace {

// The character of `row`'s text at index s + column, held to the text.
uint8_t four_row_scrollers_char(const RowScroll& row, int64_t s, int column) {
    int64_t index = s + column;
    if (index < 0) index = 0;
    if (index > row.last_index) index = row.last_index;
    return static_cast<uint8_t>(row.text[index]);
}

}  // namespace

void four_row_scrollers_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    for (int r = 0; r < screen_rows; ++r) {
        const RowScroll& row = four_row_scrollers_rows[r];
        // Truncates toward zero, also before the row sets off: the first
        // ms_per_char - 1 ms before delay_ms still give s = 0. Wide, so that
        // no t can overflow the subtraction.
        const int64_t s = (int64_t{t} - row.delay_ms) / row.ms_per_char;
        for (int k = 0; k < screen_columns; ++k) {
            screen.cells[cell_index(r, k)] = four_row_scrollers_char(row, s, k);
        }
    }
}

// ------------------------------------------------------------------------
// Tables

namespace {

constexpr int four_row_scrollers_lead_blanks = screen_columns;

// clang-format off
constexpr char four_row_scrollers_text_0[] =
    "                    "  // a screen-width of blanks
    "Hello, and welcome to the slow lane of the show. Sit back, relax, and let these "
    "letters stroll past at their own leisurely pace. We could have made them quicker, "
    "but then you would have missed this sentence, and we worked rather hard on it. "
    "Thank you for watching so kindly!"
    " ";  // the final blank

constexpr char four_row_scrollers_text_1[] =
    "                    "
    "Yes, you with the coffee: this line is for you. Four rows of twenty characters may "
    "not sound like much, but in here they feel like a whole cinema. Every letter you "
    "read has travelled a serial cable at fifty-seven thousand six hundred baud just to "
    "say hello, so please wave back at it every now and then."
    " ";

constexpr char four_row_scrollers_text_2[] =
    "                    "
    "If you are trying to read all four lines at once, we admire your ambition and "
    "apologise to your eyes. Pick a favourite row and follow it; the other three will "
    "wait politely and never tell. They are made of the very same dots as the rest of "
    "this show, only arranged with a little more care."
    " ";

constexpr char four_row_scrollers_text_3[] =
    "                    "
    "Down here on the bottom line it is quiet and cosy, so let us share a little "
    "secret: the music you hear was composed just for you, and the display has been "
    "practising its blinking for weeks. If anything looks wrong, it was intentional "
    "art. If it looks right, it was skill. Enjoy the cube!"
    " ";
// clang-format on

// Printable ASCII of the given length: the lead blanks, prose that starts
// with a visible character and ends with its final punctuation, one blank.
template <int N>
constexpr bool four_row_scrollers_well_shaped(const char (&text)[N], int length) {
    if (N - 1 != length || text[N - 1] != '\0') return false;
    for (int i = 0; i < length; ++i) {
        if (text[i] < ' ' || text[i] > '~') return false;
        // Common character ROMs put other symbols at these two codes.
        if (text[i] == '\\' || text[i] == '~') return false;
        if (i < four_row_scrollers_lead_blanks && text[i] != ' ') return false;
    }
    const char last_mark = text[length - 2];
    return text[four_row_scrollers_lead_blanks] != ' ' && text[length - 1] == ' ' &&
           (last_mark == '.' || last_mark == '!' || last_mark == '?');
}

static_assert(four_row_scrollers_well_shaped(four_row_scrollers_text_0, 295));
static_assert(four_row_scrollers_well_shaped(four_row_scrollers_text_1, 324));
static_assert(four_row_scrollers_well_shaped(four_row_scrollers_text_2, 310));
static_assert(four_row_scrollers_well_shaped(four_row_scrollers_text_3, 308));

}  // namespace

// The final blank is the last character before the terminating zero.
// clang-format off
constexpr RowScroll four_row_scrollers_rows[screen_rows] = {
    // text                     delay_ms  ms_per_char  last_index
    {four_row_scrollers_text_0,        0,         100,  sizeof four_row_scrollers_text_0 - 2},
    {four_row_scrollers_text_1,     5500,          80,  sizeof four_row_scrollers_text_1 - 2},
    {four_row_scrollers_text_2,     5700,          70,  sizeof four_row_scrollers_text_2 - 2},
    {four_row_scrollers_text_3,     2000,          90,  sizeof four_row_scrollers_text_3 - 2},
};
// clang-format on

static_assert(four_row_scrollers_rows[0].last_index == 294);
static_assert(four_row_scrollers_rows[1].last_index == 323);
static_assert(four_row_scrollers_rows[2].last_index == 309);
static_assert(four_row_scrollers_rows[3].last_index == 307);
static_assert(four_row_scrollers_rows[0].ms_per_char > 0 &&
              four_row_scrollers_rows[1].ms_per_char > 0 &&
              four_row_scrollers_rows[2].ms_per_char > 0 &&
              four_row_scrollers_rows[3].ms_per_char > 0);
