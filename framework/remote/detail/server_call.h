#pragma once
// The server's end of one remote call: a gRPC bidirectional-stream reactor that reads the start
// and the client's requests and stops, routes the call, and writes the provider's reports in
// order, one at a time.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <grpcpp/grpcpp.h>

#include "framework/core/api_provider.h"
#include "framework/remote/remote_server.h"
#include "remote_call.grpc.pb.h"

namespace Jorv {
namespace Remote {

namespace detail {
class ServerCall;
}

// What the calls of one server share: the router, the settings, and the register of open
// calls that shutdown ends.
struct RemoteServer::Shared {
  std::shared_ptr<Core::ApiProvider> router;
  std::string token;
  DecodeLimits limits;

  std::mutex mutex;
  std::condition_variable idle;
  bool shuttingDown = false;
  std::set<std::shared_ptr<detail::ServerCall>> open;
};

namespace detail {

class ServerCall final
    : public grpc::ServerBidiReactor<jorv::remote::ClientFrame, jorv::remote::Report>,
      public std::enable_shared_from_this<ServerCall> {
 public:
  ServerCall(grpc::CallbackServerContext* context, std::shared_ptr<RemoteServer::Shared> shared);

  // Checks the token, registers the call (or refuses it while the server shuts down) and
  // reads the start.
  void Begin();
  // Ends the call with `status`, stopping a held stream. Any thread.
  void Abort(const grpc::Status& status);
  // One report of the provider. Any thread.
  void Report(const std::shared_ptr<const Core::MethodResult>& result, const Progress& progress,
              Core::AsyncApiResultCb::Continuation next);

  void OnReadDone(bool ok) override;
  void OnWriteDone(bool ok) override;
  void OnCancel() override;
  void OnDone() override;

 private:
  // What to do once the lock is released.
  struct Actions {
    const jorv::remote::Report* write = nullptr;
    bool read = false;
    bool finish = false;
    grpc::Status status;
    // Provider continuations to call with null, and one to ask for the next report.
    std::vector<Core::AsyncApiResultCb::Continuation> stops;
    Core::AsyncApiResultCb::Continuation request;
  };

  void Act(Actions& actions);
  // Routes the call the start describes, or answers a start that does not decode.
  void Route(const jorv::remote::Start& start);
  void NextFrame(const jorv::remote::ClientFrame& frame, Actions& actions);
  void QueueLocked(jorv::remote::Report report, Actions& actions);
  // Makes the write about to start also finish the call when it is the last one of a call
  // that ends well (no OnWriteDone follows then).
  void CoalesceLocked(Actions& actions);
  // No more reports go out: finishes with `status` once the queued ones are written, and
  // stops a held stream.
  void EndLocked(const grpc::Status& status, Actions& actions);
  Core::AsyncApiResultCb ProviderSide();

  grpc::CallbackServerContext* const context_;
  const std::shared_ptr<RemoteServer::Shared> shared_;
  jorv::remote::ClientFrame in_;

  std::mutex mutex_;
  bool started_ = false;
  // The client sends no more frames.
  bool readClosed_ = false;
  bool ended_ = false;
  bool finished_ = false;
  // The status to finish with, once the reports queued before the end are written.
  grpc::Status status_;
  std::deque<jorv::remote::Report> writes_;
  bool writing_ = false;
  // The continuation of the provider's last report, until the client uses it.
  Core::AsyncApiResultCb::Continuation held_;
};

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
