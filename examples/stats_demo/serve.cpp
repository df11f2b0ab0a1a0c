#include "examples/stats_demo/serve.h"

#include <signal.h>

#include <list>
#include <memory>
#include <string>

#include "examples/stats_demo/host_stats_provider.h"
#include "framework/core/in_process_transport.h"
#include "framework/remote/remote_server.h"

namespace StatsDemo {

int Serve(const Jorv::Remote::ServerOptions& options, SessionOutput& output) {
  // Blocked before any thread starts, so that every thread inherits the mask and the signals
  // wait for sigwait below.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
  HostStatsProvider provider;
  provider.PublishOn(*router);
  std::list<Jorv::BaseMessage> problems;
  auto server = Jorv::Remote::RemoteServer::Start(router, options, problems);
  if (!server) {
    for (const auto& problem : problems) output.Failure(problem.GetDefaultMessage());
    return 1;
  }
  output.Listening(server->Address());
  int signal = 0;
  sigwait(&stop, &signal);
  // Streams held open by clients are stopped first, then the provider's scheduler ends.
  server->Shutdown();
  output.Stopped();
  return 0;
}

}  // namespace StatsDemo
