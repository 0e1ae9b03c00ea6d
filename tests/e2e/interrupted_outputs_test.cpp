// Ctrl-C (SIGINT) or SIGTERM in the middle of a render or of composing the
// music: the program ends with 128 + the signal, ffmpeg ends with it, and
// nothing half-written is left in the folder.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/music_fixtures.h"

namespace {

long now_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

std::vector<std::string> names_in(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename());
    return names;
}

// The children of `parent` named `command` (from /proc).
std::vector<pid_t> children_named(pid_t parent, const std::string& command) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return found;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        if (pid <= 0) continue;
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        const std::string name = line.substr(open + 1, close - open - 1);
        int ppid = 0;
        char state = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) != 2) continue;
        if (ppid == parent && name == command) found.push_back(pid);
    }
    closedir(proc);
    return found;
}

// Whether a file whose name holds ".part" exists, and how big the largest is.
size_t largest_partial(const std::string& directory) {
    size_t largest = 0;
    bool any = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
        if (entry.path().filename().string().find(".part") == std::string::npos) continue;
        any = true;
        if (entry.is_regular_file()) largest = std::max<size_t>(largest, entry.file_size());
    }
    return any ? largest + 1 : 0;  // 1: there but still empty
}

class Interrupted : public ::testing::Test {
  protected:
    void SetUp() override {
        directory = make_directory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override {
        if (child.pid > 0 && kill(child.pid, 0) == 0) kill(child.pid, SIGKILL);
        remove_directory(directory);
    }
    // Waits (reading the child's output) until `ready` holds; false after
    // `timeout_ms`.
    template <typename Ready>
    bool wait_until(Ready ready, int timeout_ms) {
        const long end = now_ms() + timeout_ms;
        while (now_ms() < end) {
            read_child(child, 0, 0);
            if (ready()) return true;
            usleep(20 * 1000);
        }
        return false;
    }
    std::string directory;
    Child child;
};

TEST_F(Interrupted, ARenderLeavesNoPartialOutputAndNoFfmpeg) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
    place_music(cached_silent_music(203154), directory);
    for (int number : {SIGINT, SIGTERM}) {
        child = start_program({STARGLOW_RENDER_BIN, "--video", "show.mp4", "--size", "720p",
                               "--gif", "show.gif", "--wire", "show.wire", "--turns", "show.jsonl",
                               "--png", "frames", "--png-every", "500", "--sheet", "sheet.png"},
                              {}, directory);
        // Well under way: ffmpeg runs and has written part of the video.
        std::vector<pid_t> ffmpeg;
        ASSERT_TRUE(wait_until(
            [&] {
                ffmpeg = children_named(child.pid, "ffmpeg");
                return !ffmpeg.empty() && largest_partial(directory) > 100000;
            },
            60000))
            << child.errors;
        kill(child.pid, number);
        EXPECT_EQ(finish_child(child, 10000), 128 + number) << child.errors;
        EXPECT_EQ(names_in(directory), std::vector<std::string>{"starglow.mp3"});
        // ffmpeg was ended and waited for, not left to finish on its own.
        EXPECT_EQ(kill(ffmpeg[0], 0), -1);
        EXPECT_EQ(errno, ESRCH);
        EXPECT_NE(child.errors.find(number == SIGINT ? "starglow-render: interrupted"
                                                     : "starglow-render: terminated"),
                  std::string::npos)
            << child.errors;
    }
}

TEST_F(Interrupted, ComposingLeavesNoPartialMusic) {
    for (int number : {SIGINT, SIGTERM}) {
        child = start_program({STARGLOW_COMPOSE_BIN, "--out", "music.mp3"}, {}, directory);
        // Encoding: the MP3 has begun under its temporary name.
        ASSERT_TRUE(wait_until([&] { return largest_partial(directory) > 1; }, 120000))
            << child.errors;
        kill(child.pid, number);
        EXPECT_EQ(finish_child(child, 10000), 128 + number) << child.errors;
        EXPECT_TRUE(names_in(directory).empty()) << names_in(directory)[0];
    }
}

}  // namespace
