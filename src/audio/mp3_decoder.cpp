#include "audio/mp3_decoder.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

// The file is read as bytes. Windows' C library opens files as text unless
// told otherwise (and would turn CR LF inside the MP3 into LF); POSIX has no
// text mode, but keeps the descriptor from programs started later.
#ifdef O_BINARY
constexpr int decoder_open_flags = O_RDONLY | O_BINARY | O_NOINHERIT;
#else
constexpr int decoder_open_flags = O_RDONLY | O_CLOEXEC;
#endif

constexpr int decoder_bytes_per_sample = 2;
// Capacity before the first sample is known: the file's own estimate of
// its length, within these bounds. It only sizes the first allocation.
constexpr uint64_t decoder_min_capacity_s = 1;
constexpr uint64_t decoder_max_capacity_s = 60 * 60;
// Each read decodes at most this much; the buffer grows by half as needed.
constexpr uint64_t decoder_chunk_frames = 64 * 1152;

struct DecoderHandle {
    mpg123_handle* handle = nullptr;
    int fd = -1;
    ~DecoderHandle() {
        if (handle != nullptr) mpg123_delete(handle);  // also closes its reader
        if (fd >= 0) close(fd);
    }
};

__attribute__((format(printf, 4, 5))) MusicResult decoder_fail(MusicResult result, char* detail,
                                                               size_t size, const char* format,
                                                               ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(detail, size, format, arguments);
    va_end(arguments);
    return result;
}

// 16-bit signed output at every rate the decoder knows, mono or stereo as
// the file is; nothing is resampled or mixed.
bool decoder_configure(mpg123_handle* handle) {
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) != MPG123_OK)
        return false;
    if (mpg123_format_none(handle) != MPG123_OK) return false;
    const long* rates = nullptr;
    size_t rate_count = 0;
    mpg123_rates(&rates, &rate_count);
    for (size_t i = 0; i < rate_count; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
            MPG123_OK)
            return false;
    }
    return true;
}

uint64_t decoder_first_capacity(mpg123_handle* handle, int rate) {
    const uint64_t low = decoder_min_capacity_s * static_cast<uint64_t>(rate);
    const uint64_t high = decoder_max_capacity_s * static_cast<uint64_t>(rate);
    const off_t estimate = mpg123_length(handle);  // a hint only: tags can lie
    if (estimate <= 0) return low;
    const uint64_t frames = static_cast<uint64_t>(estimate) + decoder_chunk_frames;
    return frames < low ? low : frames > high ? high : frames;
}

// realloc, not a vector: large blocks are moved by remapping pages, so
// growing never holds two copies of the track at once.
bool decoder_reserve(DecodedMusic* music, uint64_t* capacity, uint64_t frames) {
    if (frames <= *capacity) return true;
    uint64_t grown = *capacity + *capacity / 2;
    if (grown < frames) grown = frames;
    const uint64_t bytes =
        grown * static_cast<uint64_t>(music->channels) * decoder_bytes_per_sample;
    if (bytes > SIZE_MAX) return false;
    void* block = std::realloc(music->samples, static_cast<size_t>(bytes));
    if (block == nullptr) return false;
    music->samples = static_cast<int16_t*>(block);
    *capacity = grown;
    return true;
}

