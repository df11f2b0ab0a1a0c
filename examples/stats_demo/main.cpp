// stats-demo: serves the statistics of this machine through the host-statistics provider and
// reads them back as a client would, end to end through stubs, a transport and the published
// services. Three ways to run it:
//
//   stats-demo [session options]                  both halves in one process (in-process)
//   stats-demo serve [server options]             the provider, for remote clients
//   stats-demo --connect ADDR [session options]   the client session against a server
//
// Every call is checked; the first that fails ends the program with its error.

#include <cstdlib>
#include <iostream>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "examples/stats_demo/client_session.h"
#include "examples/stats_demo/host_stats_provider.h"
#include "examples/stats_demo/serve.h"
#include "examples/stats_demo/session_output.h"
#include "framework/core/in_process_transport.h"
#include "framework/remote/remote_api_provider.h"

namespace {

constexpr char kUsage[] =
    "usage: stats-demo [--samples N] [--interval-ms MS] [--counters PREFIX...] [--json]\n"
    "                  [--connect ADDR [--tls-ca F] [--tls-cert F --tls-key F]\n"
    "                   [--token-file F]]\n"
    "       stats-demo serve [--listen ADDR] [--tls-cert F --tls-key F] [--tls-client-ca F]\n"
    "                  [--token-file F] [--insecure] [--json]\n"
    "  --samples N         results to pull from the stream (1-1000, default 5)\n"
    "  --interval-ms MS    milliseconds between results (1-60000, default 500)\n"
    "  --counters PREFIX   only counters whose identifier starts with one of the prefixes,\n"
    "                      for example: --counters cpu. mem.\n"
    "  --json              one JSON object per line instead of tables\n"
    "  --connect ADDR      run the session against 'stats-demo serve' at host:port\n"
    "  --tls-ca F          connect with TLS, trusting the authorities in the PEM file F\n"
    "  --tls-cert F, --tls-key F\n"
    "                      the certificate and key (PEM) this end presents\n"
    "  --token-file F      the bearer token: sent by the client, required by the server\n"
    "  serve               serve this host's statistics until SIGINT or SIGTERM\n"
    "  --listen ADDR       host:port to serve on (default 127.0.0.1:7411; port 0 picks one)\n"
    "  --tls-client-ca F   require client certificates issued by the authorities in F\n"
    "  --insecure          serve without TLS on an address other than loopback\n";

struct Options {
  bool serve = false;
  bool json = false;
  bool help = false;
  std::string connect;
  StatsDemo::SessionOptions session;
  Jorv::Remote::ServerOptions server;
  Jorv::Remote::ClientOptions client;
};

bool ParseNumber(const std::string& text, long low, long high, long& number) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > high) return false;
  number = value;
  return true;
}

// The options, or an explanation of what is wrong with them.
bool ParseOptions(int argc, char** argv, Options& options, std::string& problem) {
  std::vector<std::string> args(argv + 1, argv + argc);
  options.server.listen = "127.0.0.1:7411";
  if (!args.empty() && args.front() == "serve") {
    options.serve = true;
    args.erase(args.begin());
  }
  // The file options name what this end presents: a server's own or a client's certificate.
  std::string* const cert =
      options.serve ? &options.server.tlsCertFile : &options.client.tlsCertFile;
  std::string* const key = options.serve ? &options.server.tlsKeyFile : &options.client.tlsKeyFile;
  std::string* const token = options.serve ? &options.server.tokenFile : &options.client.tokenFile;
  const struct {
    const char* name;
    std::string* value;
    bool serve;
    bool client;
  } files[] = {{"--listen", &options.server.listen, true, false},
               {"--connect", &options.connect, false, true},
               {"--tls-ca", &options.client.tlsCaFile, false, true},
               {"--tls-client-ca", &options.server.tlsClientCaFile, true, false},
               {"--tls-cert", cert, true, true},
               {"--tls-key", key, true, true},
               {"--token-file", token, true, true}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    bool known = false;
    for (const auto& file : files) {
      if (arg != file.name || !(options.serve ? file.serve : file.client)) continue;
      if (!hasValue) {
        problem = arg + " needs a value";
        return false;
      }
      *file.value = args[++i];
      known = true;
    }
    if (known) continue;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--insecure" && options.serve) {
      options.server.allowInsecure = true;
    } else if (arg == "--samples" && !options.serve) {
      if (!hasValue || !ParseNumber(args[++i], 1, 1000, options.session.samples)) {
        problem = "--samples needs a number from 1 to 1000";
        return false;
      }
    } else if (arg == "--interval-ms" && !options.serve) {
      if (!hasValue || !ParseNumber(args[++i], 1, 60000, options.session.intervalMs)) {
        problem = "--interval-ms needs a number of milliseconds from 1 to 60000";
        return false;
      }
    } else if (arg == "--counters" && !options.serve) {
      while (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) {
        options.session.prefixes.push_back(args[++i]);
      }
      if (options.session.prefixes.empty()) {
        problem = "--counters needs at least one counter-id prefix";
        return false;
      }
    } else {
      problem = "unknown option '" + arg + "'";
      return false;
    }
  }
  return true;
}

// The client session, in this process against an embedded provider or against a server.
int RunClient(const Options& options, StatsDemo::SessionOutput& output) {
  std::shared_ptr<Jorv::Core::ApiProvider> provider;
  std::unique_ptr<StatsDemo::HostStatsProvider> embedded;
  if (options.connect.empty()) {
    auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
    embedded = std::make_unique<StatsDemo::HostStatsProvider>();
    embedded->PublishOn(*router);
    provider = router;
  } else {
    std::list<Jorv::BaseMessage> problems;
    provider = Jorv::Remote::RemoteApiProvider::Create(options.connect, options.client, problems);
    if (!provider) {
      for (const auto& problem : problems) output.Failure(problem.GetDefaultMessage());
      return 1;
    }
  }
  try {
    StatsDemo::RunSession(provider, options.session, output);
  } catch (const StatsDemo::CallFailed& failure) {
    output.Failure(failure.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string problem;
  if (!ParseOptions(argc, argv, options, problem)) {
    std::cerr << "stats-demo: " << problem << "\n" << kUsage;
    return 2;
  }
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }
  const auto output = options.json ? StatsDemo::MakeJsonOutput(std::cout)
                                   : StatsDemo::MakeTextOutput(std::cout, std::cerr);
  return options.serve ? StatsDemo::Serve(options.server, *output) : RunClient(options, *output);
}
