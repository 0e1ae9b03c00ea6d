#include "platform/web/page_music.h"

#include <cstdio>
#include <cstdlib>

#include "audio/mp3_decoder.h"
#include "audio/music_player.h"

namespace {

constexpr int page_silence_rate = 44100;
constexpr int page_silence_channels = 2;
constexpr size_t page_failure_bytes = 256;

enum class PageMusicState { none, samples, silence, failed };

struct PageMusic {
    PageMusicState state;
    DecodedMusic music;
    int16_t* handed_over;  // the samples the show holds
    MusicResult failure;
    char why[page_failure_bytes];
};

PageMusic page_music = {PageMusicState::none, {}, nullptr, music_ok, ""};

void page_music_forget() {
    if (page_music.state == PageMusicState::samples) free_decoded_music(&page_music.music);
    page_music.state = PageMusicState::none;
}

}  // namespace

int16_t* page_music_prepare(uint64_t frames, int channels, int rate) {
    page_music_forget();
    if (frames == 0 || (channels != 1 && channels != 2) || rate <= 0) return nullptr;
    void* samples = std::calloc(frames * static_cast<uint64_t>(channels), sizeof(int16_t));
    if (samples == nullptr) return nullptr;
    DecodedMusic& m = page_music.music;
    m.samples = static_cast<int16_t*>(samples);
    m.frames = frames;
    m.channels = channels;
    m.rate = rate;
    m.length_ms = ms_at_frame(m, frames);
    page_music.state = PageMusicState::samples;
    return m.samples;
}

void page_music_silence() {
    page_music_forget();
    page_music.state = PageMusicState::silence;
}

void page_music_failed(MusicResult result, const char* why) {
    page_music_forget();
    page_music.state = PageMusicState::failed;
    page_music.failure = result;
    std::snprintf(page_music.why, sizeof page_music.why, "%s", why);
}

int16_t* page_music_samples() {
    return page_music.handed_over;
}

void page_music_released() {
    page_music.handed_over = nullptr;
}

// The page has decoded the track before the show starts.
void decode_mp3_ahead(const char*) {}

// The path is the show's own file name; the page decoded that file.
MusicResult decode_mp3(const char*, DecodedMusic* music, char* detail, size_t size) {
    switch (page_music.state) {
        case PageMusicState::samples:
            // The sound owns the samples from now on and frees them.
            *music = page_music.music;
            page_music.handed_over = music->samples;
            page_music.music = DecodedMusic{};
            page_music.state = PageMusicState::none;
            return music_ok;
        case PageMusicState::silence:
            // No samples stored: the spectrum reads zeros past the last frame.
            *music = {nullptr, 0, page_silence_channels, page_silence_rate, music_length_ms};
            return music_ok;
        case PageMusicState::failed:
            *music = DecodedMusic{};
            std::snprintf(detail, size, "%s", page_music.why);
            return page_music.failure;
        case PageMusicState::none:
            break;
    }
    *music = DecodedMusic{};
    std::snprintf(detail, size, "the page has not decoded the music");
    return music_err_file_not_found;
}
