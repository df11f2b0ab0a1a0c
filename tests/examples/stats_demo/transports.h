#pragma once
// The transports the demo's services are tested over: the in-process router itself, or the
// same router served by a RemoteServer on a loopback port and reached through a
// RemoteApiProvider. Decorators of API providers let tests written for the in-process
// transport's synchronous answers run remotely, and count the stops that reach the provider.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "framework/core/api_provider.h"
#include "framework/core/in_process_transport.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"

namespace StatsDemo {
namespace Testing {

// Returns from a call only once its final report was delivered (at most 10 s), so that a
// remote call completes before the caller goes on, as an in-process one does. Streams
// ("attach") return at once: their reports come when the provider makes them.
class Synchronous : public Jorv::Core::ApiProvider {
 public:
  explicit Synchronous(std::shared_ptr<Jorv::Core::ApiProvider> inner) : inner_(std::move(inner)) {}

  void InvokeAsync(const std::shared_ptr<const Jorv::Core::MethodIdentifier>& method,
                   const Jorv::Data::DataValuePtr& input,
                   const std::shared_ptr<Jorv::Core::AsyncActivation>& activation,
                   const Jorv::Core::AsyncApiResultCb& callback) override {
    if (method->GetName() == "attach")
      return inner_->InvokeAsync(method, input, activation, callback);
    struct Done {
      std::mutex mutex;
      std::condition_variable cv;
      bool done = false;
    };
    auto done = std::make_shared<Done>();
    inner_->InvokeAsync(
        method, input, activation,
        Jorv::Core::AsyncApiResultCb(
            [callback, done](const std::shared_ptr<const Jorv::Core::MethodResult>& result,
                             const Jorv::Progress& progress,
                             Jorv::Core::AsyncApiResultCb::Continuation&& next) {
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
};

// Forwards calls and counts the stops (continuations called with null) that reach the inner
// provider.
class StopCounter : public Jorv::Core::ApiProvider {
 public:
  explicit StopCounter(std::shared_ptr<Jorv::Core::ApiProvider> inner) : inner_(std::move(inner)) {}

  void InvokeAsync(const std::shared_ptr<const Jorv::Core::MethodIdentifier>& method,
                   const Jorv::Data::DataValuePtr& input,
                   const std::shared_ptr<Jorv::Core::AsyncActivation>& activation,
                   const Jorv::Core::AsyncApiResultCb& callback) override {
    inner_->InvokeAsync(method, input, activation, Counting(callback, stops_));
  }
  int Stops() const { return stops_->load(); }

 private:
  using Counter = std::shared_ptr<std::atomic<int>>;

  // `callback` with every continuation it is handed counting the stops made through it.
  static Jorv::Core::AsyncApiResultCb Counting(Jorv::Core::AsyncApiResultCb callback,
                                               Counter stops) {
    return Jorv::Core::AsyncApiResultCb(
        [callback, stops](const std::shared_ptr<const Jorv::Core::MethodResult>& result,
                          const Jorv::Progress& progress,
                          Jorv::Core::AsyncApiResultCb::Continuation&& next) {
          Jorv::Core::AsyncApiResultCb::Continuation counted;
          if (next) {
            counted = [next, stops](std::shared_ptr<Jorv::Core::AsyncApiResultCb> receiver) {
              if (!receiver) {
                stops->fetch_add(1);
                return next(nullptr);
              }
              next(std::make_shared<Jorv::Core::AsyncApiResultCb>(Counting(*receiver, stops)));
            };
          }
          callback(result, progress, std::move(counted));
        });
  }

  std::shared_ptr<Jorv::Core::ApiProvider> inner_;
  Counter stops_ = std::make_shared<std::atomic<int>>(0);
};

// `router` as the client sees it over the transport named `name` ("in-process" or "remote");
// `server` keeps a remote one served.
inline std::shared_ptr<Jorv::Core::ApiProvider> Over(
    const std::string& name, const std::shared_ptr<Jorv::Core::ApiProvider>& router,
    std::unique_ptr<Jorv::Remote::RemoteServer>& server) {
  if (name != "remote") return router;
  std::list<Jorv::BaseMessage> problems;
  server = Jorv::Remote::RemoteServer::Start(router, {}, problems);
  EXPECT_TRUE(server);
  if (!server) return router;
  return Jorv::Remote::RemoteApiProvider::Create(server->Address(), {}, problems);
}

}  // namespace Testing
}  // namespace StatsDemo
