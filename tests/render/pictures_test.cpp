// The render's pictures: what a PNG shows is what the turn's frame and
// glyphs say; the contact sheet holds thirteen labelled frames; the GIF
// keeps the show's time.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "display_model/char_rom.h"
#include "display_model/picture.h"
#include "render/render_show.h"

namespace {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

Image read_png(const std::string& path) {
    Image image;
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) image.width = 0;
    return image;
}

bool same_colour(const uint8_t* pixel, Rgb colour) {
    return pixel[0] == colour.r && pixel[1] == colour.g && pixel[2] == colour.b;
}

std::string line_of_turn(const std::string& path, long turn) {
    std::ifstream in(path);
    std::string line;
    for (long i = 0; i <= turn && std::getline(in, line); ++i) {
    }
    return line;
}

std::vector<uint8_t> hex_field(const std::string& line, const std::string& name) {
    const size_t start = line.find("\"" + name + "\":\"") + name.size() + 4;
    std::vector<uint8_t> bytes;
    for (size_t i = start; line[i] != '"'; i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    return bytes;
}

class RenderPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/starglow-pictures-XXXXXX";
        directory = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + directory).c_str()); }
    std::string directory;
};

// Every dot of the bars scene's PNG at a turn, against the cells of that
// turn's frame and the bar glyphs its init defined.
TEST_F(RenderPictures, PngOfATurnShowsItsFrameDotForDot) {
    RenderOptions options;
    options.silent = false;
    options.music_path = STARGLOW_MUSIC;  // real music: the bars stand
    options.step_ms = 50;
    options.turns_path = directory + "/turns.jsonl";
    options.png_dir = directory + "/png";
    options.png_every = 100;
    options.scale = 2;
    ASSERT_EQ(render_show(options), 0);

    const long turn = 200;  // t = 10000 ms, in the opening bars
    const std::string line = line_of_turn(options.turns_path, turn);
    ASSERT_NE(line.find("\"row\":1,"), std::string::npos) << line;
    const std::vector<uint8_t> cells = hex_field(line, "screen");
    ASSERT_EQ(cells.size(), 80u);
    const Image image = read_png(options.png_dir + "/turn_000200.png");
    ASSERT_EQ(image.width, picture_columns * 2);
    ASSERT_EQ(image.height, picture_rows * 2);

    const PicturePalette& palette = picture_palettes[0];
    const Rgb lit = palette.lit[picture_lit];
    const Rgb unlit = palette.lit[picture_unlit];
    int lit_dots = 0;
    for (int cell = 0; cell < 80; ++cell) {
        const uint8_t code = cells[cell];
        uint8_t rows[8];
        if (code < 8) {
            for (int r = 0; r < 8; ++r) rows[r] = r >= 7 - code ? 0x1F : 0;  // bar glyph `code`
        } else {
            std::memcpy(rows, char_rom_rows(code), 8);
        }
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 5; ++c) {
                const int x = (picture_margin_dots + (cell % 20) * 6 + c) * 2;
                const int y = (picture_margin_dots + (cell / 20) * 9 + r) * 2;
                const bool on = rows[r] & (0x10 >> c);
                lit_dots += on;
                EXPECT_TRUE(same_colour(image.at(x, y), on ? lit : unlit))
                    << "cell " << cell << " dot row " << r << " column " << c;
            }
        }
    }
    EXPECT_GT(lit_dots, 100);  // bars and the name, not an empty screen
}

TEST_F(RenderPictures, ContactSheetHasThirteenLabelledFrames) {
    RenderOptions options;
    options.silent = true;
    options.step_ms = 100;
    options.sheet_path = directory + "/sheet.png";
    ASSERT_EQ(render_show(options), 0);
    const Image sheet = read_png(options.sheet_path);
    ASSERT_GT(sheet.width, 0);

    // Tiles sit four to a line below their labels; find each one's glass
    // by its colour and its label by the ink above it.
    const Rgb glass = picture_palettes[0].lit[picture_glass];
    int tiles = 0;
    int labels = 0;
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            // A tile's top-left corner: glass here, not glass left and above.
            if (!same_colour(sheet.at(x, y), glass)) continue;
            if (x > 0 && same_colour(sheet.at(x - 1, y), glass)) continue;
            if (y > 0 && same_colour(sheet.at(x, y - 1), glass)) continue;
            ++tiles;
            bool inked = false;
            for (int ly = y - 20; ly < y && ly >= 0; ++ly)
                for (int lx = x; lx < x + 120 && lx < sheet.width; ++lx)
                    inked = inked || sheet.at(lx, ly)[0] > 150;
            labels += inked;
        }
    }
    EXPECT_EQ(tiles, 13);
    EXPECT_EQ(labels, 13);
}

TEST_F(RenderPictures, GifKeepsTheShowsTime) {
    RenderOptions options;
    options.silent = true;
    options.gif_path = directory + "/show.gif";
    options.turns_path = directory + "/turns.jsonl";
    options.scale = 1;
    ASSERT_EQ(render_show(options), 0);

    int error = 0;
    GifFileType* gif = DGifOpenFileName(options.gif_path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    long centiseconds = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        centiseconds += control.DelayTime;
    }
    EXPECT_GT(gif->ImageCount, 1000);
    DGifCloseFile(gif, &error);
    // The blank end frame is held two seconds; the rest is the show's time
    // to within one 20 ms sample.
    std::ifstream turns(options.turns_path);
    std::string last;
    for (std::string line; std::getline(turns, line);) last = line;
    const long end_ms = std::atol(last.c_str() + last.find("\"clock_ms\":") + 11);
    EXPECT_NEAR(static_cast<double>(centiseconds - 200) * 10.0, static_cast<double>(end_ms), 40.0);
}

}  // namespace
