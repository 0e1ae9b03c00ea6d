// libFuzzer target for the display model and what draws it. The first
// input byte picks a chunk size; the rest is fed in chunks of that size and,
// to a second model, byte by byte: both must end alike, and drawing the
// result (dots, colours, terminal frame, screen text) must stay in bounds.
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//   -DSTARGLOW_FUZZ=ON cmake --build build-fuzz --target lcd_model_fuzz -j2
//   build-fuzz/bin/lcd_model_fuzz -max_total_time=60 tests/display_model/fuzz/corpus
#include <cstdint>
#include <cstdlib>

#include "display_model/picture.h"
#include "lcdemu/stats.h"
#include "lcdemu/term_frame.h"
#include "support/model_support.h"

namespace {

TermFrame fuzz_frame;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = 1 + data[0] % 97;
    ++data;
    --size;
    static LcdModel chunked, single;
    lcd_model_init(&chunked);
    lcd_model_init(&single);
    uint8_t replies[lcd_reply_capacity_bytes];
    for (size_t at = 0; at < size; at += chunk) {
        const size_t n = size - at < chunk ? size - at : chunk;
        lcd_model_feed(&chunked, data + at, n);
        for (size_t i = at; i < at + n; ++i) lcd_model_feed(&single, data + i, 1);
        lcd_model_take_replies(&chunked, replies, sizeof replies);
        lcd_model_take_replies(&single, replies, sizeof replies);
    }
    if (model_state(chunked) != model_state(single)) std::abort();

    uint8_t dots[picture_dot_count];
    picture_dots(chunked, true, dots);
    Rgb colours[picture_dot_kinds];
    picture_colours(chunked, picture_palettes[chunk % picture_palette_count], colours);
    char rows[screen_rows][stats_row_bytes];
    stats_screen_text(chunked, rows);
    const char* const status[term_status_lines] = {rows[0], rows[1]};
    term_frame_init(&fuzz_frame);
    term_frame_build(&fuzz_frame, chunked, picture_palettes[0], true, chunk % 2 == 0, 140, 40,
                     status);
    term_frame_build(&fuzz_frame, single, picture_palettes[0], false, chunk % 2 == 0, 140, 40,
                     status);
    return 0;
}
