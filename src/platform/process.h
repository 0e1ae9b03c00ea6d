// What a platform does to the process before the show begins, so that the
// show's own steps behave as written (platform/<target>/process.cpp).
#pragma once

// Called first thing in starglow_main.
void prepare_process();
