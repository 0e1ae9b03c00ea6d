// Playback through waveOut (winmm). A thread of the layer keeps a few short
// buffers queued on the device and publishes how many frames have been
// heard, as the device counts them (waveOutGetPosition); the frame loop
// reads only that one atomic counter, never the device.
#include <windows.h>
// windows.h first: mmsystem.h needs its types.
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "audio/music_backend.h"
#include "platform/clock.h"

namespace {

constexpr WORD wave_channels = 2;  // mono music is sent to both sides
constexpr WORD wave_bytes_per_frame = wave_channels * sizeof(int16_t);
constexpr DWORD wave_probe_rate = 44100;  // the rate tried at open, before any music is known
// Small buffers, several queued: the device's count then advances steadily
// from the start (one long buffer makes some drivers report it in lumps).
constexpr int wave_buffers = 4;
constexpr uint64_t wave_buffer_frames = 2048;  // 46 ms at 44.1 kHz
constexpr DWORD wave_poll_ms = 5;              // how often the count is brought up to date
constexpr uint64_t wave_us_per_s = 1000 * 1000;

struct WaveOutput {
    HWAVEOUT device;
    DWORD device_rate;          // the rate the device was opened at
    HANDLE buffer_done;         // signalled by the device as it finishes a buffer
    const DecodedMusic* music;  // null when stopped
    std::thread feeder;
    std::atomic<bool> stopping;
    std::atomic<uint64_t> played_frames;
    WAVEHDR headers[wave_buffers];
    int16_t samples[wave_buffers][wave_buffer_frames * wave_channels];
};

// `what` happened (a sentence the user reads), with the call and the
// system's words in brackets.
void wave_describe(const char* what, MMRESULT result, const char* call, char* detail, size_t size) {
    char text[MAXERRORLENGTH] = "";
    waveOutGetErrorTextA(result, text, sizeof text);
    std::snprintf(detail, size, "%s (waveOut: %s: %s (MMSYSERR %u))", what, call,
                  text[0] != '\0' ? text : "no text", static_cast<unsigned>(result));
}

MMRESULT wave_open_device(WaveOutput* wave, DWORD rate) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = wave_channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = wave_bytes_per_frame;
    format.nAvgBytesPerSec = rate * wave_bytes_per_frame;
    const MMRESULT result =
        waveOutOpen(&wave->device, WAVE_MAPPER, &format,
                    reinterpret_cast<DWORD_PTR>(wave->buffer_done), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        wave->device = nullptr;
        return result;
    }
    wave->device_rate = rate;
    for (WAVEHDR& header : wave->headers) header = WAVEHDR{};
    for (int i = 0; i < wave_buffers; ++i) {
        wave->headers[i].lpData = reinterpret_cast<LPSTR>(wave->samples[i]);
        wave->headers[i].dwBufferLength = sizeof wave->samples[i];
        waveOutPrepareHeader(wave->device, &wave->headers[i], sizeof wave->headers[i]);
    }
    return MMSYSERR_NOERROR;
}

void wave_close_device(WaveOutput* wave) {
    if (wave->device == nullptr) return;
    waveOutReset(wave->device);  // hands every queued buffer back
    for (WAVEHDR& header : wave->headers)
        waveOutUnprepareHeader(wave->device, &header, sizeof header);
    waveOutClose(wave->device);
    wave->device = nullptr;
}

void wave_publish(WaveOutput* wave, uint64_t played) {
    // Never backwards.
    if (played > wave->played_frames.load(std::memory_order_relaxed))
        wave->played_frames.store(played, std::memory_order_release);
}

// The device's own count of frames played since it was opened.
uint64_t wave_device_frames(WaveOutput* wave) {
    MMTIME position{};
    position.wType = TIME_SAMPLES;
    if (waveOutGetPosition(wave->device, &position, sizeof position) != MMSYSERR_NOERROR) return 0;
    switch (position.wType) {
        case TIME_SAMPLES:
            return position.u.sample;
        case TIME_BYTES:
            return position.u.cb / wave_bytes_per_frame;
        case TIME_MS:
            return uint64_t{position.u.ms} * wave->device_rate / 1000;
        default:
            return 0;
    }
}

// Fills one buffer from `*written` on; returns how many frames it holds.
uint64_t wave_fill(WaveOutput* wave, int buffer, uint64_t* written) {
    const DecodedMusic& music = *wave->music;
    const uint64_t left = music.frames - *written;
    const uint64_t count = left < wave_buffer_frames ? left : wave_buffer_frames;
    const int16_t* from = music.samples + *written * static_cast<uint64_t>(music.channels);
    int16_t* to = wave->samples[buffer];
    if (music.channels == 1) {
        for (uint64_t i = 0; i < count; ++i) to[2 * i] = to[2 * i + 1] = from[i];
    } else {
        std::memcpy(to, from, count * wave_bytes_per_frame);
    }
    *written += count;
    return count;
}

