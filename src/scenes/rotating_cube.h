// Timeline row 11: a wire-frame cube turning in perspective.
#pragma once

#include <cstdint>

#include "display/screen.h"

void rotating_cube_init();
void rotating_cube_update(int32_t t, Screen& screen);
