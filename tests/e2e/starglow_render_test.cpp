// starglow-render as its users run it: options, music files, outputs, and
// what it leaves behind when it cannot finish.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display_model/char_rom.h"
#include "display_model/picture.h"
#include "run_program.h"
#include "support/music_fixtures.h"
#include "support/sha256.h"

namespace {

class StarglowRender : public ::testing::Test {
  protected:
    void SetUp() override {
        directory = make_directory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override { remove_directory(directory); }
    int run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), STARGLOW_RENDER_BIN);
        child = start_program(arguments, {}, directory);
        return finish_child(child, 60000);
    }
    // Files in the directory, to prove nothing half-written stays behind.
    std::vector<std::string> files() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory))
            names.push_back(entry.path().filename());
        return names;
    }
    std::string directory;
    Child child;
};

TEST_F(StarglowRender, HelpDocumentsEveryOption) {
    EXPECT_EQ(run({"--help"}), 0);
    for (const char* option :
         {"--step", "--silent", "--music", "--wire", "--turns", "--png", "--png-every", "--gif",
          "--video", "--fps", "--size", "--sheet", "--palette", "--scale", "--quiet"})
        EXPECT_NE(child.output.find(option), std::string::npos) << option;
    // The program's name, not the path it was started by.
    EXPECT_NE(child.output.find("Usage: starglow-render [OPTIONS]"), std::string::npos)
        << child.output;
    EXPECT_EQ(child.output.find(STARGLOW_RENDER_BIN), std::string::npos) << child.output;
    // The video's defaults and sizes.
    EXPECT_NE(child.output.find("{30,60}=60"), std::string::npos) << child.output;
    for (const char* size : {"native", "720p (1280x720)", "1080p (1920x1080)"})
        EXPECT_NE(child.output.find(size), std::string::npos) << size;
}

// Every message is the renderer's own, also those of the music layer it runs.
::testing::AssertionResult said_by_the_renderer(const std::string& errors) {
    size_t at = 0;
    while (at < errors.size()) {
        const size_t end = errors.find('\n', at);
        const std::string line = errors.substr(at, end - at);
        if (line.rfind("starglow-render: ", 0) != 0)
            return ::testing::AssertionFailure() << "a line not of the renderer: " << line;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return ::testing::AssertionSuccess();
}

TEST_F(StarglowRender, WithoutAnOutputSaysNothingWasAskedFor) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"--silent", "--step", "16"}}) {
        EXPECT_EQ(run(arguments), 1);
        EXPECT_NE(child.errors.find("nothing to write"), std::string::npos) << child.errors;
        EXPECT_NE(child.errors.find("--video"), std::string::npos) << child.errors;
        EXPECT_TRUE(said_by_the_renderer(child.errors));
        EXPECT_TRUE(files().empty());
    }
}

TEST_F(StarglowRender, WithoutTheMusicHintsWhereItIsOrHowToGoWithoutIt) {
    EXPECT_EQ(run({"--wire", "show.wire"}), 1);
    EXPECT_EQ(child.errors.rfind("starglow-render: cannot read starglow.mp3: ", 0), 0u)
        << child.errors;
    EXPECT_NE(child.errors.find("--music build/starglow.mp3"), std::string::npos) << child.errors;
    EXPECT_NE(child.errors.find("--silent"), std::string::npos) << child.errors;
    EXPECT_TRUE(said_by_the_renderer(child.errors));
    EXPECT_EQ(child.output, "");
    EXPECT_TRUE(files().empty());
}

TEST_F(StarglowRender, UnknownOptionIsRefused) {
    EXPECT_NE(run({"--frobnicate"}), 0);
    EXPECT_NE(child.errors.find("frobnicate"), std::string::npos) << child.errors;
}

TEST_F(StarglowRender, WrongLengthRendersNothingAndSaysSo) {
    place_music(cached_silent_music(203153), directory);
    EXPECT_EQ(run({"--wire", "out.wire", "--turns", "out.jsonl"}), 1);
    EXPECT_NE(child.errors.find("203153 ms"), std::string::npos) << child.errors;
    EXPECT_EQ(files(), std::vector<std::string>{"starglow.mp3"});
}

