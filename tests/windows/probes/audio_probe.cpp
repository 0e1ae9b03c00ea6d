// audio_probe: the Windows music layer's own pieces driven alone, each
// result printed, for the tests under Wine.
//
//   audio_probe decode FILE        decode FILE (libmpg123, as the show does):
//                                  rate, channels, frames, length, a digest
//   audio_probe play FILE SECONDS  open the sound device (waveOut), play FILE
//                                  from its start and print, four times a
//                                  second, the position the device reports
//                                  beside the clock; exit 1 when no device
//                                  opens, with its reason
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <windows.h>

#include "audio/mp3_decoder.h"
#include "audio/music_backend.h"
#include "platform/clock.h"

namespace {

constexpr size_t probe_detail_bytes = 256;
constexpr uint32_t probe_report_ms = 250;
constexpr uint64_t probe_fnv_offset = 14695981039346656037ull;
constexpr uint64_t probe_fnv_prime = 1099511628211ull;

// FNV-1a over the samples' bytes, little-endian as stored.
uint64_t probe_digest(const DecodedMusic& music) {
    uint64_t hash = probe_fnv_offset;
    const auto* bytes = reinterpret_cast<const unsigned char*>(music.samples);
    const uint64_t count = music.frames * static_cast<uint64_t>(music.channels) * sizeof(int16_t);
    for (uint64_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * probe_fnv_prime;
    return hash;
}

bool probe_decode(const char* path, DecodedMusic* music) {
    char detail[probe_detail_bytes] = "";
    const MusicResult result = decode_mp3(path, music, detail, sizeof detail);
    if (result != music_ok) {
        std::printf("decode failed: result %d: %s\n", static_cast<int>(result), detail);
        return false;
    }
    std::printf("rate %d channels %d frames %llu length_ms %u digest %016llx\n", music->rate,
                music->channels, static_cast<unsigned long long>(music->frames), music->length_ms,
                static_cast<unsigned long long>(probe_digest(*music)));
    return true;
}

int probe_play(const char* path, uint32_t seconds) {
    DecodedMusic music{};
    if (!probe_decode(path, &music)) return 2;
    char detail[probe_detail_bytes] = "";
    void* output = nullptr;
    MusicResult result = device_backend.open(&output, detail, sizeof detail);
    std::printf("open: result %d: %s\n", static_cast<int>(result), detail);
    if (result != music_ok) return 1;
    result = device_backend.play(output, &music, detail, sizeof detail);
    std::printf("play: result %d: %s\n", static_cast<int>(result), detail);
    if (result != music_ok) return 1;
    std::fflush(stdout);
    const uint32_t start = monotonic_ms();
    for (uint32_t reported = 0; reported <= seconds * 1000; reported += probe_report_ms) {
        while (monotonic_ms() - start < reported) Sleep(1);
        const PlayPoint point = device_backend.play_point(output);
        std::printf("clock_ms %u position_ms %u\n", monotonic_ms() - start, point.position_ms);
        std::fflush(stdout);
    }
    device_backend.close(output);
    free_decoded_music(&music);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 3 && std::strcmp(argv[1], "decode") == 0) {
        DecodedMusic music{};
        if (!probe_decode(argv[2], &music)) return 1;
        free_decoded_music(&music);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "play") == 0)
        return probe_play(argv[2], static_cast<uint32_t>(std::atol(argv[3])));
    std::fprintf(stderr, "usage: audio_probe decode FILE | audio_probe play FILE SECONDS\n");
    return 2;
}
