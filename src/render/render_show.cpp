#include "render/render_show.h"

#include <cstdio>
#include <cstring>

#include "audio/music_player.h"
#include "audio/offline_music.h"
#include "cli/progress_bar.h"
#include "display/commands.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "random/show_random.h"
#include "render/output_file.h"
#include "render/picture_outputs.h"
#include "render/turn_record.h"
#include "render/virtual_clock.h"

namespace {

// Everything one render holds while the loop runs; the sink and the clock
// reach it as the show's own routines reach theirs.
struct RenderState {
    const RenderOptions* options;
    OutputFile wire;
    OutputFile turns;
    TurnRecord record;
    ProgressBar progress;
};

RenderState render;

// The timeline row (1 to 13) of the scene that drew this turn; 0 before any.
int render_current_row() {
    const LoopState& s = loop_state;
    if (s.current_update == nullptr) return 0;
    for (int row = 0; row < s.scene_rows; ++row) {
        if (s.timeline[row].update == s.current_update &&
            s.timeline[row].start_ms == s.scene_start_ms)
            return row + 1;
    }
    return 0;
}

void render_glyph_written(const uint8_t* bytes) {
    TurnRecord& r = render.record;
    if (r.glyph_count == turn_record_max_glyphs) {
        ++r.glyphs_dropped;
        return;
    }
    GlyphDefinition& g = r.glyphs[r.glyph_count++];
    g.code = bytes[2];
    std::memcpy(g.rows, bytes + 3, glyph_rows);
}

// A frame ends the turn: everything about it is known now.
void render_frame_written(const uint8_t* packet) {
    TurnRecord& r = render.record;
    for (int row = 0; row < screen_rows; ++row) {
        std::memcpy(r.screen.cells + cell_index(row, 0),
                    packet + row * frame_row_bytes + cursor_to_bytes, screen_columns);
    }
    r.row = render_current_row();
    r.t = static_cast<int32_t>(r.clock_ms - static_cast<uint32_t>(loop_state.scene_start_ms));
    std::memcpy(r.left, spectrum.left, sizeof r.left);
    std::memcpy(r.right, spectrum.right, sizeof r.right);
    if (render.turns.file != nullptr) write_turn_json(render.turns.file, r);
    pictures_turn_done(r);
    progress_bar_report(render.progress, "rendering", r.clock_ms, show_end_position_ms);
}

uint32_t render_sink_write(void*, const uint8_t* bytes, uint32_t count) {
    pictures_bytes(bytes, count, virtual_clock.bytes_sent, virtual_clock.step_ms == 0,
                   render.record.clock_ms);
    count_link_bytes(count);
    if (render.wire.file != nullptr) std::fwrite(bytes, 1, count, render.wire.file);
    if (count == define_glyph_bytes && bytes[0] == cmd::prefix && bytes[1] == cmd::define_glyph) {
        render_glyph_written(bytes);
    } else if (count == frame_bytes && bytes[0] == cmd::prefix && bytes[1] == cmd::cursor_to) {
        render_frame_written(bytes);
    }
    return count;
}

// The loop reads the clock once for t0 and then once at the start of each
// turn; the music's position follows the clock exactly.
uint32_t render_clock() {
    const bool turn_starts = virtual_clock.t0_read;
    const uint32_t ms = virtual_clock_ms();
    set_offline_position_ms(ms);
    if (turn_starts) {
        TurnRecord& r = render.record;
        r.turn = virtual_clock.turns_started - 1;
        r.clock_ms = ms;
        r.position_ms = ms;
        r.glyph_count = 0;
        r.glyphs_dropped = 0;
    }
    return ms;
}

bool open_named(OutputFile& out, const std::string& path, std::string& error) {
    return path.empty() || open_output(out, path, error);
}

bool commit_named(OutputFile& out, std::string& error) {
    return out.path.empty() || commit_output(out, error);
}

void render_abandon() {
    abandon_output(render.wire);
    abandon_output(render.turns);
    pictures_abandon();
}

}  // namespace

int render_show(const RenderOptions& options) {
    render.options = &options;

    // The music first: a file that cannot be loaded ends the run before any
    // output exists.
    use_offline_music();
    if (options.silent) use_offline_silence(music_length_ms);
    music_path = options.music_path.c_str();
    start_music();
    if (music_player.length_ms != music_length_ms) {
        std::fprintf(
            stderr,
            "starglow-render: %s is %u ms long; the show needs exactly %u ms and renders nothing "
            "with any other length\n",
            options.music_path.c_str(), music_player.length_ms, music_length_ms);
        stop_music();
        return 1;
    }

    std::string error;
    if (!open_named(render.wire, options.wire_path, error) ||
        !open_named(render.turns, options.turns_path, error) || !pictures_open(options, error)) {
        std::fprintf(stderr, "starglow-render: %s\n", error.c_str());
        render_abandon();
        stop_music();
        return 1;
    }

    // Each render in one process gets the random sequence that a fresh
    // starglow has.
    show_rand_restart();
    progress_bar_start(render.progress, options.progress ? stderr : nullptr, "ms of show");
    reset_virtual_clock(options.step_ms);
    attach_display_sink(render_sink_write, nullptr);
    loop_state.clock = render_clock;
    loop_state.console = nullptr;
    prepare_screen();
    build_timeline(show_timeline);
    mark_t0();
    run_frame_loop();
    progress_bar_finish(render.progress);
    stop_music();

    if (!pictures_finish(error) || !commit_named(render.wire, error) ||
        !commit_named(render.turns, error)) {
        std::fprintf(stderr, "starglow-render: %s\n", error.c_str());
        render_abandon();
        return 1;
    }
    return 0;
}
