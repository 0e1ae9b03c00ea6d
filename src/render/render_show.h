// The whole show on a virtual clock: the very frame loop and scenes of
// starglow, with the link's bytes captured instead of sent to a port.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* render_program_name = "starglow-render";

struct RenderOptions {
    int32_t step_ms = 0;  // 0: the clock follows the link's bytes
    bool silent = false;  // no music: the spectrum reads zero
    std::string music_path = "starglow.mp3";
    std::string wire_path;  // each output only when named
    std::string turns_path;
    std::string png_dir;
    int png_every = 1;  // every Nth turn
    std::string gif_path;
    std::string video_path;
    int video_fps = 60;                 // the show runs at about 60 frames a second
    std::string video_size = "native";  // native, 720p or 1080p (render/video_frame.h)
    std::string sheet_path;
    std::string palette = "blue";  // the colours lcdemu draws with
    int scale = 4;                 // pixels per LCD dot in PNGs and the GIF
    bool progress = false;         // a progress bar on standard error
};

// Returns the exit status: 0, or 1 after a message on standard error.
int render_show(const RenderOptions& options);
