// The Windows music layer under Wine, through audio_probe.exe: libmpg123
// cross-built decodes the show's music exactly as the Linux build does, and
// waveOut plays it where a device opens (a sound server's null sink, whose
// clock runs in real time) or reports why it cannot.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>
#include <cstdio>
#include <thread>

#include "audio/mp3_decoder.h"
#include "wine_session.h"

namespace {

constexpr int probe_timeout_ms = 60 * 1000;
constexpr uint64_t fnv_offset = 14695981039346656037ull;
constexpr uint64_t fnv_prime = 1099511628211ull;

// The Linux decoder's reading of the same file, in the probe's words.
std::string linux_decoding(const std::string& path) {
    DecodedMusic music{};
    char detail[256] = "";
    if (decode_mp3(path.c_str(), &music, detail, sizeof detail) != music_ok)
        return std::string("decode failed: ") + detail;
    uint64_t hash = fnv_offset;
    const auto* bytes = reinterpret_cast<const unsigned char*>(music.samples);
    const uint64_t count = music.frames * static_cast<uint64_t>(music.channels) * 2;
    for (uint64_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * fnv_prime;
    char line[200];
    std::snprintf(line, sizeof line,
                  "rate %d channels %d frames %llu length_ms %u digest %016llx\n", music.rate,
                  music.channels, static_cast<unsigned long long>(music.frames), music.length_ms,
                  static_cast<unsigned long long>(hash));
    free_decoded_music(&music);
    return line;
}

struct PositionReading {
    unsigned clock_ms;
    unsigned position_ms;
};

std::vector<PositionReading> position_readings(const std::string& output) {
    std::vector<PositionReading> readings;
    size_t at = 0;
    while ((at = output.find("clock_ms ", at)) != std::string::npos) {
        PositionReading r{};
        if (std::sscanf(output.c_str() + at, "clock_ms %u position_ms %u", &r.clock_ms,
                        &r.position_ms) == 2)
            readings.push_back(r);
        ++at;
    }
    return readings;
}

class WineAudio : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        skip_reason = windows_tests_unavailable();
        if (!skip_reason.empty()) return;
        std::string error;
        if (!open_wine_session(&session, {}, &error)) setup_error = error;
    }
    static void TearDownTestSuite() { close_wine_session(&session); }
    void SetUp() override {
        if (!skip_reason.empty()) GTEST_SKIP() << skip_reason;
        ASSERT_EQ(setup_error, "");
        ASSERT_EQ(access(STARGLOW_SHOW_MUSIC, R_OK), 0) << STARGLOW_SHOW_MUSIC << " is not made";
    }

    static inline WineSession session;
    static inline std::string skip_reason;
    static inline std::string setup_error;
};

// A private sound server with one null sink on the session's socket.
struct NullSink {
    pid_t pid = -1;
    std::string socket;
};

bool start_null_sink(const WineSession& session, NullSink* sink, std::string* why) {
    const std::string dir = session.dir + "/pulse";
    mkdir(dir.c_str(), 0700);
    sink->socket = dir + "/native";
    if (access("/usr/bin/pulseaudio", X_OK) != 0) {
        *why = "pulseaudio is not installed (Debian: apt-get install pulseaudio)";
        return false;
    }
    Child server = start_program(
        {"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
         "--log-level=error", "-L", "module-null-sink sink_name=starglow_null", "-L",
         "module-native-protocol-unix auth-anonymous=1 socket=" + sink->socket},
        {"XDG_RUNTIME_DIR=" + dir, "HOME=" + dir}, dir);
    sink->pid = server.pid;
    for (int waited_ms = 0; waited_ms < 10000; waited_ms += 50) {
        if (access(sink->socket.c_str(), F_OK) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    *why = "the sound server made no socket";
    return false;
}

void stop_null_sink(NullSink* sink) {
    if (sink->pid <= 0) return;
    kill(sink->pid, SIGTERM);
    int status = 0;
    waitpid(sink->pid, &status, 0);
    sink->pid = -1;
}

}  // namespace

TEST_F(WineAudio, TheShowsMusicDecodesToTheSameSamplesAsOnLinux) {
    std::string output;
    std::string errors;
    ASSERT_EQ(run_windows_program(session, "audio_probe.exe", {"decode", STARGLOW_SHOW_MUSIC}, {},
                                  "", &output, &errors, probe_timeout_ms),
              0)
        << output << errors;
    EXPECT_EQ(output, linux_decoding(STARGLOW_SHOW_MUSIC));
    EXPECT_NE(output.find(" length_ms 203154 "), std::string::npos) << output;
}

TEST_F(WineAudio, WithoutASoundServerNoDeviceOpensAndTheReasonIsGiven) {
    std::string output;
    std::string errors;
    EXPECT_EQ(run_windows_program(session, "audio_probe.exe", {"play", STARGLOW_SHOW_MUSIC, "1"},
                                  {}, "", &output, &errors, probe_timeout_ms),
              1);
    EXPECT_NE(output.find("open: result "), std::string::npos) << output;
    EXPECT_NE(output.find("waveOut: no device opens: "), std::string::npos) << output;
    EXPECT_NE(output.find("(MMSYSERR 2)"), std::string::npos) << "not BADDEVICEID: " << output;
}

TEST_F(WineAudio, OnANullSinkThePositionIsWhatTheDeviceHasPlayedInRealTime) {
    NullSink sink;
    std::string why;
    if (!start_null_sink(session, &sink, &why)) {
        stop_null_sink(&sink);
        GTEST_SKIP() << why;
    }
    std::string output;
    std::string errors;
    const int status =
        run_windows_program(session, "audio_probe.exe", {"play", STARGLOW_SHOW_MUSIC, "4"}, {}, "",
                            &output, &errors, probe_timeout_ms);
    stop_null_sink(&sink);
    ASSERT_EQ(status, 0) << output << errors;
    EXPECT_NE(output.find("open: result 0"), std::string::npos) << output;
    const std::vector<PositionReading> readings = position_readings(output);
    ASSERT_GE(readings.size(), 16u) << output;
    // Never ahead of the clock, never backwards, and moving on at the
    // device's pace: a null sink runs in real time on a quiet machine, and
    // falls behind by as much as a fifth on a crowded one (the sound
    // server itself then plays slower than the clock), so the bounds below
    // allow that; a position that stands still or runs ahead still fails.
    // Wine counts a period of the device as played when it takes it: up
    // to about 50 ms ahead of the clock at the start.
    for (size_t i = 0; i < readings.size(); ++i) {
        EXPECT_LE(readings[i].position_ms, readings[i].clock_ms + 60) << i;
        if (i > 0) {
            EXPECT_GE(readings[i].position_ms, readings[i - 1].position_ms) << i;
        }
    }
    const PositionReading& from = readings[readings.size() / 2];
    const PositionReading& to = readings.back();
    const double rate = static_cast<double>(to.position_ms - from.position_ms) /
                        static_cast<double>(to.clock_ms - from.clock_ms);
    EXPECT_GE(rate, 0.6) << output;
    EXPECT_LE(rate, 1.02) << output;
    std::printf("device position advances %.3f ms a millisecond of the clock\n", rate);
}
