// The frame loop allocates nothing once it runs: every scene of the show,
// a thousand turns, with operator new counted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "platform/clock.h"
#include "support/fake_music.h"

namespace {
bool counting = false;
long allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

uint32_t now = 0;
// 203 ms a turn: a thousand turns cross every window of the timeline.
uint32_t stepping_clock() {
    return now += 203;
}
uint32_t count_write(void*, const uint8_t*, uint32_t count) {
    return count;
}

TEST(NoAllocation, AThousandTurnsThroughEveryScene) {
    reset_fake_music();
    attach_display_sink(count_write, nullptr);
    loop_state.clock = stepping_clock;
    loop_state.console = nullptr;
    prepare_screen();
    build_timeline(show_timeline);
    mark_t0();
    counting = true;
    for (int turn = 0; turn < 1000; ++turn) run_turn();
    counting = false;
    loop_state.clock = monotonic_ms;
    loop_state.console = stdout;
    EXPECT_EQ(allocations, 0);
}

}  // namespace
