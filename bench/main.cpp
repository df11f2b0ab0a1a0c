// The stats_bench binary: every benchmark family, run as Google Benchmark's flags select.

#include <benchmark/benchmark.h>

#include "registry.h"

int main(int argc, char** argv) {
  StatsBench::RegisterConversionBenchmarks();
  StatsBench::RegisterDefinitionBenchmarks();
  StatsBench::RegisterCallBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
