// Pictures of the display: the dots of cells, glyphs and cursors, the
// palette's colours, golden PNGs compared pixel for pixel, and an animated
// GIF read back frame by frame.
//
// To redraw the golden files after an intended change of the picture:
//   STARGLOW_UPDATE_GOLDEN=1 build/bin/starglow_emu_tests --gtest_filter='Picture.*'
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/music_player.h"
#include "display/display_link.h"
#include "display_model/gif_movie.h"
#include "display_model/png_picture.h"
#include "scenes/spectrum_bars.h"
#include "support/capture_sink.h"
#include "support/model_support.h"

namespace {

constexpr const char* golden_dir = EMU_GOLDEN_DIR;

uint8_t dot_at(const uint8_t* dots, int cell_row, int cell_column, int y, int x) {
    const int top = picture_margin_dots + cell_row * (glyph_rows + picture_cell_gap_dots);
    const int left = picture_margin_dots + cell_column * (glyph_columns + picture_cell_gap_dots);
    return dots[(top + y) * picture_columns + left + x];
}

// Three states the golden files show.
LcdModel glyph_cells_state() {
    const Stream smiley = {0x00, 0x0A, 0x0A, 0x00, 0x11, 0x0E, 0x00, 0xFF};
    return model_after(
        join({command(cmd::define_glyph, {0}), smiley, command(cmd::cursor_to, {2, 2}),
              Stream{0, 8, 0}, command(cmd::underline_on), command(cmd::cursor_to, {10, 3})}));
}

LcdModel rom_text_state() {
    // Four rows of 20, written in one run (wrap on).
    const std::string rows = std::string("STARGLOW lcdemu 2.0!") + "The quick brown fox " +
                             "jumps over lazy dogs" + "{[(<\"#$%&'*+,-/>)]}";
    return model_after(join({command(cmd::wrap_on), text(rows), command(cmd::cursor_to, {17, 3}),
                             Stream{0x7E, 0x7F, 0xFF}}));
}

LcdModel spectrum_bars_state() {
    CaptureSink capture;
    attach_capture(capture);
    for (int band = 0; band < spectrum_bands; ++band) {
        spectrum.left[band] = 0.01f * static_cast<float>((band * 7) % 17);
        spectrum.right[band] = 0.005f * static_cast<float>((band * 5) % 13);
    }
    spectrum_bars_init();
    Screen screen;
    spectrum_bars_update(10000, screen);
    send_frame(screen);
    return model_after(capture.stream());
}

struct Golden {
    const char* name;
    LcdModel (*state)();
    int scale;
};
const Golden goldens[] = {
    {"glyph_cells", glyph_cells_state, 3},
    {"rom_text", rom_text_state, 2},
    {"spectrum_bars", spectrum_bars_state, 2},
};

bool read_png(const std::string& path, std::vector<uint8_t>* rgb, int* width, int* height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->resize(PNG_IMAGE_SIZE(image));
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
}

TEST(Picture, CellsShowTheirRowsWithGlassBetween) {
    const LcdModel m = glyph_cells_state();
    uint8_t dots[picture_dot_count];
    picture_dots(m, true, dots);
    // Glyph 0, row 1 (0x0A = .#.#.) in cell (1, 1) and in its mirror at (1, 2).
    for (int column : {1, 2}) {
        EXPECT_EQ(dot_at(dots, 1, column, 1, 0), picture_unlit);
        EXPECT_EQ(dot_at(dots, 1, column, 1, 1), picture_lit);
        EXPECT_EQ(dot_at(dots, 1, column, 1, 3), picture_lit);
        // Row 7 was sent as FF: the low five bits light the whole row.
        for (int x = 0; x < glyph_columns; ++x)
            EXPECT_EQ(dot_at(dots, 1, column, 7, x), picture_lit);
    }
    // The gap column after a cell and the margin are glass.
    EXPECT_EQ(dot_at(dots, 1, 1, 0, glyph_columns), picture_glass);
    EXPECT_EQ(dots[0], picture_glass);
    // The underline cursor at (2, 9): its bottom row lit, under a blank.
    EXPECT_EQ(dot_at(dots, 2, 9, 7, 2), picture_lit);
    EXPECT_EQ(dot_at(dots, 2, 9, 6, 2), picture_unlit);
}

TEST(Picture, TheBlockCursorBlinks) {
    const LcdModel m = model_after(join({command(cmd::block_on), command(cmd::cursor_to, {4, 1})}));
    uint8_t on[picture_dot_count], off[picture_dot_count];
    picture_dots(m, true, on);
    picture_dots(m, false, off);
    EXPECT_EQ(dot_at(on, 0, 3, 3, 3), picture_lit);
    EXPECT_EQ(dot_at(off, 0, 3, 3, 3), picture_unlit);
    // A cursor past the end of a row is not shown.
    const LcdModel past = model_after(join({command(cmd::block_on), text(std::string(20, ' '))}));
    picture_dots(past, true, on);
    picture_dots(model_after(text(std::string(20, ' '))), true, off);
    EXPECT_EQ(std::memcmp(on, off, sizeof on), 0);
}

TEST(Picture, BacklightAndBrightnessSetTheColours) {
    const PicturePalette& blue = *picture_palette_named("blue");
    Rgb full[picture_dot_kinds], dark[picture_dot_kinds], half[picture_dot_kinds];
    picture_colours(model_after({}), blue, full);
    picture_colours(model_after(command(cmd::backlight_off)), blue, dark);
    picture_colours(model_after(command(cmd::set_brightness, {128})), blue, half);
    EXPECT_EQ(full[picture_glass].b, blue.lit[picture_glass].b);
    EXPECT_EQ(dark[picture_lit].r, blue.dark[picture_lit].r);
    EXPECT_GT(half[picture_glass].b, dark[picture_glass].b);
    EXPECT_LT(half[picture_glass].b, full[picture_glass].b);
    EXPECT_EQ(picture_palette_named("no such"), nullptr);
    EXPECT_NE(picture_palette_named("green"), nullptr);
    EXPECT_NE(picture_palette_named("amber"), nullptr);
}

TEST(Picture, GoldenPngsPixelForPixel) {
    const bool update = std::getenv("STARGLOW_UPDATE_GOLDEN") != nullptr;
    const PicturePalette& palette = *picture_palette_named("blue");
    for (const Golden& g : goldens) {
        SCOPED_TRACE(g.name);
        const LcdModel m = g.state();
        const std::string golden = std::string(golden_dir) + "/" + g.name + ".png";
        char error[256];
        if (update) {
            ASSERT_TRUE(png_picture_write(m, palette, g.scale, golden.c_str(), error, sizeof error))
                << error;
        }

        // The file written now must read back as the golden one, pixel for pixel.
        const std::string fresh = ::testing::TempDir() + g.name + "_actual.png";
        ASSERT_TRUE(png_picture_write(m, palette, g.scale, fresh.c_str(), error, sizeof error))
            << error;
        std::vector<uint8_t> want, got;
        int want_width = 0, want_height = 0, got_width = 0, got_height = 0;
        ASSERT_TRUE(read_png(golden, &want, &want_width, &want_height)) << "cannot read " << golden;
        ASSERT_TRUE(read_png(fresh, &got, &got_width, &got_height));
        ASSERT_EQ(got_width, picture_columns * g.scale);
        ASSERT_EQ(got_height, picture_rows * g.scale);
        ASSERT_EQ(got_width, want_width);
        ASSERT_EQ(got_height, want_height);
        // The PNG carries exactly what picture_rgb draws.
        std::vector<uint8_t> drawn(static_cast<size_t>(picture_rgb_bytes(g.scale)));
        picture_rgb(m, palette, g.scale, true, drawn.data());
        EXPECT_EQ(drawn, got);
        for (size_t i = 0; i < want.size(); ++i) {
            if (want[i] == got[i]) continue;
            const size_t pixel = i / 3;
            FAIL() << "first difference at x " << pixel % static_cast<size_t>(got_width) << ", y "
                   << pixel / static_cast<size_t>(got_width) << " (see " << fresh
                   << " in the test directory)";
        }
    }
}

TEST(Picture, PngScaleOutOfRangeIsAnErrorNotACrash) {
    char error[256];
    EXPECT_FALSE(png_picture_write(model_after({}), picture_palettes[0], 0, "never.png", error,
                                   sizeof error));
    EXPECT_NE(std::string(error).find("scale"), std::string::npos);
    EXPECT_FALSE(png_picture_write(model_after({}), picture_palettes[0], 2, "/no/such/dir/x.png",
                                   error, sizeof error));
}

TEST(Picture, AGifHoldsEachStateWithItsDelay) {
    const PicturePalette& palette = *picture_palette_named("green");
    const std::string movie_path = ::testing::TempDir() + "movie.gif";
    const char* path = movie_path.c_str();
    GifMovie movie;
    ASSERT_TRUE(gif_movie_open(&movie, path, palette, 2)) << movie.error;
    LcdModel m = model_after(text("one"));
    ASSERT_TRUE(gif_movie_add(&movie, m, 50));
    feed(m, join({command(cmd::cursor_to, {10, 3}), text("two")}));
    ASSERT_TRUE(gif_movie_add(&movie, m, 1));  // raised to the shortest a viewer keeps
    ASSERT_TRUE(gif_movie_add(&movie, m, 7));  // unchanged: one pixel carries the delay
    feed(m, command(cmd::backlight_off));
    ASSERT_TRUE(gif_movie_add(&movie, m, 100));
    ASSERT_TRUE(gif_movie_close(&movie));

    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 4);
    EXPECT_EQ(gif->SWidth, picture_columns * 2);
    const int want_delays[] = {50, gif_movie_min_delay_cs, 7, 100};
    for (int i = 0; i < 4; ++i) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, want_delays[i]) << "frame " << i;
    }
    // Later frames store only what changed; the unchanged one a single pixel.
    EXPECT_EQ(gif->SavedImages[0].ImageDesc.Width, picture_columns * 2);
    EXPECT_LT(gif->SavedImages[1].ImageDesc.Width, picture_columns * 2);
    EXPECT_EQ(gif->SavedImages[2].ImageDesc.Width * gif->SavedImages[2].ImageDesc.Height, 1);
    // The frame with the backlight off has colours of its own.
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.ColorMap, nullptr);
    ASSERT_NE(gif->SavedImages[3].ImageDesc.ColorMap, nullptr);
    Rgb dark[picture_dot_kinds];
    picture_colours(m, palette, dark);
    EXPECT_EQ(gif->SavedImages[3].ImageDesc.ColorMap->Colors[picture_lit].Red, dark[picture_lit].r);

    // Frames 0 and 1 composed give the picture of the state after "two".
    std::vector<uint8_t> canvas(gif->SavedImages[0].RasterBits,
                                gif->SavedImages[0].RasterBits + gif->SWidth * gif->SHeight);
    const GifImageDesc& d = gif->SavedImages[1].ImageDesc;
    for (int y = 0; y < d.Height; ++y)
        std::memcpy(&canvas[static_cast<size_t>((d.Top + y) * gif->SWidth + d.Left)],
                    gif->SavedImages[1].RasterBits + y * d.Width, static_cast<size_t>(d.Width));
    const LcdModel two =
        model_after(join({text("one"), command(cmd::cursor_to, {10, 3}), text("two")}));
    uint8_t dots[picture_dot_count];
    picture_dots(two, true, dots);
    std::vector<uint8_t> want(canvas.size());
    picture_scaled_dots(dots, 2, want.data());
    EXPECT_EQ(canvas, want);
    DGifCloseFile(gif, &error);
}

