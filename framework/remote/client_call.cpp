#include "framework/remote/detail/client_call.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <list>
#include <utility>

#include "framework/core/standard_names.h"
#include "framework/remote/detail/call_codec.h"
#include "framework/remote/detail/connection.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Remote {
namespace detail {
namespace {

using Core::AsyncApiResultCb;
using Core::MethodResult;

// Hands one report to a client's callback. What the callback throws stays on the client's
// side: the call goes on.
void Deliver(const AsyncApiResultCb& receiver, const std::shared_ptr<const MethodResult>& result,
             const Progress& progress, AsyncApiResultCb::Continuation next) {
  try {
    receiver(result, progress, std::move(next));
  } catch (...) {
  }
}

// The end of a stream, for a callback that asks again on a spent continuation.
std::shared_ptr<const MethodResult> EndOfStream() { return MethodResult::Create(nullptr, nullptr); }

// One continuation offered to the client. It serves once; dropped unused, it stops the stream.
class Offer {
 public:
  explicit Offer(std::shared_ptr<ClientCall> call) : call_(std::move(call)) {}
  Offer(const Offer&) = delete;
  Offer& operator=(const Offer&) = delete;
  ~Offer() {
    if (!used_.exchange(true)) call_->Continue(nullptr);
  }

  void Use(std::shared_ptr<AsyncApiResultCb> receiver) {
    if (!used_.exchange(true)) {
      call_->Continue(std::move(receiver));
    } else if (receiver) {
      Deliver(*receiver, EndOfStream(), Progress::Completion(), nullptr);
    }
  }

 private:
  std::atomic<bool> used_{false};
  std::shared_ptr<ClientCall> call_;
};

const char* CodeName(grpc::StatusCode code) {
  switch (code) {
    case grpc::StatusCode::OK:
      return "OK";
    case grpc::StatusCode::CANCELLED:
      return "CANCELLED";
    case grpc::StatusCode::INVALID_ARGUMENT:
      return "INVALID_ARGUMENT";
    case grpc::StatusCode::DEADLINE_EXCEEDED:
      return "DEADLINE_EXCEEDED";
    case grpc::StatusCode::NOT_FOUND:
      return "NOT_FOUND";
    case grpc::StatusCode::PERMISSION_DENIED:
      return "PERMISSION_DENIED";
    case grpc::StatusCode::RESOURCE_EXHAUSTED:
      return "RESOURCE_EXHAUSTED";
    case grpc::StatusCode::FAILED_PRECONDITION:
      return "FAILED_PRECONDITION";
    case grpc::StatusCode::UNIMPLEMENTED:
      return "UNIMPLEMENTED";
    case grpc::StatusCode::INTERNAL:
      return "INTERNAL";
    case grpc::StatusCode::UNAVAILABLE:
      return "UNAVAILABLE";
    case grpc::StatusCode::UNAUTHENTICATED:
      return "UNAUTHENTICATED";
    default:
      return "UNKNOWN";
  }
}

}  // namespace

ClientCall::ClientCall(std::shared_ptr<const RemoteApiProvider::Connection> connection,
                       AsyncApiResultCb callback)
    : connection_(std::move(connection)), receiver_(std::move(callback)) {}

void ClientCall::Start(const std::shared_ptr<const Core::MethodIdentifier>& method,
                       const Data::DataValuePtr& input,
                       const std::shared_ptr<Core::AsyncActivation>& activation) {
  jorv::remote::ClientFrame start;
  WriteStart(method, input, activation, *start.mutable_start());
  const ClientOptions& options = connection_->options;
  if (options.deadline.count() > 0) {
    context_.set_deadline(std::chrono::system_clock::now() + options.deadline);
  }
  if (!connection_->token.empty()) {
    context_.AddMetadata(kAuthorization, kBearer + connection_->token);
  }
  const jorv::remote::ClientFrame* first = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    self_ = shared_from_this();
    writes_.push_back(std::move(start));
    first = &writes_.front();
    writing_ = true;
    holding_ = true;
  }
  connection_->stub->async()->Call(&context_, this);
  StartWrite(first);
  StartRead(&in_);
  // Frames are also started from the client's threads (its continuations): the hold keeps
  // the call from finishing until no more can come.
  AddHold();
  StartCall();
}

void ClientCall::Continue(std::shared_ptr<AsyncApiResultCb> receiver) {
  Actions actions;
  std::shared_ptr<const MethodResult> answer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!receiver) {
      if (state_ == State::kOffered) {
        state_ = State::kStopped;
        if (holding_) {
          jorv::remote::ClientFrame stop;
          stop.mutable_stop();
          QueueLocked(std::move(stop), actions);
          ReleaseHoldLocked(actions);
        }
      }
    } else if (state_ != State::kOffered || done_) {
      // The call is over: the callback learns how it ended.
      answer = failure_ ? failure_ : EndOfStream();
      if (state_ == State::kOffered) state_ = State::kEnded;
    } else {
      state_ = State::kWaiting;
      receiver_ = *receiver;
      // Without the hold the call is ending, and OnDone answers the callback.
      if (holding_) {
        jorv::remote::ClientFrame next;
        next.mutable_next();
        QueueLocked(std::move(next), actions);
      }
    }
  }
  Act(actions);
  if (answer) Deliver(*receiver, answer, Progress::Completion(), nullptr);
}

