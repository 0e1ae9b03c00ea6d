// The video's frames, turned back into colours by BT.709's own inverse and
// held against the display's picture at the same scale: every pixel, the
// sizes and where the picture sits, and what is drawn again when.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/video_frame.h"
#include "support/model_support.h"

namespace {

struct Colour {
    double r, g, b;
};

// Limited-range BT.709 back to 0..255, written from the standard rather
// than from the code under test.
Colour from_yuv(int y, int u, int v) {
    const double luma = (y - 16) / 219.0;
    const double cb = (u - 128) / 224.0;
    const double cr = (v - 128) / 224.0;
    const double r = luma + 1.5748 * cr;
    const double b = luma + 1.8556 * cb;
    const double g = (luma - 0.2126 * r - 0.0722 * b) / 0.7152;
    return {r * 255.0, g * 255.0, b * 255.0};
}

LcdModel busy_model() {
    return model_after(
        join({command(cmd::define_glyph, {0, 0x1F, 0x11, 0x15, 0x11, 0x1F, 0x00, 0x0A, 0x04}),
              text("Video"), Stream{0, 0, 0}, command(cmd::cursor_to, {3, 4}), text("every dot"),
              command(cmd::cursor_to, {20, 2}), Stream{0xFF}}));
}

// The frame's colour at (x, y): luma of the pixel, chroma of its block.
Colour frame_colour(const VideoFrame& f, int x, int y) {
    const int width = f.layout.width;
    const int height = f.layout.height;
    const uint8_t* luma = f.planes.data();
    const uint8_t* u = luma + width * height;
    const uint8_t* v = u + (width / 2) * (height / 2);
    const size_t chroma = static_cast<size_t>((y / 2) * (width / 2) + x / 2);
    return from_yuv(luma[y * width + x], u[chroma], v[chroma]);
}

TEST(VideoFrame, SizesAreWholeScalesCentredOnEvenPixels) {
    struct Want {
        const char* name;
        int width, height, scale;
    };
    for (const Want& want : {Want{"native", 738, 234, 6}, Want{"720p", 1280, 720, 10},
                             Want{"1080p", 1920, 1080, 15}}) {
        VideoSize size{};
        ASSERT_TRUE(video_size_named(want.name, &size)) << want.name;
        const VideoLayout l = video_layout(size);
        EXPECT_EQ(l.width, want.width) << want.name;
        EXPECT_EQ(l.height, want.height) << want.name;
        EXPECT_EQ(l.scale, want.scale) << want.name;
        // Centred to within the one pixel that keeps chroma aligned.
        const int spare_x = l.width - picture_columns * l.scale;
        const int spare_y = l.height - picture_rows * l.scale;
        EXPECT_LE(std::abs(spare_x - 2 * l.left), 2) << want.name;
        EXPECT_LE(std::abs(spare_y - 2 * l.top), 2) << want.name;
        EXPECT_EQ(l.left % 2, 0) << want.name;
        EXPECT_EQ(l.top % 2, 0) << want.name;
        // The next whole scale would not fit.
        EXPECT_TRUE(picture_columns * (l.scale + 1) > l.width ||
                    picture_rows * (l.scale + 1) > l.height)
            << want.name;
    }
    VideoSize size{};
    EXPECT_FALSE(video_size_named("4k", &size));
}

// Every pixel whose two-by-two block is of one colour shows that colour of
// the picture (or the background round it); the others carry at least
// their own brightness.
TEST(VideoFrame, EveryPixelIsThePicturesScaledOrTheBackground) {
    const LcdModel model = busy_model();
    for (VideoSize size : {VideoSize::native, VideoSize::hd720, VideoSize::hd1080}) {
        VideoFrame frame;
        video_frame_start(frame, size);
        ASSERT_TRUE(video_frame_draw(frame, model, picture_palettes[0]));
        const VideoLayout& l = frame.layout;
        const int picture_width = picture_columns * l.scale;
        const int picture_height = picture_rows * l.scale;
        std::vector<uint8_t> rgb(picture_rgb_bytes(l.scale));
        picture_rgb(model, picture_palettes[0], l.scale, false, rgb.data());
        auto expected = [&](int x, int y) {
            const int px = x - l.left, py = y - l.top;
            if (px < 0 || py < 0 || px >= picture_width || py >= picture_height)
                return Colour{double(video_background.r), double(video_background.g),
                              double(video_background.b)};
            const uint8_t* p = &rgb[(static_cast<size_t>(py) * picture_width + px) * 3];
            return Colour{double(p[0]), double(p[1]), double(p[2])};
        };
        auto same = [](Colour a, Colour b) { return a.r == b.r && a.g == b.g && a.b == b.b; };
        int checked = 0, failures = 0;
        for (int y = 0; y < l.height; y += 2) {
            for (int x = 0; x < l.width; x += 2) {
                const Colour e = expected(x, y);
                const bool uniform = same(e, expected(x + 1, y)) && same(e, expected(x, y + 1)) &&
                                     same(e, expected(x + 1, y + 1));
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const Colour want = expected(x + dx, y + dy);
                        const Colour got = frame_colour(frame, x + dx, y + dy);
                        const double wl = 0.2126 * want.r + 0.7152 * want.g + 0.0722 * want.b;
                        const double gl = 0.2126 * got.r + 0.7152 * got.g + 0.0722 * got.b;
                        bool ok = std::fabs(wl - gl) <= 1.5;
                        if (uniform)
                            ok = ok && std::fabs(want.r - got.r) <= 2.5 &&
                                 std::fabs(want.g - got.g) <= 2.5 &&
                                 std::fabs(want.b - got.b) <= 2.5;
                        if (!ok && failures++ < 5)
                            ADD_FAILURE()
                                << "pixel " << x + dx << "," << y + dy << " of " << l.width << "x"
                                << l.height << ": got " << got.r << "," << got.g << "," << got.b
                                << ", want " << want.r << "," << want.g << "," << want.b;
                        ++checked;
                    }
                }
            }
        }
        EXPECT_EQ(checked, l.width * l.height);
        EXPECT_EQ(failures, 0) << l.width << "x" << l.height;
    }
}

TEST(VideoFrame, OnlyAChangedDisplayIsDrawnAgain) {
    LcdModel model = busy_model();
    VideoFrame frame;
    video_frame_start(frame, VideoSize::hd720);
    EXPECT_TRUE(video_frame_draw(frame, model, picture_palettes[0]));
    const std::vector<uint8_t> first = frame.planes;
    EXPECT_FALSE(video_frame_draw(frame, model, picture_palettes[0]));
    EXPECT_EQ(frame.planes, first);
    // A new colour (the backlight's brightness) and a new dot both count.
    feed(model, command(cmd::set_brightness, {100}));
    EXPECT_TRUE(video_frame_draw(frame, model, picture_palettes[0]));
    EXPECT_NE(frame.planes, first);
    const std::vector<uint8_t> dimmer = frame.planes;
    feed(model, text("!"));
    EXPECT_TRUE(video_frame_draw(frame, model, picture_palettes[0]));
    EXPECT_NE(frame.planes, dimmer);
    // Another palette is another picture.
    EXPECT_TRUE(video_frame_draw(frame, model, picture_palettes[1]));
}

}  // namespace
