// Timeline row 4: a sparkle trail at pixel resolution and the typed credits.
#pragma once

#include <cstdint>

#include "display/screen.h"

void credits_sparkle_update(int32_t t, Screen& screen);
