// comm_probe PORT_NAME [HOLD_MS]: the serial calls of the display link, made
// directly, each result printed, so that a test can see what Wine makes of
// them on a pty: open, read the line settings, set 57600 8 bits XON/XOFF,
// write every byte value once, hold the port open HOLD_MS (for the test to
// read the tty's settings), then write 16 bytes more.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD probe_baud = 57600;
constexpr DWORD probe_xon_xoff = 0x300;  // fOutX (bit 8) and fInX (bit 9)
constexpr DWORD probe_tail_bytes = 16;

// The DCB's flag word: the bit fields after DCBlength and BaudRate.
DWORD* probe_dcb_flags(DCB* dcb) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(dcb) + 2 * sizeof(DWORD));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: comm_probe PORT_NAME [HOLD_MS]\n");
        return 2;
    }
    const DWORD hold_ms = argc > 2 ? static_cast<DWORD>(std::atol(argv[2])) : 0;

    HANDLE port =
        CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD open_error = GetLastError();
    std::printf("open %s valid=%d error=%lu\n", argv[1], port != INVALID_HANDLE_VALUE, open_error);
    std::fflush(stdout);
    if (port == INVALID_HANDLE_VALUE) return 1;

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const BOOL got = GetCommState(port, &dcb);
    std::printf("get=%d error=%lu baud=%lu bits=%d parity=%d stop=%d xon=%d xoff=%d flags=0x%lx\n",
                got, got ? 0 : GetLastError(), dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits,
                dcb.XonChar, dcb.XoffChar, *probe_dcb_flags(&dcb));
    dcb.BaudRate = probe_baud;
    dcb.ByteSize = 8;
    *probe_dcb_flags(&dcb) |= probe_xon_xoff;
    const BOOL set = SetCommState(port, &dcb);
    std::printf("set=%d error=%lu\n", set, set ? 0 : GetLastError());
    std::fflush(stdout);

    unsigned char every_byte[256];
    for (int i = 0; i < 256; ++i) every_byte[i] = static_cast<unsigned char>(i);
    DWORD written = 0;
    BOOL wrote = WriteFile(port, every_byte, sizeof every_byte, &written, nullptr);
    std::printf("write=%d count=%lu error=%lu\n", wrote, written, wrote ? 0 : GetLastError());
    std::fflush(stdout);

    Sleep(hold_ms);
    wrote = WriteFile(port, every_byte, probe_tail_bytes, &written, nullptr);
    std::printf("write=%d count=%lu error=%lu\n", wrote, written, wrote ? 0 : GetLastError());
    std::fflush(stdout);
    return 0;
}
