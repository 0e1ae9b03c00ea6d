// The pictures of a render: the display model fed with the link's bytes as
// they arrive, and from it PNGs of turns, an animated GIF and a video at the
// true timing of the bytes, and the contact sheet.
#pragma once

#include <cstdint>
#include <string>

#include "render/render_show.h"
#include "render/turn_record.h"

// Checks the picture options and opens what they name (under temporary
// names). False with a message when one cannot be made.
bool pictures_open(const RenderOptions& options, std::string& error);

// Whether any picture output was asked for.
bool pictures_wanted();

// Bytes written to the link. Each byte shows at `visible_ms` of the first
// byte plus its share of the line's time: with `paced`, byte n of the
// render (counted from 0 after t0) is on the display at (n + 1) * 25/144 ms;
// otherwise every byte of a turn shows at that turn's clock.
void pictures_bytes(const uint8_t* bytes, uint32_t count, uint64_t bytes_before, bool paced,
                    uint32_t turn_clock_ms);

// A turn's frame has been written.
void pictures_turn_done(const TurnRecord& record);

// Adds the last moments and finishes every picture output.
bool pictures_finish(std::string& error);

// Removes whatever was begun.
void pictures_abandon();
