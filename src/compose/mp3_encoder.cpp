#include "compose/mp3_encoder.h"

#include <lame/lame.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/interrupt_cleanup.h"

namespace {

constexpr size_t encode_chunk_frames = 44100;  // a second at the show's rate

// lame's own advice for the output buffer: 1.25 times the samples plus 7200.
size_t mp3_buffer_bytes(size_t frames) {
    return frames * 5 / 4 + 7200;
}

struct LameHandle {
    lame_global_flags* flags = lame_init();
    ~LameHandle() {
        if (flags != nullptr) lame_close(flags);
    }
};

bool fail(char* error, size_t size, const char* what, const char* detail) {
    std::snprintf(error, size, "%s: %s", what, detail);
    return false;
}

bool encode_to(FILE* file, const int16_t* samples, size_t frames, const Mp3Settings& s,
               EncodeProgress progress, void* context, char* error, size_t error_size) {
    LameHandle lame;
    if (lame.flags == nullptr) return fail(error, error_size, "MP3 encoder", "cannot start");
    lame_set_num_channels(lame.flags, s.channels);
    lame_set_in_samplerate(lame.flags, s.rate);
    lame_set_out_samplerate(lame.flags, s.rate);
    lame_set_mode(lame.flags, s.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame.flags, s.bitrate_kbps);
    lame_set_quality(lame.flags, s.quality);
    lame_set_bWriteVbrTag(lame.flags, 1);  // the info tag: delay and padding for gapless decoders
    if (lame_init_params(lame.flags) < 0)
        return fail(error, error_size, "MP3 encoder", "settings refused");

    std::vector<unsigned char> out(mp3_buffer_bytes(encode_chunk_frames));
    for (size_t done = 0; done < frames;) {
        const size_t chunk =
            frames - done < encode_chunk_frames ? frames - done : encode_chunk_frames;
        const int16_t* at = samples + done * static_cast<size_t>(s.channels);
        int bytes;
        if (s.channels == 1) {
            bytes = lame_encode_buffer(lame.flags, at, at, static_cast<int>(chunk), out.data(),
                                       static_cast<int>(out.size()));
        } else {
            bytes = lame_encode_buffer_interleaved(lame.flags, const_cast<short*>(at),
                                                   static_cast<int>(chunk), out.data(),
                                                   static_cast<int>(out.size()));
        }
        if (bytes < 0) return fail(error, error_size, "MP3 encoder", "encoding failed");
        if (std::fwrite(out.data(), 1, static_cast<size_t>(bytes), file) !=
            static_cast<size_t>(bytes))
            return fail(error, error_size, "write", std::strerror(errno));
        done += chunk;
        if (progress != nullptr) progress(context, done, frames);
    }
    const int tail = lame_encode_flush(lame.flags, out.data(), static_cast<int>(out.size()));
    if (tail < 0) return fail(error, error_size, "MP3 encoder", "flush failed");
    if (std::fwrite(out.data(), 1, static_cast<size_t>(tail), file) != static_cast<size_t>(tail))
        return fail(error, error_size, "write", std::strerror(errno));

    // The info tag is only known now; it replaces the placeholder frame
    // that the encoder put at the start of the file.
    unsigned char tag[2880];
    const size_t tag_bytes = lame_get_lametag_frame(lame.flags, tag, sizeof tag);
    if (tag_bytes > 0 && tag_bytes <= sizeof tag) {
        if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(tag, 1, tag_bytes, file) != tag_bytes)
            return fail(error, error_size, "write", std::strerror(errno));
    }
    if (std::fflush(file) != 0) return fail(error, error_size, "write", std::strerror(errno));
    return true;
}

}  // namespace

bool encode_mp3(const char* path, const int16_t* samples, size_t frames,
                const Mp3Settings& settings, EncodeProgress progress, void* progress_context,
                char* error, size_t error_size) {
    if (settings.channels != 1 && settings.channels != 2)
        return fail(error, error_size, path, "only mono and stereo can be encoded");
    std::vector<char> temporary(std::strlen(path) + 32);
    std::snprintf(temporary.data(), temporary.size(), "%s.part%d", path,
                  static_cast<int>(getpid()));

    FILE* file = std::fopen(temporary.data(), "wb");
    if (file == nullptr) return fail(error, error_size, path, std::strerror(errno));
    // Ctrl-C while encoding removes it too (in a tool that asked for that).
    interrupt_cleanup_add(temporary.data());
    bool ok =
        encode_to(file, samples, frames, settings, progress, progress_context, error, error_size);
    const bool closed = std::fclose(file) == 0;
    if (ok && !closed) ok = fail(error, error_size, path, std::strerror(errno));
    if (ok && std::rename(temporary.data(), path) != 0)
        ok = fail(error, error_size, path, std::strerror(errno));
    if (!ok) std::remove(temporary.data());
    interrupt_cleanup_forget(temporary.data());
    return ok;
}
