// Playback on an ALSA device. A thread of the layer feeds the decoded
// samples to the device and publishes how many frames have been heard
// (frames written minus the device's delay); the frame loop reads only that
// one atomic counter, never the device.
#include <alsa/asoundlib.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <system_error>
#include <thread>

#include "audio/music_backend.h"

namespace {

constexpr const char* device_default_name = "default";
constexpr int device_channels = 2;  // mono music is sent to both sides
constexpr unsigned device_latency_us = 100 * 1000;
constexpr long device_poll_ns = 5 * 1000 * 1000;  // how often the count is brought up to date
constexpr uint64_t device_ns_per_s = 1000 * 1000 * 1000;
constexpr snd_pcm_uframes_t device_chunk_frames = 1024;

struct DeviceOutput {
    snd_pcm_t* pcm;
    const DecodedMusic* music;  // null when stopped
    std::thread feeder;
    std::atomic<bool> stopping;
    std::atomic<uint64_t> played_frames;
};

// ALSA prints its own complaints on standard error by default (a machine
// without sound would show several lines); the layer reports failures itself.
void device_quiet_errors(const char*, int, const char*, int, const char*, ...) {}

uint64_t device_monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * device_ns_per_s + static_cast<uint64_t>(now.tv_nsec);
}

void device_pause() {
    const timespec interval = {0, device_poll_ns};
    nanosleep(&interval, nullptr);
}

void device_publish(DeviceOutput* device, uint64_t played) {
    // Never backwards: a recovered underrun briefly reports a short delay.
    if (played > device->played_frames.load(std::memory_order_relaxed))
        device->played_frames.store(played, std::memory_order_release);
}

// Writes what fits without waiting; returns false if the device is lost.
bool device_write_available(DeviceOutput* device, uint64_t* written) {
    const DecodedMusic& music = *device->music;
    int16_t stereo[device_chunk_frames * device_channels];
    while (*written < music.frames) {
        const uint64_t left = music.frames - *written;
        const snd_pcm_uframes_t count = left < device_chunk_frames ? left : device_chunk_frames;
        const int16_t* from = music.samples + *written * static_cast<uint64_t>(music.channels);
        if (music.channels == 1) {
            for (snd_pcm_uframes_t i = 0; i < count; ++i)
                stereo[2 * i] = stereo[2 * i + 1] = from[i];
            from = stereo;
        }
        const snd_pcm_sframes_t sent = snd_pcm_writei(device->pcm, from, count);
        if (sent == -EAGAIN) return true;  // full for now
        if (sent < 0) {
            // Underrun or suspend: recover and go on where it stopped.
            if (snd_pcm_recover(device->pcm, static_cast<int>(sent), 1) < 0) return false;
            continue;
        }
        *written += static_cast<uint64_t>(sent);
    }
    // All written: a short piece may not have filled the buffer enough for
    // the device to start by itself.
    if (snd_pcm_state(device->pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(device->pcm);
    return true;
}

// The device is gone: the music goes on by the clock, so that the position
// still reaches the end.
void device_continue_by_clock(DeviceOutput* device) {
    const DecodedMusic& music = *device->music;
    std::fprintf(stderr, "%s: the sound device failed; the show goes on silently\n",
                 music_program_name);
    const uint64_t from_frame = device->played_frames.load(std::memory_order_relaxed);
    const uint64_t from_ns = device_monotonic_ns();
    while (!device->stopping.load(std::memory_order_acquire)) {
        const uint64_t elapsed_ns = device_monotonic_ns() - from_ns;
        const uint64_t frame =
            from_frame + elapsed_ns * static_cast<uint64_t>(music.rate) / device_ns_per_s;
        device_publish(device, frame < music.frames ? frame : music.frames);
        if (frame >= music.frames) return;
        device_pause();
    }
}

void device_feed(DeviceOutput* device) {
    const uint64_t frames = device->music->frames;
    uint64_t written = 0;
    while (!device->stopping.load(std::memory_order_acquire)) {
        if (!device_write_available(device, &written)) return device_continue_by_clock(device);
        snd_pcm_sframes_t delay = 0;
        const int status = snd_pcm_delay(device->pcm, &delay);
        if (status == -EPIPE && written == frames) {
            // Ran dry after the last frame: everything has been heard.
            device_publish(device, frames);
            return;
        }
        if (status < 0) {
            if (snd_pcm_recover(device->pcm, status, 1) < 0)
                return device_continue_by_clock(device);
        } else {
            const uint64_t queued = delay < 0 ? 0 : static_cast<uint64_t>(delay);
            device_publish(device, queued < written ? written - queued : 0);
            if (written == frames && queued == 0) return;
        }
        device_pause();
    }
}

MusicResult device_open(void** output, char* detail, size_t size) {
    snd_lib_error_set_handler(device_quiet_errors);
    const char* chosen = std::getenv("STARGLOW_AUDIO_DEVICE");
    const char* name = chosen != nullptr && chosen[0] != '\0' ? chosen : device_default_name;
    snd_pcm_t* pcm = nullptr;
    // Non-blocking: opening must not wait for a busy or absent sound server.
    const int status = snd_pcm_open(&pcm, name, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (status < 0) {
        std::snprintf(detail, size, "no sound device '%s' (%s)", name, snd_strerror(status));
        return music_err_output;
    }
    DeviceOutput* device = new (std::nothrow) DeviceOutput{};
    if (device == nullptr) {
        snd_pcm_close(pcm);
        return music_err_memory;
    }
    device->pcm = pcm;
    *output = device;
    return music_ok;
}

void device_stop(void* output) {
    DeviceOutput* device = static_cast<DeviceOutput*>(output);
    if (device->feeder.joinable()) {
        device->stopping.store(true, std::memory_order_release);
        device->feeder.join();
    }
    snd_pcm_drop(device->pcm);
    device->stopping.store(false, std::memory_order_relaxed);
    device->played_frames.store(0, std::memory_order_relaxed);
    device->music = nullptr;
}

MusicResult device_play(void* output, const DecodedMusic* music, char* detail, size_t size) {
    DeviceOutput* device = static_cast<DeviceOutput*>(output);
    device_stop(device);
    const int status = snd_pcm_set_params(device->pcm, SND_PCM_FORMAT_S16,
                                          SND_PCM_ACCESS_RW_INTERLEAVED, device_channels,
                                          static_cast<unsigned>(music->rate), 1, device_latency_us);
    if (status < 0) {
        std::snprintf(detail, size, "the sound device '%s' cannot play the music (%s)",
                      snd_pcm_name(device->pcm), snd_strerror(status));
        return music_err_output;
    }
    device->music = music;
    try {
        device->feeder = std::thread(device_feed, device);
    } catch (const std::system_error& error) {
        std::snprintf(detail, size, "the sound device cannot play the music (no thread: %s)",
                      error.what());
        device->music = nullptr;
        return music_err_output;
    }
    return music_ok;
}

PlayPoint device_play_point(void* output) {
    const DeviceOutput* device = static_cast<const DeviceOutput*>(output);
    if (device->music == nullptr) return {0, 0};
    const uint64_t played = device->played_frames.load(std::memory_order_acquire);
    return {ms_at_frame(*device->music, played), played};
}

void device_close(void* output) {
    DeviceOutput* device = static_cast<DeviceOutput*>(output);
    device_stop(device);
    snd_pcm_close(device->pcm);
    delete device;
}

}  // namespace

const MusicBackend device_backend = {"device",          device_open, device_play,
                                     device_play_point, device_stop, device_close};
