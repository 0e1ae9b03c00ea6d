#include "render/video_frame.h"

#include <climits>
#include <cstring>

namespace {

struct VideoFrameSize {
    VideoSize size;
    int width, height;  // 0: the picture's own at video_native_scale
};
constexpr VideoFrameSize video_frame_sizes[] = {
    {VideoSize::native, 0, 0},
    {VideoSize::hd720, 1280, 720},
    {VideoSize::hd1080, 1920, 1080},
};

// BT.709 luma weights; limited range: Y 16..235, U and V 16..240.
constexpr double video_kr = 0.2126;
constexpr double video_kb = 0.0722;
constexpr double video_kg = 1.0 - video_kr - video_kb;
constexpr int video_chroma_one = 256;  // chroma is summed in 1/256 steps, then averaged

// Half of `spare`, rounded to the nearest even number: the margins on the
// two sides then differ by two pixels at most.
int video_even_half(int spare) {
    return 2 * ((spare + 2) / 4);
}

struct VideoColour {
    uint8_t y;
    int u, v;  // in 1/video_chroma_one steps
};

VideoColour video_colour(Rgb rgb) {
    const double r = rgb.r / 255.0, g = rgb.g / 255.0, b = rgb.b / 255.0;
    const double luma = video_kr * r + video_kg * g + video_kb * b;
    const double u = 128.0 + 112.0 * (b - luma) / (1.0 - video_kb);
    const double v = 128.0 + 112.0 * (r - luma) / (1.0 - video_kr);
    return {static_cast<uint8_t>(16.0 + 219.0 * luma + 0.5),
            static_cast<int>(u * video_chroma_one + 0.5),
            static_cast<int>(v * video_chroma_one + 0.5)};
}

// Frame rows (and columns) that show the same dots share a line: -1 for the
// background, else 2 * dot row, plus 1 on the glass line under the dots.
int video_row_line(const VideoFrame& f, int row) {
    const int dot = f.row_dot[static_cast<size_t>(row)];
    return dot < 0 ? -1 : 2 * dot + f.row_edge[static_cast<size_t>(row)];
}

// The colour kind of every pixel of a line.
void video_line_kinds(const VideoFrame& f, int line, uint8_t* kinds) {
    const int width = f.layout.width;
    if (line < 0) {
        std::memset(kinds, video_background_kind, static_cast<size_t>(width));
        return;
    }
    const uint8_t* dots = f.dots + (line / 2) * picture_columns;
    const bool edge_row = line % 2 != 0;
    for (int x = 0; x < width; ++x) {
        const int dot = f.column_dot[static_cast<size_t>(x)];
        if (dot < 0) {
            kinds[x] = video_background_kind;
        } else if (edge_row || f.column_edge[static_cast<size_t>(x)]) {
            kinds[x] = picture_glass;
        } else {
            kinds[x] = dots[dot];
        }
    }
}

}  // namespace

bool video_size_named(const char* name, VideoSize* size) {
    for (const VideoSizeName& n : video_size_names) {
        if (std::strcmp(n.name, name) == 0) {
            *size = n.size;
            return true;
        }
    }
    return false;
}

VideoLayout video_layout(VideoSize size) {
    for (const VideoFrameSize& s : video_frame_sizes) {
        if (s.size != size) continue;
        if (s.width == 0) {
            return {picture_columns * video_native_scale, picture_rows * video_native_scale,
                    video_native_scale, 0, 0};
        }
        // The largest whole scale that fits: nearest neighbour without
        // uneven dots.
        const int across = s.width / picture_columns;
        const int down = s.height / picture_rows;
        const int scale = across < down ? across : down;
        return {s.width, s.height, scale, video_even_half(s.width - picture_columns * scale),
                video_even_half(s.height - picture_rows * scale)};
    }
    return video_layout(VideoSize::native);
}

