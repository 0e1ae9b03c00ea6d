// Timeline row 5: a stretched, swaying pattern of solid and checkered areas.
#pragma once

#include <cstdint>

#include "display/screen.h"

void wave_pattern_init();
void wave_pattern_update(int32_t t, Screen& screen);
