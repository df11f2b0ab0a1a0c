// stats-demo's two halves in separate processes: a server that dies, freezes or is asked to
// stop in the middle of a stream, and a client that dies in the middle of one.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <list>
#include <memory>
#include <string>

#include "examples/stats_demo/demo_process.h"
#include "examples/stats_demo/host_stats_provider.h"
#include "examples/stats_demo/stream_inbox.h"
#include "examples/stats_demo/transports.h"
#include "framework/core/standard_names.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"

namespace StatsDemo {
namespace {

using namespace Api;
using Testing::DemoProcess;
using Testing::Inbox;

// The value of the JSON string field `name` in `line`.
std::string JsonField(const std::string& line, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  const auto start = line.find(key);
  if (start == std::string::npos) return "";
  const auto from = start + key.size();
  return line.substr(from, line.find('"', from) - from);
}

// The output of a call made through `call`, which is handed the result object; waits for it
// at most 10 s.
template <class T, class Call>
T Await(Call call) {
  auto promise = std::make_shared<std::promise<boost::optional<T>>>();
  auto future = promise->get_future();
  call(Jorv::AsyncResult<T>([promise](const boost::optional<T>& output,
                                      const std::shared_ptr<const Jorv::Data::ErrorValue>&,
                                      const Jorv::Progress&) { promise->set_value(output); }));
  if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "a call did not complete";
    return T{};
  }
  const auto output = future.get();
  EXPECT_TRUE(output);
  return output ? *output : T{};
}

// A client attached to a stream of the server at `address`, with two results received and
// the third asked for, which will not come for ten minutes.
class WaitingStream {
 public:
  WaitingStream(const std::string& address, const Jorv::Remote::ClientOptions& options) {
    std::list<Jorv::BaseMessage> problems;
    auto api = std::make_shared<Jorv::Stub::AsyncApiStub>(
        Jorv::Remote::RemoteApiProvider::Create(address, options, problems));
    QueriesSvc::AsyncServiceStub queries(api);
    StreamSvc::AsyncServiceStub stream(api);
    auto spec = std::make_shared<QueriesSvc::CreateSpec>();
    spec->time_to_live = 600;
    auto instance = std::make_shared<CounterInstance>();
    instance->counter = "mem.available";
    spec->instances.push_back(instance);
    const std::string query = Await<std::shared_ptr<const QueriesSvc::CreateResult>>([&](auto r) {
                                queries.Create(spec, nullptr, r);
                              })->query;
    auto streamSpec = std::make_shared<StreamSvc::CreateSpec>();
    streamSpec->interval = 10;
    Await<Jorv::Void>([&](auto r) { stream.Create(query, streamSpec, nullptr, r); });
    stream.Attach(query, std::make_shared<StreamSvc::AttachSpec>(), nullptr, inbox.Receiver());
    const auto first = inbox.Await(1);
    // The second result is due an interval after the first; from it on, ten minutes.
    auto slower = std::make_shared<StreamSvc::UpdateSpec>();
    slower->interval = 600000;
    Await<Jorv::Void>([&](auto r) { stream.Update(query, slower, nullptr, r); });
    if (first.next) first.next(Jorv::MakeOptionalPtr<Inbox::StreamResult>(inbox.Receiver()));
    const auto second = inbox.Await(2);
    EXPECT_TRUE(first.item && second.item);
    if (second.next) second.next(Jorv::MakeOptionalPtr<Inbox::StreamResult>(inbox.Receiver()));
  }

  Inbox inbox;
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
    const std::string address = JsonField(server.LineWith("listening"), "address");
    ASSERT_FALSE(address.empty());
    // Pings every 200 ms find a frozen server within a second.
    Jorv::Remote::ClientOptions options;
    options.keepalive = {std::chrono::milliseconds(200), std::chrono::milliseconds(300)};
    WaitingStream client(address, options);

    const auto start = std::chrono::steady_clock::now();
    server.Signal(c.signal);
    const auto end = client.inbox.Await(3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(end.item);
    ASSERT_TRUE(end.error);
    EXPECT_EQ(end.error->GetName(), Jorv::Std::kServiceUnavailable);
    if (c.exitStatus >= 0) {
      EXPECT_EQ(server.Wait(), c.exitStatus);
      if (c.exitStatus == 0) {
        EXPECT_NE(server.LineWith("stopped"), "");
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(client.inbox.Count(), 3u);
  }
}

TEST(RemoteProcesses, AClientKilledMidStreamStopsTheProvidersStream) {
  auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
  HostStatsProvider provider;
  provider.PublishOn(*router);
  auto counted = std::make_shared<Testing::Spy>(router);
  std::list<Jorv::BaseMessage> problems;
  auto server = Jorv::Remote::RemoteServer::Start(counted, {}, problems);
  ASSERT_TRUE(server);

  DemoProcess client({"--connect", server->Address(), "--samples", "1000", "--interval-ms", "10",
                      "--counters", "mem.", "--json"});
  ASSERT_NE(client.LineWith("\"source\":\"stream\""), "");
  EXPECT_EQ(counted->Stops(), 0);
  client.Signal(SIGKILL);
  EXPECT_EQ(client.Wait(), 128 + SIGKILL);
  EXPECT_TRUE(counted->AwaitStops(1));
  EXPECT_EQ(counted->Stops(), 1);
  server->Shutdown();
}

}  // namespace
}  // namespace StatsDemo
