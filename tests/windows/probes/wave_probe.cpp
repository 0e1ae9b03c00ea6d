// wave_probe [SECONDS]: opens the default waveOut device as the music layer
// does (44.1 kHz, 16 bits, stereo) and prints the result; when it opens,
// streams silence for SECONDS (default 3) and prints, four times a second,
// the device's position beside the clock, so that a test can see that it
// runs in real time. Exit status 1 when no device opens.
#include <windows.h>
// windows.h first: mmsystem.h needs its types.
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD probe_rate = 44100;
constexpr WORD probe_channels = 2;
constexpr WORD probe_bytes_per_frame = probe_channels * 2;
constexpr int probe_buffers = 4;
constexpr DWORD probe_buffer_frames = probe_rate / 20;  // 50 ms each
constexpr DWORD probe_report_ms = 250;

short probe_silence[probe_buffers][probe_buffer_frames * probe_channels];

}  // namespace

int main(int argc, char** argv) {
    const DWORD run_ms = (argc > 1 ? static_cast<DWORD>(std::atol(argv[1])) : 3) * 1000;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = probe_channels;
    format.nSamplesPerSec = probe_rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = probe_bytes_per_frame;
    format.nAvgBytesPerSec = probe_rate * probe_bytes_per_frame;

    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT device{};
    const MMRESULT opened = waveOutOpen(&device, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT);
    std::printf("devices=%u open=%u\n", waveOutGetNumDevs(), opened);
    std::fflush(stdout);
    if (opened != MMSYSERR_NOERROR) return 1;

    WAVEHDR headers[probe_buffers]{};
    for (int i = 0; i < probe_buffers; ++i) {
        headers[i].lpData = reinterpret_cast<LPSTR>(probe_silence[i]);
        headers[i].dwBufferLength = sizeof probe_silence[i];
        waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
        waveOutWrite(device, &headers[i], sizeof headers[i]);
    }
    const DWORD start = timeGetTime();
    DWORD reported = start;
    for (DWORD now = start; now - start < run_ms; now = timeGetTime()) {
        WaitForSingleObject(done, 10);
        for (WAVEHDR& header : headers) {
            if ((header.dwFlags & WHDR_DONE) == 0) continue;
            header.dwFlags &= ~WHDR_DONE;
            waveOutWrite(device, &header, sizeof header);
        }
        if (now - reported < probe_report_ms) continue;
        reported = now;
        MMTIME position{};
        position.wType = TIME_SAMPLES;
        waveOutGetPosition(device, &position, sizeof position);
        std::printf("clock_ms=%lu samples=%lu\n", now - start, position.u.sample);
        std::fflush(stdout);
    }
    waveOutReset(device);
    for (WAVEHDR& header : headers) waveOutUnprepareHeader(device, &header, sizeof header);
    waveOutClose(device);
    return 0;
}
