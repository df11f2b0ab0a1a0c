#include "framework/remote/remote_server.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <list>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/standard_names.h"
#include "framework/remote/remote_support.h"
#include "framework/text/message_catalog.h"
#include "remote_call.grpc.pb.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {
namespace {

using Data::DataValuePtr;

// Expects the one report of a failed call: `errorName` with a message `id` naming the target and
// a transport status that starts with `status`.
void ExpectFailure(Inbox& inbox, const std::string& target, const std::string& status,
                   const char* errorName = Std::kServiceUnavailable,
                   const char* id = MessageIds::kRemoteUnavailable) {
  const auto report = inbox.Await(1);
  EXPECT_EQ(ErrorName(report), errorName);
  const BaseMessage message = FirstMessage(report);
  EXPECT_EQ(message.GetId(), id);
  ASSERT_EQ(message.GetArgs().size(), 2u);
  EXPECT_EQ(message.GetArgs().front(), target);
  EXPECT_EQ(message.GetArgs().back().rfind(status, 0), 0u) << message.GetArgs().back();
  EXPECT_FALSE(report.next);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(inbox.Count(), 1u);
}

using RemoteFailures = RemoteFixture;

TEST_F(RemoteFailures, AnUnreachableServerOrAPassedDeadlineEndsEachCallOnce) {
  Serve();
  const std::string address = server_->Address();
  Remote::ClientOptions hasty;
  hasty.deadline = std::chrono::milliseconds(100);
  auto late = Call(Connect(hasty), "hang");
  ExpectFailure(*late, address, "DEADLINE_EXCEEDED");
  server_.reset();
  auto gone = Call(Connect({}, address), "hang");
  ExpectFailure(*gone, address, "UNAVAILABLE");
}

TEST_F(RemoteFailures, ShutdownStopsHeldStreamsAndEndsOpenCallsOnce) {
  Serve();
  const std::string address = server_->Address();
  auto client = Connect();
  auto offered = Call(client, "stream");    // an item with a continuation the client holds
  auto requested = Call(client, "stream");  // the provider holds the request for more
  auto unanswered = Call(client, "hang");   // the provider holds the call
  const auto offer = offered->Await(1).next;
  requested->Await(1).next(requested->Receiver());
  ASSERT_TRUE(Eventually([&] { return Held() == 2; }));

  server_->Shutdown();
  EXPECT_EQ(stops_.load(), 1);
  ExpectFailure(*unanswered, address, "UNAVAILABLE");
  EXPECT_EQ(requested->Await(2).result->error->GetName(), Std::kServiceUnavailable);
  Inbox late;
  offer(late.Receiver());
  ExpectFailure(late, address, "UNAVAILABLE");

  // What the provider reports afterwards reaches nobody; a stream it offers is stopped.
  for (const auto& cb : held_) Item(cb);
  EXPECT_EQ(stops_.load(), 3);
  EXPECT_EQ(requested->Count(), 2u);
}

TEST_F(RemoteFailures, CallsWithoutTheRightTokenNeverReachTheProvider) {
  TempDir dir;
  Remote::ServerOptions options;
  options.tokenFile = dir.Write("server-token", "  s3cret\n");
  Serve(options);
  Remote::ClientOptions wrong;
  wrong.tokenFile = dir.Write("wrong-token", "s3cre");
  Remote::ClientOptions right;
  right.tokenFile = dir.Write("right-token", "s3cret");
  for (const Remote::ClientOptions& options : {wrong, Remote::ClientOptions()}) {
    auto refused = Call(Connect(options), "stream");
    ExpectFailure(*refused, server_->Address(), "UNAUTHENTICATED", Std::kUnauthenticated,
                  MessageIds::kRemoteUnauthenticated);
  }
  EXPECT_EQ(calls_.load(), 0);
  EXPECT_TRUE(Call(Connect(right), "stream")->Await(1).result->output);
}

TEST_F(RemoteFailures, MalformedFramesAreRefusedAndTheServerKeepsServing) {
  Serve();
  auto stub = jorv::remote::Transport::NewStub(
      grpc::CreateChannel(server_->Address(), grpc::InsecureChannelCredentials()));
  // Sends `frames` on one call; the reports that came back and the status.
  const auto exchange = [&](std::vector<jorv::remote::ClientFrame> frames,
                            std::vector<jorv::remote::Report>& reports) {
    grpc::ClientContext context;
    auto call = stub->Call(&context);
    for (const auto& frame : frames) call->Write(frame);
    call->WritesDone();
    jorv::remote::Report report;
    while (call->Read(&report)) reports.push_back(report);
    return call->Finish();
  };
  jorv::remote::ClientFrame garbage;
  garbage.mutable_start()->set_interface_name(kTestInterface);
  garbage.mutable_start()->set_method_name("stream");
  garbage.mutable_start()->set_input(std::string("\x01\x09\x05", 3));
  jorv::remote::ClientFrame hang;
  hang.mutable_start()->set_interface_name(kTestInterface);
  hang.mutable_start()->set_method_name("hang");
  jorv::remote::ClientFrame next;
  next.mutable_next();

  std::vector<jorv::remote::Report> reports;
  EXPECT_TRUE(exchange({garbage}, reports).ok());
  ASSERT_EQ(reports.size(), 1u);
  DataValuePtr error;
  std::list<BaseMessage> messages;
  ASSERT_TRUE(Remote::DecodeValue(reports[0].error(), {}, error, messages));
  EXPECT_EQ(static_cast<const Data::ErrorValue&>(*error).GetName(), Std::kInvalidArgument);
  EXPECT_EQ(static_cast<const Data::ErrorValue&>(*error).GetMessages().front().GetId(),
            MessageIds::kValueTruncated);

  const struct {
    const char* name;
    std::vector<jorv::remote::ClientFrame> frames;
    grpc::StatusCode status;
  } broken[] = {
      {"next first", {next}, grpc::StatusCode::INVALID_ARGUMENT},
      {"next not offered", {hang, next}, grpc::StatusCode::FAILED_PRECONDITION},
      {"empty frame", {jorv::remote::ClientFrame()}, grpc::StatusCode::INVALID_ARGUMENT},
  };
  for (const auto& c : broken) {
    SCOPED_TRACE(c.name);
    reports.clear();
    EXPECT_EQ(exchange(c.frames, reports).error_code(), c.status);
  }
  EXPECT_EQ(calls_.load(), 0);
  EXPECT_TRUE(Call(Connect(), "stream")->Await(1).result->output);
}

TEST_F(RemoteFailures, WithoutTlsOnlyLoopbackAddressesAreServedUnlessInsecureIsChosen) {
  const std::pair<const char*, bool> addresses[] = {{"0.0.0.0:0", false},   {"[::]:0", false},
                                                    {"192.0.2.1:0", false}, {"localhost:0", true},
                                                    {"[::1]:0", true},      {"127.0.0.2:0", true}};
  for (const auto& [address, loopback] : addresses) {
    SCOPED_TRACE(address);
    Remote::ServerOptions options;
    options.listen = address;
    std::list<BaseMessage> problems;
    EXPECT_EQ(Remote::RemoteServer::Start(router_, options, problems) != nullptr, loopback);
    EXPECT_EQ(problems.empty() ? "" : problems.front().GetId(),
              loopback ? "" : MessageIds::kRemoteInsecureAddress);
  }
}

TEST_F(RemoteFailures, TwoHundredStreamsRunAtOnceOnOneServer) {
  Serve();
  auto client = Connect();
  constexpr int kStreams = 200;
  std::vector<std::shared_ptr<Inbox>> inboxes;
  for (int i = 0; i < kStreams; ++i) inboxes.push_back(Call(client, "stream"));
  for (auto& inbox : inboxes) inbox->Await(1).next(inbox->Receiver());
  ASSERT_TRUE(Eventually([&] { return Held() == kStreams; }));
  for (const auto& cb : held_) Item(cb);
  for (auto& inbox : inboxes) inbox->Await(2).next(nullptr);
  EXPECT_TRUE(Eventually([&] { return stops_.load() == kStreams; }));
  for (auto& inbox : inboxes) EXPECT_EQ(inbox->Count(), 2u);
}

}  // namespace
}  // namespace Testing
}  // namespace Jorv
