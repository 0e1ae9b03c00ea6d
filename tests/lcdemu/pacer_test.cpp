// The wire's pacing on a virtual clock: bytes reach the model at ten bits a
// byte, an idle line starts when bytes arrive, and the stop and start
// characters go out at a UART's worth of waiting bytes.
#include <gtest/gtest.h>

#include <vector>

#include "lcdemu/pacer.h"

namespace {

constexpr uint32_t show_baud = 57600;
constexpr int64_t second_ns = 1000000000;
constexpr int64_t byte_ns = pacer_bits_per_byte * second_ns / show_baud;  // 173611 ns

// When the n-th byte of a run that began at 0 has fully arrived (exact).
constexpr int64_t bytes_done_ns(int64_t n, uint32_t baud = show_baud) {
    return n * pacer_bits_per_byte * second_ns / baud;
}

std::vector<uint8_t> bytes_of(int count) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return bytes;
}

int release_until(WirePacer& pacer, int64_t now_ns, std::vector<uint8_t>* out = nullptr) {
    uint8_t buffer[pacer_capacity_bytes];
    const int n = pacer_release(&pacer, now_ns, buffer, pacer_capacity_bytes);
    if (out != nullptr) out->insert(out->end(), buffer, buffer + n);
    return n;
}

TEST(Pacer, BytesCrossTheLineAtTenBitsEach) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    const std::vector<uint8_t> sent = bytes_of(pacer_capacity_bytes);
    ASSERT_EQ(pacer_push(&pacer, sent.data(), 4000, 0), 4000);
    EXPECT_EQ(pacer_next_due_ns(&pacer), byte_ns);
    EXPECT_EQ(release_until(pacer, byte_ns - 1), 0);
    EXPECT_EQ(release_until(pacer, byte_ns), 1);
    std::vector<uint8_t> received = {0};
    // 5760 bytes a second at 57600 baud: after half a second, 2880 in all.
    EXPECT_EQ(release_until(pacer, second_ns / 2, &received) + 1, 2880);
    release_until(pacer, 10 * second_ns, &received);
    EXPECT_EQ(received, std::vector<uint8_t>(sent.begin(), sent.begin() + 4000));
    EXPECT_EQ(pacer_next_due_ns(&pacer), INT64_MAX);
}

TEST(Pacer, AnIdleLineStartsWhenBytesArriveNotBefore) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    const std::vector<uint8_t> b = bytes_of(10);
    pacer_push(&pacer, b.data(), 2, 0);
    EXPECT_EQ(release_until(pacer, second_ns), 2);
    // Long idle, then more: the first takes a whole byte time from arrival.
    pacer_push(&pacer, b.data(), 3, 5 * second_ns);
    EXPECT_EQ(pacer_next_due_ns(&pacer), 5 * second_ns + byte_ns);
    // Bytes arriving while the line is busy follow the ones before them.
    pacer_push(&pacer, b.data(), 1, 5 * second_ns + 1);
    EXPECT_EQ(release_until(pacer, 5 * second_ns + 4 * byte_ns - 1), 3);
    EXPECT_EQ(release_until(pacer, 5 * second_ns + 4 * byte_ns + 1), 1);
}

TEST(Pacer, ABaudChangeTakesEffectFromTheNextByte) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    const std::vector<uint8_t> b = bytes_of(100);
    pacer_push(&pacer, b.data(), 100, 0);
    const int64_t change = bytes_done_ns(10);
    EXPECT_EQ(release_until(pacer, change), 10);
    pacer_set_baud(&pacer, 9600, change);
    EXPECT_EQ(release_until(pacer, change + bytes_done_ns(5, 9600) - 1), 4);
    EXPECT_EQ(release_until(pacer, change + bytes_done_ns(5, 9600)), 1);
}

TEST(Pacer, TheQueueIsBounded) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    const std::vector<uint8_t> b = bytes_of(pacer_capacity_bytes);
    EXPECT_EQ(pacer_push(&pacer, b.data(), pacer_capacity_bytes, 0), pacer_capacity_bytes);
    EXPECT_EQ(pacer_room(&pacer), 0);
    EXPECT_EQ(pacer_push(&pacer, b.data(), 10, 0), 0);
    EXPECT_EQ(pacer.peak_bytes, pacer_capacity_bytes);
}

TEST(Pacer, StopAboveAUartsWorthStartOnceDrained) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    const std::vector<uint8_t> b = bytes_of(100);
    pacer_push(&pacer, b.data(), uart_fifo_bytes, 0);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::none);
    pacer_push(&pacer, b.data(), 80, 0);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::stop);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::none);  // once
    const int64_t start_at = pacer_start_due_ns(&pacer, pacer.count);
    EXPECT_EQ(start_at, bytes_done_ns(96 - pacer_start_at_bytes));
    release_until(pacer, start_at - 1);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::none);
    release_until(pacer, start_at);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::start);
    EXPECT_EQ(pacer.stops_sent, 1u);
    EXPECT_EQ(pacer.starts_sent, 1u);
    EXPECT_EQ(pacer_start_due_ns(&pacer, pacer.count), INT64_MAX);
    // What still waits at the client's end counts: held while the pty holds
    // more, however little is queued here, and let go when that will have
    // crossed too.
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count + 200), FlowSignal::stop);
    EXPECT_EQ(pacer_start_due_ns(&pacer, pacer.count + 200),
              bytes_done_ns(96 - pacer_start_at_bytes + 200));
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count + 1), FlowSignal::none);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::start);
}

