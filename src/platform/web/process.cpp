// A page has no standard streams to guard and no signals.
#include "platform/process.h"

void prepare_process() {}