TEST_F(StarglowRender, MissingOrCorruptMusicIsAnErrorNamingTheFile) {
    EXPECT_EQ(run({"--music", "nowhere.mp3", "--wire", "out.wire"}), 1);
    EXPECT_NE(child.errors.find("nowhere.mp3"), std::string::npos) << child.errors;
    EXPECT_NE(child.errors.find("--silent"), std::string::npos) << child.errors;
    EXPECT_TRUE(said_by_the_renderer(child.errors));
    EXPECT_TRUE(files().empty());

    FILE* text = std::fopen((directory + "/text.mp3").c_str(), "w");
    std::fputs("this is not music\n", text);
    std::fclose(text);
    EXPECT_EQ(run({"--music", "text.mp3", "--turns", "out.jsonl"}), 255);
    EXPECT_NE(child.output.find("FMOD error! (2) "), std::string::npos) << child.output;
    EXPECT_EQ(child.errors.rfind("starglow-render: text.mp3: ", 0), 0u) << child.errors;
    EXPECT_TRUE(said_by_the_renderer(child.errors));
    EXPECT_EQ(files(), std::vector<std::string>{"text.mp3"});
}

TEST_F(StarglowRender, UnwritableOutputIsAnErrorAndLeavesNothing) {
    EXPECT_EQ(run({"--silent", "--wire", "out.wire", "--turns", "no-such-folder/out.jsonl"}), 1);
    EXPECT_NE(child.errors.find("no-such-folder/out.jsonl"), std::string::npos) << child.errors;
    EXPECT_TRUE(files().empty());
}

TEST_F(StarglowRender, VideoWithoutFfmpegSaysWhatIsMissing) {
    child = start_program(
        {STARGLOW_RENDER_BIN, "--silent", "--video", "show.mp4", "--wire", "show.wire"},
        {"PATH=/nonexistent"}, directory);
    EXPECT_EQ(finish_child(child, 60000), 1);
    EXPECT_NE(child.errors.find("ffmpeg"), std::string::npos) << child.errors;
    EXPECT_TRUE(files().empty());
}

TEST_F(StarglowRender, UnknownPaletteIsRefused) {
    EXPECT_EQ(run({"--silent", "--palette", "purple", "--sheet", "sheet.png"}), 1);
    EXPECT_NE(child.errors.find("purple"), std::string::npos) << child.errors;
    EXPECT_TRUE(files().empty());
}

TEST_F(StarglowRender, RendersTheShowWithItsMusic) {
    place_music(cached_silent_music(203154), directory);
    EXPECT_EQ(run({"--wire", "show.wire", "--quiet"}), 0) << child.errors;
    struct stat wire {};
    ASSERT_EQ(stat((directory + "/show.wire").c_str(), &wire), 0);
    // About 202 s at 5760 bytes a second.
    EXPECT_NEAR(static_cast<double>(wire.st_size), 202000.0 * 5760 / 1000, 2000.0);
    EXPECT_EQ(child.output, "");  // no position lines from a render
}

struct Sheet {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

Sheet read_sheet(const std::string& path) {
    Sheet sheet;
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return sheet;
    png.format = PNG_FORMAT_RGB;
    sheet.rgb.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, sheet.rgb.data(), 0, nullptr)) {
        sheet.width = static_cast<int>(png.width);
        sheet.height = static_cast<int>(png.height);
    }
    return sheet;
}

