// The wait of the delay command (延时) as a run that really waits makes it:
// the default of every run host (interpreter/run_host.h), which a host whose
// runs must not sleep (tests, fuzz targets, the page's worker) replaces.
#pragma once

#include <stop_token>

namespace dravel {

// Waits `ms` milliseconds on the calling thread, or less when `stop` is
// requested meanwhile (it then returns at once). A negative `ms` waits not
// at all.
void Delay(int ms, const std::stop_token& stop = {});

}  // namespace dravel
