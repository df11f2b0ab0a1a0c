#include "framework/remote/detail/server_call.h"

#include <exception>
#include <list>
#include <string_view>
#include <utility>

#include "framework/core/standard_names.h"
#include "framework/remote/detail/call_codec.h"
#include "framework/remote/detail/connection.h"

namespace Jorv {
namespace Remote {
namespace detail {
namespace {

using Core::AsyncApiResultCb;

// Calls a provider's continuation with null. What it throws is dropped: nobody waits for it.
void Stop(const AsyncApiResultCb::Continuation& next) {
  try {
    next(nullptr);
  } catch (...) {
  }
}

bool Authorized(const grpc::CallbackServerContext& context, const std::string& token) {
  if (token.empty()) return true;
  const auto& metadata = context.client_metadata();
  const auto found = metadata.find(kAuthorization);
  const std::string_view given = found == metadata.end()
                                     ? std::string_view()
                                     : std::string_view(found->second.data(), found->second.size());
  return ConstantTimeEquals(given, kBearer + token);
}

}  // namespace

ServerCall::ServerCall(grpc::CallbackServerContext* context,
                       std::shared_ptr<RemoteServer::Shared> shared)
    : context_(context), shared_(std::move(shared)) {}

void ServerCall::Begin() {
  bool shuttingDown = false;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shuttingDown = shared_->shuttingDown;
    shared_->open.insert(shared_from_this());
  }
  grpc::Status refusal;
  if (shuttingDown) {
    refusal = grpc::Status(grpc::StatusCode::UNAVAILABLE, "the server is shutting down");
  } else if (!Authorized(*context_, shared_->token)) {
    refusal = grpc::Status(grpc::StatusCode::UNAUTHENTICATED, "no valid bearer token");
  } else {
    StartRead(&in_);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = finished_ = true;
  }
  Finish(refusal);
}

void ServerCall::Abort(const grpc::Status& status) {
  Actions actions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    EndLocked(status, actions);
  }
  Act(actions);
}

void ServerCall::Report(const std::shared_ptr<const Core::MethodResult>& result,
                        const Progress& progress, AsyncApiResultCb::Continuation next) {
  jorv::remote::Report wire;
  WriteReport(result, progress, next != nullptr, wire);
  Actions actions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ended_) {
      // Nobody listens any more: the stream this report offers is stopped at once.
      if (next) actions.stops.push_back(std::move(next));
    } else {
      const bool final = result && !next;
      if (next) {
        // A continuation no longer reachable by the client.
        if (held_) actions.stops.push_back(std::move(held_));
        held_ = std::move(next);
      }
      QueueLocked(std::move(wire), actions);
      if (final || (held_ && readClosed_)) EndLocked(grpc::Status::OK, actions);
      CoalesceLocked(actions);
    }
  }
  Act(actions);
}

void ServerCall::OnReadDone(bool ok) {
  const ReactionScope scope;
  Actions actions;
  if (!ok) {
    // The client is done sending (a cancelled call also gets OnCancel): a stream it can no
    // longer ask more of ends now, one still at work ends with its next report.
    std::lock_guard<std::mutex> lock(mutex_);
    readClosed_ = true;
    if (held_) EndLocked(grpc::Status::OK, actions);
  } else if (!started_) {
    started_ = true;
    if (in_.frame_case() != jorv::remote::ClientFrame::kStart) {
      std::lock_guard<std::mutex> lock(mutex_);
      EndLocked(grpc::Status(grpc::StatusCode::INVALID_ARGUMENT, "the call began without a start"),
                actions);
    } else {
      const jorv::remote::Start start = std::move(*in_.mutable_start());
      {
        std::lock_guard<std::mutex> lock(mutex_);
        actions.read = !ended_;
      }
      Act(actions);
      Route(start);
      return;
    }
  } else {
    std::lock_guard<std::mutex> lock(mutex_);
    NextFrame(in_, actions);
  }
  Act(actions);
}

void ServerCall::OnWriteDone(bool ok) {
  const ReactionScope scope;
  Actions actions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    writes_.pop_front();
    if (!ok) {
      writes_.clear();
      EndLocked(grpc::Status(grpc::StatusCode::CANCELLED, "a report could not be sent"), actions);
    }
    if (!writes_.empty()) {
      actions.write = &writes_.front();
      CoalesceLocked(actions);
    } else {
      writing_ = false;
      if (ended_ && !finished_) {
        actions.finish = finished_ = true;
        actions.status = status_;
      }
    }
  }
  Act(actions);
}

