#pragma once
// The client's end of one remote call: a gRPC bidirectional-stream reactor that sends the start
// and the client's requests and stops, and delivers the server's reports, or the transport's
// failure, to the callback waiting for them.

#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include <grpcpp/grpcpp.h>

#include "framework/core/api_result_cb.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_options.h"
#include "remote_call.grpc.pb.h"

namespace Jorv {
namespace Remote {

// What every call of one RemoteApiProvider shares.
struct RemoteApiProvider::Connection {
  std::string target;
  std::string token;
  ClientOptions options;
  std::shared_ptr<grpc::Channel> channel;
  std::unique_ptr<jorv::remote::Transport::Stub> stub;
};

namespace detail {

class ClientCall final
    : public grpc::ClientBidiReactor<jorv::remote::ClientFrame, jorv::remote::Report>,
      public std::enable_shared_from_this<ClientCall> {
 public:
  ClientCall(std::shared_ptr<const RemoteApiProvider::Connection> connection,
             Core::AsyncApiResultCb callback);

  // Sends the start; the call keeps itself alive until gRPC is done with it.
  void Start(const std::shared_ptr<const Core::MethodIdentifier>& method,
             const Data::DataValuePtr& input,
             const std::shared_ptr<Core::AsyncActivation>& activation);

  // The client used the continuation of the last report: `receiver` asks for the next
  // report, null stops the stream.
  void Continue(std::shared_ptr<Core::AsyncApiResultCb> receiver);

  void OnReadDone(bool ok) override;
  void OnWriteDone(bool ok) override;
  void OnDone(const grpc::Status& status) override;

 private:
  enum class State {
    kWaiting,  // a callback waits for the next report
    kOffered,  // the last report offered a continuation that is not used yet
    kEnded,    // the last report was final, or the call failed
    kStopped,  // the client stopped the stream
  };
  // What to do once the lock is released.
  struct Actions {
    const jorv::remote::ClientFrame* write = nullptr;
    bool removeHold = false;
  };

  // Queues a frame and starts writing it when no write is in flight.
  void QueueLocked(jorv::remote::ClientFrame frame, Actions& actions);
  // No more frames will be started from outside gRPC's reactions: lets the call finish once
  // the write in flight is done.
  void ReleaseHoldLocked(Actions& actions);
  void Act(const Actions& actions);
  // The report that ends a call the transport failed with `status`.
  std::shared_ptr<const Core::MethodResult> FailureOf(const grpc::Status& status) const;

  const std::shared_ptr<const RemoteApiProvider::Connection> connection_;
  grpc::ClientContext context_;
  jorv::remote::Report in_;

  std::mutex mutex_;
  std::shared_ptr<ClientCall> self_;
  State state_ = State::kWaiting;
  Core::AsyncApiResultCb receiver_;
  std::deque<jorv::remote::ClientFrame> writes_;
  bool writing_ = false;
  bool holding_ = false;
  bool releaseAfterWrite_ = false;
  bool done_ = false;
  // What a callback handed to a continuation gets once the call is over.
  std::shared_ptr<const Core::MethodResult> failure_;
};

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
