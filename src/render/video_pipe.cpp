#include "render/video_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli/interrupt_cleanup.h"

extern char** environ;

namespace {

// The signals that end a render: blocked while ffmpeg starts, so that it is
// never left running unknown to the cleanup; ffmpeg starts with them as
// they are by default.
constexpr int video_guarded_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

}  // namespace

bool ffmpeg_available() {
    return std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
}

bool video_pipe_open(VideoPipe& video, const std::string& path, const std::string& music_path,
                     int fps, int width, int height, std::string& error) {
    video = {-1, -1, static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 2, 0};
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string rate = std::to_string(fps);
    // The frames are BT.709 already: tagged so on the way in and out, so
    // that ffmpeg converts nothing and players show the colours we made.
    std::vector<std::string> arguments = {"ffmpeg",        "-nostdin", "-hide_banner", "-loglevel",
                                          "error",         "-y",       "-f",           "rawvideo",
                                          "-pixel_format", "yuv420p",  "-video_size",  size,
                                          "-framerate",    rate,       "-color_range", "tv",
                                          "-colorspace",   "bt709",    "-i",           "-"};
    if (!music_path.empty()) {
        for (const char* a : {"-i", music_path.c_str(), "-map", "0:v", "-map", "1:a", "-c:a", "aac",
                              "-b:a", "192k"})
            arguments.emplace_back(a);
    }
    // The fastest preset keeps the encoder ahead of the show at 1080p on two
    // busy cores; CABAC and two B-frames win back much of the size for
    // little time. The picture is flat colour: at this constant quality its
    // edges stay crisp (about 51 dB PSNR at 720p).
    for (const char* a : {"-c:v",        "libx264",      "-preset",
                          "ultrafast",   "-x264-params", "cabac=1:bframes=2",
                          "-crf",        "20",           "-pix_fmt",
                          "yuv420p",     "-color_range", "tv",
                          "-colorspace", "bt709",        "-color_primaries",
                          "bt709",       "-color_trc",   "bt709",
                          "-movflags",   "+faststart",   "-f",
                          "mp4"})
        arguments.emplace_back(a);
    arguments.push_back(path);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);

    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t guarded, before, none;
    sigemptyset(&guarded);
    sigemptyset(&none);
    for (int number : video_guarded_signals) sigaddset(&guarded, number);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &guarded);
    // A group of its own: Ctrl-C in the terminal reaches the render alone,
    // which then ends ffmpeg itself.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    pthread_sigmask(SIG_BLOCK, &guarded, &before);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "ffmpeg", &actions, &attributes, argv.data(), environ);
    if (spawned == 0) interrupt_cleanup_helper(pid);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(input[0]);
    if (spawned != 0) {
        close(input[1]);
        error = std::string("cannot start ffmpeg: ") + std::strerror(spawned);
        return false;
    }
    video.pid = pid;
    video.fd = input[1];
    return true;
}

bool video_pipe_add(VideoPipe& video, const uint8_t* planes) {
    ++video.frames;
    size_t left = video.frame_bytes;
    while (left > 0) {
        const ssize_t n = write(video.fd, planes, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // ffmpeg has gone (EPIPE: the signal is ignored)
        planes += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool video_pipe_close(VideoPipe& video, std::string& error) {
    if (video.pid < 0) return true;
    close(video.fd);
    video.fd = -1;
    int status = 0;
    pid_t done;
    do {
        done = waitpid(video.pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    interrupt_cleanup_helper(-1);
    video.pid = -1;
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg failed to encode the video (exit status " +
                std::to_string(done >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return false;
    }
    return true;
}
