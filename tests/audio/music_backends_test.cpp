// The three back ends through the layer's calls: which one the environment
// picks, the silent one on an injected clock, the offline one against the
// live path, and the device one feeding ALSA's null device on its thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/music_calls.h"
#include "audio/music_test_hooks.h"
#include "audio/offline_music.h"
#include "support/music_fixtures.h"

namespace {

uint64_t fake_now_us = 0;
uint64_t fake_clock_us() {
    return fake_now_us;
}

// STARGLOW_AUDIO and STARGLOW_AUDIO_DEVICE for one test, restored after it.
struct AudioEnvironment {
    AudioEnvironment(const char* audio, const char* device) {
        set("STARGLOW_AUDIO", audio);
        set("STARGLOW_AUDIO_DEVICE", device);
    }
    ~AudioEnvironment() {
        unsetenv("STARGLOW_AUDIO");
        unsetenv("STARGLOW_AUDIO_DEVICE");
        set_silent_music_clock(nullptr);
        use_live_music();
    }
    static void set(const char* name, const char* value) {
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
};

// A system with the sound of `path` playing on its channel.
struct Playing {
    MusicSystem* system = nullptr;
    MusicSound* sound = nullptr;
    MusicChannel* channel = nullptr;
    explicit Playing(const std::string& path) {
        EXPECT_EQ(music_system_create(&system), music_ok);
        EXPECT_EQ(music_system_init(system, 1, 0, nullptr), music_ok);
        EXPECT_EQ(music_system_create_sound(system, path.c_str(), music_mode_show, nullptr, &sound),
                  music_ok);
        EXPECT_EQ(music_system_play_sound(system, music_any_channel, sound, false, &channel),
                  music_ok);
    }
    ~Playing() {
        EXPECT_EQ(music_sound_release(sound), music_ok);
        EXPECT_EQ(music_system_close(system), music_ok);
        EXPECT_EQ(music_system_release(system), music_ok);
    }
    uint32_t position() const {
        uint32_t ms = 0;
        EXPECT_EQ(music_channel_get_position(channel, &ms, music_timeunit_ms), music_ok);
        return ms;
    }
    std::vector<float> spectrum(int side) const {
        std::vector<float> bands(spectrum_bands);
        EXPECT_EQ(music_channel_get_spectrum(channel, bands.data(), spectrum_bands, side, 0),
                  music_ok);
        return bands;
    }
};

const std::string& tones_mp3() {
    static const std::string path = write_tone_mp3("tones.mp3", frames_for_ms(2000, fixture_rate),
                                                   2, fixture_rate, {10, 0.5}, {30, 0.5});
    return path;
}

TEST(MusicBackends, SilentWhenTheEnvironmentSaysSoWithoutALine) {
    AudioEnvironment environment("silent", nullptr);
    testing::internal::CaptureStderr();
    Playing playing(tones_mp3());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(music_backend_name(playing.system), "silent");
}

TEST(MusicBackends, NoDeviceFallsBackToSilentWithOneLine) {
    AudioEnvironment environment(nullptr, "starglow_no_such_device");
    testing::internal::CaptureStderr();
    Playing playing(tones_mp3());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(music_backend_name(playing.system), "silent");
    // Worded for whoever reads it: which device, why, and what happens now.
    EXPECT_EQ(said.rfind("starglow: no sound device 'starglow_no_such_device' (", 0), 0u) << said;
    EXPECT_NE(said.find("); the show plays silently\n"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST(MusicBackends, TheDefaultDeviceOpensOrFallsBackToSilent) {
    AudioEnvironment environment(nullptr, nullptr);
    Playing playing(tones_mp3());
    const std::string name = music_backend_name(playing.system);
    EXPECT_TRUE(name == "device" || name == "silent") << name;
}

TEST(MusicBackends, OnlyTheDeviceAskedForAndNoneThereIsAnOutputError) {
    AudioEnvironment environment("device", "starglow_no_such_device");
    MusicSystem* system = nullptr;
    ASSERT_EQ(music_system_create(&system), music_ok);
    testing::internal::CaptureStderr();
    EXPECT_EQ(music_system_init(system, 1, 0, nullptr), music_err_output);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("starglow_no_such_device"),
              std::string::npos);
    EXPECT_EQ(music_system_release(system), music_ok);
}

TEST(MusicBackends, SilentPositionFollowsTheClockAndStopsAtTheEnd) {
    AudioEnvironment environment("silent", nullptr);
    set_silent_music_clock(fake_clock_us);
    fake_now_us = 5'000'000'000;  // playback starts here, not at the clock's zero
    Playing playing(tones_mp3());
    EXPECT_EQ(playing.position(), 0u);
    fake_now_us += 999;
    EXPECT_EQ(playing.position(), 0u);
    fake_now_us += 1;
    EXPECT_EQ(playing.position(), 1u);
    fake_now_us += 1'233'500;
    EXPECT_EQ(playing.position(), 1234u);
    fake_now_us += 766'500;
    EXPECT_EQ(playing.position(), 2000u);
    const std::vector<float> at_end = playing.spectrum(0);
    // The channel holds its last moment once the music is over.
    fake_now_us += 10'000'000;
    EXPECT_EQ(playing.position(), 2000u);
    EXPECT_EQ(playing.spectrum(0), at_end);
}

TEST(MusicBackends, SilentSpectrumHearsTheMusicAtThePosition) {
    AudioEnvironment environment("silent", nullptr);
    set_silent_music_clock(fake_clock_us);
    fake_now_us = 0;
    Playing playing(tones_mp3());
    for (float band : playing.spectrum(0)) EXPECT_EQ(band, 0.0f);  // nothing played yet
    fake_now_us = 1'000'000;
    const std::vector<float> left = playing.spectrum(0);
    const std::vector<float> right = playing.spectrum(1);
    EXPECT_NEAR(left[10], 0.5f, 0.03f);
    EXPECT_NEAR(right[30], 0.5f, 0.03f);
    EXPECT_LT(left[30], 0.02f);
    EXPECT_LT(right[10], 0.02f);
}

TEST(MusicBackends, OfflineGivesTheLiveSpectrumForTheSamePosition) {
    std::vector<float> live[2];
    {
        AudioEnvironment environment("silent", nullptr);
        set_silent_music_clock(fake_clock_us);
        fake_now_us = 100;
        Playing playing(tones_mp3());
        fake_now_us += 1'234'000;
        ASSERT_EQ(playing.position(), 1234u);
        live[0] = playing.spectrum(0);
        live[1] = playing.spectrum(1);
    }
    AudioEnvironment environment("silent", nullptr);  // the renderer's choice comes first
    use_offline_music();
    Playing playing(tones_mp3());
    EXPECT_STREQ(music_backend_name(playing.system), "offline");
    set_offline_position_ms(1234);
    EXPECT_EQ(playing.position(), 1234u);
    EXPECT_EQ(playing.spectrum(0), live[0]);
    EXPECT_EQ(playing.spectrum(1), live[1]);
    EXPECT_NEAR(live[0][10], 0.5f, 0.03f);
    // Virtual time runs on past the end; the window then holds zeros.
    set_offline_position_ms(999'999);
    EXPECT_EQ(playing.position(), 999'999u);
    for (float band : playing.spectrum(1)) EXPECT_EQ(band, 0.0f);
}

TEST(MusicBackends, DeviceThreadPlaysToTheEndOnTheNullDevice) {
    // ALSA's null device takes samples as fast as they come, so the thread
    // runs the whole piece through at once; mono is widened to stereo.
    AudioEnvironment environment("device", "null");
    const std::string mono = write_tone_mp3("mono_device.mp3", frames_for_ms(1500, fixture_rate), 1,
                                            fixture_rate, {10, 0.5}, {0, 0});
    Playing playing(mono);
    ASSERT_STREQ(music_backend_name(playing.system), "device");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    uint32_t position = 0;
    while (position < 1500 && std::chrono::steady_clock::now() < deadline) {
        position = playing.position();
        playing.spectrum(0);  // read while the thread writes
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(position, 1500u);
    EXPECT_EQ(playing.spectrum(0), playing.spectrum(1));
    // Playing again starts from the beginning; releasing stops the thread.
    EXPECT_EQ(music_system_play_sound(playing.system, music_any_channel, playing.sound, false,
                                      &playing.channel),
              music_ok);
}

TEST(MusicBackends, InitSkippedOpensTheOutputAtPlay) {
    AudioEnvironment environment("silent", nullptr);
    MusicSystem* system = nullptr;
    MusicSound* sound = nullptr;
    MusicChannel* channel = nullptr;
    ASSERT_EQ(music_system_create(&system), music_ok);
    ASSERT_EQ(
        music_system_create_sound(system, tones_mp3().c_str(), music_mode_show, nullptr, &sound),
        music_ok);
    EXPECT_STREQ(music_backend_name(system), "none");
    EXPECT_EQ(music_system_play_sound(system, music_any_channel, sound, false, &channel), music_ok);
    EXPECT_STREQ(music_backend_name(system), "silent");
    EXPECT_FALSE(music_system_initialised(system));
    EXPECT_EQ(music_sound_release(sound), music_ok);
    EXPECT_EQ(music_system_release(system), music_ok);
}

TEST(MusicBackends, BadArgumentsAndStaleHandlesAreRefused) {
    AudioEnvironment environment("silent", nullptr);
    MusicSystem* system = nullptr;
    ASSERT_EQ(music_system_create(&system), music_ok);
    uint32_t value = 0;
    float bands[spectrum_bands];
    EXPECT_EQ(music_system_get_version(nullptr, &value), music_err_invalid_handle);
    EXPECT_EQ(music_system_get_version(system, nullptr), music_err_invalid_arg);
    EXPECT_EQ(music_system_init(system, 0, 0, nullptr), music_err_invalid_arg);
    ASSERT_EQ(music_system_init(system, 1, 0, nullptr), music_ok);
    EXPECT_EQ(music_system_init(system, 1, 0, nullptr), music_err_invalid_arg);
    MusicSound* sound = nullptr;
    EXPECT_EQ(music_system_create_sound(system, nullptr, 0, nullptr, &sound),
              music_err_invalid_arg);
    ASSERT_EQ(music_system_create_sound(system, tones_mp3().c_str(), 0, nullptr, &sound), music_ok);
    EXPECT_EQ(music_sound_get_length(sound, &value, 2), music_err_invalid_arg);
    EXPECT_EQ(music_sound_get_length(nullptr, &value, 1), music_err_invalid_handle);
    MusicChannel* channel = nullptr;
    EXPECT_EQ(music_system_play_sound(system, 3, sound, false, &channel), music_err_invalid_arg);
    EXPECT_EQ(music_system_play_sound(system, -1, sound, true, &channel), music_err_invalid_arg);
    ASSERT_EQ(music_system_play_sound(system, -1, sound, false, &channel), music_ok);
    EXPECT_EQ(music_channel_get_spectrum(channel, bands, 64, 0, 0), music_err_invalid_arg);
    EXPECT_EQ(music_channel_get_spectrum(channel, bands, spectrum_bands, 2, 0),
              music_err_invalid_arg);
    EXPECT_EQ(music_channel_get_spectrum(channel, bands, spectrum_bands, 0, 1),
              music_err_invalid_arg);
    EXPECT_EQ(music_channel_get_position(nullptr, &value, 1), music_err_invalid_handle);
    // A released sound leaves its channel stopped.
    EXPECT_EQ(music_sound_release(sound), music_ok);
    EXPECT_EQ(music_channel_get_position(channel, &value, 1), music_err_invalid_handle);
    EXPECT_EQ(music_channel_get_spectrum(channel, bands, spectrum_bands, 0, 0),
              music_err_invalid_handle);
    EXPECT_EQ(music_system_release(system), music_ok);
}

TEST(MusicBackends, ASoundOutlivesItsReleasedSystem) {
    AudioEnvironment environment("silent", nullptr);
    MusicSystem* system = nullptr;
    MusicSound* sound = nullptr;
    ASSERT_EQ(music_system_create(&system), music_ok);
    ASSERT_EQ(music_system_create_sound(system, tones_mp3().c_str(), 0, nullptr, &sound), music_ok);
    EXPECT_EQ(music_system_release(system), music_ok);
    uint32_t length = 0;
    EXPECT_EQ(music_sound_get_length(sound, &length, 1), music_ok);
    EXPECT_EQ(length, 2000u);
    EXPECT_EQ(music_sound_release(sound), music_ok);
}

}  // namespace
