// The show on a virtual clock: the same bytes every time, the bytes
// starglow's own loop writes, and a per-turn log that tells the truth.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/music_player.h"
#include "audio/offline_music.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "platform/clock.h"
#include "random/show_random.h"
#include "render/render_show.h"
#include "support/capture_sink.h"
#include "support/wire_compare.h"

namespace {

Bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> read_lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The value of a number field of one turn's JSON line.
long long number_field(const std::string& line, const std::string& name) {
    const size_t at = line.find("\"" + name + "\":");
    if (at == std::string::npos) return -999999;
    return std::atoll(line.c_str() + at + name.size() + 3);
}

std::string text_field(const std::string& line, const std::string& name) {
    const size_t at = line.find("\"" + name + "\":\"");
    if (at == std::string::npos) return "";
    const size_t start = at + name.size() + 4;
    return line.substr(start, line.find('"', start) - start);
}

std::string hex(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

class RenderShow : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/starglow-render-XXXXXX";
        directory = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + directory).c_str()); }

    // Renders the silent show; returns the exit status.
    int render(int32_t step_ms, const std::string& name) {
        RenderOptions options;
        options.silent = true;
        options.step_ms = step_ms;
        options.wire_path = directory + "/" + name + ".wire";
        options.turns_path = directory + "/" + name + ".jsonl";
        return render_show(options);
    }
    std::string directory;
};

TEST_F(RenderShow, SameOptionsGiveTheSameBytes) {
    ASSERT_EQ(render(0, "a"), 0);
    ASSERT_EQ(render(0, "b"), 0);
    EXPECT_TRUE(wire_equal(read_bytes(directory + "/b.wire"), read_bytes(directory + "/a.wire")));
    EXPECT_EQ(read_bytes(directory + "/b.jsonl"), read_bytes(directory + "/a.jsonl"));
}

// Each turn's line against the wire: the frame it names is the frame sent,
// the glyphs it names are the definitions written since the last frame, and
// its row and t follow the timeline.
void expect_turns_match_wire(const std::vector<std::string>& turns, const Bytes& wire) {
    size_t at = 0;
    for (size_t turn = 0; turn < turns.size(); ++turn) {
        const std::string& line = turns[turn];
        ASSERT_EQ(number_field(line, "turn"), static_cast<long long>(turn));
        std::string glyphs = "[";
        while (at + 96 <= wire.size() && wire[at + 1] == 0x4E) {
            if (glyphs.size() > 1) glyphs += ",";
            glyphs += "[" + std::to_string(wire[at + 2]) + ",\"" + hex(&wire[at + 3], 8) + "\"]";
            at += 11;
        }
        glyphs += "]";
        ASSERT_LE(at + 96, wire.size());
        uint8_t cells[80];
        for (int row = 0; row < 4; ++row) {
            ASSERT_EQ(wire[at + row * 24 + 1], 0x47) << "turn " << turn;
            std::copy(&wire[at + row * 24 + 4], &wire[at + row * 24 + 24], cells + row * 20);
        }
        at += 96;
        EXPECT_EQ(text_field(line, "screen"), hex(cells, 80)) << "turn " << turn;
        EXPECT_NE(line.find("\"glyphs\":" + glyphs + ","), std::string::npos) << "turn " << turn;

        const long long clock = number_field(line, "clock_ms");
        EXPECT_EQ(number_field(line, "position_ms"), clock);
        const int row =
            timeline_row_at(show_timeline, show_scene_rows, static_cast<int32_t>(clock));
        ASSERT_GE(row, 0);
        EXPECT_EQ(number_field(line, "row"), row + 1) << "turn " << turn;
        EXPECT_EQ(number_field(line, "t"), clock - show_timeline[row].start_ms) << "turn " << turn;
    }
    EXPECT_EQ(at, wire.size());
}

void expect_ends_with_one_blank_frame(const std::vector<std::string>& turns) {
    ASSERT_GE(turns.size(), 2u);
    EXPECT_GT(number_field(turns.back(), "clock_ms"), 202000);
    EXPECT_LE(number_field(turns[turns.size() - 2], "clock_ms"), 202000);
    std::string blank_cells;
    for (int i = 0; i < 80; ++i) blank_cells += "20";
    EXPECT_EQ(text_field(turns.back(), "screen"), blank_cells);
}

TEST_F(RenderShow, LinkPacedTurnsMatchTheWireAndEndBlank) {
    ASSERT_EQ(render(0, "paced"), 0);
    const std::vector<std::string> turns = read_lines(directory + "/paced.jsonl");
    const Bytes wire = read_bytes(directory + "/paced.wire");
    expect_turns_match_wire(turns, wire);
    expect_ends_with_one_blank_frame(turns);
    // Paced by the link: each turn's clock is the time of the bytes before it.
    EXPECT_EQ(number_field(turns.back(), "clock_ms"),
              static_cast<long long>((wire.size() - 96) * 25 / 144));
}

TEST_F(RenderShow, SteppedTurnsMatchTheWireAndEndBlank) {
    ASSERT_EQ(render(40, "stepped"), 0);
    const std::vector<std::string> turns = read_lines(directory + "/stepped.jsonl");
    expect_turns_match_wire(turns, read_bytes(directory + "/stepped.wire"));
    expect_ends_with_one_blank_frame(turns);
    for (size_t k = 0; k < turns.size(); ++k)
        EXPECT_EQ(number_field(turns[k], "clock_ms"), 40 * (long long)k);
}

// The loop that starglow runs, driven by the same clock values: it writes
// exactly the render's wire.
uint32_t scripted_ms = 0;
uint32_t scripted_clock() {
    static bool t0_read = false;
    if (!t0_read) {
        t0_read = true;
        return 0;
    }
    const uint32_t now = scripted_ms;
    scripted_ms += 40;
    set_offline_position_ms(now);
    return now;
}

TEST_F(RenderShow, WireIsWhatTheShowsOwnLoopWrites) {
    ASSERT_EQ(render(40, "render"), 0);
    const Bytes rendered = read_bytes(directory + "/render.wire");

    CaptureSink capture;
    attach_capture(capture);
    use_offline_music();
    use_offline_silence(203154);
    start_music();
    show_rand_restart();  // as a fresh process
    loop_state.clock = scripted_clock;
    loop_state.console = nullptr;
    prepare_screen();
    build_timeline(show_timeline);
    mark_t0();
    run_frame_loop();
    stop_music();
    loop_state.clock = monotonic_ms;
    loop_state.console = stdout;
    EXPECT_TRUE(wire_equal(capture.stream(), rendered));
}

}  // namespace
