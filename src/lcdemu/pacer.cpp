#include "lcdemu/pacer.h"

#include <climits>

namespace {

constexpr int64_t pacer_rebase_bytes = 1 << 20;

// The moment byte `n` (counted from 0) of a run that began at `since`
// has fully arrived.
int64_t pacer_done_ns(const WirePacer* p, int64_t n) {
    return p->busy_since_ns + (n + 1) * pacer_bits_per_byte * pacer_ns_per_second / p->baud;
}

}  // namespace

void pacer_init(WirePacer* pacer, uint32_t baud) {
    pacer->head = 0;
    pacer->count = 0;
    pacer->baud = baud == 0 ? 1 : baud;
    pacer->busy_since_ns = 0;
    pacer->run_bytes = 0;
    pacer->last_done_ns = INT64_MIN / 2;
    pacer->in_flight = 0;
    pacer->in_flight_since_ns = 0;
    pacer->held = false;
    pacer->stops_sent = 0;
    pacer->starts_sent = 0;
    pacer->peak_bytes = 0;
}

void pacer_set_baud(WirePacer* pacer, uint32_t baud, int64_t now_ns) {
    if (baud == 0 || baud == pacer->baud) return;
    pacer->baud = baud;
    // The byte on the line finishes at the new rate, counted from now or
    // from the end of the last one, whichever is later.
    pacer->busy_since_ns = now_ns > pacer->last_done_ns ? now_ns : pacer->last_done_ns;
    pacer->run_bytes = 0;
}

int pacer_push(WirePacer* pacer, const uint8_t* bytes, int count, int64_t waiting_since_ns) {
    if (count > pacer_room(pacer)) count = pacer_room(pacer);
    if (count <= 0) return 0;
    if (pacer->count == 0) {
        // An idle line starts sending when the bytes are there, but never
        // before the previous byte has finished.
        pacer->busy_since_ns =
            waiting_since_ns > pacer->last_done_ns ? waiting_since_ns : pacer->last_done_ns;
        pacer->run_bytes = 0;
    }
    for (int i = 0; i < count; ++i)
        pacer->queue[(pacer->head + pacer->count + i) % pacer_capacity_bytes] = bytes[i];
    pacer->count += count;
    pacer->in_flight = pacer->in_flight > count ? pacer->in_flight - count : 0;
    if (pacer->count > pacer->peak_bytes) pacer->peak_bytes = pacer->count;
    return count;
}

void pacer_expect(WirePacer* pacer, int count, int64_t now_ns) {
    pacer->in_flight += count;
    pacer->in_flight_since_ns = now_ns;
}

bool pacer_wants_bytes(WirePacer* pacer, int64_t now_ns) {
    if (pacer->in_flight > 0 && now_ns - pacer->in_flight_since_ns > pacer_in_flight_limit_ns)
        pacer->in_flight = 0;
    return pacer->count + pacer->in_flight <= pacer_start_at_bytes;
}

int pacer_release(WirePacer* pacer, int64_t now_ns, uint8_t* out, int capacity) {
    int n = 0;
    while (n < capacity && pacer->count > 0) {
        const int64_t done = pacer_done_ns(pacer, pacer->run_bytes);
        if (done > now_ns) break;
        out[n++] = pacer->queue[pacer->head];
        pacer->head = (pacer->head + 1) % pacer_capacity_bytes;
        --pacer->count;
        ++pacer->run_bytes;
        pacer->last_done_ns = done;
        if (pacer->run_bytes == pacer_rebase_bytes) {
            // Keep the products small on an endless run (loses under 1 ns).
            pacer->busy_since_ns = done;
            pacer->run_bytes = 0;
        }
    }
    return n;
}

int backlog_next(const SenderBacklog* backlog, int want, int64_t now_ns, int64_t* since_ns) {
    if (backlog->runs == 0) {
        *since_ns = now_ns;  // arrived since the last look: at the latest now
        return want;
    }
    *since_ns = backlog->since_ns[0];
    return want < backlog->bytes[0] ? want : backlog->bytes[0];
}

void backlog_update(SenderBacklog* backlog, int taken, int unread, int64_t now_ns) {
    int known = 0;
    int kept = 0;
    for (int i = 0; i < backlog->runs; ++i) {
        const int from_run = taken < backlog->bytes[i] ? taken : backlog->bytes[i];
        taken -= from_run;
        if (backlog->bytes[i] == from_run) continue;
        backlog->bytes[kept] = backlog->bytes[i] - from_run;
        backlog->since_ns[kept] = backlog->since_ns[i];
        known += backlog->bytes[kept++];
    }
    backlog->runs = kept;
    const int fresh = unread - known;
    if (fresh < 0) {
        // Fewer than seen (the sender flushed its output): start again.
        backlog->runs = 0;
        if (unread > 0) backlog_update(backlog, 0, unread, now_ns);
        return;
    }
    if (fresh == 0) return;
    if (backlog->runs == backlog_runs) {
        // Full: the fresh bytes join the newest run, which is counted from
        // now on, erring on the side of the line. The older runs keep their
        // times: they are what a late reader takes first to catch up.
        backlog->bytes[backlog_runs - 1] += fresh;
        backlog->since_ns[backlog_runs - 1] = now_ns;
        return;
    }
    backlog->bytes[backlog->runs] = fresh;
    backlog->since_ns[backlog->runs] = now_ns;
    ++backlog->runs;
}

int64_t pacer_next_due_ns(const WirePacer* pacer) {
    if (pacer->count == 0) return INT64_MAX;
    return pacer_done_ns(pacer, pacer->run_bytes);
}

int64_t pacer_start_due_ns(const WirePacer* pacer, int waiting_bytes) {
    if (!pacer->held) return INT64_MAX;
    // Bytes still at the client's end follow the queue without a gap.
    const int64_t to_go = waiting_bytes - pacer_start_at_bytes;
    if (to_go <= 0) return INT64_MIN;
    return pacer_done_ns(pacer, pacer->run_bytes + to_go - 1);
}

FlowSignal pacer_flow(WirePacer* pacer, bool client_obeys_xon_xoff, int waiting_bytes) {
    // Bytes in flight do not count here: a client held while its let-through
    // write waits to complete would never complete it.
    const int waiting = waiting_bytes;
    if (!pacer->held) {
        if (!client_obeys_xon_xoff || waiting <= pacer_stop_above_bytes) return FlowSignal::none;
        pacer->held = true;
        ++pacer->stops_sent;
        return FlowSignal::stop;
    }
    if (!client_obeys_xon_xoff) {
        pacer->held = false;
        return FlowSignal::none;
    }
    if (waiting > pacer_start_at_bytes) return FlowSignal::none;
    pacer->held = false;
    ++pacer->starts_sent;
    return FlowSignal::start;
}
