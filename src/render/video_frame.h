// The video's picture: the display scaled by whole pixels (nearest
// neighbour, so every dot stays a sharp square), centred on a dark
// background, as the planes of a YUV 4:2:0 frame (BT.709, limited range)
// that the encoder takes as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "display_model/lcd_model.h"
#include "display_model/picture.h"

// The frame sizes --size offers.
enum class VideoSize : uint8_t { native, hd720, hd1080 };

struct VideoSizeName {
    const char* name;
    VideoSize size;
};
inline constexpr VideoSizeName video_size_names[] = {
    {"native", VideoSize::native},  // the picture alone at video_native_scale
    {"720p", VideoSize::hd720},     // 1280x720
    {"1080p", VideoSize::hd1080},   // 1920x1080
};

inline constexpr int video_native_scale = 6;                     // 738x234
inline constexpr Rgb video_background = {14, 14, 18};            // round the display
inline constexpr int video_background_kind = picture_dot_kinds;  // after the dot kinds
inline constexpr int video_colour_kinds = picture_dot_kinds + 1;

// Where the picture lies in the frame. All four numbers are even, so that
// chroma samples never straddle the frame's edge or the picture's.
struct VideoLayout {
    int width, height;  // of the frame
    int scale;          // frame pixels per dot
    int left, top;      // of the picture in the frame
};

// The size named `name`; false when there is none of that name.
bool video_size_named(const char* name, VideoSize* size);

VideoLayout video_layout(VideoSize size);

inline constexpr size_t video_frame_bytes(const VideoLayout& layout) {
    return static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height) * 3 / 2;
}

struct VideoFrame {
    VideoLayout layout;
    // Per frame column and row: the dot under it (-1: the background) and
    // whether it is the glass line at the edge of that dot's square.
    std::vector<int16_t> column_dot, row_dot;
    std::vector<uint8_t> column_edge, row_edge;
    std::vector<uint8_t> planes;  // Y, then U, then V
    std::vector<uint8_t> kinds;   // one frame row of colour kinds, scratch
    uint8_t dots[picture_dot_count];
    Rgb colours[picture_dot_kinds];
    bool drawn;
};

// Sizes every buffer for the layout (the only allocation).
void video_frame_start(VideoFrame& frame, VideoSize size);

// Draws the display as it stands into frame.planes (unless it shows what
// the last frame showed); true when the planes changed.
bool video_frame_draw(VideoFrame& frame, const LcdModel& model, const PicturePalette& palette);
