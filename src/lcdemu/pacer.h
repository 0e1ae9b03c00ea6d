// The serial wire between a client and the display model, emulated: bytes
// the client has written wait in a queue and reach the model at the line's
// rate (ten bits a byte: start, eight data, stop). When the client's port
// obeys XON/XOFF, the pacer asks for the stop character while more than a
// UART's worth of bytes wait, and for the start character once they have
// drained, so that the client's own kernel holds it to the line's pace.
// Pure logic on a caller-supplied clock (nanoseconds), so tests can drive it.
#pragma once

#include <cstdint>

inline constexpr int pacer_bits_per_byte = 10;
inline constexpr int uart_fifo_bytes = 16;                      // a 16550's receive FIFO
inline constexpr int pacer_stop_above_bytes = uart_fifo_bytes;  // XOFF while more than this waits
inline constexpr int pacer_start_at_bytes = uart_fifo_bytes;    // XON once drained to this
// Bytes a client was let write that have not arrived within this are
// taken as never coming (a write that failed or came up short).
inline constexpr int64_t pacer_in_flight_limit_ns = 100 * 1000 * 1000;
inline constexpr int pacer_capacity_bytes = 4096;
inline constexpr int64_t pacer_ns_per_second = 1000000000;

enum class FlowSignal { none, stop, start };

struct WirePacer {
    uint8_t queue[pacer_capacity_bytes];
    int head;   // index of the oldest byte
    int count;  // bytes waiting
    uint32_t baud;
    int64_t busy_since_ns;  // when the line began sending the current run of bytes
    int64_t run_bytes;      // bytes of that run already delivered
    int64_t last_done_ns;   // when the last delivered byte finished
    int in_flight;          // bytes a client was let write that have not arrived yet
    int64_t in_flight_since_ns;
    bool held;  // stop character sent, start not yet
    uint64_t stops_sent;
    uint64_t starts_sent;
    int peak_bytes;  // most bytes ever waiting
};

void pacer_init(WirePacer* pacer, uint32_t baud);

// A new line rate; bytes still waiting go at the new rate from now.
void pacer_set_baud(WirePacer* pacer, uint32_t baud, int64_t now_ns);

inline int pacer_room(const WirePacer* pacer) {
    return pacer_capacity_bytes - pacer->count;
}

// Queues up to pacer_room bytes that have been waiting at the sender since
// `waiting_since_ns` (the moment they arrived, or an earlier one at which
// they were known to be waiting); returns how many. On an idle line the
// first of them starts then, or when the last byte finished, whichever is
// later: bytes a late reader finds waiting cross as soon as the line's own
// clock lets them, never before they were there. Bytes already due must
// have been released first. They count against any bytes in flight.
int pacer_push(WirePacer* pacer, const uint8_t* bytes, int count, int64_t waiting_since_ns);

// Takes, oldest first, up to `capacity` bytes that have fully crossed the
// line by `now_ns`; returns how many.
int pacer_release(WirePacer* pacer, int64_t now_ns, uint8_t* out, int capacity);

// A client was let write `count` bytes at `now_ns`: they count as waiting
// from now on, until they arrive (or pacer_in_flight_limit_ns passes).
void pacer_expect(WirePacer* pacer, int count, int64_t now_ns);

// Whether the line wants more bytes: what waits, in flight included, has
// drained to pacer_start_at_bytes.
bool pacer_wants_bytes(WirePacer* pacer, int64_t now_ns);

// When the next waiting byte will have crossed the line; INT64_MAX if none.
int64_t pacer_next_due_ns(const WirePacer* pacer);

// While held: when enough of `waiting_bytes` (as for pacer_flow) will have
// crossed for the start character to be due; INT64_MAX when not held.
int64_t pacer_start_due_ns(const WirePacer* pacer, int waiting_bytes);

// What waits at the sender's end (for a pty, in the pty), as far as the
// reader has seen: runs of bytes, oldest first, each with the moment the
// reader first saw it. A reader that takes only what the line needs, and
// wakes late, finds bytes that a real line would already have sent: pushed
// with the time they were seen, they cross at once, as far as the line's own
// clock allows, and never before they were there.
inline constexpr int backlog_runs = 8;
struct SenderBacklog {
    int runs;
    int bytes[backlog_runs];
    int64_t since_ns[backlog_runs];
};

// How many of the next bytes to take (at most `want`) have all been waiting
// since the same moment, and that moment (`now_ns` for bytes not seen yet).
int backlog_next(const SenderBacklog* backlog, int want, int64_t now_ns, int64_t* since_ns);

// `taken` bytes were taken, oldest first, and `unread` wait now.
void backlog_update(SenderBacklog* backlog, int taken, int unread, int64_t now_ns);

// What to send the client now: the stop character when it obeys XON/XOFF
// and more than a UART's worth waits (`waiting_bytes`: the queue and what
// still waits at the client's end), the start character once that has
// drained. A client that stops obeying while held is restarted by its own
// kernel: nothing is sent then. Records what it asks for.
FlowSignal pacer_flow(WirePacer* pacer, bool client_obeys_xon_xoff, int waiting_bytes);
