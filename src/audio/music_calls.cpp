// The layer's calls over the decoder, the spectrum and the back ends. One
// system plays one sound at a time on its one channel.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "audio/mp3_decoder.h"
#include "audio/music_backend.h"
#include "audio/music_test_hooks.h"
#include "audio/spectrum_analyser.h"

struct MusicSound {
    DecodedMusic music;
    MusicSystem* system;  // null once its system has been released
    MusicSound* next;     // the system's other sounds
};

struct MusicChannel {
    MusicSystem* system;
    MusicSound* sound;  // null while nothing plays
    SpectrumAnalyser analyser;
};

struct MusicSystem {
    bool initialised;
    const MusicBackend* backend;  // null until the output is opened
    void* output;
    MusicChannel channel;
    MusicSound* sounds;
};

const char* music_program_name = "starglow";

namespace {

constexpr size_t calls_detail_bytes = 256;
constexpr int offline_silence_rate = 44100;

uint32_t calls_reported_version = 0;  // 0: the layer's own

bool calls_is(const char* value, const char* name) {
    return value != nullptr && std::strcmp(value, name) == 0;
}

// The silent back end stands in when no device opens, unless
// STARGLOW_AUDIO=device asked for the device and nothing else. `why` is the
// device back end's own sentence ("no sound device 'default' (...)").
MusicResult calls_open_silent(MusicSystem* system, const char* why) {
    std::fprintf(stderr, "%s: %s; the show plays silently\n", music_program_name, why);
    char detail[calls_detail_bytes];
    system->backend = &silent_backend;
    return silent_backend.open(&system->output, detail, sizeof detail);
}

// STARGLOW_AUDIO: unset or empty, the device with the silent back end in
// reserve; "silent"; "device" (no reserve). The renderer's choice comes first.
MusicResult calls_open_output(MusicSystem* system) {
    char detail[calls_detail_bytes] = "";
    if (offline_music_chosen()) {
        system->backend = &offline_backend;
        return offline_backend.open(&system->output, detail, sizeof detail);
    }
    const char* choice = std::getenv("STARGLOW_AUDIO");
    if (calls_is(choice, "silent")) {
        system->backend = &silent_backend;
        return silent_backend.open(&system->output, detail, sizeof detail);
    }
    if (choice != nullptr && choice[0] != '\0' && !calls_is(choice, "device"))
        std::fprintf(stderr,
                     "%s: STARGLOW_AUDIO=%s is neither device nor silent; "
                     "using the sound device\n",
                     music_program_name, choice);
    const MusicResult opened = device_backend.open(&system->output, detail, sizeof detail);
    if (opened == music_ok) {
        system->backend = &device_backend;
        return music_ok;
    }
    if (opened != music_err_output) return opened;
    if (calls_is(choice, "device")) {
        std::fprintf(stderr, "%s: %s\n", music_program_name, detail);
        return opened;
    }
    return calls_open_silent(system, detail);
}

void calls_close_output(MusicSystem* system) {
    if (system->backend == nullptr) return;
    system->backend->close(system->output);
    system->backend = nullptr;
    system->output = nullptr;
}

void calls_stop_channel(MusicChannel* channel) {
    if (channel->sound == nullptr) return;
    channel->system->backend->stop(channel->system->output);
    channel->sound = nullptr;
}

MusicResult calls_play(MusicSystem* system, MusicSound* sound) {
    char detail[calls_detail_bytes] = "";
    const MusicResult played =
        system->backend->play(system->output, &sound->music, detail, sizeof detail);
    if (played != music_err_output || system->backend != &device_backend ||
        calls_is(std::getenv("STARGLOW_AUDIO"), "device"))
        return played;
    // The device opened but will not take this music: play it silently.
    calls_close_output(system);
    const MusicResult opened = calls_open_silent(system, detail);
    if (opened != music_ok) return opened;
    return system->backend->play(system->output, &sound->music, detail, sizeof detail);
}

}  // namespace

MusicResult music_system_create(MusicSystem** system) {
    if (system == nullptr) return music_err_invalid_arg;
    *system = new (std::nothrow) MusicSystem{};
    if (*system == nullptr) return music_err_memory;
    (*system)->channel.system = *system;
    return music_ok;
}

MusicResult music_system_get_version(MusicSystem* system, uint32_t* version) {
    if (system == nullptr) return music_err_invalid_handle;
    if (version == nullptr) return music_err_invalid_arg;
    *version = calls_reported_version != 0 ? calls_reported_version : music_layer_version;
    return music_ok;
}

// The flags and driver data are accepted and unused: the back end is
// chosen by the environment (see calls_open_output).
MusicResult music_system_init(MusicSystem* system, int max_channels, unsigned, void*) {
    if (system == nullptr) return music_err_invalid_handle;
    if (max_channels < 1 || system->initialised) return music_err_invalid_arg;
    if (system->backend == nullptr) {
        const MusicResult opened = calls_open_output(system);
        if (opened != music_ok) return opened;
    }
    system->initialised = true;
    return music_ok;
}

