// starglow-compose: options, the work in order, messages and exit status.
#pragma once

// Returns the process's exit status: 0 on success, non-zero with a message
// on standard error otherwise.
int compose_main(int argc, char** argv);
