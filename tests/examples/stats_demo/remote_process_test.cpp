// stats-demo's two halves in separate processes: a server that dies, freezes or is asked to
// stop in the middle of a stream, and a client that dies in the middle of one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

// STATS_DEMO_BINARY run with `args`, its standard output read through a pipe and its standard
// error discarded; killed and reaped when the object goes if it still runs.
class DemoProcess {
 public:
  explicit DemoProcess(std::vector<std::string> args) {
    args.insert(args.begin(), STATS_DEMO_BINARY);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2] = {-1, -1};
    EXPECT_EQ(pipe(out), 0);
    pid_ = fork();
    if (pid_ == 0) {
      // Only async-signal-safe calls until exec.
      dup2(out[1], STDOUT_FILENO);
      dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
  }
  ~DemoProcess() {
    if (!exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }

  // The next line of its output that contains `text`, waiting at most 10 s; "" when none came.
  std::string LineWith(const std::string& text) {
    const auto until = Clock::now() + std::chrono::seconds(10);
    std::string line;
    char c = 0;
    for (;;) {
      pollfd ready{out_, POLLIN, 0};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0 || read(out_, &c, 1) != 1)
        return "";
      if (c != '\n') {
        line += c;
      } else if (line.find(text) != std::string::npos) {
        return line;
      } else {
        line.clear();
      }
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
  pid_t pid_ = -1;
  int out_ = -1;
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
    DemoProcess server({"serve", "--listen", "127.0.0.1:0", "--json"});
    const std::string listening = server.LineWith("listening");
    const std::string key = "\"address\":\"";
    ASSERT_NE(listening.find(key), std::string::npos);
    const auto from = listening.find(key) + key.size();
    const std::string address = listening.substr(from, listening.find('"', from) - from);

    // Pings every 200 ms find a frozen server within a second.
    Jorv::Remote::ClientOptions options;
    options.keepalive = {std::chrono::milliseconds(200), std::chrono::milliseconds(300)};
    std::list<Jorv::BaseMessage> problems;
    auto api = std::make_shared<Jorv::Stub::AsyncApiStub>(
        Jorv::Remote::RemoteApiProvider::Create(address, options, problems));
    auto spec = std::make_shared<QueriesSvc::CreateSpec>();
    spec->time_to_live = 600;
    auto instance = std::make_shared<CounterInstance>();
    instance->counter = "mem.available";
    spec->instances.push_back(instance);
    const auto created = Call(api, &QueriesSvc::AsyncServiceStub::Create, spec).output;
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
    EXPECT_FALSE(end.item);
    ASSERT_TRUE(end.error);
    EXPECT_EQ(end.error->GetName(), Jorv::Std::kServiceUnavailable);
    if (c.exitStatus >= 0) {
      EXPECT_EQ(server.Wait(), c.exitStatus);
    }
    if (c.exitStatus == 0) {
      EXPECT_NE(server.LineWith("stopped"), "");
    }
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

  DemoProcess client({"--connect", server->Address(), "--samples", "1000", "--interval-ms", "10",
                      "--counters", "mem.", "--json"});
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
