#include "compose/compose_cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cli/interrupt_cleanup.h"
#include "cli/progress_bar.h"
#include "compose/bar_analysis.h"
#include "compose/loudness.h"
#include "compose/mp3_encoder.h"
#include "compose/score.h"
#include "compose/track.h"

namespace {

constexpr const char* compose_name = "starglow-compose";
constexpr int compose_failed = 1;

// The stretches of the music under the spectrum bars, and how they are sampled.
struct BarWindow {
    const char* name;
    int32_t from_ms;
    int32_t to_ms;
};
constexpr BarWindow compose_bar_windows[] = {
    {"opening", 0, 22000},
    {"closing", 193500, score_show_end_ms},
};
constexpr int32_t compose_bar_step_ms = 20;

constexpr double compose_loudness_target_lufs = -14.0;
constexpr double compose_loudness_tolerance_lu = 1.0;
constexpr double compose_peak_limit_dbfs = -1.0;

struct Options {
    std::string out = "starglow.mp3";
    int64_t length_ms = score_length_ms;
    bool silence = false;
    bool analyse = false;
    bool quiet = false;
    bool out_given = false;
};

// A name like "--quiet" after --out is far likelier a slip than a file.
std::string compose_not_an_option(const std::string& name) {
    if (!name.empty() && name[0] == '-')
        return "a file name that begins with '-' looks like an option (write ./" + name +
               " if it is a file)";
    return {};
}

std::string compose_length_check(const std::string& text) {
    const bool digits = !text.empty() && text.size() <= 9 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoll(text) > track_longest_ms)
        return "expects a whole number of milliseconds from 0 to " +
               std::to_string(track_longest_ms) + ", not '" + text + "'";
    return {};
}

void compose_progress(void* context, const char* stage, int64_t done, int64_t total) {
    progress_bar_report(*static_cast<ProgressBar*>(context), stage, done, total);
}

void compose_encode_progress(void* context, size_t done, size_t total) {
    progress_bar_report(*static_cast<ProgressBar*>(context), "encoding", static_cast<int64_t>(done),
                        static_cast<int64_t>(total));
}

// Refuses early, before the work, what the encoder would refuse at the end.
bool compose_output_writable(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "%s: cannot write %s: it is a directory\n", compose_name,
                     path.c_str());
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string directory =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (access(directory.c_str(), W_OK) != 0) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", compose_name, path.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

bool compose_report_bars(const BarWindow& window, const int16_t* pcm, size_t frames) {
    const BarFigures f =
        analyse_bars(pcm, frames, window.from_ms, window.to_ms, compose_bar_step_ms);
    std::printf("spectrum bars, %s, %d..%d ms, every %d ms (%d positions, %d whole seconds)\n",
                window.name, window.from_ms, window.to_ms, compose_bar_step_ms, f.positions,
                f.seconds);
    std::printf("  column        ");
    for (int k = 0; k < bar_columns; ++k) std::printf("%4d", k);
    std::printf("\n  median rows   ");
    for (int k = 0; k < bar_columns; ++k) std::printf("%4d", f.median_rows[k]);
    std::printf("\n  moving seconds");
    for (int k = 0; k < bar_columns; ++k) std::printf("%4d", f.moving_seconds[k]);
    const bool pass = bar_figures_pass(f);
    std::printf(
        "\n  %s: every median %d..%d rows, every bar moving %d rows or more in 3 of 4 "
        "seconds\n",
        pass ? "pass" : "FAIL", bar_median_lowest_rows, bar_median_highest_rows, bar_movement_rows);
    return pass;
}

