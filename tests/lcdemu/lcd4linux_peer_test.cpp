// The other client LCD owners run: lcd4linux with its driver for this
// family, on lcdemu's pty, showing a layout of text, a bar, a dual bar, a
// vertical bar and an animated icon; once with the model named, and once
// with it left out, so that lcd4linux reads the module type back (and gives
// up after a few milliseconds if no answer comes). It writes only what
// changed and never needs the last cell: every frame is one of its bursts.
// Each must be what its bytes say, decoded apart from lcdemu, and the
// display must end with its goodbye, after the clear that comes with it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "emu_process.h"
#include "peer_screens.h"

namespace {

constexpr const char* lcd4linux_path = "/usr/sbin/lcd4linux";
constexpr int lcd4linux_run_ms = 8000;  // its splash screen, then a few seconds of the layout

// The configuration, as lcd4linux insists: the user's own file, mode 600.
void write_configuration(const std::string& path, const std::string& port, bool name_model) {
    {
        std::ofstream conf(path);
        conf << "Display Module {\n    Driver 'MatrixOrbital'\n"
             << (name_model ? "    Model 'LCD2041'\n" : "") << "    Port '" << port
             << "'\n    Speed 19200\n    Contrast 160\n    Icons 1\n}\n"
             << R"(Variables {
    tick 100
}
Widget Words {
    class 'Text'
    expression 'peer ' . strftime('%H:%M:%S', time())
    width 14
    align 'L'
    update 500
}
Widget Level {
    class 'Bar'
    expression time() % 10
    min 0
    max 10
    length 10
    direction 'E'
    update tick
}
Widget Pair {
    class 'Bar'
    expression time() % 10
    expression2 9 - time() % 10
    min 0
    max 10
    length 12
    direction 'E'
    update tick
}
Widget Column {
    class 'Bar'
    expression time() % 10
    min 0
    max 10
    length 4
    direction 'N'
    update tick
}
Widget Heart {
    class 'Icon'
    speed 250
    Bitmap {
        Row1 '.....|.....'
        Row2 '.*.*.|.*.*.'
        Row3 '*****|*.*.*'
        Row4 '*****|*...*'
        Row5 '.***.|.*.*.'
        Row6 '.***.|.*.*.'
        Row7 '..*..|..*..'
        Row8 '.....|.....'
    }
}
Layout Peer {
    Row1 {
        Col1 'Words'
        Col16 'Heart'
        Col20 'Column'
    }
    Row2 {
        Col1 'Level'
    }
    Row3 {
        Col1 'Pair'
    }
}
Display 'Module'
Layout 'Peer'
)";
    }
    chmod(path.c_str(), 0600);
}

class Lcd4linuxPeer : public ::testing::TestWithParam<bool> {};

TEST_P(Lcd4linuxPeer, EveryBurstIsAFrameAndIsWhatLcd4linuxSent) {
    const bool name_model = GetParam();
    if (access(lcd4linux_path, X_OK) != 0) {
        std::printf("SKIPPED: lcd4linux is not installed\n");
        GTEST_SKIP() << "lcd4linux is not installed (apt-get install lcd4linux)";
    }
    const std::string dir = temp_directory();
    write_configuration(dir + "/lcd4linux.conf", dir + "/lcd", name_model);
    ProgramOptions emu = peer_lcdemu_options(dir);
    const pid_t lcdemu = start_program(emu);
    ASSERT_TRUE(wait_for([&] { return file_exists(dir + "/lcd"); }, 5000));

    ProgramOptions client;
    client.argv = {lcd4linux_path, "-F", "-v", "-f", dir + "/lcd4linux.conf"};
    client.output = dir + "/lcd4linux.out";
    const pid_t lcd4linux = start_program(client);
    usleep(lcd4linux_run_ms * 1000);
    kill(lcd4linux, SIGTERM);  // it clears the display, says goodbye and closes the port
    EXPECT_EQ(wait_program(lcd4linux, 10000), 0) << read_file(dir + "/lcd4linux.out");
    ASSERT_EQ(wait_program(lcdemu, 10000), 0) << read_file(dir + "/lcdemu.out");
    const std::string said = read_file(dir + "/lcd4linux.out");

    const std::string wire = read_file(dir + "/wire.bin");
    const FrameLog log = read_frame_log(dir + "/frames.log");
    DecodedDisplay decoded;
    EXPECT_TRUE(frames_match_wire(wire, log, &decoded)) << said;
    EXPECT_TRUE(picture_matches(dir + "/end.png", decoded));
    EXPECT_EQ(decoded.unknown, 0);
    EXPECT_TRUE(decoded.unfollowed.empty()) << decoded.unfollowed.front();
    const std::string stats = read_file(dir + "/stats.json");
    EXPECT_EQ(json_number(stats, "unknown_bytes"), 0) << stats;

    // The run was what it is meant to test: the bare output command, the
    // layout's glyphs, frames that end when a burst does, and the goodbye.
    EXPECT_TRUE(wire_has_bare_output_command(wire));
    EXPECT_GT(json_number(stats, "glyph_definitions"), 10) << stats;
    long idle_frames = 0;
    for (const std::string& end : log.ends) idle_frames += end == "idle";
    EXPECT_GE(idle_frames, 5) << log.screens.size() << " frames";
    bool layout_shown = false;
    for (const std::string& screen : log.screens)
        layout_shown = layout_shown || screen.compare(0, 5, "peer ") == 0;
    EXPECT_TRUE(layout_shown);
    EXPECT_NE(log.screens.back().find("goodbye!"), std::string::npos);
    EXPECT_EQ(log.screens.back().find("peer "), std::string::npos);  // cleared before it
    if (!name_model) {
        // It asked what the module is, and understood the answer in time.
        EXPECT_EQ(wire.compare(0, 2, "\xFE\x37"), 0);
        EXPECT_GE(json_number(stats, "replies_sent"), 1) << stats;
        EXPECT_NE(said.find("display reports model 'LCD2041'"), std::string::npos) << said;
    }
    remove_directory(dir);
}

INSTANTIATE_TEST_SUITE_P(ModelNamedOrAskedFor, Lcd4linuxPeer, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "ModelNamed" : "ModelReadBack";
                         });

}  // namespace
