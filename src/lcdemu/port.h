// lcdemu's end of the serial line: the master side of a pty that clients
// open as their serial port, or an existing serial device.
//
// On a pty, lcdemu keeps its own descriptor of the client's side open for
// its whole life, so that a client leaving is not a hang-up of the line and
// the next client finds the port as the last one left it. Clients that set
// exclusive use (as the show does) would then lock the next one out, so when
// the last client closes the port its exclusivity is cleared. Clients coming
// and going are seen through inotify on the client side's device node.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int port_path_bytes = 256;
inline constexpr uint32_t port_device_default_baud = 57600;

struct EmuPort {
    int fd;           // master side, or the device; non-blocking
    int client_side;  // our own hold on the pty's other side; -1 for a device
    int notify_fd;    // inotify on the client side; -1 for a device
    bool is_pty;
    int openers;                 // descriptors of the client side that clients hold open
    char path[port_path_bytes];  // what clients open (the pty's other side, or the device)
    char link[port_path_bytes];  // the symlink we made to it, "" for none
};

// The line as the client set it (for a pty: the client side's settings,
// which the master reads on this system).
struct PortLine {
    uint32_t baud;        // 0 when the rate is not one we know
    bool obeys_xon_xoff;  // the client stops sending on the stop character
    uint8_t stop_char;
    uint8_t start_char;
};

// A new pty, its client side set to a raw 8-bit line at 57600 baud (a
// client that sets nothing gets exactly its bytes across), and, if `link`
// is not empty, a symlink there to it (replacing an older symlink, never
// another kind of file).
bool port_open_pty(EmuPort* port, const char* link, char* error, size_t error_size);

// An existing serial device, set raw at `baud` with XON/XOFF both ways.
bool port_open_device(EmuPort* port, const char* path, uint32_t baud, char* error,
                      size_t error_size);

void port_read_line(const EmuPort* port, PortLine* line);

// What clients did since the last call (pty only): reads the inotify
// events, updates `openers`, and when the last client has gone clears
// exclusive use.
struct PortClients {
    int arrived;  // opens
    int left;     // closes
};
PortClients port_poll_clients(EmuPort* port);

// Holds or releases the client's output at once, through our own
// descriptor of its side (pty only): a held client's next write waits. The
// stop and start characters do the same, but only once the client's line
// discipline gets round to them.
void port_hold_client(const EmuPort* port, bool hold);

// Closes everything and removes the symlink.
void port_close(EmuPort* port);

// The numeric rate of a termios speed code, 0 if unknown.
uint32_t port_baud_of_speed(unsigned speed);
