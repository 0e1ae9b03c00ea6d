// The show's player over the real layer: the failure line and exit status
// of every failed call and every bad file, the old-version path, and a
// poll that fills the position and both spectra.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "audio/music_player.h"
#include "audio/music_test_hooks.h"
#include "support/music_fixtures.h"

namespace {

constexpr int failure_exit_status = 255;  // exit(-1) as the shell sees it

uint64_t fake_now_us = 0;
uint64_t fake_clock_us() {
    return fake_now_us;
}

// A folder of its own whose starglow.mp3 holds `bytes` (none: no file).
std::string show_folder(const std::string& name, const FileBytes* bytes) {
    const std::string folder = fixture_dir() + "/" + name;
    mkdir(folder.c_str(), 0700);
    if (bytes != nullptr) write_file(name + "/" + music_file_name, *bytes);
    return folder;
}

// Runs start_music in `folder` with standard output sent to standard
// error, where the death test reads it; exits 0 if the music started.
// Every way out runs the exit handlers, which remove the child's fixtures.
void start_music_in(const std::string& folder) {
    if (chdir(folder.c_str()) != 0) std::_Exit(99);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    start_music();
    std::exit(0);
}

std::string escaped(const std::string& text) {
    std::string pattern;
    for (char c : text) {
        if (std::string("\\.()[]{}*+?|^$").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

// The last thing printed: the failure line of `result`.
std::string failure_line_pattern(MusicResult result) {
    return escaped("FMOD error! (" + std::to_string(result) + ") " + result_text(result) + "\n") +
           "$";
}

struct CurrentFolder {
    char saved[4096];
    CurrentFolder() { EXPECT_NE(getcwd(saved, sizeof saved), nullptr); }
    ~CurrentFolder() { EXPECT_EQ(chdir(saved), 0); }
};

TEST(ResultText, OwnTextsEndingInOneBlankAndUnknownForTheRest) {
    EXPECT_STREQ(result_text(music_ok), "No errors.");
    for (MusicResult code = 1; code <= music_err_invalid_handle; ++code) {
        const std::string text = result_text(code);
        SCOPED_TRACE(text);
        EXPECT_GT(text.size(), 2u);
        EXPECT_EQ(text.back(), ' ');
        EXPECT_NE(text[text.size() - 2], ' ');
        EXPECT_NE(text, "Unknown error.");
    }
    EXPECT_STREQ(result_text(music_err_invalid_handle + 1), "Unknown error.");
    EXPECT_STREQ(result_text(96), "Unknown error.");
    EXPECT_STREQ(result_text(-1), "Unknown error.");
}

TEST(CheckResultDeathTest, PrintsTheLineAndExitsMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const MusicResult codes[] = {music_err_file_not_found, music_err_invalid_handle, 96, -3};
    for (MusicResult code : codes) {
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);
                check_result(code);
            },
            testing::ExitedWithCode(failure_exit_status), failure_line_pattern(code));
    }
    check_result(music_ok);  // returns
}

struct BadShowFile {
    const char* name;
    bool present;
    FileBytes bytes;
    MusicResult result;
};

TEST(MusicPlayerDeathTest, EveryBadFileEndsTheShowWithItsLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("STARGLOW_AUDIO", "silent", 1);
    const std::string good = write_tone_mp3("show_source.mp3", frames_for_ms(4000, fixture_rate), 2,
                                            fixture_rate, {10, 0.5}, {30, 0.5});
    const FileBytes good_bytes = read_file(good);
    const BadShowFile cases[] = {
        {"missing", false, {}, music_err_file_not_found},
        {"zero", true, {}, music_err_format},
        {"text", true, text_bytes(), music_err_format},
        {"random", true, random_bytes(65536, 11), music_err_format},
        {"wave", true, wav_bytes(fixture_rate, fixture_rate), music_err_format},
        {"damaged", true, damaged_middle(good_bytes), music_err_corrupt},
    };
    for (const BadShowFile& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = show_folder(c.name, c.present ? &c.bytes : nullptr);
        EXPECT_EXIT(start_music_in(folder), testing::ExitedWithCode(failure_exit_status),
                    failure_line_pattern(c.result));
    }
    // Cut in half, the file plays, shorter than its tag says: the show's
    // length rule turns it away.
    const FileBytes half = first_half(good_bytes);
    EXPECT_EXIT(start_music_in(show_folder("half", &half)), testing::ExitedWithCode(0), "");
    unsetenv("STARGLOW_AUDIO");
}

TEST(MusicPlayer, AnOldVersionIsReportedAndTheShowGoesOnWithoutInit) {
    setenv("STARGLOW_AUDIO", "silent", 1);
    const std::string folder = show_folder("old_version", nullptr);
    write_tone_mp3(std::string("old_version/") + music_file_name, frames_for_ms(1000, fixture_rate),
                   2, fixture_rate, {10, 0.5}, {30, 0.5});
    CurrentFolder back;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    set_reported_music_version(0x00043805);
    testing::internal::CaptureStdout();
    start_music();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error!  You are using an old version of FMOD 00043805.  This program requires "
              "00043806\n");
    EXPECT_FALSE(music_system_initialised(music_player.system));
    EXPECT_EQ(music_player.length_ms, 1000u);
    poll_music();
    stop_music();

    // The required version itself is not old; nor is the layer's own.
    set_reported_music_version(music_required_version);
    testing::internal::CaptureStdout();
    start_music();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(music_system_initialised(music_player.system));
    stop_music();
    set_reported_music_version(0);
    EXPECT_GE(music_layer_version, music_required_version);
    unsetenv("STARGLOW_AUDIO");
}

TEST(MusicPlayer, PollReadsThePositionThenBothSpectra) {
    setenv("STARGLOW_AUDIO", "silent", 1);
    set_silent_music_clock(fake_clock_us);
    const std::string folder = show_folder("poll", nullptr);
    write_tone_mp3(std::string("poll/") + music_file_name, frames_for_ms(3000, fixture_rate), 2,
                   fixture_rate, {10, 0.5}, {30, 0.5});
    CurrentFolder back;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    fake_now_us = 0;
    start_music();
    EXPECT_EQ(music_player.length_ms, 3000u);
    EXPECT_EQ(poll_music(), 0u);
    EXPECT_EQ(spectrum.left[10], 0.0f);
    fake_now_us = 1'500'000;
    EXPECT_EQ(poll_music(), 1500u);
    EXPECT_NEAR(spectrum.left[10], 0.5f, 0.03f);
    EXPECT_NEAR(spectrum.right[30], 0.5f, 0.03f);
    EXPECT_LT(spectrum.left[30], 0.02f);
    EXPECT_LT(spectrum.right[10], 0.02f);
    stop_music();
    set_silent_music_clock(nullptr);
    unsetenv("STARGLOW_AUDIO");
}

}  // namespace
