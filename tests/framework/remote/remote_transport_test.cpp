// The remote transport over loopback gRPC: a router with methods whose bodies the fixture gives,
// served on a port of its own, called by clients with and without the right credentials, by a
// raw gRPC client that sends what ours never would, and past the server's end.

#include "framework/remote/remote_api_provider.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "framework/core/standard_names.h"
#include "framework/core/value_ops.h"
#include "framework/remote/remote_server.h"
#include "framework/text/message_catalog.h"
#include "remote_call.grpc.pb.h"
#include "support/awaited_reports.h"
#include "support/body_method.h"
#include "support/service_client.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {
namespace {

using Data::DataValuePtr;
using Callback = Core::AsyncApiResultCb;
using Activation = std::shared_ptr<Core::AsyncActivation>;

constexpr char kTestInterface[] = "com.example.remote.test";

// One report of a call, as its callback received it; an inbox keeps a call's reports in order.
struct Report {
  std::shared_ptr<const Core::MethodResult> result;
  Progress progress;
  Callback::Continuation next;
};
using Inbox = AwaitedReports<Report>;

// A callback recording into `inbox`.
std::shared_ptr<Callback> Into(const std::shared_ptr<Inbox>& inbox) {
  return std::make_shared<Callback>([inbox](const std::shared_ptr<const Core::MethodResult>& result,
                                            const Progress& progress,
                                            Callback::Continuation&& next) {
    inbox->Add(Report{result, progress, std::move(next)});
  });
}

// Expects report `count`, the last one of a call, to be its failure: unauthenticated for the
// status UNAUTHENTICATED, else service_unavailable, with one message naming the target and a
// transport status that starts with `status`.
void ExpectFailure(Inbox& inbox, const std::string& target, const std::string& status,
                   std::size_t count = 1) {
  const auto report = inbox.Await(count);
  ASSERT_TRUE(report.result && report.result->error && !report.next);
  const auto messages = report.result->error->GetMessages();
  const std::string failure = Summary(report.result->error);
  ASSERT_TRUE(messages.size() == 1 && messages.front().GetArgs().size() == 2) << failure;
  const std::string expected =
      (status == "UNAUTHENTICATED"
           ? std::string(Std::kUnauthenticated) + " " + MessageIds::kRemoteUnauthenticated
           : std::string(Std::kServiceUnavailable) + " " + MessageIds::kRemoteUnavailable) +
      "(" + target + ", " + status;
  EXPECT_EQ(failure.rfind(expected, 0), 0u) << failure;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(inbox.Count(), count);
}

// A router served on a loopback port of its own, with these methods:
//   echo      answers with its input and what the activation carried;
//   hang      holds its callback in held_ and never answers unless a test does;
//   stream    reports Int(1) offering more; a request for more is held in held_, a stop recorded
//             in stops_.
class RemoteTransport : public testing::Test {
 protected:
  RemoteTransport() {
    router_->Publish(Provider::AsyncApiInterface::GetInstance(
        Core::InterfaceIdentifier::GetInstance(kTestInterface),
        {std::make_shared<BodyMethod>(
             "echo",
             [](const DataValuePtr& input, const Activation& a, const Callback& cb) {
               const DataValuePtr answer =
                   List(1, {input, Str(a->context->applicationContext.at("user")),
                            Str(a->context->securityContext.at("role")),
                            Str(a->localeSpec->GetLanguages().at(1).GetTag()),
                            Str(a->localeSpec->GetTimezone().GetZoneName())});
               cb(Core::MethodResult::Create(answer, nullptr), Progress::Completion(), nullptr);
             }),
         std::make_shared<BodyMethod>("hang", [this](const DataValuePtr&, const Activation&,
                                                     const Callback& cb) { held_.Add(cb); }),
         std::make_shared<BodyMethod>("stream", [this](const DataValuePtr&, const Activation&,
                                                       const Callback& cb) { Item(cb); })}));
    std::filesystem::create_directories(dir_);
  }
  ~RemoteTransport() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  void SetUp() override {
    Serve();
    client_ = Connect();
  }
  void Serve(Remote::ServerOptions options = {}) {
    std::list<BaseMessage> problems;
    server_ = Remote::RemoteServer::Start(router_, options, problems);
    ASSERT_TRUE(server_) << (problems.empty() ? "" : problems.front().GetDefaultMessage());
  }
  std::shared_ptr<Remote::RemoteApiProvider> Connect(Remote::ClientOptions options = {},
                                                     std::string target = "") {
    std::list<BaseMessage> problems;
    auto client = Remote::RemoteApiProvider::Create(target.empty() ? server_->Address() : target,
                                                    options, problems);
    EXPECT_TRUE(client) << (problems.empty() ? "" : problems.front().GetDefaultMessage());
    return client;
  }
  // Calls `method` through `client`; the inbox of its reports.
  std::shared_ptr<Inbox> Call(const std::shared_ptr<Remote::RemoteApiProvider>& client,
                              const std::string& method, DataValuePtr input = nullptr,
                              Activation activation = nullptr) {
    auto inbox = std::make_shared<Inbox>();
    client->InvokeAsync(Core::MethodIdentifier::GetInstance(
                            Core::InterfaceIdentifier::GetInstance(kTestInterface), method),
                        std::move(input), std::move(activation), *Into(inbox));
    return inbox;
  }

