// The page's entry points: what the page's script (web/*.js) calls. Plain
// C names, numbers and pointers into the module's memory; nothing here
// throws or allocates per frame.
#include <emscripten.h>

#include <cmath>

#include "audio/music_player.h"
#include "driver/frame_loop.h"
#include "driver/startup.h"
#include "platform/web/page_audio.h"
#include "platform/web/page_line.h"
#include "platform/web/page_music.h"
#include "web/page_display.h"
#include "web/page_record.h"
#include "web/page_show.h"

namespace {

char exports_banner[banner_max_bytes];

}  // namespace

extern "C" {

// The show's banner, as starglow prints it.
EMSCRIPTEN_KEEPALIVE const char* web_banner() {
    format_banner(exports_banner, sizeof exports_banner);
    return exports_banner;
}

// The display: palettes, the picture's size, its dots and colours.
EMSCRIPTEN_KEEPALIVE int web_palette_count() {
    return picture_palette_count;
}
EMSCRIPTEN_KEEPALIVE const char* web_palette_name(int palette) {
    return palette >= 0 && palette < picture_palette_count ? picture_palettes[palette].name : "";
}
EMSCRIPTEN_KEEPALIVE int web_picture_columns() {
    return picture_columns;
}
EMSCRIPTEN_KEEPALIVE int web_picture_rows() {
    return picture_rows;
}
// Feeds the model what has crossed the line by now_ms; 1 when the picture
// may have changed since it was last taken.
EMSCRIPTEN_KEEPALIVE int web_display_catch_up(double now_ms) {
    page_display_catch_up(now_ms);
    return page_display.changed ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_picture(int palette) {
    page_display_picture(palette);
    return page_display.dots;
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_picture_colours() {
    return page_display.colours;
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_display_cells() {
    return page_display.model.cells;
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_display_glyphs() {
    return &page_display.model.glyphs[0][0];
}
EMSCRIPTEN_KEEPALIVE double web_display_bytes() {
    return static_cast<double>(page_display.model.counters.bytes);
}
EMSCRIPTEN_KEEPALIVE double web_display_frames() {
    return static_cast<double>(page_display.model.counters.frames_completed);
}

// The music, as the page decoded it.
EMSCRIPTEN_KEEPALIVE int16_t* web_music_prepare(double frames, int channels, int rate) {
    if (!(frames >= 1) || frames > 1e12) return nullptr;
    return page_music_prepare(static_cast<uint64_t>(frames), channels, rate);
}
EMSCRIPTEN_KEEPALIVE void web_music_silence() {
    page_music_silence();
}
EMSCRIPTEN_KEEPALIVE void web_music_failed(int result, const char* why) {
    page_music_failed(result, why);
}
EMSCRIPTEN_KEEPALIVE int16_t* web_music_samples() {
    return page_music_samples();
}
EMSCRIPTEN_KEEPALIVE void web_audio_available(int available) {
    page_audio_set_available(available != 0);
}
EMSCRIPTEN_KEEPALIVE void web_audio_heard_start(double ms) {
    page_audio_heard_start(ms);
}

// The show.
EMSCRIPTEN_KEEPALIVE void web_show_before_play() {
    page_show_before_play();
}
EMSCRIPTEN_KEEPALIVE int web_show_start(double now_ms, int fast, int silent, int record, int port) {
    return page_show_start(now_ms, {fast != 0, silent != 0, record != 0, port != 0});
}
EMSCRIPTEN_KEEPALIVE int web_show_run(double now_ms, double budget_ms) {
    const int state = page_show_run(now_ms, budget_ms);
    if (!page_show.options.fast) page_display_catch_up(now_ms);
    return state;
}
EMSCRIPTEN_KEEPALIVE void web_show_fail() {
    page_show_fail();
}
EMSCRIPTEN_KEEPALIVE void web_show_abandon() {
    page_show_abandon();
}
EMSCRIPTEN_KEEPALIVE int web_show_state() {
    return page_show.state;
}
EMSCRIPTEN_KEEPALIVE int web_music_length_ms() {
    return static_cast<int>(music_player.length_ms);
}
EMSCRIPTEN_KEEPALIVE double web_show_next_turn_ms() {
    return page_show_next_turn_ms();
}
EMSCRIPTEN_KEEPALIVE double web_show_t0_ms() {
    return page_show.t0_ms;
}
// The console line's number: the position the last turn read.
EMSCRIPTEN_KEEPALIVE int web_show_position_ms() {
    return static_cast<int>(loop_state.position_ms);
}
EMSCRIPTEN_KEEPALIVE int web_show_clock_ms() {
    return loop_state.clock_ms;
}
EMSCRIPTEN_KEEPALIVE double web_show_turns() {
    return static_cast<double>(page_show.stats.turns);
}
EMSCRIPTEN_KEEPALIVE double web_show_turn_ms_total() {
    return page_show.stats.turn_ms_total;
}
EMSCRIPTEN_KEEPALIVE double web_show_turn_ms_most() {
    return page_show.stats.turn_ms_most;
}
EMSCRIPTEN_KEEPALIVE double web_show_stalls() {
    return static_cast<double>(page_show.stats.stalls);
}
EMSCRIPTEN_KEEPALIVE double web_line_bytes() {
    return static_cast<double>(page_line.bytes_in);
}

// The records and the real port's bytes.
EMSCRIPTEN_KEEPALIVE const uint8_t* web_wire_data() {
    return page_record.wire.data;
}
EMSCRIPTEN_KEEPALIVE double web_wire_size() {
    return static_cast<double>(page_record.wire.size);
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_turns_data() {
    return page_record.turns.data;
}
EMSCRIPTEN_KEEPALIVE double web_turns_size() {
    return static_cast<double>(page_record.turns.size);
}
EMSCRIPTEN_KEEPALIVE int web_record_complete() {
    return page_record.wire.full || page_record.turns.full ? 0 : 1;
}
EMSCRIPTEN_KEEPALIVE void web_port_take(double now_ms) {
    page_port_take(now_ms);
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_port_data() {
    return page_port_outbox.data;
}
EMSCRIPTEN_KEEPALIVE double web_port_size() {
    return static_cast<double>(page_port_outbox.size);
}
EMSCRIPTEN_KEEPALIVE void web_port_clear() {
    page_port_outbox.size = 0;
}
EMSCRIPTEN_KEEPALIVE void web_port_stop() {
    page_line.port_reading = false;
    page_port_outbox.size = 0;
}

}  // extern "C"
