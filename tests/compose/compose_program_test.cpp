// starglow-compose as a user runs it: the built program, real MP3 files,
// the Debian mpg123 command as an independent, gapless decoder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compose/bar_analysis.h"
#include "compose/loudness.h"

namespace {

constexpr const char* compose_program = STARGLOW_COMPOSE_PROGRAM;
constexpr const char* show_music = STARGLOW_MUSIC_FILE;
constexpr int64_t frames_per_s = 44100;

struct Outcome {
    int status;  // exit status, or -1 if it did not exit
    std::string out;
    std::string err;
};

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
  public:
    TempDir() {
        char name[] = "/tmp/starglow-compose-test-XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf " + path_).c_str()); }
    std::string file(const char* name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

    // Names in the directory, so a test can see that nothing was left behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        const std::string listing = file(".listing");
        std::system(("ls -A " + path_ + " > " + listing).c_str());
        std::ifstream in(listing);
        for (std::string line; std::getline(in, line);)
            if (line != ".listing") names.push_back(line);
        std::remove(listing.c_str());
        return names;
    }

  private:
    std::string path_;
};

// Runs a program with its standard output and error going to files (not a
// terminal, so no progress bar).
Outcome run(const TempDir& dir, std::vector<std::string> args) {
    const std::string out = dir.file(".stdout"), err = dir.file(".stderr");
    const pid_t pid = fork();
    if (pid == 0) {
        const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome r = {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_all(out), read_all(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return r;
}

Outcome compose(const TempDir& dir, std::vector<std::string> options) {
    options.insert(options.begin(), compose_program);
    return run(dir, options);
}

// Interleaved 16-bit stereo, decoded by mpg123 with its gapless trimming.
std::vector<int16_t> decode(const TempDir& dir, const std::string& mp3) {
    const std::string raw = dir.file(".decoded");
    const std::string command = "mpg123 -q -s '" + mp3 + "' > '" + raw + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    const std::string bytes = read_all(raw);
    std::remove(raw.c_str());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::copy(bytes.begin(), bytes.begin() + static_cast<long>(samples.size() * 2),
              reinterpret_cast<char*>(samples.data()));
    return samples;
}

// Length as a gapless decoder reports it: frames * 1000 / 44100, truncated.
int64_t length_ms(const std::vector<int16_t>& samples) {
    return static_cast<int64_t>(samples.size() / 2) * 1000 / frames_per_s;
}

// The build's music, decoded once for the tests that read it.
class ShowMusic : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        pcm_ = new std::vector<int16_t>(decode(*dir_, show_music));
    }
    static void TearDownTestSuite() {
        delete pcm_;
        delete dir_;
    }
    static size_t frames() { return pcm_->size() / 2; }
    static TempDir* dir_;
    static std::vector<int16_t>* pcm_;
};
TempDir* ShowMusic::dir_ = nullptr;
std::vector<int16_t>* ShowMusic::pcm_ = nullptr;

TEST_F(ShowMusic, DecodesToExactly203154MsNearTheMiddleOfItsWindow) {
    ASSERT_EQ(length_ms(*pcm_), 203154);
    // 8959092..8959135 frames read as 203154 ms; the file aims at the middle.
    EXPECT_NEAR(static_cast<double>(frames()), 8959113.0, 2.0);
}

TEST_F(ShowMusic, MovesTheSpectrumBarsInTheOpeningAndTheClosing) {
    const struct { int32_t from_ms, to_ms; } windows[] = {{0, 22000}, {193500, 202000}};
    for (const auto& w : windows) {
        const BarFigures f = analyse_bars(pcm_->data(), frames(), w.from_ms, w.to_ms, 20);
        for (int k = 0; k < bar_columns; ++k) {
            EXPECT_GE(f.median_rows[k], bar_median_lowest_rows) << w.from_ms << " column " << k;
            EXPECT_LE(f.median_rows[k], bar_median_highest_rows) << w.from_ms << " column " << k;
            EXPECT_GE(f.moving_seconds[k] * 4, f.seconds * 3) << w.from_ms << " column " << k;
        }
        EXPECT_TRUE(bar_figures_pass(f));
    }
}

TEST_F(ShowMusic, PeaksBelowMinusOneDbfsAtAboutMinus14Lufs) {
    EXPECT_LE(sample_peak_dbfs(pcm_->data(), pcm_->size()), -1.0);
    EXPECT_NEAR(integrated_loudness_lufs(pcm_->data(), frames(), 2, 44100), -14.0, 1.0);
}

TEST_F(ShowMusic, EndsInSilenceWithoutAClick) {
    const size_t last = pcm_->size();
    for (size_t i = last - 2 * 441; i < last; ++i)  // the last 10 ms, below -60 dBFS
        ASSERT_LE(std::abs((*pcm_)[i]), 32) << "sample " << i;
}

TEST(ComposeProgram, FixturesOneMillisecondEitherSideDecodeToTheirLengths) {
    TempDir dir;
    for (const int64_t ms : {203153, 203155}) {
        const std::string out = dir.file(("fixture-" + std::to_string(ms) + ".mp3").c_str());
        const Outcome r = compose(dir, {"--silence", "--length", std::to_string(ms), "--out", out});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(length_ms(decode(dir, out)), ms);
    }
}

TEST(ComposeProgram, ShortLengthsOfMusicDecodeToTheirLengths) {
    TempDir dir;
    for (const int64_t ms : {0, 1, 999, 4321}) {
        const std::string out = dir.file("short.mp3");
        const Outcome r = compose(dir, {"--length", std::to_string(ms), "--out", out});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<int16_t> pcm = decode(dir, out);
        EXPECT_EQ(length_ms(pcm), ms);
        if (ms > 1000) {
            EXPECT_GT(sample_peak_dbfs(pcm.data(), pcm.size()), -20.0);
        }
    }
}

TEST(ComposeProgram, SilenceIsDigitalSilence) {
    TempDir dir;
    const std::string out = dir.file("silence.mp3");
    const Outcome r = compose(dir, {"--silence", "--length", "2500", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<int16_t> pcm = decode(dir, out);
    EXPECT_EQ(length_ms(pcm), 2500);
    for (size_t i = 0; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], 0) << "sample " << i;
}

TEST(ComposeProgram, WritesTheSameBytesEveryRun) {
    TempDir dir;
    const std::string a = dir.file("a.mp3"), b = dir.file("b.mp3");
    ASSERT_EQ(compose(dir, {"--length", "3000", "--out", a}).status, 0);
    ASSERT_EQ(compose(dir, {"--length", "3000", "--out", b}).status, 0);
    const std::string first = read_all(a);
    EXPECT_GT(first.size(), 10000u);
    EXPECT_TRUE(first == read_all(b));
}

TEST(ComposeProgram, WritesStarglowMp3InTheWorkingDirectoryByDefault) {
    TempDir dir;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.path().c_str()) != 0) _exit(126);
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, STDERR_FILENO);
        execl(compose_program, compose_program, "--length", "500", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(length_ms(decode(dir, dir.file("starglow.mp3"))), 500);
}

