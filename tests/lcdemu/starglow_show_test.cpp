// The real show through lcdemu, with its real music file played silently
// (STARGLOW_AUDIO=silent): a few seconds of it, then Ctrl-C. Skipped, with
// a message, where the build has not made the music yet.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "emu_process.h"

namespace {

constexpr const char* lcdemu_path = EMU_LCDEMU;
constexpr const char* starglow_path = EMU_STARGLOW;
constexpr const char* music_path = EMU_MUSIC;
constexpr int show_seconds = 5;
constexpr double rate_tolerance = 0.03;
constexpr long queue_limit_bytes = 200;

TEST(StarglowThroughLcdemu, FramesWholeInOrderAtTheLinksLimit) {
    if (access(music_path, R_OK) != 0) {
        std::printf("SKIPPED: %s is missing (build the target starglow_music first)\n", music_path);
        GTEST_SKIP() << music_path << " is missing";
    }
    const std::string dir = temp_directory();
    std::string music_dir = music_path;
    music_dir.resize(music_dir.rfind('/'));
    ProgramOptions p;
    p.argv = {lcdemu_path, "--headless",      "--stats", dir + "/stats.json",
              "--wire",    dir + "/wire.bin", "--log",   dir + "/frames.log",
              "--",        starglow_path,     "1"};
    p.environment = {"STARGLOW_AUDIO=silent"};
    p.directory = music_dir;  // the show finds starglow.mp3 in its working directory
    p.output = dir + "/console.out";
    const pid_t pid = start_program(p);
    sleep(show_seconds);
    kill(pid, SIGINT);
    EXPECT_EQ(wait_program(pid, 10000), 130);

    const std::string console = read_file(dir + "/console.out");
    const FrameLog log = read_frame_log(dir + "/frames.log");
    ASSERT_GT(log.screens.size(), 100u) << console.substr(0, 2000);
    // Whole and in order: the frames the display completed are the show's
    // frame packets on the wire, one for one.
    const std::vector<std::string> sent = frame_packets_in(read_file(dir + "/wire.bin"));
    ASSERT_GE(sent.size(), log.screens.size());
    for (size_t i = 0; i < log.screens.size(); ++i)
        ASSERT_EQ(log.screens[i], sent[i]) << "frame " << i;
    EXPECT_NEAR(frame_rate_over_limit(log), 1.0, rate_tolerance);
    EXPECT_LE(*std::max_element(log.queue.begin(), log.queue.end()), queue_limit_bytes);
    const std::string stats = read_file(dir + "/stats.json");
    EXPECT_EQ(json_number(stats, "unknown_bytes"), 0);
    EXPECT_LE(json_number(stats, "queue_peak_bytes"), queue_limit_bytes);
    // The show's console: banner, then one position line a turn.
    EXPECT_NE(console.find("LCD STARGLOW"), std::string::npos);
    EXPECT_GT(std::count(console.begin(), console.end(), '\n'),
              static_cast<long>(log.screens.size()) / 2);
    remove_directory(dir);
}

}  // namespace
