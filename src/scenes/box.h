// Timeline row 8: a rectangle whose four sides move with pixel precision.
#pragma once

#include <cstdint>

#include "display/screen.h"

void box_init();
void box_update(int32_t t, Screen& screen);
