// Timeline row 6: three discs wandering and merging into rings.
#pragma once

#include <cstdint>

#include "display/screen.h"

void circles_init();
void circles_update(int32_t t, Screen& screen);
