#include "support/music_fixtures.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>

#include "compose/mp3_encoder.h"

namespace {

constexpr int fixture_window_frames = 256;
constexpr double fixture_full_scale = 32767.0;

std::string fixture_made_dir;

int fixture_remove_entry(const char* path, const struct stat*, int, FTW*) {
    return remove(path);
}

// Every process that made fixtures, death-test children too, takes its
// folder with it when it exits.
void fixture_remove_dir() {
    nftw(fixture_made_dir.c_str(), fixture_remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string& fixture_dir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/starglow_audio_XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        fixture_made_dir = made;
        std::atexit(fixture_remove_dir);
        return fixture_made_dir;
    }();
    return dir;
}

uint64_t frames_for_ms(uint32_t ms, int rate) {
    // [ms, ms + 1) ms holds frames from ms * rate / 1000 up; take the middle.
    return (2 * static_cast<uint64_t>(ms) + 1) * static_cast<uint64_t>(rate) / 2000;
}

std::vector<int16_t> tone_samples(uint64_t frames, int channels, int rate, Tone left, Tone right) {
    std::vector<int16_t> samples(frames * static_cast<uint64_t>(channels));
    const Tone tones[2] = {left, right};
    for (uint64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double hz = tones[c].band * static_cast<double>(rate) / fixture_window_frames;
            const double phase = 2 * std::numbers::pi * hz * static_cast<double>(i) / rate;
            samples[i * channels + c] = static_cast<int16_t>(
                std::lround(tones[c].amplitude * fixture_full_scale * std::sin(phase)));
        }
    }
    return samples;
}

std::string write_tone_mp3(const std::string& name, uint64_t frames, int channels, int rate,
                           Tone left, Tone right, int bitrate_kbps, int quality) {
    const std::string path = fixture_dir() + "/" + name;
    const std::vector<int16_t> samples = tone_samples(frames, channels, rate, left, right);
    char error[256] = "";
    const Mp3Settings settings = {rate, channels, bitrate_kbps, quality};
    EXPECT_TRUE(encode_mp3(path.c_str(), samples.data(), frames, settings, nullptr, nullptr, error,
                           sizeof error))
        << error;
    return path;
}

std::string write_file(const std::string& name, const FileBytes& bytes) {
    const std::string path = fixture_dir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

FileBytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return FileBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

FileBytes text_bytes() {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "These are the show's notes, not its music.\n";
    return FileBytes(text.begin(), text.end());
}

FileBytes random_bytes(size_t count, uint32_t seed) {
    std::mt19937 generator(seed);
    FileBytes bytes(count);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
    return bytes;
}

FileBytes wav_bytes(uint64_t frames, int rate) {
    const std::vector<int16_t> samples = tone_samples(frames, 2, rate, {10, 0.5}, {30, 0.5});
    const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
    FileBytes bytes;
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(s[i]));
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint32_t v) {
        for (int i = 0; i < 2; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    text("RIFF");
    u32(36 + data_bytes);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(2);
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate) * 4);
    u16(4);
    u16(16);
    text("data");
    u32(data_bytes);
    for (int16_t s : samples) u16(static_cast<uint16_t>(s));
    return bytes;
}

FileBytes first_half(const FileBytes& good) {
    return FileBytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
}

FileBytes damaged_middle(const FileBytes& good) {
    FileBytes bytes = good;
    const FileBytes noise = random_bytes(8192, 7);
    const size_t from = bytes.size() / 2;
    for (size_t i = 0; i < noise.size() && from + i < bytes.size(); ++i) bytes[from + i] = noise[i];
    return bytes;
}

long long mpg123_pcm_bytes(const std::string& path) {
    const std::string command = "mpg123 -q -s '" + path + "' 2>/dev/null | wc -c";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    long long bytes = -1;
    if (std::fscanf(pipe, "%lld", &bytes) != 1) bytes = -1;
    pclose(pipe);
    return bytes;
}

std::string cached_silent_music(uint32_t length_ms) {
    const std::string path =
        std::string(STARGLOW_FIXTURE_CACHE) + "/silence_" + std::to_string(length_ms) + ".mp3";
    if (std::filesystem::exists(path)) return path;
    std::filesystem::create_directories(STARGLOW_FIXTURE_CACHE);
    const Mp3Settings& s = mp3_show_settings;
    const uint64_t frames = frames_for_ms(length_ms, s.rate);
    const std::vector<int16_t> samples(frames * static_cast<uint64_t>(s.channels), 0);
    char error[256] = "";
    // Written under a temporary name and renamed: test programs running at
    // the same time may make the same file.
    EXPECT_TRUE(
        encode_mp3(path.c_str(), samples.data(), frames, s, nullptr, nullptr, error, sizeof error))
        << error;
    return path;
}

void place_music(const std::string& source, const std::string& directory) {
    std::filesystem::copy_file(source, directory + "/starglow.mp3",
                               std::filesystem::copy_options::overwrite_existing);
}
