#pragma once
// The reports a stream attachment received, with a way to wait for them.

#include <gtest/gtest.h>

#include <memory>

#include "stats/provider/stats_provider.h"
#include "support/awaited_reports.h"

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
    return StreamResult(
        [reports = reports_](const boost::optional<std::shared_ptr<const Api::Result>>& item,
                             const std::shared_ptr<const Jorv::Data::ErrorValue>& error,
                             const Jorv::Progress&, StreamResult::Continuation&& next) {
          reports->Add(Report{item ? *item : nullptr, error, std::move(next)});
        });
  }

  // Report `count` (from 1), waiting for it at most 10 s.
  Report Await(std::size_t count) { return reports_->Await(count); }
  std::size_t Count() { return reports_->Count(); }

 private:
  std::shared_ptr<Jorv::Testing::AwaitedReports<Report>> reports_ =
      std::make_shared<Jorv::Testing::AwaitedReports<Report>>();
};

}  // namespace Testing
}  // namespace StatsDemo
