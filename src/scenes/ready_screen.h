// Timeline row 10: the still picture between the scrollers and the cube.
#pragma once

#include <cstdint>

#include "display/screen.h"

void ready_screen_update(int32_t t, Screen& screen);
