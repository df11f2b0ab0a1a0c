#pragma once
// The Stream service of the host-statistics provider: one result stream per query, sampled at
// the stream's interval (milliseconds) by a scheduler thread the service owns.
//
// `attach` reports one Result per request: the first one interval after attaching, each next
// one when the client has asked for it and an interval has passed since the one before. Every
// attachment keeps its own previous sample, so its rates cover the time between its results.
// `timeout` and `buffer` are kept and reported (defaults 0 and 1); results are sampled on
// request, so nothing is buffered.

#include <chrono>
#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <boost/optional.hpp>

#include "examples/stats_demo/host_stats.h"

namespace StatsDemo {

class StreamService : public Api::StreamSvc::AsyncServiceInterface,
                      public std::enable_shared_from_this<StreamService> {
 public:
  using AsyncActivation = Api::StreamSvc::AsyncActivation;
  using StreamResult = Api::StreamSvc::AttachMethod::StreamResultCbType;

  // Starts the scheduler thread; it sleeps until there is a request to serve.
  explicit StreamService(std::shared_ptr<HostStats> stats);
  // Shuts down.
  ~StreamService() override;

  // Stops the scheduler thread and ends every waiting attachment with shutdown(); requests
  // that come later are answered the same way and calls with service_unavailable. Must not
  // be called from inside a report of this service. Idempotent.
  void Shutdown();

  // Fails with not_found for an unknown query, already_in_desired_state when the query has a
  // stream, invalid_argument for an interval that is not positive or a negative setting.
  void Create(const std::string& query,
              const std::shared_ptr<const Api::StreamSvc::CreateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const Api::StreamSvc::CreateMethod::ResultCbType& result) override;
  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
           const Api::StreamSvc::GetMethod::ResultCbType& result) override;
  // A new interval applies from the next result on.
  void Update(const std::string& query,
              const std::shared_ptr<const Api::StreamSvc::UpdateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const Api::StreamSvc::UpdateMethod::ResultCbType& result) override;
  // Fails with not_found when the query has no stream and unsupported when the spec asks for
  // results from a start time (none are kept). When the query goes away while attached, the
  // next report is its not_found error.
  void Attach(const std::string& query,
              const std::shared_ptr<const Api::StreamSvc::AttachSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const StreamResult& result) override;
  // Ends the stream: waiting attachments get shutdown(), later requests too.
  void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
              const Api::StreamSvc::DeleteMethod::ResultCbType& result) override;

 private:
  using Clock = std::chrono::steady_clock;

  struct Attachment {
    std::string query;
    SampleCursor cursor;  // touched only by the scheduler thread once attached
    boost::optional<StreamResult> waiting;
    Clock::time_point due;
  };
  struct Stream {
    long long interval = 0;
    long long timeout = 0;
    long long buffer = 1;
    std::list<std::shared_ptr<Attachment>> attachments;
  };
  struct Delivery {
    std::shared_ptr<Attachment> attachment;
    StreamResult result;
  };

  void Run();
  void Serve(Delivery& delivery);
  void Request(const std::weak_ptr<Attachment>& attachment, Jorv::OptionalPtr<StreamResult> next);
  // Fails when the service stopped or the query is gone (its stream is dropped then).
  Failure CheckQueryLocked(const std::string& query);
  // Sets `stream` to the stream of `query`, or fails with the reason: the service stopped, the
  // query is gone (its stream is dropped), or it has no stream.
  Failure FindLocked(const std::string& query, Stream*& stream);
  std::list<StreamResult> TakeWaitingLocked(Stream& stream);

  const std::shared_ptr<HostStats> stats_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::map<std::string, Stream> streams_;
  std::thread scheduler_;
};

}  // namespace StatsDemo
