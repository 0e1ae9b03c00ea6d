// Decoding: exact, gapless lengths that agree with the mpg123 program, the
// samples back where they were encoded, and a clear result for every kind
// of bad file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>

#include "audio/mp3_decoder.h"
#include "support/music_fixtures.h"

namespace {

struct Decoded {
    MusicResult result;
    DecodedMusic music;
    std::string detail;
    ~Decoded() { free_decoded_music(&music); }
};

void decode(const std::string& path, Decoded* out) {
    char detail[256] = "";
    out->result = decode_mp3(path.c_str(), &out->music, detail, sizeof detail);
    out->detail = detail;
}

struct LengthCase {
    const char* name;
    uint32_t ms;
    int rate;
    int channels;
    int bitrate_kbps;
    int quality;
};

// The show's length at the show's rate (mono and fast, to keep it quick),
// other rates of full MPEG-1 frames, mono, and a piece shorter than one
// frame. (At the half rates of MPEG-2 the mpg123 program does not trim
// either, so those make no exact fixtures.)
constexpr LengthCase length_cases[] = {
    {"show_length.mp3", 203154, 44100, 1, 64, 9}, {"stereo_1000.mp3", 1000, 44100, 2, 128, 5},
    {"mono_1234.mp3", 1234, 44100, 1, 64, 5},     {"stereo_48k_777.mp3", 777, 48000, 2, 128, 5},
    {"mono_32k_3001.mp3", 3001, 32000, 1, 64, 5}, {"short_27.mp3", 27, 44100, 2, 128, 5},
};

TEST(Mp3Decoder, LengthIsExactAndAgreesWithTheMpg123Program) {
    for (const LengthCase& c : length_cases) {
        SCOPED_TRACE(c.name);
        const uint64_t frames = frames_for_ms(c.ms, c.rate);
        const std::string path = write_tone_mp3(c.name, frames, c.channels, c.rate, {10, 0.5},
                                                {30, 0.5}, c.bitrate_kbps, c.quality);
        Decoded decoded;
        decode(path, &decoded);
        ASSERT_EQ(decoded.result, music_ok) << decoded.detail;
        EXPECT_EQ(decoded.music.frames, frames);
        EXPECT_EQ(decoded.music.length_ms, c.ms);
        EXPECT_EQ(decoded.music.rate, c.rate);
        EXPECT_EQ(decoded.music.channels, c.channels);
        EXPECT_EQ(mpg123_pcm_bytes(path), static_cast<long long>(frames * c.channels * 2));
    }
}

TEST(Mp3Decoder, LengthTruncatesAtBothEdgesOfAMillisecond) {
    // 44100 frames are 1000 ms; one frame fewer is 999 ms.
    const std::string exact = write_tone_mp3("edge_1000.mp3", 44100, 2, 44100, {10, 0.5}, {0, 0});
    const std::string under = write_tone_mp3("edge_999.mp3", 44099, 2, 44100, {10, 0.5}, {0, 0});
    Decoded a;
    Decoded b;
    decode(exact, &a);
    decode(under, &b);
    EXPECT_EQ(a.music.length_ms, 1000u);
    EXPECT_EQ(b.music.length_ms, 999u);
}

TEST(Mp3Decoder, SamplesComeBackWhereTheyWereEncoded) {
    // Left a tone, right silence: without the encoder's delay removed, the
    // tone would come back shifted by hundreds of frames.
    const uint64_t frames = frames_for_ms(500, fixture_rate);
    const std::string path =
        write_tone_mp3("aligned.mp3", frames, 2, fixture_rate, {7, 0.5}, {0, 0}, 192, 2);
    const std::vector<int16_t> original = tone_samples(frames, 2, fixture_rate, {7, 0.5}, {0, 0});
    Decoded decoded;
    decode(path, &decoded);
    ASSERT_EQ(decoded.result, music_ok);
    double error = 0;
    double signal = 0;
    double right = 0;
    for (uint64_t i = 0; i < frames; ++i) {
        const double want = original[2 * i];
        const double got = decoded.music.samples[2 * i];
        error += (got - want) * (got - want);
        signal += want * want;
        right += std::abs(decoded.music.samples[2 * i + 1]);
    }
    EXPECT_LT(error / signal, 0.01);
    EXPECT_LT(right / frames, 20.0);
}

TEST(Mp3Decoder, ACutFileIsMeasuredByItsSamplesNotItsTag) {
    const uint64_t frames = frames_for_ms(5000, fixture_rate);
    const std::string good =
        write_tone_mp3("whole.mp3", frames, 2, fixture_rate, {10, 0.5}, {30, 0.5});
    const std::string cut = write_file("cut.mp3", first_half(read_file(good)));
    Decoded decoded;
    decode(cut, &decoded);
    ASSERT_EQ(decoded.result, music_ok) << decoded.detail;
    EXPECT_GT(decoded.music.length_ms, 2000u);
    EXPECT_LT(decoded.music.length_ms, 3000u);
    EXPECT_EQ(mpg123_pcm_bytes(cut), static_cast<long long>(decoded.music.frames * 4));
}

struct BadCase {
    const char* name;
    FileBytes bytes;
    MusicResult result;
    const char* detail;
};

TEST(Mp3Decoder, EveryBadFileGetsItsResultAndAReason) {
    const std::string good = write_tone_mp3("source.mp3", frames_for_ms(5000, fixture_rate), 2,
                                            fixture_rate, {10, 0.5}, {30, 0.5});
    const FileBytes good_bytes = read_file(good);
    const BadCase cases[] = {
        {"zero.mp3", {}, music_err_format, "the file is empty"},
        {"text.mp3", text_bytes(), music_err_format, "not an MP3 file"},
        {"random.mp3", random_bytes(65536, 1), music_err_format, "not an MP3 file"},
        {"long_random.mp3", random_bytes(1 << 20, 3), music_err_format, "not an MP3 file"},
        {"wave.mp3", wav_bytes(fixture_rate, fixture_rate), music_err_format, "not an MP3 file"},
        {"damaged.mp3", damaged_middle(good_bytes), music_err_corrupt, "corrupt MP3 data"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded decoded;
        decode(write_file(c.name, c.bytes), &decoded);
        EXPECT_EQ(decoded.result, c.result);
        EXPECT_NE(decoded.detail.find(c.detail), std::string::npos) << decoded.detail;
        EXPECT_EQ(decoded.music.samples, nullptr);
        EXPECT_EQ(decoded.music.frames, 0u);
    }
}

TEST(Mp3Decoder, AMissingFileOrADirectoryIsNotFound) {
    Decoded missing;
    decode(fixture_dir() + "/no_such.mp3", &missing);
    EXPECT_EQ(missing.result, music_err_file_not_found);
    EXPECT_NE(missing.detail.find("No such file"), std::string::npos) << missing.detail;

    const std::string folder = fixture_dir() + "/folder.mp3";
    mkdir(folder.c_str(), 0700);
    Decoded directory;
    decode(folder, &directory);
    EXPECT_EQ(directory.result, music_err_file_not_found);
    EXPECT_NE(directory.detail.find("directory"), std::string::npos) << directory.detail;
}

TEST(Mp3Decoder, TheDamageIsPlacedInTime) {
    const std::string good = write_tone_mp3("placed.mp3", frames_for_ms(5000, fixture_rate), 2,
                                            fixture_rate, {10, 0.5}, {30, 0.5});
    Decoded decoded;
    decode(write_file("placed_damage.mp3", damaged_middle(read_file(good))), &decoded);
    ASSERT_EQ(decoded.result, music_err_corrupt);
    // The noise starts half way through the bytes: about 2.5 s in.
    EXPECT_NE(decoded.detail.find(" at 2."), std::string::npos) << decoded.detail;
}

}  // namespace
