// Timeline row 9: four lines of text drifting at their own paces.
#pragma once

#include <cstdint>

#include "display/screen.h"

void four_row_scrollers_update(int32_t t, Screen& screen);
