// starglow-render as its users run it: options, music files, outputs, and
// what it leaves behind when it cannot finish.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
          "--video", "--fps", "--sheet", "--palette", "--scale", "--quiet"})
        EXPECT_NE(child.output.find(option), std::string::npos) << option;
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
    EXPECT_EQ(run({"--music", "nowhere.mp3", "--wire", "out.wire"}), 255);
    EXPECT_NE(child.output.find("FMOD error! (1) "), std::string::npos) << child.output;
    EXPECT_NE(child.errors.find("nowhere.mp3"), std::string::npos) << child.errors;
    EXPECT_TRUE(files().empty());

    FILE* text = std::fopen((directory + "/text.mp3").c_str(), "w");
    std::fputs("this is not music\n", text);
    std::fclose(text);
    EXPECT_EQ(run({"--music", "text.mp3", "--turns", "out.jsonl"}), 255);
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