TEST(Pacer, AClientWithoutXonXoffNeverGetsThem) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    const std::vector<uint8_t> b = bytes_of(500);
    pacer_push(&pacer, b.data(), 500, 0);
    EXPECT_EQ(pacer_flow(&pacer, false, pacer.count), FlowSignal::none);
    // Held, then the client turns XON/XOFF off: its kernel restarts it, so
    // no start character follows.
    pacer_flow(&pacer, true, pacer.count);
    EXPECT_TRUE(pacer.held);
    EXPECT_EQ(pacer_flow(&pacer, false, pacer.count), FlowSignal::none);
    EXPECT_FALSE(pacer.held);
}

// A sender without flow control, as lcdemu reads it: only as the line needs
// bytes, a UART's worth at a time, at each wake-up. Between wake-ups the
// sender's bytes wait at its end (`waiting`), as in a pty, whose reader sees
// no more than its read buffer holds: the rest shows up as it is read.
constexpr int pty_read_buffer_bytes = 4095;
struct PacedSender {
    WirePacer pacer;
    SenderBacklog backlog{};
    int waiting = 0;
    long delivered = 0;

    int seen() const { return waiting < pty_read_buffer_bytes ? waiting : pty_read_buffer_bytes; }

    // One wake-up at `now`: what has crossed goes, then reads while the
    // line wants bytes and the sender has them.
    void wake(int64_t now) {
        for (int round = 0; round < 64; ++round) {
            delivered += release_until(pacer, now);
            const int want = uart_fifo_bytes - pacer.count;
            if (want <= 0 || waiting == 0) break;
            int64_t since = 0;
            int n = backlog_next(&backlog, want, now, &since);
            if (n > waiting) n = waiting;
            const std::vector<uint8_t> b = bytes_of(n);
            ASSERT_EQ(pacer_push(&pacer, b.data(), n, since), n);
            waiting -= n;
            backlog_update(&backlog, n, seen(), now);
        }
    }
};

// The line's own clock for a run that began at 0: bytes fully across by `at`.
long line_bytes_by(int64_t at) {
    return static_cast<long>(at * show_baud / (pacer_bits_per_byte * second_ns));
}

TEST(Pacer, AReaderThatWakesLateCatchesUpWithTheLineAndNeverRunsAhead) {
    PacedSender s;
    pacer_init(&s.pacer, show_baud);
    s.waiting = 20000;  // all written at 0
    s.wake(0);
    // Wake-ups every 2 ms, with some 10 to 60 ms late, as on a busy machine.
    int64_t now = 0;
    for (int k = 1; k <= 400; ++k) {
        now += (k % 37 == 0 ? 60 : k % 11 == 0 ? 10 : 2) * (second_ns / 1000);
        s.wake(now);
        ASSERT_EQ(s.delivered, line_bytes_by(now)) << "wake-up " << k << " at " << now << " ns";
    }
    EXPECT_GT(s.delivered, 5760);  // over a second of the line's time
}

TEST(Pacer, BytesTheReaderHasNotSeenCountFromWhenItFindsThem) {
    PacedSender s;
    pacer_init(&s.pacer, show_baud);
    s.waiting = 10;
    s.wake(0);
    s.wake(50 * (second_ns / 1000));  // finds the line idle and nothing waiting
    EXPECT_EQ(s.delivered, 10);
    // Written at some time after 50 ms, found at 80: they start at 80 ms,
    // not when the line went idle.
    s.waiting = 5;
    const int64_t found = 80 * (second_ns / 1000);
    s.wake(found);
    s.wake(found + byte_ns - 1);
    EXPECT_EQ(s.delivered, 10);
    s.wake(found + byte_ns);
    EXPECT_EQ(s.delivered, 11);
}

TEST(Pacer, BytesInFlightCountUntilTheyArriveOrTimeOut) {
    WirePacer pacer;
    pacer_init(&pacer, show_baud);
    EXPECT_TRUE(pacer_wants_bytes(&pacer, 0));
    pacer_expect(&pacer, 96, 0);
    EXPECT_FALSE(pacer_wants_bytes(&pacer, 1));
    // In flight but not arrived: no stop character (the client could not
    // finish the write it was let make).
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::none);
    const std::vector<uint8_t> b = bytes_of(96);
    pacer_push(&pacer, b.data(), 96, 10);
    EXPECT_EQ(pacer.in_flight, 0);
    EXPECT_EQ(pacer_flow(&pacer, true, pacer.count), FlowSignal::stop);
    release_until(pacer, 10 + bytes_done_ns(80) - 1);
    EXPECT_FALSE(pacer_wants_bytes(&pacer, 10 + bytes_done_ns(80) - 1));
    release_until(pacer, 10 + bytes_done_ns(80));
    EXPECT_TRUE(pacer_wants_bytes(&pacer, 10 + bytes_done_ns(80)));
    // A write that never arrives stops counting after the limit.
    release_until(pacer, second_ns);
    pacer_expect(&pacer, 50, second_ns);
    EXPECT_FALSE(pacer_wants_bytes(&pacer, second_ns + pacer_in_flight_limit_ns));
    EXPECT_TRUE(pacer_wants_bytes(&pacer, second_ns + pacer_in_flight_limit_ns + 1));
}

}  // namespace
