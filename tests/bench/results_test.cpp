#include "results.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using StatsBench::Cell;
using StatsBench::Collect;
using StatsBench::Look;

// Output shaped as Google Benchmark writes it with aggregates only: a wall-clock benchmark
// (its names carry "/real_time"), a CPU-time one with a counter, and one stopped by an error.
const char* const kOutput = R"({
  "context": {"library_build_type": "release"},
  "benchmarks": [
    {"name": "call/get/real_time_mean", "run_name": "call/get/real_time", "run_type": "aggregate",
     "repetitions": 5, "threads": 1, "aggregate_name": "mean", "iterations": 5,
     "real_time": 250.0, "cpu_time": 90.0, "time_unit": "ns"},
    {"name": "call/get/real_time_median", "run_name": "call/get/real_time",
     "run_type": "aggregate", "repetitions": 5, "threads": 1, "aggregate_name": "median",
     "iterations": 5, "real_time": 200.0, "cpu_time": 80.0, "time_unit": "ns"},
    {"name": "call/get/real_time_cv", "run_name": "call/get/real_time", "run_type": "aggregate",
     "repetitions": 5, "threads": 1, "aggregate_name": "cv", "aggregate_unit": "percentage",
     "iterations": 5, "real_time": 0.04, "cpu_time": 0.02, "time_unit": "ns"},
    {"name": "convert/x/median", "run_name": "convert/x", "run_type": "aggregate",
     "aggregate_name": "median", "iterations": 5, "real_time": 9.0, "cpu_time": 8.0,
     "per_value": 3.5e-07, "allocs_per_node": 2.0},
    {"name": "convert/broken", "run_name": "convert/broken", "run_type": "iteration",
     "error_occurred": true, "error_message": "decoding failed", "iterations": 0}
  ]
})";

TEST(BenchResults, ReadsMediansAndSpreadsByBenchmarkName) {
  std::map<std::string, StatsBench::Run> runs;
  Collect(nlohmann::json::parse(kOutput), runs);

  struct Expected {
    StatsBench::Figure figure;
    bool present;
    double value;
    double cv;  // NaN: none known
    std::string error;
  };
  const Expected cases[] = {
      {{"call/get", "real_time"}, true, 200.0, 0.04, ""},
      {{"call/get", "cpu_time"}, true, 80.0, 0.02, ""},
      {{"convert/x", "per_value", 1e9}, true, 350.0, NAN, ""},
      {{"convert/x", "allocs_per_node"}, true, 2.0, NAN, ""},
      {{"convert/x", "iterations"}, false, 0, NAN, "no iterations"},
      {{"call/get/real_time", "real_time"}, false, 0, NAN, "not run"},
      {{"convert/broken", "real_time"}, false, 0, NAN, "decoding failed"},
      {{"convert/missing", "real_time"}, false, 0, NAN, "not run"},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(e.figure.run + " " + e.figure.field);
    const Cell cell = Look(runs, e.figure);
    EXPECT_EQ(cell.present, e.present);
    EXPECT_EQ(cell.error, e.error);
    if (!e.present) continue;
    EXPECT_DOUBLE_EQ(cell.value, e.value);
    if (std::isnan(e.cv)) {
      EXPECT_TRUE(std::isnan(cell.cv)) << cell.cv;
    } else {
      EXPECT_DOUBLE_EQ(cell.cv, e.cv);
    }
  }
}

}  // namespace