TEST(ComposeProgram, RefusesBadOptionsWithAMessageAndNoFile) {
    TempDir dir;
    const std::string out = dir.file("x.mp3");
    const std::vector<std::vector<std::string>> bad = {
        {"--length", "-5", "--out", out},
        {"--length", "abc", "--out", out},
        {"--length", "12.5", "--out", out},
        {"--length", "3600001", "--out", out},
        {"--length", "99999999999999999999", "--out", out},
        {"--length", "", "--out", out},
        {"--bogus", "--out", out},
        {"--out", out, "extra"},
        {"--out", "--quiet"},  // not a file named --quiet
        {"--out"},
    };
    for (const auto& options : bad) {
        const Outcome r = compose(dir, options);
        std::string shown;
        for (const std::string& o : options) shown += o + " ";
        EXPECT_NE(r.status, 0) << shown;
        EXPECT_FALSE(r.err.empty()) << shown;
        EXPECT_TRUE(dir.entries().empty()) << shown;
    }
}

TEST(ComposeProgram, RefusesAnUnwritableOutputBeforeComposing) {
    TempDir dir;
    ASSERT_EQ(compose(dir, {"--silence", "--length", "10", "--out", dir.file("plain")}).status, 0);
    const std::string cases[] = {
        dir.file("no-such-directory/x.mp3"),  // missing directory
        dir.file("plain/x.mp3"),              // a file where a directory should be
        dir.path(),                           // a directory as the output
    };
    for (const std::string& out : cases) {
        const Outcome r = compose(dir, {"--length", "1000", "--out", out});
        EXPECT_EQ(r.status, 1) << out;
        EXPECT_NE(r.err.find("cannot write " + out), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"plain"});
}

TEST(ComposeProgram, HelpNamesEveryOption) {
    TempDir dir;
    const Outcome r = compose(dir, {"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--out", "--length", "--silence", "--analyse", "--quiet", "--help"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST(ComposeProgram, AnalysePrintsTheBarFiguresAndWritesNothing) {
    TempDir dir;
    const Outcome r = compose(dir, {"--analyse", "--length", "23000"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("median rows"), std::string::npos);
    EXPECT_NE(r.out.find("moving seconds"), std::string::npos);
    EXPECT_NE(r.out.find("pass"), std::string::npos);
    EXPECT_TRUE(dir.entries().empty());
}

// The progress bar shows on a terminal, and not with --quiet.
std::string run_on_terminal(const TempDir& dir, const char* quiet) {
    int master = -1;
    const std::string out = dir.file("t.mp3");
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl(compose_program, compose_program, "--length", "1500", "--out", out.c_str(), quiet,
              static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, n);
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return seen;
}

TEST(ComposeProgram, ShowsProgressOnATerminalUnlessQuiet) {
    TempDir dir;
    const std::string shown = run_on_terminal(dir, nullptr);
    for (const char* part : {"composing", "mixing", "encoding", "66172/66172 frames", "left"})
        EXPECT_NE(shown.find(part), std::string::npos) << part << " in " << shown;
    EXPECT_EQ(run_on_terminal(dir, "--quiet"), "");
}

}  // namespace
