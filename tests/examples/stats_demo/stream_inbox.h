#pragma once
// The reports a stream attachment received, with a way to wait for them.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "stats/provider/stats_provider.h"

namespace StatsDemo {

namespace Api = ::Com::Zentak::Stats::Provider;

namespace Testing {

// The reports an attachment received, with a way to wait for them.
class Inbox {
 public:
  using StreamResult = Api::StreamSvc::AttachMethod::StreamResultCbType;

  struct Report {
    std::shared_ptr<const Api::Result> item;
    std::shared_ptr<const Jorv::Data::ErrorValue> error;
    StreamResult::Continuation next;
  };

  StreamResult Receiver() {
    return StreamResult([this](const boost::optional<std::shared_ptr<const Api::Result>>& item,
                               const std::shared_ptr<const Jorv::Data::ErrorValue>& error,
                               const Jorv::Progress&, StreamResult::Continuation&& next) {
      std::lock_guard<std::mutex> lock(mutex_);
      reports_.push_back(Report{item ? *item : nullptr, error, std::move(next)});
      arrived_.notify_all();
    });
  }

  // Waits until `count` reports arrived (at most 10 s) and returns report `count`.
  Report Await(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return reports_.size() >= count; });
    if (reports_.size() < count) {
      ADD_FAILURE() << "only " << reports_.size() << " of " << count << " reports arrived";
      return Report{};
    }
    return reports_[count - 1];
  }

  std::size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Report> reports_;
};

}  // namespace Testing
}  // namespace StatsDemo