MusicResult decode_now(const char* path, DecodedMusic* music, char* detail, size_t size) {
    *music = DecodedMusic{};
    DecoderHandle decoder;
    decoder.fd = open(path, decoder_open_flags);
    if (decoder.fd < 0)
        return decoder_fail(music_err_file_not_found, detail, size, "cannot open it: %s",
                            std::strerror(errno));
    struct stat status {};
    if (fstat(decoder.fd, &status) != 0)
        return decoder_fail(music_err_file_not_found, detail, size, "cannot read it: %s",
                            std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        return decoder_fail(music_err_file_not_found, detail, size, "it is a directory");
    if (S_ISREG(status.st_mode) && status.st_size == 0)
        return decoder_fail(music_err_format, detail, size, "the file is empty");

    int error = MPG123_OK;
    decoder.handle = mpg123_new(nullptr, &error);
    if (decoder.handle == nullptr)
        return decoder_fail(music_err_memory, detail, size, "MP3 decoder: %s",
                            mpg123_plain_strerror(error));
    if (!decoder_configure(decoder.handle))
        return decoder_fail(music_err_memory, detail, size, "MP3 decoder: %s",
                            mpg123_strerror(decoder.handle));
    if (mpg123_open_fd(decoder.handle, decoder.fd) != MPG123_OK)
        return decoder_fail(music_err_format, detail, size, "not an MP3 file: %s",
                            mpg123_strerror(decoder.handle));

    // The first frame fixes the format; a file without one holds no MP3.
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    const int first = mpg123_getformat(decoder.handle, &rate, &channels, &encoding);
    if (first == MPG123_DONE)
        return decoder_fail(music_err_format, detail, size, "not an MP3 file: no audio in it");
    if (first != MPG123_OK)
        return decoder_fail(music_err_format, detail, size, "not an MP3 file: %s",
                            mpg123_strerror(decoder.handle));
    if (encoding != MPG123_ENC_SIGNED_16 || (channels != 1 && channels != 2))
        return decoder_fail(music_err_format, detail, size,
                            "not an MP3 file: unexpected output format");
    music->channels = channels;
    music->rate = static_cast<int>(rate);

    uint64_t capacity = 0;
    if (!decoder_reserve(music, &capacity, decoder_first_capacity(decoder.handle, music->rate)))
        return decoder_fail(music_err_memory, detail, size, "no memory for the samples");

    const uint64_t frame_bytes = static_cast<uint64_t>(channels) * decoder_bytes_per_sample;
    for (;;) {
        if (!decoder_reserve(music, &capacity, music->frames + decoder_chunk_frames)) {
            free_decoded_music(music);
            return decoder_fail(music_err_memory, detail, size, "no memory for the samples");
        }
        unsigned char* at =
            reinterpret_cast<unsigned char*>(music->samples) + music->frames * frame_bytes;
        size_t done = 0;
        const int status_code =
            mpg123_read(decoder.handle, at, decoder_chunk_frames * frame_bytes, &done);
        music->frames += done / frame_bytes;
        if (status_code == MPG123_DONE) break;
        if (status_code == MPG123_OK) continue;
        if (status_code == MPG123_NEW_FORMAT) {
            // The stream may announce its format again; a real change would
            // mix two layouts in one buffer.
            if (mpg123_getformat(decoder.handle, &rate, &channels, &encoding) == MPG123_OK &&
                rate == music->rate && channels == music->channels)
                continue;
            const double at_s = static_cast<double>(music->frames) / music->rate;
            free_decoded_music(music);
            return decoder_fail(music_err_corrupt, detail, size,
                                "corrupt MP3 data: the format changes at %.3f s", at_s);
        }
        const double at_s = static_cast<double>(music->frames) / music->rate;
        const bool nothing_yet = music->frames == 0;
        char reason[160];
        std::snprintf(reason, sizeof reason, "%s", mpg123_strerror(decoder.handle));
        free_decoded_music(music);
        if (nothing_yet)
            return decoder_fail(music_err_format, detail, size, "not an MP3 file: %s", reason);
        return decoder_fail(music_err_corrupt, detail, size, "corrupt MP3 data: %s at %.3f s",
                            reason, at_s);
    }

    if (music->frames == 0) {
        free_decoded_music(music);
        return decoder_fail(music_err_format, detail, size, "not an MP3 file: no audio decoded");
    }
    // Give back what the estimate reserved beyond the end.
    if (void* exact = std::realloc(music->samples, music->frames * frame_bytes))
        music->samples = static_cast<int16_t*>(exact);
    music->length_ms = ms_at_frame(*music, music->frames);
    detail[0] = '\0';
    return music_ok;
}

// What decode_mp3_ahead started. Made once and never freed: its thread owns
// it until `done`.
struct DecodeAhead {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;     // under lock
    bool claimed = false;  // the main thread's alone
    char path[4096];
    MusicResult result = music_ok;
    DecodedMusic music{};
    char detail[256] = "";
};

DecodeAhead* decode_ahead = nullptr;

void decode_ahead_run(DecodeAhead* job) {
    DecodedMusic music{};
    char detail[sizeof job->detail] = "";
    const MusicResult result = decode_now(job->path, &music, detail, sizeof detail);
    const std::lock_guard<std::mutex> hold(job->lock);
    job->result = result;
    job->music = music;
    std::memcpy(job->detail, detail, sizeof detail);
    job->done = true;
    job->finished.notify_all();
}

void decode_ahead_wait(DecodeAhead* job) {
    std::unique_lock<std::mutex> hold(job->lock);
    job->finished.wait(hold, [job] { return job->done; });
}

// A show that stops before it loads its music lets the decoder finish
// first, within a bound: a track that never arrives (a named pipe nobody
// writes) must not hold the exit.
constexpr auto decode_ahead_exit_wait = std::chrono::seconds(5);

void decode_ahead_at_exit() {
    DecodeAhead* job = decode_ahead;
    std::unique_lock<std::mutex> hold(job->lock);
    if (job->finished.wait_for(hold, decode_ahead_exit_wait, [job] { return job->done; }) &&
        !job->claimed)
        free_decoded_music(&job->music);
}

}  // namespace

void decode_mp3_ahead(const char* path) {
    if (decode_ahead != nullptr || std::strlen(path) >= sizeof DecodeAhead::path) return;
    DecodeAhead* job = new (std::nothrow) DecodeAhead;
    if (job == nullptr) return;
    std::memcpy(job->path, path, std::strlen(path) + 1);
    try {
        std::thread(decode_ahead_run, job).detach();
    } catch (const std::system_error&) {
        delete job;
        return;
    }
    decode_ahead = job;
    std::atexit(decode_ahead_at_exit);
}

MusicResult decode_mp3(const char* path, DecodedMusic* music, char* detail, size_t size) {
    DecodeAhead* job = decode_ahead;
    if (job == nullptr || job->claimed || std::strcmp(job->path, path) != 0)
        return decode_now(path, music, detail, size);
    decode_ahead_wait(job);
    job->claimed = true;
    *music = job->music;
    job->music = DecodedMusic{};
    std::snprintf(detail, size, "%s", job->detail);
    return job->result;
}
