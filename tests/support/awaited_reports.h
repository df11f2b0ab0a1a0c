#pragma once
// Reports that arrive on any thread, kept in order, with a bounded wait for the n-th one: what
// the tests of asynchronous transports record a call's reports with.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace Jorv {
namespace Testing {

template <class Report>
class AwaitedReports {
 public:
  void Add(Report report) {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(std::move(report));
    arrived_.notify_all();
  }

  // Report `count` (from 1), waiting for it at most `patience`; a default report, after a
  // test failure, when it does not come.
  Report Await(std::size_t count, std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, patience, [&] { return reports_.size() >= count; })) {
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
}  // namespace Jorv
