// The music layer's costs: loading and decoding the whole show track, one
// poll of the frame loop (position and both spectra), and opening the
// output. The track is ./starglow.mp3 when that is the show's length,
// otherwise one made here once (a 203154 ms stereo 44.1 kHz tone mix).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "audio/mp3_decoder.h"
#include "audio/music_player.h"
#include "compose/mp3_encoder.h"

namespace {

constexpr const char* bench_made_track = "/tmp/starglow_bench_music.mp3";
constexpr int bench_rate = 44100;

bool bench_is_show_length(const char* path) {
    DecodedMusic music{};
    char detail[256];
    const bool fits = decode_mp3(path, &music, detail, sizeof detail) == music_ok &&
                      music.length_ms == music_length_ms && music.channels == 2;
    free_decoded_music(&music);
    return fits;
}

// Three tones that wander, so every frame holds real MP3 data.
void bench_make_track(const char* path) {
    const uint64_t frames = (2 * uint64_t{music_length_ms} + 1) * bench_rate / 2000;
    std::vector<int16_t> samples(frames * 2);
    for (uint64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / bench_rate;
        const double low = std::sin(2 * std::numbers::pi * (110 + 20 * std::sin(t)) * t);
        const double mid = std::sin(2 * std::numbers::pi * 880 * t) * std::sin(t * 3);
        samples[2 * i] = static_cast<int16_t>(9000 * low + 4000 * mid);
        samples[2 * i + 1] = static_cast<int16_t>(9000 * low - 4000 * mid);
    }
    char error[256];
    if (!encode_mp3(path, samples.data(), frames, {bench_rate, 2, 192, 7}, nullptr, nullptr, error,
                    sizeof error)) {
        std::fprintf(stderr, "bench: %s\n", error);
        std::exit(1);
    }
}

const char* bench_track() {
    static const char* path = [] {
        if (bench_is_show_length(music_file_name)) return music_file_name;
        if (!bench_is_show_length(bench_made_track)) bench_make_track(bench_made_track);
        return bench_made_track;
    }();
    return path;
}

long bench_status_kb(const char* field) {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kb = std::strtol(line + std::strlen(field), nullptr, 10);
    }
    std::fclose(status);
    return kb;
}

// Load and decode of the whole track through the layer; the track's size
// and the resident memory with it loaded are reported as counters.
void BM_load_and_decode(benchmark::State& state) {
    setenv("STARGLOW_AUDIO", "silent", 1);
    const char* path = bench_track();
    MusicSystem* system = nullptr;
    check_result(music_system_create(&system));
    check_result(music_system_init(system, 1, 0, nullptr));
    uint32_t length_ms = 0;
    long loaded_rss_kb = 0;
    for (auto _ : state) {
        MusicSound* sound = nullptr;
        check_result(music_system_create_sound(system, path, music_mode_show, nullptr, &sound));
        check_result(music_sound_get_length(sound, &length_ms, music_timeunit_ms));
        state.PauseTiming();
        loaded_rss_kb = bench_status_kb("VmRSS:");
        check_result(music_sound_release(sound));
        state.ResumeTiming();
    }
    check_result(music_system_release(system));
    state.counters["length_ms"] = length_ms;
    state.counters["rss_loaded_MB"] = loaded_rss_kb / 1024.0;
    state.counters["peak_rss_MB"] = bench_status_kb("VmHWM:") / 1024.0;
}
BENCHMARK(BM_load_and_decode)->Unit(benchmark::kMillisecond)->Iterations(5);

// One turn's music work in the middle of the track, on the silent back end
// (the monotonic clock, as on a machine without sound).
void BM_poll_music(benchmark::State& state) {
    setenv("STARGLOW_AUDIO", "silent", 1);
    const char* path = bench_track();
    MusicPlayer& m = music_player;
    check_result(music_system_create(&m.system));
    check_result(music_system_init(m.system, 1, 0, nullptr));
    check_result(music_system_create_sound(m.system, path, music_mode_show, nullptr, &m.sound));
    check_result(music_system_play_sound(m.system, music_any_channel, m.sound, false, &m.channel));
    usleep(50 * 1000);  // into the music, so the spectra hold sound
    uint32_t position_ms = 0;
    for (auto _ : state) {
        position_ms = poll_music();
        benchmark::DoNotOptimize(spectrum);
    }
    state.counters["position_ms"] = position_ms;
    stop_music();
}
BENCHMARK(BM_poll_music);

// Create and init (device tried first, the silent back end where none
// opens), then close and release. Standard error is muted meanwhile: each
// fallback says so in a line.
void BM_open_output(benchmark::State& state) {
    unsetenv("STARGLOW_AUDIO");
    const int saved_stderr = dup(STDERR_FILENO);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, STDERR_FILENO);
    for (auto _ : state) {
        MusicSystem* system = nullptr;
        check_result(music_system_create(&system));
        check_result(music_system_init(system, 1, 0, nullptr));
        check_result(music_system_release(system));
    }
    dup2(saved_stderr, STDERR_FILENO);
    close(null_fd);
    close(saved_stderr);
}
BENCHMARK(BM_open_output)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
