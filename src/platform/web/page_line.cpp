#include "platform/web/page_line.h"

#include <algorithm>
#include <cstring>

PageLine page_line;

namespace {

constexpr uint32_t line_us_per_ms = 1000;

const LineWrite& line_write_at(uint64_t n) {
    return page_line.writes[n % line_capacity_writes];
}

// The oldest byte and write that a reader still needs.
uint64_t line_oldest_byte() {
    const PageLine& l = page_line;
    const uint64_t port =
        l.begun_out < l.writes_in ? line_write_at(l.begun_out).first_byte : l.bytes_in;
    return std::min(l.crossed_out, port);
}

uint64_t line_oldest_write() {
    return std::min(page_line.crossed_write, page_line.begun_out);
}

void line_copy_out(uint64_t first, uint32_t count, uint8_t* out) {
    const uint32_t at = static_cast<uint32_t>(first % line_capacity_bytes);
    const uint32_t before_wrap = std::min(count, line_capacity_bytes - at);
    std::memcpy(out, page_line.bytes + at, before_wrap);
    std::memcpy(out + before_wrap, page_line.bytes, count - before_wrap);
}

// Moves the readers of the oldest write past it.
void line_give_up_oldest_write() {
    PageLine& l = page_line;
    if (l.crossed_write == line_oldest_write() && l.crossed_write < l.writes_in) {
        const LineWrite& w = line_write_at(l.crossed_write);
        l.crossed_out = w.first_byte + w.count;
        ++l.crossed_write;
    }
    if (l.begun_out == line_oldest_write() && l.begun_out < l.writes_in) ++l.begun_out;
}

}  // namespace

void reset_page_line(LineTicks now) {
    PageLine& l = page_line;
    l.now = now;
    l.bytes_in = 0;
    l.writes_in = 0;
    l.crossed_out = 0;
    l.crossed_write = 0;
    l.begun_out = 0;
    l.port_reading = false;
    l.observer = nullptr;
}

void page_line_write(const uint8_t* bytes, uint32_t count) {
    PageLine& l = page_line;
    if (l.observer != nullptr) l.observer(bytes, count);
    if (count > line_capacity_bytes) count = line_capacity_bytes;  // never by the show
    // The page reads the line after every turn, so it holds a second at
    // most. Should a reader still fall a whole ring behind, it skips the
    // oldest writes: the show itself never waits on its readers.
    while ((l.bytes_in + count - line_oldest_byte() > line_capacity_bytes ||
            l.writes_in - line_oldest_write() >= line_capacity_writes) &&
           line_oldest_write() < l.writes_in)
        line_give_up_oldest_write();
    for (uint32_t i = 0; i < count; ++i) l.bytes[(l.bytes_in + i) % line_capacity_bytes] = bytes[i];
    l.writes[l.writes_in % line_capacity_writes] = {l.now, l.bytes_in, count};
    ++l.writes_in;
    l.bytes_in += count;
    l.now += static_cast<LineTicks>(count) * line_ticks_per_byte;
    if (!l.port_reading) l.begun_out = l.writes_in;
}

void page_line_pause_ms(uint32_t ms) {
    page_line.now += static_cast<LineTicks>(ms) * line_ticks_per_ms;
}

void page_line_wake(LineTicks now) {
    page_line.now = std::max(page_line.now, now);
}

uint32_t page_line_ms() {
    return static_cast<uint32_t>(page_line.now / line_ticks_per_ms);
}

uint64_t page_line_us() {
    return static_cast<uint64_t>(page_line.now) * line_us_per_ms / line_ticks_per_ms;
}

LineTicks page_line_idle_at() {
    const PageLine& l = page_line;
    if (l.writes_in == 0) return l.now;
    const LineWrite& last = line_write_at(l.writes_in - 1);
    return std::max(l.now, last.start + static_cast<LineTicks>(last.count) * line_ticks_per_byte);
}

uint32_t page_line_take_crossed(LineTicks at, uint8_t* out, uint32_t capacity) {
    PageLine& l = page_line;
    uint32_t taken = 0;
    while (l.crossed_write < l.writes_in && taken < capacity) {
        const LineWrite& w = line_write_at(l.crossed_write);
        if (at < w.start) break;
        const uint64_t across =
            std::min<uint64_t>(w.count, static_cast<uint64_t>(at - w.start) / line_ticks_per_byte);
        const uint64_t crossed_end = w.first_byte + across;
        if (crossed_end > l.crossed_out) {
            const uint32_t count = static_cast<uint32_t>(
                std::min<uint64_t>(crossed_end - l.crossed_out, capacity - taken));
            line_copy_out(l.crossed_out, count, out + taken);
            taken += count;
            l.crossed_out += count;
        }
        if (l.crossed_out < w.first_byte + w.count) break;
        ++l.crossed_write;
    }
    return taken;
}

uint32_t page_line_take_begun(LineTicks at, uint8_t* out, uint32_t capacity) {
    PageLine& l = page_line;
    uint32_t taken = 0;
    while (l.port_reading && l.begun_out < l.writes_in) {
        const LineWrite& w = line_write_at(l.begun_out);
        if (w.start > at || w.count > capacity - taken) break;
        line_copy_out(w.first_byte, w.count, out + taken);
        taken += w.count;
        ++l.begun_out;
    }
    return taken;
}

uint64_t page_line_unread_bytes() {
    return page_line.bytes_in - line_oldest_byte();
}
