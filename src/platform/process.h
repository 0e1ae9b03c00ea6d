// What a platform does to the process before the show begins, so that the
// show's own steps behave as written (platform/<target>/process.cpp).
#pragma once

// Called first thing in starglow_main. Also sets standard output so that
// each line the show prints appears at once, through a pipe too.
void prepare_process();