// The movie as a viewer shows it: each frame's rectangle painted over the
// canvas in that frame's colours (its own map, or the global one).
std::vector<std::vector<Rgb>> gif_composed_frames(GifFileType* gif) {
    std::vector<Rgb> canvas(static_cast<size_t>(gif->SWidth * gif->SHeight));
    std::vector<std::vector<Rgb>> frames;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const GifColorType c = map->Colors[image.RasterBits[y * d.Width + x]];
                canvas[static_cast<size_t>((d.Top + y) * gif->SWidth + d.Left + x)] =
                    Rgb{c.Red, c.Green, c.Blue};
            }
        }
        frames.push_back(canvas);
    }
    return frames;
}

// What the state looks like: its dots in its colours.
std::vector<Rgb> picture_in_colours(const LcdModel& m, const PicturePalette& palette, int scale) {
    uint8_t dots[picture_dot_count];
    picture_dots(m, true, dots);
    std::vector<uint8_t> kinds(static_cast<size_t>(picture_dot_count * scale * scale));
    picture_scaled_dots(dots, scale, kinds.data());
    Rgb colours[picture_dot_kinds];
    picture_colours(m, palette, colours);
    std::vector<Rgb> rgb;
    for (uint8_t k : kinds) rgb.push_back(colours[k]);
    return rgb;
}