void ClientCall::OnReadDone(bool ok) {
  const ReactionScope scope;
  Actions actions;
  if (!ok) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ReleaseHoldLocked(actions);
    }
    Act(actions);
    return;
  }
  ReadReport report;
  std::list<BaseMessage> messages;
  const bool read = Read(in_, connection_->options.limits, report, messages);

  bool deliver = false;
  bool cancel = false;
  AsyncApiResultCb receiver;
  AsyncApiResultCb::Continuation next;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ == State::kWaiting && read) {
      deliver = true;
      receiver = receiver_;
      if (report.continues) {
        auto offer = std::make_shared<Offer>(shared_from_this());
        next = [offer](std::shared_ptr<AsyncApiResultCb> r) { offer->Use(std::move(r)); };
      }
      if (report.result) {
        receiver_ = AsyncApiResultCb();
        state_ = report.continues ? State::kOffered : State::kEnded;
        if (!report.continues) ReleaseHoldLocked(actions);
      }
    } else if (state_ == State::kWaiting || state_ == State::kOffered) {
      // A report that does not decode, or one nobody asked for: the call ends here.
      auto failure = read ? Failure(Std::kServiceUnavailable, MessageIds::kRemoteUnavailable,
                                    connection_->target, std::string("a report came unasked"))
                          : MethodResult::Create(
                                nullptr, Data::ErrorValue::Create(Std::kInvalidArgument, messages));
      if (state_ == State::kWaiting) {
        deliver = true;
        receiver = std::move(receiver_);
        receiver_ = AsyncApiResultCb();
        report.result = std::move(failure);
        report.progress = Progress::Completion();
      } else {
        failure_ = std::move(failure);
      }
      state_ = State::kEnded;
      cancel = true;
      ReleaseHoldLocked(actions);
    }
    // After the end or a stop, what still comes is dropped.
  }
  Act(actions);
  if (cancel) context_.TryCancel();
  if (deliver) Deliver(receiver, report.result, report.progress, std::move(next));
  StartRead(&in_);
}

void ClientCall::OnWriteDone(bool ok) {
  const ReactionScope scope;
  Actions actions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    writes_.pop_front();
    // A failed write means the stream is broken; the read side learns how.
    if (!ok) writes_.clear();
    if (!writes_.empty()) {
      actions.write = &writes_.front();
    } else {
      writing_ = false;
      if (releaseAfterWrite_) {
        releaseAfterWrite_ = false;
        holding_ = false;
        actions.removeHold = true;
      }
    }
  }
  Act(actions);
}

void ClientCall::OnDone(const grpc::Status& status) {
  const ReactionScope scope;
  std::shared_ptr<ClientCall> keep;
  std::shared_ptr<const MethodResult> failure;
  AsyncApiResultCb receiver;
  bool deliver = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    keep = std::move(self_);
    if (!failure_) failure_ = FailureOf(status);
    failure = failure_;
    if (state_ == State::kWaiting) {
      deliver = true;
      receiver = std::move(receiver_);
      receiver_ = AsyncApiResultCb();
      state_ = State::kEnded;
    }
  }
  if (deliver) Deliver(receiver, failure, Progress::Completion(), nullptr);
}

void ClientCall::QueueLocked(jorv::remote::ClientFrame frame, Actions& actions) {
  writes_.push_back(std::move(frame));
  if (writing_) return;
  writing_ = true;
  actions.write = &writes_.front();
}

void ClientCall::ReleaseHoldLocked(Actions& actions) {
  if (!holding_) return;
  if (writing_) {
    releaseAfterWrite_ = true;
    return;
  }
  holding_ = false;
  actions.removeHold = true;
}

void ClientCall::Act(const Actions& actions) {
  if (actions.write != nullptr) StartWrite(actions.write);
  if (actions.removeHold) RemoveHold();
}

std::shared_ptr<const MethodResult> ClientCall::FailureOf(const grpc::Status& status) const {
  if (status.ok()) {
    return Failure(Std::kServiceUnavailable, MessageIds::kRemoteUnavailable, connection_->target,
                   std::string("the call ended before its last report"));
  }
  const std::string text =
      std::string(CodeName(status.error_code())) + ": " + status.error_message();
  if (status.error_code() == grpc::StatusCode::UNAUTHENTICATED) {
    return Failure(Std::kUnauthenticated, MessageIds::kRemoteUnauthenticated, connection_->target,
                   text);
  }
  return Failure(Std::kServiceUnavailable, MessageIds::kRemoteUnavailable, connection_->target,
                 text);
}

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