// Queues every buffer the device has handed back, while music is left;
// false if the device refuses one.
bool wave_queue_free_buffers(WaveOutput* wave, uint64_t* written) {
    for (int i = 0; i < wave_buffers && *written < wave->music->frames; ++i) {
        WAVEHDR& header = wave->headers[i];
        if ((header.dwFlags & WHDR_INQUEUE) != 0) continue;
        header.dwBufferLength =
            static_cast<DWORD>(wave_fill(wave, i, written) * wave_bytes_per_frame);
        header.dwFlags &= ~WHDR_DONE;
        if (waveOutWrite(wave->device, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    }
    return true;
}

int wave_buffers_in_queue(const WaveOutput* wave) {
    int count = 0;
    for (const WAVEHDR& header : wave->headers) count += (header.dwFlags & WHDR_INQUEUE) != 0;
    return count;
}

// The device is gone: the music goes on by the clock, so that the position
// still reaches the end.
void wave_continue_by_clock(WaveOutput* wave) {
    const DecodedMusic& music = *wave->music;
    std::fprintf(stderr, "%s: the sound device failed; the show goes on silently\n",
                 music_program_name);
    const uint64_t from_frame = wave->played_frames.load(std::memory_order_relaxed);
    const uint64_t from_us = monotonic_us();
    while (!wave->stopping.load(std::memory_order_acquire)) {
        const uint64_t elapsed_us = monotonic_us() - from_us;
        const uint64_t frame =
            from_frame + elapsed_us * static_cast<uint64_t>(music.rate) / wave_us_per_s;
        wave_publish(wave, frame < music.frames ? frame : music.frames);
        if (frame >= music.frames) return;
        Sleep(wave_poll_ms);
    }
}

void wave_feed(WaveOutput* wave) {
    const uint64_t frames = wave->music->frames;
    uint64_t written = 0;
    while (!wave->stopping.load(std::memory_order_acquire)) {
        if (!wave_queue_free_buffers(wave, &written)) return wave_continue_by_clock(wave);
        const uint64_t played = wave_device_frames(wave);
        wave_publish(wave, played < written ? played : written);
        if (written == frames && wave_buffers_in_queue(wave) == 0) {
            // The last buffer is back: everything has been heard.
            wave_publish(wave, frames);
            return;
        }
        WaitForSingleObject(wave->buffer_done, wave_poll_ms);
    }
}

MusicResult wave_open(void** output, char* detail, size_t size) {
    WaveOutput* wave = new (std::nothrow) WaveOutput{};
    if (wave == nullptr) return music_err_memory;
    wave->buffer_done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (wave->buffer_done == nullptr) {
        std::snprintf(detail, size,
                      "no sound device (waveOut: no event for the device (error %lu))",
                      static_cast<unsigned long>(GetLastError()));
        delete wave;
        return music_err_output;
    }
    // Opened now, at the usual rate, so that a machine without a device
    // plays silently from the start; play opens it again for another rate.
    const MMRESULT result = wave_open_device(wave, wave_probe_rate);
    if (result != MMSYSERR_NOERROR) {
        wave_describe("no sound device", result, "no device opens", detail, size);
        CloseHandle(wave->buffer_done);
        delete wave;
        return music_err_output;
    }
    *output = wave;
    return music_ok;
}

void wave_stop(void* output) {
    WaveOutput* wave = static_cast<WaveOutput*>(output);
    if (wave->feeder.joinable()) {
        wave->stopping.store(true, std::memory_order_release);
        wave->feeder.join();
    }
    if (wave->device != nullptr) waveOutReset(wave->device);
    wave->stopping.store(false, std::memory_order_relaxed);
    wave->played_frames.store(0, std::memory_order_relaxed);
    wave->music = nullptr;
}

MusicResult wave_play(void* output, const DecodedMusic* music, char* detail, size_t size) {
    WaveOutput* wave = static_cast<WaveOutput*>(output);
    wave_stop(wave);
    // The device's count starts again at 0 after the reset of wave_stop;
    // another rate needs the device opened again.
    const DWORD rate = static_cast<DWORD>(music->rate);
    if (wave->device == nullptr || wave->device_rate != rate) {
        wave_close_device(wave);
        const MMRESULT result = wave_open_device(wave, rate);
        if (result != MMSYSERR_NOERROR) {
            wave_describe("the sound device cannot play the music", result,
                          "the device refuses the music's format", detail, size);
            return music_err_output;
        }
    }
    wave->music = music;
    try {
        wave->feeder = std::thread(wave_feed, wave);
    } catch (const std::system_error& error) {
        std::snprintf(detail, size, "the sound device cannot play the music (no thread: %s)",
                      error.what());
        wave->music = nullptr;
        return music_err_output;
    }
    return music_ok;
}

PlayPoint wave_play_point(void* output) {
    const WaveOutput* wave = static_cast<const WaveOutput*>(output);
    if (wave->music == nullptr) return {0, 0};
    const uint64_t played = wave->played_frames.load(std::memory_order_acquire);
    return {ms_at_frame(*wave->music, played), played};
}

void wave_close(void* output) {
    WaveOutput* wave = static_cast<WaveOutput*>(output);
    wave_stop(wave);
    wave_close_device(wave);
    CloseHandle(wave->buffer_done);
    delete wave;
}

}  // namespace

const MusicBackend device_backend = {"device",        wave_open, wave_play,
                                     wave_play_point, wave_stop, wave_close};
