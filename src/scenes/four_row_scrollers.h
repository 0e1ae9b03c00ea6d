// Timeline row 9: four lines of running text in the display's own
// characters, one per display row, each setting off at its own time and
// moving left at its own pace, so that the rows drift against each other.
#pragma once

#include <cstdint>

#include "display/screen.h"

// One display row's text and its timing. A text is printable ASCII: a
// screen-width of blanks (it enters at the right edge), the prose, and one
// blank after the final punctuation, which fills the row once the prose
// has passed. Index 0 and last_index both hold blanks, so a row is blank
// before its text arrives and after it has gone.
struct RowScroll {
    const char* text;
    int32_t delay_ms;     // when the row sets off, from the scene's start
    int32_t ms_per_char;  // one character to the left this often
    int32_t last_index;   // the final blank: the text's length minus one
};

extern const RowScroll four_row_scrollers_rows[screen_rows];

// Shows, in each column k of row r, the character s + k of that row's text
// (s = (t - delay_ms) / ms_per_char, truncated toward zero), held to the
// text's first and last index. Sends nothing and uses no wipe.
void four_row_scrollers_update(int32_t t, Screen& screen);
