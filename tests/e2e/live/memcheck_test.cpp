// starglow under valgrind's memcheck: every way start-up can fail, the
// music of another length, and a few seconds of the show itself. No read
// or write out of bounds, no use of uninitialised memory, and nothing
// definitely or indirectly lost at exit (the decoded track is still held at
// exit on purpose: the process ends there, and the system frees it).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/music_fixtures.h"

namespace {

constexpr const char* valgrind_path = "/usr/bin/valgrind";
constexpr const char* music_path = LIVE_MUSIC;
constexpr int valgrind_timeout_ms = 180000;
constexpr int other_length_ms = 5000;

// The position on the show's last complete console line; -1 before any.
long last_position(const std::string& console) {
    const size_t end = console.rfind('\n');
    if (end == std::string::npos || end == 0) return -1;
    const size_t start = console.rfind('\n', end - 1);
    const std::string line = console.substr(start == std::string::npos ? 0 : start + 1,
                                            end - (start == std::string::npos ? 0 : start + 1));
    if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stol(line);
}

class Memcheck : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef LIVE_SANITIZED
        GTEST_SKIP() << "valgrind cannot run a program built with the sanitizers";
#endif
        if (access(valgrind_path, X_OK) != 0) {
            std::printf("SKIPPED: valgrind is not installed\n");
            GTEST_SKIP() << "valgrind is not installed";
        }
        directory = make_directory();
        ASSERT_FALSE(directory.empty());
        pty = open_pty();
        ASSERT_GE(pty.master, 0);
    }
    void TearDown() override {
        close_pty(pty);
        remove_directory(directory);
    }

    // starglow with `arguments` under memcheck, in `directory`, its port
    // on our pty; definite and indirect leaks count as errors.
    Child start(const std::vector<std::string>& arguments,
                std::vector<std::string> environment = {"STARGLOW_AUDIO=silent"}) {
        std::vector<std::string> argv = {valgrind_path, "--leak-check=full",
                                         "--errors-for-leak-kinds=definite,indirect",
                                         "--log-file=" + log_path(), STARGLOW_BIN};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        environment.push_back("STARGLOW_COM7=" + pty.slave_path);
        return start_program(argv, environment, directory);
    }
    std::string log_path() const {
        return directory + "/memcheck.log";
    }

    // The summary of the last run: "" when clean, else what it found.
    std::string findings() const {
        std::ifstream in(log_path());
        std::string line, errors, found;
        while (std::getline(in, line)) {
            if (line.find("ERROR SUMMARY:") != std::string::npos) errors = line;
            if (line.find("definitely lost:") != std::string::npos ||
                line.find("indirectly lost:") != std::string::npos ||
                line.find("Invalid ") != std::string::npos ||
                line.find("uninitialised") != std::string::npos)
                found += line + "\n";
        }
        if (errors.empty()) return "no summary in " + log_path();
        if (errors.find("ERROR SUMMARY: 0 errors") == std::string::npos)
            return errors + "\n" + found;
        return "";
    }

    // Runs to the end; returns the exit status.
    int run(const std::vector<std::string>& arguments,
            std::vector<std::string> environment = {"STARGLOW_AUDIO=silent"}) {
        Child child = start(arguments, std::move(environment));
        return finish_child(child, valgrind_timeout_ms);
    }

    std::string directory;
    Pty pty;
};

TEST_F(Memcheck, FailedStartUpsAreClean) {
    EXPECT_EQ(run({}), 255) << "no argument";
    EXPECT_EQ(findings(), "") << "no argument";
    EXPECT_EQ(run({"1", "2"}), 255) << "two arguments";
    EXPECT_EQ(findings(), "") << "two arguments";
    EXPECT_EQ(run({"9"}, {"STARGLOW_COM9=" + directory + "/no-such-port"}), 255) << "bad port";
    EXPECT_EQ(findings(), "") << "bad port";
    EXPECT_EQ(run({"7"}), 255) << "missing music";
    EXPECT_EQ(findings(), "") << "missing music";
    std::ofstream(directory + "/starglow.mp3") << "this is not an MP3 file\n";
    EXPECT_EQ(run({"7"}), 255) << "bad music";
    EXPECT_EQ(findings(), "") << "bad music";
}

// A good file of the wrong length: the display is set up, the music loaded
// and released, and the show ends at once with status 0. Run with the
// default audio, so that the sound device is tried too (where there is none,
// the show falls back to playing silently).
TEST_F(Memcheck, MusicOfAnotherLengthIsClean) {
    place_music(cached_silent_music(other_length_ms), directory);
    EXPECT_EQ(run({"7"}, {}), 0);
    EXPECT_EQ(findings(), "");
}

// The composed track and a few seconds of turns, then the show is ended
// from outside (it ends by itself only after 202 s).
TEST_F(Memcheck, ShortRunOfTheShowIsClean) {
    if (access(music_path, R_OK) != 0) GTEST_SKIP() << music_path << " is missing";
    place_music(music_path, directory);
    Child child = start({"7"});
    // Read the port as fast as the show writes, until turns have run for a
    // few seconds of the show's clock.
    std::vector<unsigned char> wire;
    ASSERT_TRUE([&] {
        for (int waited_ms = 0; waited_ms < valgrind_timeout_ms; waited_ms += 50) {
            read_pty(pty, wire, wire.size() + 65536, 50);
            read_child(child, 0, 0);
            if (last_position(child.output) >= 3000) return true;
        }
        return false;
    }()) << child.output;
    kill(child.pid, SIGTERM);
    finish_child(child, valgrind_timeout_ms);
    EXPECT_GT(wire.size(), 10000u);
    EXPECT_EQ(findings(), "");
}

}  // namespace