// Prints the figures; false if one misses its target.
bool compose_analyse(const Options& options, const int16_t* pcm, size_t frames) {
    bool pass = true;
    for (const BarWindow& window : compose_bar_windows) {
        if (score_frame_at(window.to_ms) > static_cast<int64_t>(frames)) {
            std::printf("spectrum bars, %s: beyond the length, not analysed\n", window.name);
            continue;
        }
        pass = compose_report_bars(window, pcm, frames) && pass;
    }
    std::printf("loudness of each section (LUFS):\n");
    for (int s = 0; s < score_window_count; ++s) {
        const int64_t from = score_frame_at(score_section_start_ms(s));
        const int64_t to = s + 1 < score_window_count
                               ? score_frame_at(score_section_start_ms(s + 1))
                               : score_frame_at(score_show_end_ms);
        if (to > static_cast<int64_t>(frames)) break;
        std::printf("  %6d ms  %-20s %7.2f\n", score_section_start_ms(s), score_section_name(s),
                    integrated_loudness_lufs(pcm + from * 2, static_cast<size_t>(to - from), 2,
                                             synth_rate_hz));
    }
    const double peak = sample_peak_dbfs(pcm, frames * 2);
    const bool peak_ok = !(peak > compose_peak_limit_dbfs);
    std::printf("peak %.2f dBFS (%s: at most %.1f)\n", peak, peak_ok ? "pass" : "FAIL",
                compose_peak_limit_dbfs);
    pass = pass && peak_ok;

    const double loudness = integrated_loudness_lufs(pcm, frames, 2, synth_rate_hz);
    if (options.length_ms >= score_length_ms && !options.silence) {
        const bool loud_ok =
            std::fabs(loudness - compose_loudness_target_lufs) <= compose_loudness_tolerance_lu;
        std::printf("integrated loudness %.2f LUFS (%s: %.0f +- %.0f)\n", loudness,
                    loud_ok ? "pass" : "FAIL", compose_loudness_target_lufs,
                    compose_loudness_tolerance_lu);
        pass = pass && loud_ok;
    } else {
        std::printf("integrated loudness %.2f LUFS (of a part only, not judged)\n", loudness);
    }
    return pass;
}

// Composes (unless silent), analyses if asked, writes if asked; the exit
// status.
int compose_run(const Options& options, bool writing) {
    ProgressBar bar;
    progress_bar_start(bar, options.quiet || !isatty(STDERR_FILENO) ? nullptr : stderr, "frames");

    const int64_t frames = track_frames_for_ms(options.length_ms);
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2, 0);
    if (!options.silence)
        compose_track(pcm.data(), static_cast<int32_t>(frames), compose_progress, &bar);

    bool pass = true;
    if (options.analyse) {
        progress_bar_finish(bar);
        pass = compose_analyse(options, pcm.data(), static_cast<size_t>(frames));
        std::fflush(stdout);
    }
    if (writing) {
        char error[512];
        const bool written =
            encode_mp3(options.out.c_str(), pcm.data(), static_cast<size_t>(frames),
                       mp3_show_settings, compose_encode_progress, &bar, error, sizeof error);
        progress_bar_finish(bar);
        if (!written) {
            std::fprintf(stderr, "%s: cannot write %s\n", compose_name, error);
            return compose_failed;
        }
    }
    progress_bar_finish(bar);
    return pass ? 0 : compose_failed;
}

}  // namespace

int compose_main(int argc, char** argv) {
    Options options;
    CLI::App app{
        "Synthesises the show's music and writes it as an MP3 whose length a gapless "
        "decoder reads exactly (44100 Hz stereo).",
        compose_name};
    CLI::Option* out =
        app.add_option("--out", options.out, "the MP3 file to write (default starglow.mp3)")
            ->type_name("FILE")
            ->check(CLI::Validator(compose_not_an_option, "", "not an option"));
    app.add_option("--length", options.length_ms,
                   "length in milliseconds, as frames * 1000 / 44100 truncated (default " +
                       std::to_string(score_length_ms) +
                       "); a shorter length plays the start of the music, a longer one ends "
                       "in silence")
        ->type_name("MS")
        ->check(CLI::Validator(compose_length_check, "0.." + std::to_string(track_longest_ms),
                               "whole milliseconds"));
    app.add_flag("--silence", options.silence, "write digital silence of that length instead");
    app.add_flag("--analyse", options.analyse,
                 "print how the music moves the show's spectrum bars, its peak and its loudness; "
                 "exit 1 if one misses its target. Writes a file only if --out is given");
    app.add_flag("--quiet", options.quiet,
                 "no progress bar (there is none either when standard error is not a terminal)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    options.out_given = out->count() > 0;
    interrupt_cleanup_install(compose_name);
    const bool writing = !options.analyse || options.out_given;
    if (writing && !compose_output_writable(options.out)) return compose_failed;
    try {
        return compose_run(options, writing);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "\n%s: not enough memory for %lld ms of music\n", compose_name,
                     static_cast<long long>(options.length_ms));
        return compose_failed;
    }
}
