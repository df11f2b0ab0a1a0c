#pragma once
// The benchmark families of the stats_bench binary; main registers them all before running
// those that --benchmark_filter selects.

namespace StatsBench {

// native to value, value to native and round trip, ours beside nlohmann::json and Boost.JSON.
void RegisterConversionBenchmarks();
// Deriving definitions and binding services.
void RegisterDefinitionBenchmarks();
// Calls through the whole stub-to-implementation path, beside gRPC over an in-process channel.
void RegisterCallBenchmarks();

}  // namespace StatsBench
