// Timeline row 2 and row 12: block capitals scrolling through the display.
#pragma once

#include <cstdint>

#include "display/screen.h"

void big_scroller_a_update(int32_t t, Screen& screen);
void big_scroller_b_update(int32_t t, Screen& screen);
