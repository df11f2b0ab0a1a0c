#pragma once
// Text output of the demo client: the counter list, results as tables, and a small chart of
// CPU use over a series of results.

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "stats/provider/stats_provider.h"

namespace StatsDemo {

namespace Api = ::Com::Zentak::Stats::Provider;

// One row per counter: identifier, type, unit, what it is qualified by, label.
std::vector<std::vector<std::string>> CounterRows(const Api::CountersSvc::ListResult& counters);
// Prints the counter rows as a table, then the counters no longer served.
void PrintCounters(std::ostream& out, const Api::CountersSvc::ListResult& counters);

// One value of a result, named and formatted.
struct ValueRow {
  std::string resource;
  std::string counter;
  boost::optional<double> value;  // the value, or the raw count, when there is one
  std::string text;               // the value with its unit, "n/a" without one
};

// Knows the counters of a query by handle, so that values print with their names and units.
class ResultPrinter {
 public:
  // `counters` are the counters listed before; `handles` maps each handle to a counter id.
  ResultPrinter(const Api::CountersSvc::ListResult& counters,
                const std::map<long long, std::string>& handles);

  // Prints `result` as a table of resource, counter and value, then its messages.
  void Print(std::ostream& out, const Api::Result& result) const;
  // The values of `result`, snapshot by snapshot.
  std::vector<ValueRow> Rows(const Api::Result& result) const;
  // The value of the counter `counterId` in `result`, when it has one.
  boost::optional<double> Find(const Api::Result& result, const std::string& counterId) const;

 private:
  struct Known {
    std::string id;
    std::shared_ptr<const Api::CountersSvc::Metadata> edition;
  };
  std::string Format(const Api::Value& value, const boost::optional<double>& number) const;

  std::map<long long, Known> byHandle_;
};

// A value of `unit` scaled by `factor` as text: "15.3 GiB", "1.2 KiB/s", "12.5 %", "0.52".
std::string FormatQuantity(double value, const Api::CountersSvc::Unit& unit,
                           const Api::CountersSvc::UnitFactor& factor);

// One bar per point, 0 to 100 %, labelled #1, #2, ...; a point without value prints "n/a".
void PrintPercentChart(std::ostream& out, const std::string& title,
                       const std::vector<boost::optional<double>>& points);

}  // namespace StatsDemo
