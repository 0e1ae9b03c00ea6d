// The core built for Windows on the virtual link (virtual_show.exe) writes
// the very bytes the Linux renderer writes for the same clocks
// (starglow-render --silent --wire): scenes, effects, the show's own random
// generator and the link are the same code on both.
#include <gtest/gtest.h>

#include "support/capture_sink.h"
#include "support/music_fixtures.h"
#include "support/wire_compare.h"
#include "wine_session.h"

namespace {

constexpr int show_timeout_ms = 5 * 60 * 1000;

class WineVirtualLink : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string why = windows_tests_unavailable();
        if (!why.empty()) GTEST_SKIP() << why;
        std::string error;
        ASSERT_TRUE(open_wine_session(&session, {}, &error)) << error;
    }
    void TearDown() override { close_wine_session(&session); }
    WineSession session;
};

Bytes file_bytes(const std::string& path) {
    const FileBytes bytes = read_file(path);
    return Bytes(bytes.begin(), bytes.end());
}

}  // namespace

TEST_F(WineVirtualLink, TheWholeShowsWireEqualsTheRenderersByteForByte) {
    const std::string windows_wire = session.dir + "/windows.wire";
    const std::string linux_wire = session.dir + "/linux.wire";
    std::string output;
    std::string errors;
    ASSERT_EQ(run_windows_program(session, "virtual_show.exe", {windows_wire}, {}, session.dir,
                                  &output, &errors, show_timeout_ms),
              0)
        << output << errors;
    Child render =
        start_program({STARGLOW_RENDER_BIN, "--silent", "--wire", linux_wire}, {}, session.dir);
    ASSERT_EQ(finish_child(render, show_timeout_ms), 0) << render.errors;

    const Bytes expected = file_bytes(linux_wire);
    ASSERT_GT(expected.size(), 1000000u) << "the renderer's wire is too short to be the show";
    EXPECT_TRUE(wire_equal(file_bytes(windows_wire), expected));
}
