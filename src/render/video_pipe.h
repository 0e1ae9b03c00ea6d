// A video of the show through the ffmpeg command-line tool: raw RGB frames
// go down a pipe, ffmpeg encodes them and muxes in the music.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct VideoPipe {
    FILE* pipe;
    int width, height;  // pixels, both even
    long frames;
};

// Whether an ffmpeg command is on the PATH.
bool ffmpeg_available();

// Starts ffmpeg writing an MP4 (H.264, with AAC audio from `music_path`
// unless it is empty) to `path` at `fps` frames a second.
bool video_pipe_open(VideoPipe& video, const std::string& path, const std::string& music_path,
                     int fps, int width, int height, std::string& error);

// One frame, width * height * 3 bytes of RGB.
bool video_pipe_add(VideoPipe& video, const uint8_t* rgb);

// Waits for ffmpeg to finish; false when it failed.
bool video_pipe_close(VideoPipe& video, std::string& error);
