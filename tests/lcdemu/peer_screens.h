// What the peer tests compare: what lcdemu showed (its frame log and the
// picture it left) against an independent decoding of what the client wrote
// (lcdemu's --wire), frame by frame, cell by cell and glyph by glyph.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "emu_process.h"
#include "wire_decoder.h"

// lcdemu as the peer tests run it, for one client, in `dir`: headless, its
// port linked at dir/lcd, and everything it can tell written there
// (stats.json, wire.bin, frames.log, end.png at scale 1, lcdemu.out).
ProgramOptions peer_lcdemu_options(const std::string& dir);

// Every frame of the log against the wire decoded up to that frame's bytes:
// all 80 cells, the eight glyphs, backlight and brightness; and the last
// frame against the whole wire. `decoded` gets the whole wire decoded.
::testing::AssertionResult frames_match_wire(const std::string& wire, const FrameLog& log,
                                             DecodedDisplay* decoded);

// A PNG written at scale 1 against the decoded display: every dot of every
// cell lit or not as its glyph or character has it.
::testing::AssertionResult picture_matches(const std::string& png_path,
                                           const DecodedDisplay& decoded);

// Whether the wire holds the output command with no argument: the output
// command followed at once by the next command or a form feed.
bool wire_has_bare_output_command(const std::string& wire);
