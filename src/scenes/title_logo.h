// Timeline row 3: the title picture, its caption and block digit.
#pragma once

#include <cstdint>

#include "display/screen.h"

void title_logo_init();
void title_logo_update(int32_t t, Screen& screen);
