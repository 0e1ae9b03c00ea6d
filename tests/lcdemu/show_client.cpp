// The show as a client of lcdemu in the end-to-end tests, runnable without
// the music: starglow's own main and every routine of the show, with the
// music player replaced by a stand-in clocked by the monotonic clock. Its
// position starts at 202000 - EMU_SHOW_RUN_MS, so the show ends by itself
// after that many milliseconds (default 3000) of wall-clock time; the
// spectrum is a moving pattern, so frames differ. With EMU_SHOW_WIRE=FILE
// every byte the show writes after its start-up (from the start of the
// music on) is also appended to FILE, write by write.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/music_player.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "driver/startup.h"
#include "platform/clock.h"

MusicPlayer music_player = {nullptr, nullptr, nullptr, 0};
Spectrum spectrum = {};

namespace {

constexpr uint32_t show_client_default_run_ms = 3000;

struct ShowClient {
    uint32_t start_ms;
    uint32_t run_ms;
    FILE* wire;
    SinkWrite port_write;
    void* port_context;
};
ShowClient show_client = {};

uint32_t show_client_tee(void* context, const uint8_t* bytes, uint32_t count) {
    ShowClient* client = static_cast<ShowClient*>(context);
    std::fwrite(bytes, 1, count, client->wire);
    std::fflush(client->wire);
    return client->port_write(client->port_context, bytes, count);
}

}  // namespace

// The stand-in has no track to decode.
void decode_music_ahead() {}

void start_music() {
    const char* run = std::getenv("EMU_SHOW_RUN_MS");
    show_client.run_ms = run != nullptr ? static_cast<uint32_t>(std::strtoul(run, nullptr, 10))
                                        : show_client_default_run_ms;
    show_client.start_ms = monotonic_ms();
    music_player.length_ms = music_length_ms;
    const char* wire = std::getenv("EMU_SHOW_WIRE");
    if (wire != nullptr && (show_client.wire = std::fopen(wire, "wb")) != nullptr) {
        show_client.port_write = display_link.sink_write;
        show_client.port_context = display_link.sink_context;
        attach_display_sink(show_client_tee, &show_client);
    }
}

uint32_t poll_music() {
    const uint32_t elapsed_ms = monotonic_ms() - show_client.start_ms;
    for (int band = 0; band < spectrum_bands; ++band) {
        const double phase = elapsed_ms / 250.0 + band * 0.6;
        spectrum.left[band] = static_cast<float>(0.08 * (1.0 + std::sin(phase)));
        spectrum.right[band] = static_cast<float>(0.08 * (1.0 + std::cos(phase * 0.7)));
    }
    return show_end_position_ms - show_client.run_ms + elapsed_ms;
}

void stop_music() {
    if (show_client.wire != nullptr) std::fclose(show_client.wire);
}

int main(int argc, char** argv) {
    return starglow_main(argc, argv);
}
