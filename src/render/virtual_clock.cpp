#include "render/virtual_clock.h"

#include "audio/offline_music.h"

VirtualClock virtual_clock = {0, 0, 0, false};

void reset_virtual_clock(int32_t step_ms) {
    virtual_clock = {step_ms, 0, 0, false};
}

uint32_t virtual_clock_ms() {
    VirtualClock& c = virtual_clock;
    if (!c.t0_read) {
        c.t0_read = true;
        return 0;
    }
    const int64_t turn = c.turns_started++;
    if (c.step_ms > 0) return static_cast<uint32_t>(turn * c.step_ms);
    return link_ms_for_bytes(c.bytes_sent);
}

uint32_t virtual_show_clock() {
    const uint32_t ms = virtual_clock_ms();
    set_offline_position_ms(ms);
    return ms;
}
