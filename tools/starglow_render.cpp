// starglow-render: the show on a virtual clock, to exact bytes, a per-turn
// log, pictures and a video.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>

#include "cli/interrupt_cleanup.h"
#include "render/render_show.h"

int main(int argc, char** argv) {
    RenderOptions options;
    bool quiet = false;
    CLI::App app{
        "Renders the starglow show on a virtual clock. By default every byte on the link takes "
        "10/57600 s, as on the real display, so the same options always give the same bytes. "
        "Every output is written under a temporary name and appears only when complete; Ctrl-C "
        "removes what was begun.",
        render_program_name};
    app.add_option("--step", options.step_ms,
                   "give turn k the clock k*MS instead of pacing by the link's bytes")
        ->option_text("MS")
        ->check(CLI::Range(1, 1000000));
    auto* silent =
        app.add_flag("--silent", options.silent, "render without music: the spectrum reads zero");
    app.add_option("--music", options.music_path,
                   "the music file; it must be exactly 203154 ms long (the build makes "
                   "build/starglow.mp3)")
        ->option_text("FILE")
        ->excludes(silent)
        ->capture_default_str();
    CLI::Option_group* outputs = app.add_option_group("outputs", "what to write (at least one)");
    outputs->add_option("--wire", options.wire_path, "the exact bytes sent to the display after t0")
        ->option_text("FILE");
    outputs
        ->add_option("--turns", options.turns_path,
                     "one JSON object per turn: turn, clock_ms, position_ms, row, t, screen, "
                     "glyphs, left, right")
        ->option_text("FILE");
    outputs
        ->add_option("--png", options.png_dir,
                     "one PNG per turn (turn_000000.png, ...) in this folder")
        ->option_text("DIR");
    outputs
        ->add_option("--gif", options.gif_path, "an animated GIF at the true timing of the frames")
        ->option_text("FILE");
    outputs
        ->add_option("--video", options.video_path,
                     "an MP4 video with the music, as long as the music (needs the ffmpeg "
                     "command)")
        ->option_text("FILE");
    outputs
        ->add_option("--sheet", options.sheet_path,
                     "a contact sheet: a frame from the middle of each scene window")
        ->option_text("FILE");
    app.add_option("--png-every", options.png_every, "with --png: only every Nth turn")
        ->option_text("N")
        ->check(CLI::Range(1, 1000000));
    app.add_option("--fps", options.video_fps, "frames a second of the video")
        ->check(CLI::IsMember({30, 60}))
        ->capture_default_str();
    app.add_option("--size", options.video_size,
                   "frame size of the video: native (738x234, the display alone), 720p "
                   "(1280x720) or 1080p (1920x1080), the display scaled by whole pixels and "
                   "centred on a dark background")
        ->check(CLI::IsMember({"native", "720p", "1080p"}))
        ->capture_default_str();
    app.add_option("--palette", options.palette,
                   "colours of the pictures: blue, green, white, amber")
        ->capture_default_str();
    app.add_option("--scale", options.scale, "pixels per LCD dot in PNGs and the GIF")
        ->check(CLI::Range(1, 8))
        ->capture_default_str();
    app.add_flag("--quiet", quiet,
                 "no progress bar (there is none either when standard error is not a terminal)");
    CLI11_PARSE(app, argc, argv);
    const bool any_output = !options.wire_path.empty() || !options.turns_path.empty() ||
                            !options.png_dir.empty() || !options.gif_path.empty() ||
                            !options.video_path.empty() || !options.sheet_path.empty();
    if (!any_output) {
        std::fprintf(stderr,
                     "%s: nothing to write: name at least one output (--wire, --turns, --png, "
                     "--gif, --video or --sheet; see --help)\n",
                     render_program_name);
        return 1;
    }
    options.progress = !quiet && isatty(STDERR_FILENO);
    // A video encoder that gives up must not kill the render with a signal:
    // the failed write says so instead.
    std::signal(SIGPIPE, SIG_IGN);
    interrupt_cleanup_install(render_program_name);
    return render_show(options);
}