void video_frame_start(VideoFrame& f, VideoSize size) {
    f.layout = video_layout(size);
    const VideoLayout& l = f.layout;
    const int picture_width = picture_columns * l.scale;
    const int picture_height = picture_rows * l.scale;
    // Which pixels are the glass lines between dots is the picture's own
    // rule: scaled up, a picture of nothing but lit dots shows glass exactly
    // there (its first row gives the columns, its first column the rows).
    std::vector<uint8_t> lit(picture_dot_count, picture_lit);
    std::vector<uint8_t> scaled(static_cast<size_t>(picture_width) *
                                static_cast<size_t>(picture_height));
    picture_scaled_dots(lit.data(), l.scale, scaled.data());

    f.column_dot.assign(static_cast<size_t>(l.width), -1);
    f.column_edge.assign(static_cast<size_t>(l.width), 0);
    for (int x = 0; x < picture_width; ++x) {
        f.column_dot[static_cast<size_t>(l.left + x)] = static_cast<int16_t>(x / l.scale);
        f.column_edge[static_cast<size_t>(l.left + x)] =
            scaled[static_cast<size_t>(x)] == picture_glass;
    }
    f.row_dot.assign(static_cast<size_t>(l.height), -1);
    f.row_edge.assign(static_cast<size_t>(l.height), 0);
    for (int y = 0; y < picture_height; ++y) {
        f.row_dot[static_cast<size_t>(l.top + y)] = static_cast<int16_t>(y / l.scale);
        f.row_edge[static_cast<size_t>(l.top + y)] =
            scaled[static_cast<size_t>(y) * static_cast<size_t>(picture_width)] == picture_glass;
    }
    f.planes.assign(video_frame_bytes(l), 0);
    f.kinds.assign(2 * static_cast<size_t>(l.width), 0);
    f.drawn = false;
}

bool video_frame_draw(VideoFrame& f, const LcdModel& model, const PicturePalette& palette) {
    uint8_t dots[picture_dot_count];
    picture_dots(model, false, dots);
    Rgb colours[picture_dot_kinds];
    picture_colours(model, palette, colours);
    if (f.drawn && std::memcmp(dots, f.dots, sizeof dots) == 0 &&
        std::memcmp(colours, f.colours, sizeof colours) == 0)
        return false;
    std::memcpy(f.dots, dots, sizeof dots);
    std::memcpy(f.colours, colours, sizeof colours);
    f.drawn = true;

    VideoColour kind_colour[video_colour_kinds];
    for (int k = 0; k < picture_dot_kinds; ++k) kind_colour[k] = video_colour(colours[k]);
    kind_colour[video_background_kind] = video_colour(video_background);

    const size_t width = static_cast<size_t>(f.layout.width);
    const int height = f.layout.height;
    uint8_t* luma = f.planes.data();
    uint8_t* u_plane = luma + width * static_cast<size_t>(height);
    const size_t chroma_width = width / 2;
    uint8_t* v_plane = u_plane + chroma_width * static_cast<size_t>(height / 2);
    uint8_t* upper = f.kinds.data();
    uint8_t* lower = upper + width;

    // Rows of one line are alike: each line is worked out once and copied.
    int previous = INT_MIN;
    for (int row = 0; row < height; ++row) {
        uint8_t* out = luma + static_cast<size_t>(row) * width;
        const int line = video_row_line(f, row);
        if (line == previous) {
            std::memcpy(out, out - width, width);
            continue;
        }
        video_line_kinds(f, line, upper);
        for (size_t x = 0; x < width; ++x) out[x] = kind_colour[upper[x]].y;
        previous = line;
    }
    // Each chroma sample is the mean of its four pixels.
    int previous_upper = INT_MIN, previous_lower = INT_MIN;
    for (int row = 0; row < height / 2; ++row) {
        uint8_t* u_out = u_plane + static_cast<size_t>(row) * chroma_width;
        uint8_t* v_out = v_plane + static_cast<size_t>(row) * chroma_width;
        const int a = video_row_line(f, 2 * row);
        const int b = video_row_line(f, 2 * row + 1);
        if (a == previous_upper && b == previous_lower) {
            std::memcpy(u_out, u_out - chroma_width, chroma_width);
            std::memcpy(v_out, v_out - chroma_width, chroma_width);
            continue;
        }
        video_line_kinds(f, a, upper);
        video_line_kinds(f, b, lower);
        for (size_t x = 0; x < chroma_width; ++x) {
            const VideoColour& p = kind_colour[upper[2 * x]];
            const VideoColour& q = kind_colour[upper[2 * x + 1]];
            const VideoColour& r = kind_colour[lower[2 * x]];
            const VideoColour& s = kind_colour[lower[2 * x + 1]];
            constexpr int four = 4 * video_chroma_one;
            u_out[x] = static_cast<uint8_t>((p.u + q.u + r.u + s.u + four / 2) / four);
            v_out[x] = static_cast<uint8_t>((p.v + q.v + r.v + s.v + four / 2) / four);
        }
        previous_upper = a;
        previous_lower = b;
    }
    return true;
}