void ServerCall::OnCancel() {
  const ReactionScope scope;
  Abort(grpc::Status(grpc::StatusCode::CANCELLED, "cancelled"));
}

void ServerCall::OnDone() {
  const ReactionScope scope;
  const std::shared_ptr<RemoteServer::Shared> shared = shared_;
  std::shared_ptr<ServerCall> self;
  {
    std::lock_guard<std::mutex> lock(shared->mutex);
    const auto found = shared->open.find(shared_from_this());
    if (found != shared->open.end()) {
      self = *found;
      shared->open.erase(found);
    }
    shared->idle.notify_all();
  }
  // `self` may be the last owner: this call ends here unless the provider still holds one of
  // its callbacks.
}

void ServerCall::Act(Actions& actions) {
  if (actions.write != nullptr && actions.finish) {
    StartWriteAndFinish(actions.write, grpc::WriteOptions(), actions.status);
  } else if (actions.write != nullptr) {
    StartWrite(actions.write);
  } else if (actions.finish) {
    Finish(actions.status);
  }
  if (actions.read) StartRead(&in_);
  for (const auto& stop : actions.stops) Stop(stop);
  if (!actions.request) return;
  try {
    actions.request(std::make_shared<AsyncApiResultCb>(ProviderSide()));
  } catch (const std::exception& failure) {
    Abort(grpc::Status(grpc::StatusCode::INTERNAL,
                       std::string("the provider failed to continue: ") + failure.what()));
  } catch (...) {
    Abort(grpc::Status(grpc::StatusCode::INTERNAL, "the provider failed to continue"));
  }
}

void ServerCall::Route(const jorv::remote::Start& start) {
  StartedCall call;
  std::list<BaseMessage> messages;
  if (!ReadStart(start, shared_->limits, call, messages)) {
    Report(Core::MethodResult::Create(nullptr,
                                      Data::ErrorValue::Create(Std::kInvalidArgument, messages)),
           Progress::Completion(), nullptr);
    return;
  }
  try {
    shared_->router->InvokeAsync(call.method, call.input, call.activation, ProviderSide());
  } catch (const std::exception& failure) {
    Abort(grpc::Status(grpc::StatusCode::INTERNAL, failure.what()));
  } catch (...) {
    Abort(grpc::Status(grpc::StatusCode::INTERNAL, "the call could not be routed"));
  }
}

void ServerCall::NextFrame(const jorv::remote::ClientFrame& frame, Actions& actions) {
  const auto kind = frame.frame_case();
  if (kind != jorv::remote::ClientFrame::kNext && kind != jorv::remote::ClientFrame::kStop) {
    EndLocked(grpc::Status(grpc::StatusCode::INVALID_ARGUMENT, "a frame out of place"), actions);
  } else if (!held_) {
    EndLocked(grpc::Status(grpc::StatusCode::FAILED_PRECONDITION,
                           "a request or stop where no report offered a continuation"),
              actions);
  } else if (kind == jorv::remote::ClientFrame::kStop) {
    EndLocked(grpc::Status::OK, actions);
  } else {
    actions.request = std::move(held_);
    held_ = nullptr;
    actions.read = true;
  }
}

void ServerCall::QueueLocked(jorv::remote::Report report, Actions& actions) {
  writes_.push_back(std::move(report));
  if (writing_) return;
  writing_ = true;
  actions.write = &writes_.front();
}

void ServerCall::CoalesceLocked(Actions& actions) {
  // The last report of a call that ends well goes out with its status, in one operation.
  if (actions.write == nullptr || !ended_ || finished_ || writes_.size() != 1 || !status_.ok()) {
    return;
  }
  actions.finish = finished_ = true;
  actions.status = status_;
}

void ServerCall::EndLocked(const grpc::Status& status, Actions& actions) {
  if (ended_) return;
  ended_ = true;
  status_ = status;
  if (held_) actions.stops.push_back(std::move(held_));
  held_ = nullptr;
  // Reports not yet started are dropped when the call fails; the one in flight completes.
  if (!status.ok() && writes_.size() > 1) writes_.resize(1);
  if (!writing_ && !finished_) {
    actions.finish = finished_ = true;
    actions.status = status_;
  }
}

AsyncApiResultCb ServerCall::ProviderSide() {
  return AsyncApiResultCb(
      [self = shared_from_this()](const std::shared_ptr<const Core::MethodResult>& result,
                                  const Progress& progress, AsyncApiResultCb::Continuation&& next) {
        self->Report(result, progress, std::move(next));
      });
}

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
