// lcdemu: a 20x4 display of the command set on a virtual serial port (or a
// real one), paced at the line's rate with XON/XOFF flow control, drawn in
// the terminal. tools/lcdemu.cpp parses the command line into EmuOptions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct EmuOptions {
    std::string link;    // a symlink to the pty, "" for none
    std::string device;  // read this serial device instead of making a pty
    uint32_t baud = 0;   // 0: the rate the client set (57600 for a device)
    std::string palette = "blue";
    bool compact = false;   // the compact picture even when the full one fits
    bool headless = false;  // no drawing; events on standard error
    bool once = false;      // exit when the client leaves instead of waiting for the next
    int scale = 3;          // pixels per LCD pixel in the PNG and the GIF
    std::string png;        // snapshot at exit
    std::string gif;        // recording
    std::string stats;      // JSON report at exit
    std::string wire;       // every byte received, as received
    std::string log;        // one JSON line per completed frame
    std::vector<std::string> command;  // a client to run on the port
    bool hold_child = true;  // hold the child's writes until the line wants them (see child.h)
};

// Runs until Ctrl-C (or the end of the child, or with `once` the client's
// departure); returns the exit status: 0, the child's own, 130 after
// Ctrl-C, 1 when something could not be set up.
int lcdemu_run(const EmuOptions& options);