  // Reports a stream item whose continuation holds the request for the next one or records a
  // stop.
  void Item(const Callback& cb) {
    calls_.fetch_add(1);
    cb(Core::MethodResult::Create(Int(1), nullptr), Progress::Completion(),
       [this](std::shared_ptr<Callback> next) { next ? held_.Add(*next) : stops_.Add(true); });
  }
  // A file of the test's scratch directory, written with `content` when given; its path.
  std::string File(const std::string& name, const char* content = nullptr) {
    const std::string path = dir_ + "/" + name;
    if (content) std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::shared_ptr<Core::InProcessApiProvider> router_ =
      std::make_shared<Core::InProcessApiProvider>();
  std::unique_ptr<Remote::RemoteServer> server_;
  std::shared_ptr<Remote::RemoteApiProvider> client_;
  AwaitedReports<Callback> held_;  // what the provider holds, in the order it came
  std::atomic<int> calls_{0};
  AwaitedReports<bool> stops_;  // one for each stream the provider saw stopped
  const std::string dir_ = testing::TempDir() + "jorv-remote-" + std::to_string(getpid());
};

TEST_F(RemoteTransport, AnAnswerCarriesTheInputAndTheActivationEvenAMillionLevelsDeep) {
  auto activation = std::make_shared<Core::AsyncActivation>();
  activation->context->applicationContext["user"] = "ada";
  activation->context->securityContext["role"] = std::string("ad\0min", 6);
  activation->localeSpec = std::make_shared<L10n::LocaleSpec>(
      std::vector<L10n::LanguagePreference>{L10n::LanguagePreference("de_CH"),
                                            L10n::LanguagePreference("fr")},
      L10n::TimezoneSpec("Europe/Zurich"));
  // A million levels cost heap, not stack, on both ends.
  DataValuePtr deep = Int(1);
  for (int i = 0; i < 1000000; ++i) deep = i % 2 == 0 ? Some(deep) : List(1, {deep});
  const auto echo = Call(client_, "echo", deep, activation);
  const auto echoed = echo->Await(1, std::chrono::seconds(60));
  ASSERT_TRUE(echoed.result && echoed.result->output);
  EXPECT_TRUE(
      Data::Equals(echoed.result->output, List(1, {deep, Str("ada"), Str(std::string("ad\0min", 6)),
                                                   Str("fr"), Str("Europe/Zurich")})));
  EXPECT_EQ(echoed.progress, Progress::Completion());
  EXPECT_FALSE(echoed.next);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(echo->Count(), 1u);
}

TEST_F(RemoteTransport, TwoHundredStreamsAtOnceAskForMoreOnlyWhenAskedAndStopWhenTheClientsSaySo) {
  constexpr std::size_t kStreams = 200;
  std::vector<std::shared_ptr<Inbox>> inboxes;
  for (std::size_t i = 0; i < kStreams; ++i) inboxes.push_back(Call(client_, "stream"));
  for (auto& inbox : inboxes) EXPECT_TRUE(inbox->Await(1).next);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(held_.Count(), 0u) << "the provider was asked for more unasked";
  inboxes.pop_back();  // with the inbox its continuation goes unused: a stop
  for (auto& inbox : inboxes) inbox->Await(1).next(Into(inbox));
  held_.Await(kStreams - 1);
  stops_.Await(1);

  // The provider offers each one more item, which its client stops.
  for (std::size_t i = 1; i <= held_.Count(); ++i) Item(held_.Await(i));
  for (auto& inbox : inboxes) inbox->Await(2).next(nullptr);
  stops_.Await(kStreams);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (auto& inbox : inboxes) EXPECT_EQ(inbox->Count(), 2u);
}

TEST_F(RemoteTransport, AServerGoneOrAPassedDeadlineEndsEachOpenCallOnce) {
  const std::string address = server_->Address();
  auto offered = Call(client_, "stream");    // an item with a continuation the client holds
  auto requested = Call(client_, "stream");  // the provider holds the request for more
  auto unanswered = Call(client_, "hang");   // the provider holds the call
  const auto offer = offered->Await(1).next;
  requested->Await(1).next(Into(requested));
  held_.Await(2);
  server_->Shutdown();
  EXPECT_EQ(stops_.Count(), 1u);
  ExpectFailure(*unanswered, address, "UNAVAILABLE");
  ExpectFailure(*requested, address, "UNAVAILABLE", 2);
  auto late = std::make_shared<Inbox>();
  offer(Into(late));
  ExpectFailure(*late, address, "UNAVAILABLE");
  // What the provider reports afterwards reaches nobody; a stream it offers is stopped.
  for (std::size_t i = 1; i <= held_.Count(); ++i) Item(held_.Await(i));
  EXPECT_EQ(stops_.Count(), 3u);
  EXPECT_EQ(requested->Count(), 2u);

  server_.reset();
  ExpectFailure(*Call(Connect({}, address), "hang"), address, "UNAVAILABLE");

  Serve();
  Remote::ClientOptions hasty;
  hasty.deadline = std::chrono::milliseconds(100);
  ExpectFailure(*Call(Connect(hasty), "hang"), server_->Address(), "DEADLINE_EXCEEDED");
}

TEST_F(RemoteTransport, OnlyClientsWithTheRightTokenThatTrustTheServerAndThatItTrustsGetThrough) {
  // Two authorities, and a server certificate for 127.0.0.1 and a client certificate, both
  // issued by the first.
  File("leaf.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
  const std::string script =
      "set -e; cd " + dir_ +
      "; key='-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes'"
      "; for ca in ca other-ca; do openssl req -x509 $key -days 1 -subj /CN=$ca -keyout $ca.key"
      " -out $ca.pem; done"
      "; for leaf in server client; do openssl req $key -subj /CN=$leaf -keyout $leaf.key"
      " -out $leaf.csr; openssl x509 -req -days 1 -in $leaf.csr -CA ca.pem -CAkey ca.key"
      " -CAcreateserial -out $leaf.pem -extfile leaf.ext; done";
  ASSERT_EQ(std::system(("(" + script + ") >/dev/null 2>&1").c_str()), 0) << script;
  Remote::ServerOptions server;
  server.tlsCertFile = File("server.pem");
  server.tlsKeyFile = File("server.key");
  server.tlsClientCaFile = File("ca.pem");
  server.tokenFile = File("server-token", "  s3cret\n");
  Serve(server);

  Remote::ClientOptions trusted;
  trusted.tlsCaFile = File("ca.pem");
  trusted.tlsCertFile = File("client.pem");
  trusted.tlsKeyFile = File("client.key");
  trusted.tokenFile = File("right-token", "s3cret");
  Remote::ClientOptions wrongToken = trusted, noToken = trusted, wrongCa = trusted,
                        noCertificate = trusted;
  wrongToken.tokenFile = File("wrong-token", "s3cre");
  noToken.tokenFile = "";
  wrongCa.tlsCaFile = File("other-ca.pem");
  noCertificate.tlsCertFile = noCertificate.tlsKeyFile = "";
  const std::tuple<const char*, Remote::ClientOptions, const char*> refused[] = {
      {"wrong token", wrongToken, "UNAUTHENTICATED"},
      {"no token", noToken, "UNAUTHENTICATED"},
      {"server certificate from another authority", wrongCa, "UNAVAILABLE"},
      {"no client certificate", noCertificate, "UNAVAILABLE"},
      {"no TLS", Remote::ClientOptions(), "UNAVAILABLE"},
  };
  for (const auto& [name, options, status] : refused) {
    SCOPED_TRACE(name);
    ExpectFailure(*Call(Connect(options), "stream"), server_->Address(), status);
  }
  EXPECT_EQ(calls_.load(), 0);
  EXPECT_TRUE(Call(Connect(trusted), "stream")->Await(1).result->output);
}

TEST_F(RemoteTransport, BadSettingsAreRefusedAndWithoutTlsOnlyLoopbackAddressesAreServed) {
  std::list<BaseMessage> problems;
  Remote::ClientOptions missingToken;
  missingToken.tokenFile = File("missing.token");
  EXPECT_FALSE(Remote::RemoteApiProvider::Create("127.0.0.1:1", missingToken, problems));
  Remote::ServerOptions halfTls;
  halfTls.tlsCertFile = File("server.pem", "not read");
  EXPECT_FALSE(Remote::RemoteServer::Start(router_, halfTls, problems));
  const std::pair<const char*, bool> addresses[] = {{"0.0.0.0:0", false},   {"[::]:0", false},
                                                    {"192.0.2.1:0", false}, {"localhost:0", true},
                                                    {"[::1]:0", true},      {"127.0.0.2:0", true}};
  for (const auto& [address, loopback] : addresses) {
    Remote::ServerOptions options;
    options.listen = address;
    EXPECT_EQ(Remote::RemoteServer::Start(router_, options, problems) != nullptr, loopback)
        << address;
  }
  // One message for each refusal, and none for the rest.
  std::vector<std::string> ids;
  for (const BaseMessage& problem : problems) ids.push_back(problem.GetId());
  const char* insecure = MessageIds::kRemoteInsecureAddress;
  EXPECT_EQ(ids, (std::vector<std::string>{MessageIds::kRemoteFileUnreadable,
                                           MessageIds::kRemoteTlsIncomplete, insecure, insecure,
                                           insecure}));
  EXPECT_EQ(problems.front().GetArgs(), std::list<std::string>{missingToken.tokenFile});
}

TEST_F(RemoteTransport, MalformedFramesAreRefusedAndTheServerKeepsServing) {
  auto stub = jorv::remote::Transport::NewStub(
      grpc::CreateChannel(server_->Address(), grpc::InsecureChannelCredentials()));
  // Sends `frames` on one call; the status, and the reports that came back in `reports`.
  std::vector<jorv::remote::Report> reports;
  const auto exchange = [&](std::vector<jorv::remote::ClientFrame> frames) {
    grpc::ClientContext context;
    auto call = stub->Call(&context);
    for (const auto& frame : frames) call->Write(frame);
    call->WritesDone();
    reports.clear();
    for (jorv::remote::Report report; call->Read(&report);) reports.push_back(report);
    return call->Finish();
  };
  const auto start = [](const char* method, const char* input) {
    jorv::remote::ClientFrame frame;
    frame.mutable_start()->set_interface_name(kTestInterface);
    frame.mutable_start()->set_method_name(method);
    if (input) frame.mutable_start()->set_input(input);
    return frame;
  };
  jorv::remote::ClientFrame next;
  next.mutable_next();

  // An input that does not decode is the caller's fault; the call ends with it.
  EXPECT_TRUE(exchange({start("stream", "\x01\x09\x05")}).ok());
  ASSERT_EQ(reports.size(), 1u);
  DataValuePtr error;
  std::list<BaseMessage> messages;
  ASSERT_TRUE(Remote::DecodeValue(reports[0].error(), {}, error, messages));
  EXPECT_EQ(Summary(std::static_pointer_cast<const Data::ErrorValue>(error)),
            std::string(Std::kInvalidArgument) + " " + MessageIds::kValueTruncated + "(3)");

  const struct {
    const char* name;
    std::vector<jorv::remote::ClientFrame> frames;
    grpc::StatusCode status;
  } broken[] = {
      {"next first", {next}, grpc::StatusCode::INVALID_ARGUMENT},
      {"next not offered", {start("hang", nullptr), next}, grpc::StatusCode::FAILED_PRECONDITION},
      {"empty frame", {jorv::remote::ClientFrame()}, grpc::StatusCode::INVALID_ARGUMENT},
  };
  for (const auto& c : broken) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(exchange(c.frames).error_code(), c.status);
  }
  EXPECT_EQ(calls_.load(), 0);
  EXPECT_TRUE(Call(client_, "stream")->Await(1).result->output);
}

}  // namespace
}  // namespace Testing
}  // namespace Jorv
