#pragma once
// The transports the demo's services are tested over: the in-process router itself, or the
// same router served by a RemoteServer on a loopback port and reached through a
// RemoteApiProvider. Decorators of API providers count what reaches the provider (calls and
// stops) and let tests written for the in-process transport's synchronous answers run
// remotely.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "framework/core/api_provider.h"
#include "framework/core/in_process_transport.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"

namespace StatsDemo {
namespace Testing {

using Jorv::Core::AsyncApiResultCb;

// Forwards calls; counts the calls the inner provider has taken, per method name, and the
// stops (continuations called with null) that reached it.
class Spy : public Jorv::Core::ApiProvider {
 public:
  explicit Spy(std::shared_ptr<Jorv::Core::ApiProvider> inner) : inner_(std::move(inner)) {}

  void InvokeAsync(const std::shared_ptr<const Jorv::Core::MethodIdentifier>& method,
                   const Jorv::Data::DataValuePtr& input,
                   const std::shared_ptr<Jorv::Core::AsyncActivation>& activation,
                   const AsyncApiResultCb& callback) override {
    inner_->InvokeAsync(method, input, activation, Counting(callback, counts_));
    std::lock_guard<std::mutex> lock(counts_->mutex);
    ++counts_->taken[method->GetName()];
    counts_->changed.notify_all();
  }

  int Stops() {
    return Read([](Counts& c) { return c.stops; });
  }
  int Taken(const std::string& method) {
    return Read([&](Counts& c) { return c.taken[method]; });
  }
  // Waits until `count` calls of `method` were taken (at most 10 s); whether they were.
  bool AwaitTaken(const std::string& method, int count) {
    std::unique_lock<std::mutex> lock(counts_->mutex);
    return counts_->changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return counts_->taken[method] >= count; });
  }
  // Waits until `count` stops arrived (at most 10 s); whether they did.
  bool AwaitStops(int count) {
    std::unique_lock<std::mutex> lock(counts_->mutex);
    return counts_->changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return counts_->stops >= count; });
  }

 private:
  struct Counts {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, int> taken;
    int stops = 0;
  };

  template <class F>
  int Read(F read) {
    std::lock_guard<std::mutex> lock(counts_->mutex);
    return read(*counts_);
  }

  // `callback` with every continuation it is handed counting the stops made through it.
  static AsyncApiResultCb Counting(AsyncApiResultCb callback, std::shared_ptr<Counts> counts) {
    return AsyncApiResultCb(
        [callback, counts](const std::shared_ptr<const Jorv::Core::MethodResult>& result,
                           const Jorv::Progress& progress, AsyncApiResultCb::Continuation&& next) {
          AsyncApiResultCb::Continuation counted;
          if (next) {
            counted = [next, counts](std::shared_ptr<AsyncApiResultCb> receiver) {
              if (receiver)
                return next(std::make_shared<AsyncApiResultCb>(Counting(*receiver, counts)));
              {
                std::lock_guard<std::mutex> lock(counts->mutex);
                ++counts->stops;
                counts->changed.notify_all();
              }
              next(nullptr);
            };
          }
          callback(result, progress, std::move(counted));
        });
  }

  std::shared_ptr<Jorv::Core::ApiProvider> inner_;
  std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
};

// Returns from a call only once its final report was delivered (at most 10 s), so that a
// remote call completes before the caller goes on, as an in-process one does. A stream
// ("attach") returns once the provider has taken it, as `spy` on the provider's side tells;
// its reports come when the provider makes them.
class Synchronous : public Jorv::Core::ApiProvider {
 public:
  Synchronous(std::shared_ptr<Jorv::Core::ApiProvider> inner, std::shared_ptr<Spy> spy)
      : inner_(std::move(inner)), spy_(std::move(spy)) {}

  void InvokeAsync(const std::shared_ptr<const Jorv::Core::MethodIdentifier>& method,
                   const Jorv::Data::DataValuePtr& input,
                   const std::shared_ptr<Jorv::Core::AsyncActivation>& activation,
                   const AsyncApiResultCb& callback) override {
    if (method->GetName() == "attach") {
      const int taken = spy_->Taken("attach");
      inner_->InvokeAsync(method, input, activation, callback);
      EXPECT_TRUE(spy_->AwaitTaken("attach", taken + 1)) << "attach did not reach the provider";
      return;
    }
    struct Done {
      std::mutex mutex;
      std::condition_variable cv;
      bool done = false;
    };
    auto done = std::make_shared<Done>();
    inner_->InvokeAsync(
        method, input, activation,
        AsyncApiResultCb(
            [callback, done](const std::shared_ptr<const Jorv::Core::MethodResult>& result,
                             const Jorv::Progress& progress,
                             AsyncApiResultCb::Continuation&& next) {
              callback(result, progress, std::move(next));
              if (!result) return;
              std::lock_guard<std::mutex> lock(done->mutex);
              done->done = true;
              done->cv.notify_all();
            }));
    std::unique_lock<std::mutex> lock(done->mutex);
    EXPECT_TRUE(done->cv.wait_for(lock, std::chrono::seconds(10), [&] { return done->done; }))
        << method->ToString() << " did not complete";
  }

 private:
  std::shared_ptr<Jorv::Core::ApiProvider> inner_;
  std::shared_ptr<Spy> spy_;
};

// `router` served by a new RemoteServer (kept in `server`) on a loopback port, through a spy,
// and a client of it that answers as the in-process transport does.
inline std::shared_ptr<Jorv::Core::ApiProvider> Remotely(
    const std::shared_ptr<Jorv::Core::ApiProvider>& router,
    std::unique_ptr<Jorv::Remote::RemoteServer>& server) {
  auto spy = std::make_shared<Spy>(router);
  std::list<Jorv::BaseMessage> problems;
  server = Jorv::Remote::RemoteServer::Start(spy, {}, problems);
  EXPECT_TRUE(server);
  if (!server) return router;
  return std::make_shared<Synchronous>(
      Jorv::Remote::RemoteApiProvider::Create(server->Address(), {}, problems), spy);
}

}  // namespace Testing
}  // namespace StatsDemo
