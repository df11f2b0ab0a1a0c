// stats-demo's two halves in separate processes: a server that dies, freezes or is asked to
// stop in the middle of a stream, and a client that dies in the middle of one.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <list>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "examples/stats_demo/demo_fixtures.h"
#include "examples/stats_demo/host_stats_provider.h"
#include "framework/core/standard_names.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"

namespace StatsDemo {
namespace {

using namespace Api;
using Clock = std::chrono::steady_clock;
using Testing::Call;
using Testing::Into;

// STATS_DEMO_BINARY run with `args` by the shell, its standard output read through a pipe and
// its standard error discarded; killed when the object goes if it still runs.
class DemoProcess {
 public:
  // The shell prints its process identifier, which the program keeps as it replaces the shell.
  explicit DemoProcess(const std::string& args)
      : out_(popen(("echo $$; exec " STATS_DEMO_BINARY " " + args + " 2>/dev/null").c_str(), "r")),
        pid_(std::stoi(LineWith(""))) {}
  ~DemoProcess() {
    if (!exited_) kill(pid_, SIGKILL);
    pclose(out_);
  }

  // The next line of its output that contains `text`, waiting at most 10 s; "" when none came.
  std::string LineWith(const std::string& text) {
    const auto until = Clock::now() + std::chrono::seconds(10);
    std::string line;
    char c = 0;
    for (;;) {
      pollfd ready{fileno(out_), POLLIN, 0};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0 || read(ready.fd, &c, 1) != 1)
        return "";
      if (c == '\n' && line.find(text) != std::string::npos) return line;
      line = c == '\n' ? std::string() : line + c;
    }
  }

  void Signal(int signal) const { kill(pid_, signal); }

  // Its exit status (128 + the signal that ended it), waiting at most 10 s; -1 when it still
  // runs then.
  int Wait() {
    const auto until = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > until) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  FILE* out_;
  pid_t pid_;
  bool exited_ = false;
};

TEST(RemoteProcesses, AServerThatDiesFreezesOrStopsEndsTheWaitingRequestOncePromptly) {
  const struct {
    const char* name;
    int signal;
    int exitStatus;  // -1: still running (frozen)
  } cases[] = {
      {"killed", SIGKILL, 128 + SIGKILL}, {"frozen", SIGSTOP, -1}, {"asked to stop", SIGTERM, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DemoProcess server("serve --listen 127.0.0.1:0 --json");
    const std::string listening = server.LineWith("listening");
    std::smatch address;
    ASSERT_TRUE(std::regex_search(listening, address, std::regex("\"address\":\"([^\"]+)\"")));

    // Pings every 200 ms find a frozen server within a second.
    Jorv::Remote::ClientOptions options;
    options.keepalive = {std::chrono::milliseconds(200), std::chrono::milliseconds(300)};
    std::list<Jorv::BaseMessage> problems;
    auto api = std::make_shared<Jorv::Stub::AsyncApiStub>(
        Jorv::Remote::RemoteApiProvider::Create(address[1], options, problems));
    const auto created = Call(api, &QueriesSvc::AsyncServiceStub::Create,
                              Testing::Spec(600, {Testing::Instance("mem.available", 1)}))
                             .output;
    ASSERT_TRUE(created);
    const std::string query = (*created)->query;
    auto streamSpec = std::make_shared<StreamSvc::CreateSpec>();
    streamSpec->interval = 10;
    ASSERT_TRUE(Call(api, &StreamSvc::AsyncServiceStub::Create, query, streamSpec).output);

    // Two results, the second due an interval after the first; from it on, ten minutes.
    auto reports = std::make_shared<Testing::Reports>();
    StreamSvc::AsyncServiceStub(api).Attach(query, std::make_shared<StreamSvc::AttachSpec>(),
                                            nullptr, Into(reports));
    const auto first = reports->Await(1);
    auto slower = std::make_shared<StreamSvc::UpdateSpec>();
    slower->interval = 600000;
    ASSERT_TRUE(Call(api, &StreamSvc::AsyncServiceStub::Update, query, slower).output);
    ASSERT_TRUE(first.item && first.next);
    first.next(Jorv::MakeOptionalPtr<Testing::StreamResult>(Into(reports)));
    const auto second = reports->Await(2);
    ASSERT_TRUE(second.item && second.next);
    second.next(Jorv::MakeOptionalPtr<Testing::StreamResult>(Into(reports)));

    const auto start = Clock::now();
    server.Signal(c.signal);
    const auto end = reports->Await(3);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    ASSERT_TRUE(!end.item && end.error);
    EXPECT_EQ(end.error->GetName(), Jorv::Std::kServiceUnavailable);
    // A frozen one is not waited for; one asked to stop says it stopped.
    EXPECT_EQ(c.exitStatus < 0 ? -1 : server.Wait(), c.exitStatus);
    EXPECT_FALSE(c.exitStatus == 0 && server.LineWith("stopped").empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(reports->Count(), 3u);
  }
}

TEST(RemoteProcesses, AClientKilledMidStreamStopsTheProvidersStream) {
  auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
  HostStatsProvider provider;
  provider.PublishOn(*router);
  auto spy = std::make_shared<Testing::Spy>(router);
  std::list<Jorv::BaseMessage> problems;
  auto server = Jorv::Remote::RemoteServer::Start(spy, {}, problems);
  ASSERT_TRUE(server);

  DemoProcess client("--connect " + server->Address() +
                     " --samples 1000 --interval-ms 10 --counters mem. --json");
  ASSERT_NE(client.LineWith("\"source\":\"stream\""), "");
  EXPECT_EQ(spy->stops->Count(), 0u);
  client.Signal(SIGKILL);
  EXPECT_EQ(client.Wait(), 128 + SIGKILL);
  EXPECT_TRUE(spy->stops->Await(1)) << "the provider did not see the stop";
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(spy->stops->Count(), 1u);
  server->Shutdown();
}

}  // namespace
}  // namespace StatsDemo
