// The frame loop on a clock and a music position the test sets turn by turn.
#include <gtest/gtest.h>

#include <vector>

#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "platform/clock.h"
#include "support/capture_sink.h"
#include "support/fake_music.h"
#include "support/wire_compare.h"

namespace {

uint32_t fake_now = 0;
uint32_t fake_clock() {
    return fake_now;
}

// A small timeline of recording scenes, to see which ran and with what t.
struct Call {
    char what;  // 'i' init, 'u' update
    int scene;
    int32_t t;
};
std::vector<Call> calls;

template <int N>
void record_init() {
    calls.push_back({'i', N, 0});
}
template <int N>
void record_update(int32_t t, Screen& screen) {
    calls.push_back({'u', N, t});
    fill_screen(screen, static_cast<uint8_t>('A' + N));
}

class FrameLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_fake_music();
        calls.clear();
        attach_capture(capture);
        loop_state.clock = fake_clock;
        loop_state.console = nullptr;
        fake_now = 5000;  // any epoch: only differences count
        prepare_screen();
    }
    void TearDown() override {
        loop_state.clock = monotonic_ms;
        loop_state.console = stdout;
        build_timeline(show_timeline);
    }
    // Runs one turn at clock_ms (since t0) with the music at position_ms.
    bool turn(int32_t clock_ms, uint32_t position_ms) {
        fake_now = loop_state.t0 + static_cast<uint32_t>(clock_ms);
        fake_music.position_ms = position_ms;
        return run_turn();
    }
    CaptureSink capture;
};

TEST_F(FrameLoopTest, ShowTimelineHasThirteenRowsAndASentinel) {
    build_timeline(show_timeline);
    EXPECT_EQ(loop_state.scene_rows, 13);
    EXPECT_EQ(show_timeline[13].start_ms, 999999);
    EXPECT_EQ(show_timeline[13].init, nullptr);
    for (int row = 0; row < 13; ++row)
        EXPECT_LT(show_timeline[row].start_ms, show_timeline[row + 1].start_ms);
    // No two neighbours share an update: every boundary is a scene change.
    for (int row = 0; row < 12; ++row)
        EXPECT_NE(show_timeline[row].update, show_timeline[row + 1].update);
    EXPECT_EQ(show_timeline[0].update, show_timeline[12].update);
}

TEST_F(FrameLoopTest, WindowLowerBoundIsInclusiveUpperExclusive) {
    EXPECT_EQ(timeline_row_at(show_timeline, 13, -1), -1);
    EXPECT_EQ(timeline_row_at(show_timeline, 13, 0), 0);
    EXPECT_EQ(timeline_row_at(show_timeline, 13, 21999), 0);
    EXPECT_EQ(timeline_row_at(show_timeline, 13, 22000), 1);
    EXPECT_EQ(timeline_row_at(show_timeline, 13, 193500), 12);
    EXPECT_EQ(timeline_row_at(show_timeline, 13, 999998), 12);
    EXPECT_EQ(timeline_row_at(show_timeline, 13, 999999), -1);
}

const SceneEntry three_scenes[] = {
    {record_init<0>, record_update<0>, 0},    {record_init<1>, record_update<1>, 1000},
    {record_init<2>, record_update<0>, 2000},  // same update as row 0
    {record_init<3>, record_update<3>, 3000}, {nullptr, nullptr, 4000},
};

TEST_F(FrameLoopTest, SceneChangeRunsInitOnceAndTCountsFromTheRowStart) {
    build_timeline(three_scenes);
    mark_t0();
    turn(3, 0);
    turn(999, 0);
    turn(1000, 0);
    turn(1500, 0);
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].what, 'i');
    EXPECT_EQ(calls[1].t, 3);
    EXPECT_EQ(calls[2].t, 999);
    EXPECT_EQ(calls[3].what, 'i');
    EXPECT_EQ(calls[3].scene, 1);
    EXPECT_EQ(calls[4].t, 0);
    EXPECT_EQ(calls[5].t, 500);
}

TEST_F(FrameLoopTest, ReturningToAnEarlierUpdateRunsItsRowInitAndRestartsT) {
    build_timeline(three_scenes);
    mark_t0();
    turn(500, 0);
    turn(1500, 0);
    calls.clear();
    turn(2010, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].what, 'i');
    EXPECT_EQ(calls[0].scene, 2);
    EXPECT_EQ(calls[1].scene, 0);
    EXPECT_EQ(calls[1].t, 10);
}

