// Real MP3 files for the music layer's tests, made at test time with the
// show's encoder, and the damaged files derived from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using FileBytes = std::vector<uint8_t>;

// A sine at the centre of spectrum band `band` (band * rate / 256 Hz);
// amplitude 1.0 is full scale, 0 is silence.
struct Tone {
    int band;
    double amplitude;
};

inline constexpr int fixture_rate = 44100;

// A directory of its own for this test program, made on first use.
const std::string& fixture_dir();

// The frame count in the middle of the range whose length reads `ms` at
// `rate` (frames * 1000 / rate, truncated).
uint64_t frames_for_ms(uint32_t ms, int rate);

// Interleaved 16-bit samples: left (or the only channel) and right tones.
std::vector<int16_t> tone_samples(uint64_t frames, int channels, int rate, Tone left, Tone right);

// Encodes `frames` frames of the tones as fixture_dir()/name and returns the
// path. Low bit rates and fast settings keep the long fixtures quick.
std::string write_tone_mp3(const std::string& name, uint64_t frames, int channels, int rate,
                           Tone left, Tone right, int bitrate_kbps = 128, int quality = 5);

std::string write_file(const std::string& name, const FileBytes& bytes);
FileBytes read_file(const std::string& path);

// The bad files: each derived from `good` (the bytes of a valid MP3) where
// it needs one.
FileBytes text_bytes();
FileBytes random_bytes(size_t count, uint32_t seed);
FileBytes wav_bytes(uint64_t frames, int rate);  // a 16-bit stereo WAV of a sine
FileBytes first_half(const FileBytes& good);
FileBytes damaged_middle(const FileBytes& good);

// Bytes of 16-bit PCM that the mpg123 program decodes from `path`, or -1
// if it cannot be run.
long long mpg123_pcm_bytes(const std::string& path);

// A silent stereo MP3 at the show's settings that decodes to exactly
// `length_ms`, kept in the build's fixture folder (made once, shared by
// every test program and run) for tests of whole programs.
std::string cached_silent_music(uint32_t length_ms);

// Copies `source` into `directory` as the show's music file.
void place_music(const std::string& source, const std::string& directory);
