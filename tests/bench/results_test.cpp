#include "results.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>

namespace {

using StatsBench::Cell;
using StatsBench::Collect;
using StatsBench::Look;

// Output shaped as Google Benchmark writes it with aggregates only: a wall-clock benchmark
// (its names carry "/real_time"), a CPU-time one with a counter, and one stopped by an error.
const char* const kOutput = R"({"benchmarks": [
  {"name": "call/get/real_time_mean", "run_name": "call/get/real_time", "aggregate_name": "mean",
   "iterations": 5, "real_time": 250.0, "cpu_time": 90.0, "time_unit": "ns"},
  {"name": "call/get/real_time_median", "run_name": "call/get/real_time", "threads": 1,
   "aggregate_name": "median", "iterations": 5, "real_time": 200.0, "cpu_time": 80.0},
  {"name": "call/get/real_time_cv", "run_name": "call/get/real_time", "aggregate_name": "cv",
   "aggregate_unit": "percentage", "iterations": 5, "real_time": 0.04, "cpu_time": 0.02},
  {"name": "convert/x/median", "run_name": "convert/x", "aggregate_name": "median",
   "iterations": 5, "real_time": 9.0, "cpu_time": 8.0, "per_value": 3.5e-07, "allocs_per_node": 2},
  {"name": "convert/broken", "run_name": "convert/broken", "run_type": "iteration",
   "error_occurred": true, "error_message": "decoding failed", "iterations": 0}
]})";

TEST(BenchResults, ReadsMediansAndSpreadsByBenchmarkName) {
  std::map<std::string, StatsBench::Run> runs;
  Collect(nlohmann::json::parse(kOutput), runs);
  // A figure as its scaled median and coefficient of variation, or as why there is none.
  const std::pair<StatsBench::Figure, std::string> cases[] = {
      {{"call/get", "real_time"}, "200 0.04"},
      {{"call/get", "cpu_time"}, "80 0.02"},
      {{"convert/x", "per_value", 1e9}, "350 nan"},
      {{"convert/x", "allocs_per_node"}, "2 nan"},
      {{"convert/x", "iterations"}, "no iterations"},
      {{"call/get", "threads"}, "no threads"},
      {{"call/get/real_time", "real_time"}, "not run"},
      {{"convert/broken", "real_time"}, "decoding failed"},
      {{"convert/missing", "real_time"}, "not run"},
  };
  for (const auto& [figure, expected] : cases) {
    const Cell cell = Look(runs, figure);
    std::ostringstream text;
    if (cell.present) text << cell.value << " " << cell.cv;
    EXPECT_EQ(text.str() + cell.error, expected) << figure.run << " " << figure.field;
  }
}

}  // namespace
