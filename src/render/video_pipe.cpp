#include "render/video_pipe.h"

#include <sys/wait.h>

#include <cstdlib>

namespace {

// Single quotes for the shell, with any quote in the text closed and escaped.
std::string video_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace

bool ffmpeg_available() {
    return std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
}

bool video_pipe_open(VideoPipe& video, const std::string& path, const std::string& music_path,
                     int fps, int width, int height, std::string& error) {
    video = {nullptr, width, height, 0};
    std::string command =
        "ffmpeg -nostdin -hide_banner -loglevel error -y -f rawvideo -pixel_format rgb24";
    command += " -video_size " + std::to_string(width) + "x" + std::to_string(height);
    command += " -framerate " + std::to_string(fps) + " -i -";
    if (!music_path.empty())
        command += " -i " + video_quoted(music_path) + " -map 0:v -map 1:a -c:a aac -b:a 192k";
    // The picture is flat colour: a constant quality that keeps edges crisp.
    command += " -c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p -movflags +faststart";
    command += " -shortest -f mp4 " + video_quoted(path);
    video.pipe = popen(command.c_str(), "w");
    if (video.pipe == nullptr) {
        error = "cannot start ffmpeg";
        return false;
    }
    return true;
}

bool video_pipe_add(VideoPipe& video, const uint8_t* rgb) {
    const size_t bytes = static_cast<size_t>(video.width) * static_cast<size_t>(video.height) * 3;
    ++video.frames;
    return std::fwrite(rgb, 1, bytes, video.pipe) == bytes;
}

bool video_pipe_close(VideoPipe& video, std::string& error) {
    if (video.pipe == nullptr) return true;
    const int status = pclose(video.pipe);
    video.pipe = nullptr;
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg failed to encode the video (exit status " +
                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return false;
    }
    return true;
}
