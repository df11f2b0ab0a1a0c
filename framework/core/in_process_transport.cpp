#include "framework/core/in_process_transport.h"

#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/core/message_catalog.h"
#include "framework/core/standard_names.h"

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

// Runs the deliveries and next-report requests of one call one at a time, in order. A task
// started while another runs (on this thread, from inside it, or on another thread) waits in
// the queue and runs when the running one returns, on the thread that runs the queue. So a
// client that asks for the next item from inside its callback, against a provider that answers
// at once, does not grow the stack by one round per item, and the reports of one call never
// overlap.
class Strand : public std::enable_shared_from_this<Strand> {
 public:
  // Runs `task` now, or queues it when a task of this strand is running. A task runs where it
  // is without being wrapped; only a queued one is kept in a std::function.
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
    try {
      // Taken over here, so that what it holds goes before the queued tasks run.
      std::decay_t<Task> first(std::forward<Task>(task));
      first();
    } catch (...) {
      failure = std::current_exception();
    }
    for (;;) {
      std::function<void()> next;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (head_ == queue_.size()) {
          // Drained: the queue keeps its storage for the next burst.
          queue_.clear();
          head_ = 0;
          running_ = false;
          break;
        }
        next = std::move(queue_[head_++]);
      }
      try {
        next();
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
    if (failure) std::rethrow_exception(failure);
  }

 private:
  std::mutex mutex_;
  bool running_ = false;
  // Waiting tasks, in order from queue_[head_].
  std::vector<std::function<void()>> queue_;
  std::size_t head_ = 0;
};

// The callback the provider side of a call sees: it hands each delivery to the client's
// callback through the call's strand, and each next-report request back to the provider
// through the same strand.
AsyncApiResultCb ThroughStrand(AsyncApiResultCb client, std::shared_ptr<Strand> strand) {
  return AsyncApiResultCb([client = std::move(client), strand = std::move(strand)](
                              const std::shared_ptr<const MethodResult>& result,
                              const Progress& progress, AsyncApiResultCb::Continuation&& next) {
    AsyncApiResultCb::Continuation request;
    if (next) {
      request = [strand, next = std::move(next)](std::shared_ptr<AsyncApiResultCb> receiver) {
        auto wrapped = receiver
                           ? std::make_shared<AsyncApiResultCb>(ThroughStrand(*receiver, strand))
                           : nullptr;
        strand->Run([next, wrapped] { next(wrapped); });
      };
    }
    strand->Run([client, result, progress, request = std::move(request)]() mutable {
      client(result, progress, std::move(request));
    });
  });
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
  const std::string interfaceName =
      method && method->GetInterfaceIdentifier() ? method->GetInterfaceIdentifier()->GetName() : "";
  const std::string methodName = method ? method->GetName() : "";
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
  const auto ownActivation =
      activation ? activation->CopyForCall() : std::make_shared<AsyncActivation>();
  const AsyncApiResultCb providerSide = ThroughStrand(callback, std::make_shared<Strand>());
  try {
    target->Invoke(input, ownActivation, providerSide);
  } catch (const std::exception& failure) {
    if (providerSide.IsArmed()) {
      Answer(providerSide, Std::kInternalServerError,
             Describe(MessageIds::kMethodFailed, method->ToString(), failure.what()));
    }
  } catch (...) {
    if (providerSide.IsArmed()) {
      Answer(providerSide, Std::kInternalServerError,
             Describe(MessageIds::kMethodFailed, method->ToString(),
                      std::string("unknown exception")));
    }
  }
}

}  // namespace Core
}  // namespace Jorv
