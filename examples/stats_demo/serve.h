#pragma once
// The serving half of stats-demo: this host's statistics published on the in-process router
// and served to remote clients until the process is asked to stop.

#include "examples/stats_demo/session_output.h"
#include "framework/remote/remote_options.h"

namespace StatsDemo {

// Serves until SIGINT or SIGTERM arrives, then shuts down cleanly: open calls end, streams
// stop, the provider's threads end. Reports the bound address once listening. Returns the
// exit status: 0 after a clean stop, 1 when the server cannot start (the reason reported).
int Serve(const Jorv::Remote::ServerOptions& options, SessionOutput& output);

}  // namespace StatsDemo
