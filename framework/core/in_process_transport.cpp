#include "framework/core/in_process_transport.h"

#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Core {
namespace {

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

void Answer(const AsyncApiResultCb& callback, const char* errorName, BaseMessage message) {
  auto error = Data::ErrorValue::Create(errorName, std::list<BaseMessage>{std::move(message)});
  callback(MethodResult::Create(nullptr, std::move(error)), Progress::Completion(), nullptr);
}

template <class... Args>
BaseMessage Describe(const char* id, Args... args) {
  return MakeMessage(id, Message<CoreTag>::DefaultMessageForId(id), std::string(args)...);
}

// Answers a method that threw unless its callback is spent. The provider may have handed the
// callback to another thread before throwing, and that thread may complete it at any moment:
// losing that race leaves the other completion as the one answer.
void AnswerFailure(const AsyncApiResultCb& callback, const std::string& method,
                   const std::string& what) {
  if (!callback.IsArmed()) return;
  try {
    Answer(callback, Std::kInternalServerError, Describe(MessageIds::kMethodFailed, method, what));
  } catch (const std::bad_function_call&) {
    // Spent in between by the other thread.
  }
}

// Runs the deliveries and next-report requests of one call one at a time, in order. A task
// started while another runs (on this thread, from inside it, or on another thread) waits in
// the queue and runs when the running one returns, on the thread that runs the queue. So a
// client that asks for the next item from inside its callback, against a provider that answers
// at once, does not grow the stack by one round per item, and the reports of one call never
// overlap.
class Strand : public std::enable_shared_from_this<Strand> {
 public:
  // Runs `task` now when the strand is idle (without wrapping it in a std::function), else
  // queues it. A task that throws does not stop the queue; the first exception is rethrown
  // once the queue is empty.
  template <class Task>
  void Run(Task&& task) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (running_) {
        queue_.emplace_back(std::forward<Task>(task));
        return;
      }
      running_ = true;
    }
    // A final delivery made while the queue runs destroys the callback that owns this strand.
    const std::shared_ptr<Strand> self = shared_from_this();
    std::exception_ptr failure;
    {
      // Destroyed before the queued tasks run, as each of them is.
      std::decay_t<Task> first(std::forward<Task>(task));
      try {
        first();
      } catch (...) {
        failure = std::current_exception();
      }
    }
    RunQueued(failure);
  }

 private:
  void RunQueued(std::exception_ptr failure) {
    for (;;) {
      std::function<void()> task;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.empty()) {
          running_ = false;
          break;
        }
        task = std::move(queue_.front());
        queue_.pop_front();
      }
      try {
        task();
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
    if (failure) std::rethrow_exception(failure);
  }

  std::mutex mutex_;
  bool running_ = false;
  // A list, not a deque: an idle strand, the usual one, allocates nothing for it.
  std::list<std::function<void()>> queue_;
};

AsyncApiResultCb ThroughStrand(AsyncApiResultCb client, std::shared_ptr<Strand> strand);

// Carries the client's request for the next report to the provider through the call's strand.
struct NextRequest {
  std::shared_ptr<Strand> strand;
  AsyncApiResultCb::Continuation next;

  void operator()(std::shared_ptr<AsyncApiResultCb> receiver) const {
    auto wrapped =
        receiver ? std::make_shared<AsyncApiResultCb>(ThroughStrand(*receiver, strand)) : nullptr;
    strand->Run([next = next, wrapped = std::move(wrapped)] { next(wrapped); });
  }
};

// The callback the provider side of a call sees: it hands each delivery to the client's
// callback through the call's strand, and each next-report request back to the provider
// through the same strand.
struct Relay {
  AsyncApiResultCb client;
  std::shared_ptr<Strand> strand;

  void operator()(const std::shared_ptr<const MethodResult>& result, const Progress& progress,
                  AsyncApiResultCb::Continuation&& next) const {
    AsyncApiResultCb::Continuation request;
    if (next) request = NextRequest{strand, std::move(next)};
    strand->Run([client = client, result, progress, request = std::move(request)]() mutable {
      try {
        client(result, progress, std::move(request));
      } catch (...) {
        // The client's own failure stays on its side: thrown onwards it would abort the
        // provider's report (and with it the completion still to come) or be answered as
        // the method's failure after the client had stopped listening.
      }
    });
  }
};

AsyncApiResultCb ThroughStrand(AsyncApiResultCb client, std::shared_ptr<Strand> strand) {
  return AsyncApiResultCb(Relay{std::move(client), std::move(strand)});
}

}  // namespace

void InProcessApiProvider::Publish(
    const std::shared_ptr<const Provider::AsyncApiInterface>& published) {
  if (!published || !published->GetIdentifier()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  interfaces_[published->GetIdentifier()->GetName()] = published;
}

bool InProcessApiProvider::Unpublish(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  return interfaces_.erase(name) != 0;
}

std::shared_ptr<const Provider::AsyncApiInterface> InProcessApiProvider::Find(
    const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = interfaces_.find(name);
  return found == interfaces_.end() ? nullptr : found->second;
}

void InProcessApiProvider::InvokeAsync(const std::shared_ptr<const MethodIdentifier>& method,
                                       const Data::DataValuePtr& input,
                                       const std::shared_ptr<AsyncActivation>& activation,
                                       const AsyncApiResultCb& callback) {
  Route(method, input, activation ? activation->CopyForCall() : std::make_shared<AsyncActivation>(),
        callback);
}

void InProcessApiProvider::InvokeAsyncWithOwnActivation(
    const std::shared_ptr<const MethodIdentifier>& method, const Data::DataValuePtr& input,
    std::shared_ptr<AsyncActivation> activation, const AsyncApiResultCb& callback) {
  Route(method, input, activation ? std::move(activation) : std::make_shared<AsyncActivation>(),
        callback);
}

void InProcessApiProvider::Route(const std::shared_ptr<const MethodIdentifier>& method,
                                 const Data::DataValuePtr& input,
                                 const std::shared_ptr<AsyncActivation>& ownActivation,
                                 const AsyncApiResultCb& callback) {
  static const std::string kNone;
  const std::string& interfaceName = method && method->GetInterfaceIdentifier()
                                         ? method->GetInterfaceIdentifier()->GetName()
                                         : kNone;
  const std::string& methodName = method ? method->GetName() : kNone;
  const auto published = Find(interfaceName);
  if (!published) {
    Answer(callback, kNotFound, Describe(MessageIds::kUnknownInterface, interfaceName));
    return;
  }
  const auto target = published->FindMethod(methodName);
  if (!target) {
    Answer(callback, kNotFound, Describe(MessageIds::kUnknownMethod, methodName, interfaceName));
    return;
  }
  const AsyncApiResultCb providerSide = ThroughStrand(callback, std::make_shared<Strand>());
  try {
    target->Invoke(input, ownActivation, providerSide);
  } catch (const std::exception& failure) {
    AnswerFailure(providerSide, method->ToString(), failure.what());
  } catch (...) {
    AnswerFailure(providerSide, method->ToString(), "unknown exception");
  }
}

}  // namespace Core
}  // namespace Jorv