TEST_F(FrameLoopTest, RowWithTheCurrentUpdateNeitherInitsNorRestarts) {
    const SceneEntry repeated[] = {
        {record_init<0>, record_update<0>, 0},
        {record_init<1>, record_update<0>, 1000},
        {nullptr, nullptr, 2000},
    };
    build_timeline(repeated);
    mark_t0();
    turn(0, 0);
    turn(1200, 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].what, 'u');
    EXPECT_EQ(calls[2].t, 1200);
}

TEST_F(FrameLoopTest, ClockPastTheSentinelKeepsTheLastSceneWithGrowingT) {
    build_timeline(three_scenes);
    mark_t0();
    turn(3500, 0);
    turn(4000, 0);
    turn(1000000, 0);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].scene, 3);
    EXPECT_EQ(calls[2].t, 1000);
    EXPECT_EQ(calls[3].t, 997000);
}

TEST_F(FrameLoopTest, PositionOfEndMarkRunsOnOneMoreEndsAfterTheSceneDrew) {
    build_timeline(three_scenes);
    mark_t0();
    EXPECT_FALSE(turn(100, 202000));
    EXPECT_FALSE(loop_state.done);
    capture.clear();
    calls.clear();
    EXPECT_TRUE(turn(101, 202001));
    ASSERT_EQ(calls.size(), 1u);  // the scene still drew ...
    Screen blank;
    fill_screen(blank, blank_code);
    ASSERT_EQ(capture.writes.size(), 1u);  // ... and the frame sent is blank
    EXPECT_TRUE(wire_equal(capture.writes[0], frame_packet(blank.cells)));
}

TEST_F(FrameLoopTest, PositionIsComparedUnsigned) {
    build_timeline(three_scenes);
    mark_t0();
    EXPECT_TRUE(turn(0, 0x80000000u));
}

TEST_F(FrameLoopTest, EmptyTimelineShowsTheStartUpScreenUntilTheEnd) {
    const SceneEntry none[] = {{nullptr, nullptr, 0}};
    build_timeline(none);
    EXPECT_EQ(loop_state.scene_rows, 0);
    mark_t0();
    turn(0, 0);
    turn(50000, 1000);
    turn(60000, 202001);
    EXPECT_TRUE(calls.empty());
    ASSERT_EQ(capture.writes.size(), 3u);
    uint8_t start[80];
    for (int i = 0; i < 80; ++i) start[i] = i < 8 ? static_cast<uint8_t>(i) : 0x20;
    EXPECT_TRUE(wire_equal(capture.writes[0], frame_packet(start)));
    EXPECT_TRUE(wire_equal(capture.writes[1], frame_packet(start)));
    uint8_t blank[80];
    for (uint8_t& cell : blank) cell = 0x20;
    EXPECT_TRUE(wire_equal(capture.writes[2], frame_packet(blank)));
}

TEST_F(FrameLoopTest, ClockWrapsModuloTwoToThe32) {
    build_timeline(three_scenes);
    fake_now = 0xFFFFFF00u;
    mark_t0();
    fake_now = 0xFFFFFF00u + 1500u;  // wraps past zero
    fake_music.position_ms = 0;
    run_turn();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back().scene, 1);
    EXPECT_EQ(calls.back().t, 500);
}

TEST_F(FrameLoopTest, EachTurnPollsOncePrintsThePositionAndSendsOneFrame) {
    build_timeline(three_scenes);
    char* text = nullptr;
    size_t size = 0;
    FILE* console = open_memstream(&text, &size);
    loop_state.console = console;
    mark_t0();
    turn(10, 1234);
    turn(20, 202001);
    std::fclose(console);
    EXPECT_STREQ(text, "1234\n202001\n");
    std::free(text);
    EXPECT_EQ(fake_music.polls, 2);
    EXPECT_EQ(capture.writes.size(), 2u);
}

TEST_F(FrameLoopTest, RunFrameLoopReturnsAfterTheBlankFrame) {
    build_timeline(show_timeline);
    mark_t0();
    // The clock advances 40 ms a turn and the music with it.
    struct Step {
        static uint32_t next() {
            fake_now += 40;
            fake_music.position_ms = fake_now - 5000;
            return fake_now;
        }
    };
    fake_now = 5000;
    loop_state.clock = Step::next;
    mark_t0();
    run_frame_loop();
    EXPECT_TRUE(loop_state.done);
    EXPECT_GT(fake_music.position_ms, 202000u);
    Bytes last = capture.writes.back();
    uint8_t blank[80];
    for (uint8_t& cell : blank) cell = 0x20;
    EXPECT_TRUE(wire_equal(last, frame_packet(blank)));
}

}  // namespace