// Every mode loads the whole file with its exact length; extra info is
// not used.
MusicResult music_system_create_sound(MusicSystem* system, const char* path, unsigned, void*,
                                      MusicSound** sound) {
    if (system == nullptr) return music_err_invalid_handle;
    if (path == nullptr || sound == nullptr) return music_err_invalid_arg;
    MusicSound* made = new (std::nothrow) MusicSound{};
    if (made == nullptr) return music_err_memory;
    char detail[calls_detail_bytes];
    uint32_t silence_ms = 0;
    if (offline_silence_chosen(&silence_ms)) {
        // No samples stored: the spectrum reads zeros past the last frame.
        made->music = {nullptr, 0, 2, offline_silence_rate, silence_ms};
    } else {
        const MusicResult decoded = decode_mp3(path, &made->music, detail, sizeof detail);
        if (decoded != music_ok) {
            std::fprintf(stderr, "%s: %s: %s\n", music_program_name, path, detail);
            delete made;
            return decoded;
        }
    }
    made->system = system;
    made->next = system->sounds;
    system->sounds = made;
    *sound = made;
    return music_ok;
}

MusicResult music_sound_get_length(MusicSound* sound, uint32_t* length, unsigned time_unit) {
    if (sound == nullptr) return music_err_invalid_handle;
    if (length == nullptr || time_unit != music_timeunit_ms) return music_err_invalid_arg;
    *length = sound->music.length_ms;
    return music_ok;
}

// The one channel plays `sound` from its start, replacing whatever played.
// A system whose init was skipped opens its output here.
MusicResult music_system_play_sound(MusicSystem* system, int channel_index, MusicSound* sound,
                                    bool paused, MusicChannel** channel) {
    if (system == nullptr || sound == nullptr || sound->system != system)
        return music_err_invalid_handle;
    if (channel == nullptr || paused || (channel_index != music_any_channel && channel_index != 0))
        return music_err_invalid_arg;
    if (system->backend == nullptr) {
        const MusicResult opened = calls_open_output(system);
        if (opened != music_ok) return opened;
    }
    MusicChannel* playing = &system->channel;
    calls_stop_channel(playing);
    if (playing->analyser.fft == nullptr && !open_spectrum_analyser(&playing->analyser))
        return music_err_memory;
    const MusicResult played = calls_play(system, sound);
    if (played != music_ok) return played;
    playing->sound = sound;
    *channel = playing;
    return music_ok;
}

// Once a live output has played the music to its end, the position stays at
// its length and the spectrum at its last window; the channel stays valid
// until its sound is released.
MusicResult music_channel_get_position(MusicChannel* channel, uint32_t* position,
                                       unsigned time_unit) {
    if (channel == nullptr || channel->sound == nullptr) return music_err_invalid_handle;
    if (position == nullptr || time_unit != music_timeunit_ms) return music_err_invalid_arg;
    const MusicSystem* system = channel->system;
    *position = system->backend->play_point(system->output).position_ms;
    return music_ok;
}

MusicResult music_channel_get_spectrum(MusicChannel* channel, float* values, int num_values,
                                       int channel_offset, int window_type) {
    if (channel == nullptr || channel->sound == nullptr) return music_err_invalid_handle;
    if (values == nullptr || num_values != spectrum_bands || channel_offset < 0 ||
        channel_offset > 1 || window_type != 0)
        return music_err_invalid_arg;
    const MusicSystem* system = channel->system;
    const PlayPoint at = system->backend->play_point(system->output);
    analyse_spectrum(&channel->analyser, channel->sound->music, at.end_frame, channel_offset,
                     values);
    return music_ok;
}

MusicResult music_sound_release(MusicSound* sound) {
    if (sound == nullptr) return music_err_invalid_handle;
    if (MusicSystem* system = sound->system) {
        if (system->channel.sound == sound) calls_stop_channel(&system->channel);
        MusicSound** link = &system->sounds;
        while (*link != sound) link = &(*link)->next;
        *link = sound->next;
    }
    free_decoded_music(&sound->music);
    delete sound;
    return music_ok;
}

// Stops playback and closes the output; init may run again afterwards.
MusicResult music_system_close(MusicSystem* system) {
    if (system == nullptr) return music_err_invalid_handle;
    calls_stop_channel(&system->channel);
    calls_close_output(system);
    system->initialised = false;
    return music_ok;
}

// Sounds not yet released stay valid until they are.
MusicResult music_system_release(MusicSystem* system) {
    if (system == nullptr) return music_err_invalid_handle;
    music_system_close(system);
    for (MusicSound* sound = system->sounds; sound != nullptr; sound = sound->next)
        sound->system = nullptr;
    if (system->channel.analyser.fft != nullptr) close_spectrum_analyser(&system->channel.analyser);
    delete system;
    return music_ok;
}

void set_reported_music_version(uint32_t version) {
    calls_reported_version = version;
}

bool music_system_initialised(MusicSystem* system) {
    return system->initialised;
}

const char* music_backend_name(MusicSystem* system) {
    return system->backend != nullptr ? system->backend->name : "none";
}
