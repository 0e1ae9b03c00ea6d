// Decoding ahead: the load that follows hands back what the thread decoded,
// sample for sample what decoding at the load would have made.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "audio/mp3_decoder.h"
#include "support/music_fixtures.h"

namespace {

// Opens the writing end once the decoder has opened the reading end.
int open_when_read(const std::string& fifo) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < give_up) {
        const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0 || errno != ENXIO) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
}

bool write_all(int fd, const FileBytes& bytes) {
    // Blocking again: the decoder's thread reads as the pipe fills.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    for (size_t at = 0; at < bytes.size();) {
        const ssize_t done = write(fd, bytes.data() + at, bytes.size() - at);
        if (done <= 0) return false;
        at += static_cast<size_t>(done);
    }
    return true;
}

}  // namespace

TEST(Mp3DecodeAhead, TheLoadTakesWhatWasDecodedAheadSampleForSample) {
    const std::string source = write_tone_mp3("ahead_source.mp3", frames_for_ms(3000, fixture_rate),
                                              2, fixture_rate, {10, 0.5}, {30, 0.5});
    DecodedMusic direct{};
    char direct_detail[256] = "";
    ASSERT_EQ(decode_mp3(source.c_str(), &direct, direct_detail, sizeof direct_detail), music_ok);

    // The track reaches the decoder through a named pipe whose name is gone
    // before the load: a load that decoded anew would find no file.
    const std::string fifo = fixture_dir() + "/ahead.mp3";
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    decode_mp3_ahead(fifo.c_str());
    const int writer = open_when_read(fifo);
    ASSERT_GE(writer, 0) << "nothing opened the track to decode it ahead";
    unlink(fifo.c_str());
    ASSERT_TRUE(write_all(writer, read_file(source)));
    close(writer);

    DecodedMusic loaded{};
    char detail[256] = "unchanged";
    ASSERT_EQ(decode_mp3(fifo.c_str(), &loaded, detail, sizeof detail), music_ok) << detail;
    EXPECT_STREQ(detail, "");
    ASSERT_EQ(loaded.frames, direct.frames);
    EXPECT_EQ(loaded.channels, direct.channels);
    EXPECT_EQ(loaded.rate, direct.rate);
    EXPECT_EQ(loaded.length_ms, direct.length_ms);
    EXPECT_EQ(std::memcmp(loaded.samples, direct.samples,
                          direct.frames * static_cast<uint64_t>(direct.channels) * sizeof(int16_t)),
              0);

    // Taken once: the same name again is decoded at the load, and is gone.
    DecodedMusic again{};
    EXPECT_EQ(decode_mp3(fifo.c_str(), &again, detail, sizeof detail), music_err_file_not_found);
    free_decoded_music(&loaded);
    free_decoded_music(&direct);
}
