// virtual_show WIRE: the show's core on the virtual link, as the renderer
// runs it with --silent: the clock advances only as bytes are written (10
// bits a byte at 57600 baud), the music is silence of the show's length,
// and every byte the loop and the scenes write after t0 goes to WIRE. Built
// for Windows, so that its wire can be held against the Linux renderer's.
#include <cstdio>

#include "audio/music_player.h"
#include "audio/offline_music.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "driver/timeline.h"
#include "random/show_random.h"
#include "render/virtual_clock.h"

namespace {

FILE* virtual_wire = nullptr;

uint32_t virtual_sink_write(void*, const uint8_t* bytes, uint32_t count) {
    count_link_bytes(count);
    std::fwrite(bytes, 1, count, virtual_wire);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: virtual_show WIRE\n");
        return 2;
    }
    virtual_wire = std::fopen(argv[1], "wb");  // binary: no CR before LF
    if (virtual_wire == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    use_offline_music();
    use_offline_silence(music_length_ms);
    start_music();
    show_rand_restart();
    reset_virtual_clock(0);
    attach_display_sink(virtual_sink_write, nullptr);
    loop_state.clock = virtual_show_clock;
    loop_state.console = nullptr;
    prepare_screen();
    build_timeline(show_timeline);
    mark_t0();
    run_frame_loop();
    stop_music();
    return std::fclose(virtual_wire) == 0 ? 0 : 1;
}
