// Timeline row 7: bars sliding sideways by redefining all eight glyphs each frame.
#pragma once

#include <cstdint>

#include "display/screen.h"

void sine_bars_update(int32_t t, Screen& screen);
