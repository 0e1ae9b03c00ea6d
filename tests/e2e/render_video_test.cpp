// starglow-render --video as its users run it, read back by ffmpeg and
// ffprobe: the frame rate and size asked for, every second of the music,
// and every dot of the display where a person sees it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/commands.h"
#include "display/display_link.h"
#include "display_model/lcd_model.h"
#include "display_model/picture.h"
#include "run_program.h"
#include "support/music_fixtures.h"

namespace {

constexpr int music_ms = 203154;
constexpr int step_ms = 1000;  // a turn a second: the same frames, quickly encoded

// What a command prints on standard output.
std::string output_of(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
    return text;
}

std::string probe(const std::string& video, const std::string& stream, const std::string& entry) {
    std::string value =
        output_of("ffprobe -v error -select_streams " + stream + " -show_entries stream=" + entry +
                  " -of csv=p=0 '" + video + "'");
    while (!value.empty() && (value.back() == '\n' || value.back() == ',')) value.pop_back();
    return value;
}

// The audio of the video, decoded whole: 44100 stereo frames a second.
double audio_ms(const std::string& video) {
    const std::string pcm = output_of("ffmpeg -nostdin -v error -i '" + video +
                                      "' -map 0:a -f s16le -ac 2 -ar 44100 -");
    return static_cast<double>(pcm.size()) / 4 / 44.1;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The display after the first `frames` frame packets of the wire (and the
// glyph definitions before them).
LcdModel model_after_frames(const std::vector<uint8_t>& wire, size_t frames) {
    LcdModel model;
    lcd_model_init(&model);
    size_t at = 0, seen = 0;
    while (at < wire.size() && seen < frames) {
        const size_t length = wire[at + 1] == cmd::define_glyph ? define_glyph_bytes : frame_bytes;
        lcd_model_feed(&model, &wire[at], length);
        if (length == frame_bytes) ++seen;
        at += length;
    }
    return model;
}

// Every dot of the frame at `seconds`, decoded by ffmpeg, is the kind
// (glass, unlit, lit) of the model's picture: the middle of each dot's
// square is nearest that kind's colour.
::testing::AssertionResult shows_every_dot(const std::string& video, double seconds, int width,
                                           int height, const LcdModel& model) {
    const std::string frame =
        output_of("ffmpeg -nostdin -v error -ss " + std::to_string(seconds) + " -i '" + video +
                  "' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    if (frame.size() != static_cast<size_t>(width) * height * 3)
        return ::testing::AssertionFailure() << "ffmpeg gave " << frame.size() << " bytes";
    const int scale = std::min(width / picture_columns, height / picture_rows);
    const int left = (width - picture_columns * scale) / 2;
    const int top = (height - picture_rows * scale) / 2;
    uint8_t dots[picture_dot_count];
    picture_dots(model, false, dots);
    Rgb colours[picture_dot_kinds];
    picture_colours(model, picture_palettes[0], colours);
    int wrong = 0;
    for (int y = 0; y < picture_rows; ++y) {
        for (int x = 0; x < picture_columns; ++x) {
            // Left of and above the middle: clear of the glass line.
            const int px = left + x * scale + (scale - 1) / 2;
            const int py = top + y * scale + (scale - 1) / 2;
            const auto* p = reinterpret_cast<const uint8_t*>(&frame[(py * width + px) * 3]);
            int nearest = 0;
            long best = -1;
            for (int k = 0; k < picture_dot_kinds; ++k) {
                const long d = (p[0] - colours[k].r) * (p[0] - colours[k].r) +
                               (p[1] - colours[k].g) * (p[1] - colours[k].g) +
                               (p[2] - colours[k].b) * (p[2] - colours[k].b);
                if (best < 0 || d < best) best = d, nearest = k;
            }
            if (nearest != dots[y * picture_columns + x]) ++wrong;
        }
    }
    // The dark background round the display, at a corner.
    const auto* corner = reinterpret_cast<const uint8_t*>(frame.data());
    if (left > 0 && (corner[0] > 40 || corner[1] > 40 || corner[2] > 40))
        return ::testing::AssertionFailure() << "the corner is not dark";
    if (wrong > 0) return ::testing::AssertionFailure() << wrong << " dots wrong at " << seconds;
    return ::testing::AssertionSuccess();
}

class RenderVideo : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") != 0)
            GTEST_SKIP() << "ffmpeg is not installed";
        directory = make_directory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override { remove_directory(directory); }
    std::string directory;
};

// On the link's own clock the show's blank end comes 119 ms before the
// music's: the video goes on to the music's end rather than cutting it.
TEST_F(RenderVideo, SixtyFramesASecondForAllOfTheMusic) {
    place_music(cached_silent_music(music_ms), directory);
    Child child = start_program(
        {STARGLOW_RENDER_BIN, "--quiet", "--wire", "show.wire", "--video", "show.mp4"}, {},
        directory);
    ASSERT_EQ(finish_child(child, 300000), 0) << child.errors;
    const std::string video = directory + "/show.mp4";
    EXPECT_EQ(probe(video, "v:0", "width,height"), "738,234");  // native by default
    EXPECT_EQ(probe(video, "v:0", "r_frame_rate"), "60/1");
    EXPECT_EQ(probe(video, "v:0", "nb_frames"), std::to_string((music_ms * 60 + 999) / 1000));
    EXPECT_GE(audio_ms(video), music_ms - 1.0);
    EXPECT_LE(audio_ms(video), music_ms + 50.0);
    const std::vector<uint8_t> wire = read_bytes(directory + "/show.wire");
    EXPECT_TRUE(shows_every_dot(video, 203.1, 738, 234, model_after_frames(wire, SIZE_MAX)));
}

// --size 720p: the display ten pixels a dot, centred on a dark background.
// A turn a second (--step 1000): turn k shows from k s on, so at 40.5 s the
// display holds the 41st frame.
TEST_F(RenderVideo, TheSizeAskedForShowsEveryDot) {
    place_music(cached_silent_music(music_ms), directory);
    Child child = start_program({STARGLOW_RENDER_BIN, "--quiet", "--step", std::to_string(step_ms),
                                 "--wire", "show.wire", "--video", "show.mp4", "--size", "720p"},
                                {}, directory);
    ASSERT_EQ(finish_child(child, 300000), 0) << child.errors;
    const std::string video = directory + "/show.mp4";
    EXPECT_EQ(probe(video, "v:0", "width,height"), "1280,720");
    EXPECT_EQ(probe(video, "v:0", "r_frame_rate"), "60/1");
    // The last turn (203 s) and its blank frame held for a second.
    EXPECT_EQ(probe(video, "v:0", "nb_frames"), std::to_string(204 * 60));
    EXPECT_GE(audio_ms(video), music_ms - 1.0);
    const std::vector<uint8_t> wire = read_bytes(directory + "/show.wire");
    for (int second : {40, 130})
        EXPECT_TRUE(shows_every_dot(video, second + 0.5, 1280, 720,
                                    model_after_frames(wire, static_cast<size_t>(second) + 1)));
    EXPECT_TRUE(shows_every_dot(video, 203.5, 1280, 720, model_after_frames(wire, SIZE_MAX)));
}

}  // namespace
