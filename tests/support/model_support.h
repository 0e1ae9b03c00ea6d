// Helpers for the display model's tests: byte streams of commands, feeding
// in chunks, and a comparable picture of a model's whole state.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "display/commands.h"
#include "display_model/lcd_model.h"

using Stream = std::vector<uint8_t>;

// prefix, command, arguments
inline Stream command(uint8_t code, std::initializer_list<int> arguments = {}) {
    Stream s = {cmd::prefix, code};
    for (int a : arguments) s.push_back(static_cast<uint8_t>(a));
    return s;
}

inline Stream text(const std::string& characters) {
    return Stream(characters.begin(), characters.end());
}

inline Stream join(std::initializer_list<Stream> parts) {
    Stream all;
    for (const Stream& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline void feed(LcdModel& model, const Stream& bytes) {
    lcd_model_feed(&model, bytes.data(), bytes.size());
}

// A fresh model fed the whole stream at once.
inline LcdModel model_after(const Stream& bytes) {
    LcdModel model;
    lcd_model_init(&model);
    feed(model, bytes);
    return model;
}

// Everything a model holds, field by field (no padding), for comparisons.
std::vector<uint8_t> model_state(const LcdModel& model);

// Row r of the screen as text (codes as characters).
std::string screen_row(const LcdModel& model, int row);
