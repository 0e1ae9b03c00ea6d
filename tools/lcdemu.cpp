// lcdemu: a 20x4 display of the command set on a virtual serial port, drawn
// in the terminal. The work is in src/lcdemu/lcdemu.cpp; this is its command line.
#include <CLI/CLI.hpp>

#include "display_model/picture.h"
#include "lcdemu/lcdemu.h"

int main(int argc, char** argv) {
    EmuOptions options;
    CLI::App app{
        "lcdemu: a 20x4 character display of the serial command set, on a virtual serial port,\n"
        "paced at the line's baud rate with XON/XOFF flow control, drawn in this terminal.\n\n"
        "  lcdemu                      make a pty and show what clients send to it\n"
        "  lcdemu -- starglow 1        run the show on it (the child finds the pty as\n"
        "                              STARGLOW_COM<N>, LCDEMU_PORT, or an argument {})\n"
        "  lcdemu --device /dev/ttyUSB0  read a real serial line instead\n\n"
        "The picture: full, one column per dot, in a terminal of 123x22 or more; compact, in\n"
        "Braille patterns with every dot, 62x12 with the gaps between cells or 50x10 without.\n"
        "A client's lines on its standard error stay in the status line and are repeated at exit.",
        "lcdemu"};
    std::string palettes;
    for (const PicturePalette& p : picture_palettes)
        palettes += std::string(palettes.empty() ? "" : ", ") + p.name;

    app.add_option("--link", options.link,
                   "make a symlink at this path to the pty (a stable name for clients)");
    app.add_option("--device", options.device,
                   "read this existing serial device instead of making a pty");
    app.add_option("--baud", options.baud,
                   "line rate in baud; default: the rate the client set (57600 for a device)");
    app.add_option("--palette", options.palette, "colours: " + palettes)->capture_default_str();
    app.add_flag("--compact", options.compact,
                 "the compact picture (Braille, 62x12 or 50x10) even where the full one (123x22) "
                 "fits");
    app.add_flag("--headless", options.headless, "draw nothing; report events on standard error");
    app.add_flag("--once", options.once,
                 "exit when the client leaves instead of waiting for the next");
    app.add_option("--png", options.png, "write a PNG of the display at exit");
    app.add_option("--gif", options.gif, "record an animated GIF of the display");
    app.add_option("--scale", options.scale, "pixels per LCD pixel in the PNG and the GIF (1 to 8)")
        ->capture_default_str();
    app.add_option(
        "--stats", options.stats,
        "write a JSON report at exit: bytes, commands by kind, unknown bytes, frames, glyph\n"
        "definitions, XOFFs sent, the final screen as text (a glyph cell as the circled\n"
        "digit of its glyph, \u24EA and \u2460 to \u2466, never as a plain digit)");
    app.add_option("--wire", options.wire, "save every byte received, as received, as it comes");
    app.add_option("--log", options.log,
                   "one JSON line per frame: time, bytes, queue, screen, glyphs, light; a frame\n"
                   "ends at its last cell, or when the client's burst ends and the line goes idle");
    bool free_child = false;
    app.add_flag("--no-hold", free_child,
                 "let the child write freely, held by XON/XOFF alone (by default each of its\n"
                 "writes to the port waits until the line wants bytes, as on a hardware line)");
    app.add_option(
           "command", options.command,
           "a client to run on the port (after --); lcdemu ends when it does, with its status")
        ->expected(0, -1);
    CLI11_PARSE(app, argc, argv);
    options.hold_child = !free_child;
    return lcdemu_run(options);
}
