#include "support/model_support.h"

#include <cstring>

namespace {

template <typename T>
void model_support_put(std::vector<uint8_t>& out, const T& value) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

}  // namespace

std::vector<uint8_t> model_state(const LcdModel& m) {
    std::vector<uint8_t> out(m.cells, m.cells + sizeof m.cells);
    out.insert(out.end(), &m.glyphs[0][0], &m.glyphs[0][0] + sizeof m.glyphs);
    for (int v :
         {m.cursor_row, m.cursor_column, m.arguments_needed, m.arguments_have, m.reply_count})
        model_support_put(out, v);
    for (bool v : {m.wrap, m.autoscroll, m.underline_cursor, m.block_cursor, m.backlight,
                   m.key_transmit, m.after_prefix})
        out.push_back(v);
    for (uint8_t v :
         {m.backlight_minutes, m.brightness, m.contrast, m.gpo, m.keypad_debounce, m.keypad_repeat,
          m.serial_number[0], m.serial_number[1], m.command, static_cast<uint8_t>(m.bar_style)})
        out.push_back(v);
    out.insert(out.end(), m.arguments, m.arguments + m.arguments_have);
    out.insert(out.end(), m.replies, m.replies + m.reply_count);
    model_support_put(out, m.counters);
    return out;
}

std::string screen_row(const LcdModel& model, int row) {
    return std::string(reinterpret_cast<const char*>(model.cells + cell_index(row, 0)),
                       screen_columns);
}
