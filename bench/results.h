#pragma once
// Reading Google Benchmark's JSON output as run.sh collects it: per benchmark, the median and
// the coefficient of variation of its time and of each counter over the repetitions.

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

namespace StatsBench {

// One benchmark's aggregates: the median and the coefficient of variation of each figure
// (real_time, cpu_time and every counter), or the error that stopped it.
struct Run {
  std::map<std::string, double> median;
  std::map<std::string, double> cv;
  std::string error;
};

// Adds the aggregates of one output file to `runs`, keyed by benchmark name without the
// "/real_time" suffix of wall-clock benchmarks. Other aggregates and plain repetitions are
// ignored; a benchmark that stopped with an error records its message.
void Collect(const nlohmann::json& file, std::map<std::string, Run>& runs);

// A figure of one benchmark: which run, which field, and the factor to the printed unit.
struct Figure {
  std::string run;
  std::string field;
  double scale = 1;
};

// A looked-up figure: its scaled median and coefficient of variation (NaN when unknown), or
// why there is none.
struct Cell {
  bool present = false;
  double value = 0;
  double cv = NAN;
  std::string error;
};

// The figure from `runs`; absent with "not run", the benchmark's error or "no FIELD".
Cell Look(const std::map<std::string, Run>& runs, const Figure& figure);

}  // namespace StatsBench
