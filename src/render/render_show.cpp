#include "render/render_show.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/music_player.h"
#include "audio/offline_music.h"
#include "cli/progress_bar.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "random/show_random.h"
#include "render/output_file.h"
#include "render/picture_outputs.h"
#include "render/turn_recorder.h"
#include "render/virtual_clock.h"

namespace {

// Everything one render holds while the loop runs; the sink and the clock
// reach it as the show's own routines reach theirs.
struct RenderState {
    const RenderOptions* options;
    OutputFile wire;
    OutputFile turns;
    TurnRecorder recorder;
    ProgressBar progress;
};

RenderState render;

uint32_t render_sink_write(void*, const uint8_t* bytes, uint32_t count) {
    pictures_bytes(bytes, count, virtual_clock.bytes_sent, virtual_clock.step_ms == 0,
                   static_cast<uint32_t>(loop_state.clock_ms));
    count_link_bytes(count);
    if (render.wire.file != nullptr) std::fwrite(bytes, 1, count, render.wire.file);
    if (turn_recorder_write(&render.recorder, bytes, count)) {
        // A frame ends the turn: everything about it is known now.
        const TurnRecord& r = render.recorder.record;
        if (render.turns.file != nullptr) write_turn_json(render.turns.file, r);
        pictures_turn_done(r);
        progress_bar_report(render.progress, "rendering", r.clock_ms, show_end_position_ms);
    }
    return count;
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

    // The music layer's lines are ours while it renders.
    music_program_name = render_program_name;
    // The music first: a file that cannot be loaded ends the run before any
    // output exists.
    if (!options.silent && access(options.music_path.c_str(), R_OK) != 0) {
        const int why = errno;
        std::fprintf(stderr, "%s: cannot read %s: %s\n", render_program_name,
                     options.music_path.c_str(), std::strerror(why));
        std::fprintf(stderr, "%s: %s\n", render_program_name,
                     options.music_path == music_file_name
                         ? "give the music with --music build/starglow.mp3 (the build makes it), "
                           "or render without it with --silent"
                         : "give another file with --music, or render without music with --silent");
        return 1;
    }
    use_offline_music();
    if (options.silent) use_offline_silence(music_length_ms);
    music_path = options.music_path.c_str();
    start_music();
    if (music_player.length_ms != music_length_ms) {
        std::fprintf(
            stderr,
            "%s: %s is %u ms long; the show needs exactly %u ms and renders nothing with any "
            "other length\n",
            render_program_name, options.music_path.c_str(), music_player.length_ms,
            music_length_ms);
        stop_music();
        return 1;
    }

    std::string error;
    if (!open_named(render.wire, options.wire_path, error) ||
        !open_named(render.turns, options.turns_path, error) || !pictures_open(options, error)) {
        std::fprintf(stderr, "%s: %s\n", render_program_name, error.c_str());
        render_abandon();
        stop_music();
        return 1;
    }

    // Each render in one process gets the random sequence that a fresh
    // starglow has.
    show_rand_restart();
    progress_bar_start(render.progress, options.progress ? stderr : nullptr, "ms of show");
    reset_virtual_clock(options.step_ms);
    reset_turn_recorder(&render.recorder);
    attach_display_sink(render_sink_write, nullptr);
    loop_state.clock = virtual_show_clock;
    loop_state.console = nullptr;
    prepare_screen();
    build_timeline(show_timeline);
    mark_t0();
    run_frame_loop();
    progress_bar_finish(render.progress);
    stop_music();

    if (!pictures_finish(error) || !commit_named(render.wire, error) ||
        !commit_named(render.turns, error)) {
        std::fprintf(stderr, "%s: %s\n", render_program_name, error.c_str());
        render_abandon();
        return 1;
    }
    return 0;
}
