// A video of the show through the ffmpeg command-line tool: YUV frames go
// down a pipe, ffmpeg encodes them (H.264) and muxes in the music (AAC).
// While it runs, a signal that ends the render ends ffmpeg too
// (cli/interrupt_cleanup.h).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct VideoPipe {
    pid_t pid;  // ffmpeg; -1 when none runs
    int fd;     // its standard input
    size_t frame_bytes;
    long frames;
};

// Whether an ffmpeg command is on the PATH.
bool ffmpeg_available();

// Starts ffmpeg writing an MP4 to `path` from frames of width x height in
// YUV 4:2:0 (BT.709, limited range) at `fps` frames a second, with the
// audio of `music_path` unless it is empty. The audio is never cut: the
// caller sends frames for at least as long as the music lasts.
bool video_pipe_open(VideoPipe& video, const std::string& path, const std::string& music_path,
                     int fps, int width, int height, std::string& error);

// One frame: width * height * 3 / 2 bytes, the Y, U and V planes.
bool video_pipe_add(VideoPipe& video, const uint8_t* planes);

// Ends the input and waits for ffmpeg to finish; false when it failed.
bool video_pipe_close(VideoPipe& video, std::string& error);
