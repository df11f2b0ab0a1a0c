#pragma once
// What stats-demo tells its user, as text tables for people or as one JSON object per line for
// scripts (--json). Every event of a session, a server's and an error, goes through here.

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "examples/stats_demo/report.h"

namespace StatsDemo {

class SessionOutput {
 public:
  virtual ~SessionOutput() = default;

  // The counters the session lists.
  virtual void Counters(const Api::CountersSvc::ListResult& counters) = 0;
  // The query the session created, and how its results name their values.
  virtual void QueryCreated(const std::string& query, const ResultPrinter& printer) = 0;
  // A result: of executing the query once (`index` 0) or of the stream (`index` of `count`).
  virtual void Result(const Api::Result& result, long index, long count) = 0;
  // The CPU use of every stream result, when the session reads it.
  virtual void CpuChart(const std::vector<boost::optional<double>>& points) = 0;
  virtual void Deleted(const std::string& query) = 0;
  // A server listens on `address` / has shut down.
  virtual void Listening(const std::string& address) = 0;
  virtual void Stopped() = 0;
  // What went wrong, for the standard error stream or the JSON stream.
  virtual void Failure(const std::string& text) = 0;
};

// Tables and a chart on `out`, failures on `errors`.
std::unique_ptr<SessionOutput> MakeTextOutput(std::ostream& out, std::ostream& errors);
// One JSON object per line on `out`, each with its "event"; failures too.
std::unique_ptr<SessionOutput> MakeJsonOutput(std::ostream& out);

}  // namespace StatsDemo