// The label's text as a person reads it: each character's 5x8 ink (two
// pixels a dot, a dot's gap between characters) matched against the
// display's own character set.
std::string read_label(const Sheet& sheet, int left, int top, int characters) {
    std::string text;
    for (int i = 0; i < characters; ++i) {
        uint8_t rows[8] = {};
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 5; ++c) {
                const int x = left + i * 12 + c * 2, y = top + r * 2;
                if (x < sheet.width && y < sheet.height && sheet.at(x, y)[0] > 150)
                    rows[r] |= static_cast<uint8_t>(0x10 >> c);
            }
        char read = '?';
        for (int code = 32; code < 127; ++code)
            if (std::memcmp(rows, char_rom_rows(static_cast<uint8_t>(code)), 8) == 0)
                read = char(code);
        text += read;
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST_F(StarglowRender, TheContactSheetNamesEachWindowsScene) {
    ASSERT_EQ(run({"--silent", "--quiet", "--sheet", "sheet.png"}), 0) << child.errors;
    const Sheet sheet = read_sheet(directory + "/sheet.png");
    ASSERT_GT(sheet.width, 0);
    // The scenes of the thirteen windows, in timeline order, and where each
    // window starts and ends (ms).
    const std::vector<std::string> scenes = {
        "spectrum bars", "big-text scroller", "title logo",   "credits sparkle",    "wave pattern",
        "circles",       "sine bars",         "box",          "four-row scrollers", "ready screen",
        "rotating cube", "big-text scroller", "spectrum bars"};
    const std::vector<long> starts = {0,      22000,  37000,  43000,  66500,  81000,  103500,
                                      111000, 120000, 151500, 155000, 185000, 193500, 202100};
    // Each tile's top left corner is glass with no glass left of it or above.
    const Rgb glass = picture_palettes[0].lit[picture_glass];
    auto is_glass = [&](int x, int y) {
        const uint8_t* p = sheet.at(x, y);
        return p[0] == glass.r && p[1] == glass.g && p[2] == glass.b;
    };
    std::vector<std::string> labels;
    for (int y = 22; y < sheet.height; ++y)
        for (int x = 1; x < sheet.width; ++x)
            if (is_glass(x, y) && !is_glass(x - 1, y) && !is_glass(x, y - 1))
                labels.push_back(read_label(sheet, x, y - 22, 30));
    ASSERT_EQ(labels.size(), scenes.size());
    for (size_t w = 0; w < scenes.size(); ++w) {
        const std::string& label = labels[w];
        EXPECT_EQ(label.rfind(scenes[w] + "  ", 0), 0u) << "window " << w + 1 << ": " << label;
        EXPECT_NE(label.rfind("row ", 0), 0u) << label;
        // Then the moment of the frame, M:SS.mmm, inside the window.
        const std::string time = label.substr(label.rfind(' ') + 1);
        ASSERT_EQ(time.size(), 8u) << label;
        const long ms = std::stol(time.substr(0, 1)) * 60000 + std::stol(time.substr(2, 2)) * 1000 +
                        std::stol(time.substr(5, 3));
        EXPECT_GE(ms, starts[w]) << label;
        EXPECT_LT(ms, starts[w + 1]) << label;
    }
}

// The show's bytes are fixed: these are the SHA-256 digests (as sha256sum
// prints them) of the wire of a whole render, silent on the link's clock,
// silent with a 16 ms step, and with the build's own music. Whatever is
// reorganised around the frame loop, scenes, link and music layer, these
// stay; only a deliberate change of the show (or of its composed music, for
// the last one) may change them.
struct GoldenWire {
    std::vector<std::string> options;
    const char* sha256;
};

std::string file_sha256(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return sha256_hex(bytes.data(), bytes.size());
}

TEST_F(StarglowRender, WireOfTheWholeShowIsUnchanged) {
    const GoldenWire goldens[] = {
        {{"--silent"}, "99e7c03ce7e70f7620a4f5130c2ddfe19e6e2dd048628445ccf4366dc1725644"},
        {{"--silent", "--step", "16"},
         "d180be4d4731e1ee771a08345cacd218e57e29e5f86a60ff440fc0c0a7d87be4"},
        {{"--music", STARGLOW_SHOW_MUSIC},
         "deb577aab657ad754d200f927abb35a0d10e5f111fa8bd2400b6f020fac2cebf"},
    };
    for (const GoldenWire& golden : goldens) {
        std::vector<std::string> arguments = golden.options;
        arguments.insert(arguments.end(), {"--quiet", "--wire", "show.wire"});
        ASSERT_EQ(run(arguments), 0) << child.errors;
        EXPECT_EQ(file_sha256(directory + "/show.wire"), golden.sha256)
            << "starglow-render " << ::testing::PrintToString(golden.options);
    }
}

}  // namespace
