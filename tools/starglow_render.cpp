// starglow-render: the show on a virtual clock, to exact bytes, a per-turn
// log, pictures and a video.
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "render/render_show.h"

int main(int argc, char** argv) {
    RenderOptions options;
    bool quiet = false;
    CLI::App app{
        "Renders the starglow show on a virtual clock: by default every byte on the link takes "
        "10/57600 s, "
        "as on the real display, so the same options always give the same bytes."};
    app.add_option("--step", options.step_ms,
                   "give turn k the clock k*MS instead of pacing by the link's bytes")
        ->check(CLI::Range(1, 1000000));
    auto* silent =
        app.add_flag("--silent", options.silent, "render without music: the spectrum reads zero");
    app.add_option("--music", options.music_path, "the music file (exactly 203154 ms)")
        ->excludes(silent)
        ->capture_default_str();
    app.add_option("--wire", options.wire_path,
                   "write the exact bytes sent to the display after t0");
    app.add_option("--turns", options.turns_path, "write one JSON object per turn (JSON lines)");
    app.add_flag("--quiet", quiet, "no progress bar");
    CLI11_PARSE(app, argc, argv);
    options.progress = !quiet && isatty(STDERR_FILENO);
    return render_show(options);
}