bool same_pixels(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const Rgb& x, const Rgb& y) {
               return x.r == y.r && x.g == y.g && x.b == y.b;
           });
}

// A change of light alone (LCDd blinks the backlight's brightness) must not
// leave a half-bright, half-dark screen in the movie.
TEST(Picture, EveryGifFrameShowsItsWholeStateInItsLight) {
    const PicturePalette& palette = *picture_palette_named("blue");
    const std::string movie_path = ::testing::TempDir() + "light.gif";
    GifMovie movie;
    ASSERT_TRUE(gif_movie_open(&movie, movie_path.c_str(), palette, 1)) << movie.error;
    std::vector<LcdModel> states;
    LcdModel m = model_after(text("light"));
    states.push_back(m);
    for (const Stream& change :
         {command(cmd::set_brightness, {0}), join({command(cmd::cursor_to, {1, 2}), text("x")}),
          command(cmd::set_brightness, {255}), command(cmd::set_contrast, {10}),
          command(cmd::backlight_off), join({command(cmd::backlight_on, {0}), text("y")}),
          command(cmd::set_brightness, {100})}) {
        feed(m, change);
        states.push_back(m);
    }
    for (const LcdModel& state : states) ASSERT_TRUE(gif_movie_add(&movie, state, 10));
    ASSERT_TRUE(gif_movie_close(&movie));

    int error = 0;
    GifFileType* gif = DGifOpenFileName(movie_path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    const std::vector<std::vector<Rgb>> shown = gif_composed_frames(gif);
    ASSERT_EQ(shown.size(), states.size());
    for (size_t i = 0; i < states.size(); ++i)
        EXPECT_TRUE(same_pixels(shown[i], picture_in_colours(states[i], palette, 1)))
            << "frame " << i;
    // Text changes alone still store only their rectangle.
    EXPECT_LT(gif->SavedImages[2].ImageDesc.Width, picture_columns);
    DGifCloseFile(gif, &error);
}

TEST(Picture, GifErrorsAreReported) {
    GifMovie movie;
    EXPECT_FALSE(gif_movie_open(&movie, "/no/such/dir/movie.gif", picture_palettes[0], 2));
    EXPECT_NE(std::string(movie.error).find("cannot create"), std::string::npos);
    EXPECT_FALSE(
        gif_movie_open(&movie, "/tmp/never.gif", picture_palettes[0], gif_movie_max_scale + 1));
}

}  // namespace
