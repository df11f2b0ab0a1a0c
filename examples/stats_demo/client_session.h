#pragma once
// The client session of stats-demo: list the counters, create a query and execute it once,
// attach to its stream and pull a few results, then delete what it created. It talks to the
// host-statistics provider only through the service stubs, over whatever API provider it is
// given: the in-process transport or a remote one.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "examples/stats_demo/session_output.h"
#include "framework/core/api_provider.h"

namespace StatsDemo {

struct SessionOptions {
  long samples = 5;                   // results to pull from the stream
  long intervalMs = 500;              // milliseconds between them
  std::vector<std::string> prefixes;  // only counters starting with one of these; all when empty
};

// A call that completed with an error, or without the output it promised.
struct CallFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Runs the session through `provider`, reporting to `output`. Throws CallFailed on the first
// call that fails, naming the call and its error.
void RunSession(const std::shared_ptr<Jorv::Core::ApiProvider>& provider,
                const SessionOptions& options, SessionOutput& output);

}  // namespace StatsDemo
