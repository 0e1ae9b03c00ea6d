// Playback through Web Audio (the page's audio_output.js does the playing).
#include "platform/web/page_audio.h"

#include <emscripten.h>

#include <cmath>
#include <cstdio>

#include "audio/music_backend.h"
#include "platform/web/page_line.h"

namespace {

struct PageAudio {
    bool available;
    const DecodedMusic* music;  // null when stopped
    double play_ms;             // the line's time when playback was asked for
    double heard_start_ms;
    uint64_t last_frame;  // positions never go back
};

PageAudio page_audio = {false, nullptr, 0, 0, 0};

double audio_line_ms() {
    return static_cast<double>(page_line.now) / line_ticks_per_ms;
}

// The page's script: start the music so that it begins at `ms` on the wall
// clock (returns 0 when it cannot), and stop it at `ms`.
EM_JS(int, audio_js_play, (double ms),
      { return Module.page_audio_play ? Module.page_audio_play(ms) : 0; });
EM_JS(void, audio_js_stop, (double ms), {
    if (Module.page_audio_stop) Module.page_audio_stop(ms);
});

MusicResult audio_open(void** output, char* detail, size_t size) {
    if (!page_audio.available) {
        std::snprintf(detail, size, "the browser gave the page no audio output");
        return music_err_output;
    }
    *output = &page_audio;
    return music_ok;
}

MusicResult audio_play(void*, const DecodedMusic* music, char* detail, size_t size) {
    page_audio.music = music;
    page_audio.play_ms = audio_line_ms();
    page_audio.heard_start_ms = page_audio.play_ms;
    page_audio.last_frame = 0;
    if (!audio_js_play(page_audio.play_ms)) {
        page_audio.music = nullptr;
        std::snprintf(detail, size, "the browser would not play the music");
        return music_err_output;
    }
    return music_ok;
}

PlayPoint audio_play_point(void*) {
    PageAudio& a = page_audio;
    if (a.music == nullptr) return {0, 0};
    const DecodedMusic& music = *a.music;
    const double since_ms = audio_line_ms() - a.heard_start_ms;
    const double frames = std::floor(since_ms * music.rate / 1000.0);
    uint64_t frame = frames <= 0 ? 0 : static_cast<uint64_t>(frames);
    if (frame > music.frames) frame = music.frames;
    if (frame < a.last_frame) frame = a.last_frame;
    a.last_frame = frame;
    uint32_t position_ms = ms_at_frame(music, frame);
    if (position_ms > music.length_ms) position_ms = music.length_ms;
    return {position_ms, frame};
}

void audio_stop(void*) {
    if (page_audio.music == nullptr) return;
    audio_js_stop(audio_line_ms());
    page_audio.music = nullptr;
}

void audio_close(void* output) {
    audio_stop(output);
}

}  // namespace

// The platform's sound device, as the music layer names it.
const MusicBackend device_backend = {"web audio",      audio_open, audio_play,
                                     audio_play_point, audio_stop, audio_close};

void page_audio_set_available(bool available) {
    page_audio.available = available;
}

void page_audio_heard_start(double ms) {
    page_audio.heard_start_ms = ms;
}
