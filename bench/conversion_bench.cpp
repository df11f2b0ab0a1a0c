// Conversion benchmarks: the sample Result converted by our engines and, as plain structs, by
// nlohmann::json and Boost.JSON (default allocator, and a fresh monotonic arena per tree).
// Each benchmark reports time per Value element and heap allocations per value element, and
// the one-way ones allocations per node of the tree they produce or consume.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <exception>
#include <string>

#include "alloc_counter.h"
#include "registry.h"
#include "sample_records.h"

namespace StatsBench {
namespace {

// Each codec converts one native kind to its library's tree and back. Encode fills a tree made
// by NewTree; Encode and Decode report failure by returning false, a peer's exception counts as
// failure.
struct OursCodec {
  using Native = Provider::Result;
  using Tree = Jorv::Data::DataValuePtr;
  static Tree NewTree() { return nullptr; }
  static Native Make(Shape shape) { return *MakeResult(shape); }
  static bool Encode(const Native& native, Tree& tree) {
    std::list<Jorv::BaseMessage> messages;
    return ToValue(native, tree, messages);
  }
  static bool Decode(const Tree& tree, Native& native) {
    std::list<Jorv::BaseMessage> messages;
    return FromValue(tree, native, messages);
  }
  static bool Same(const Native& a, const Native& b) {
    return Plain::FromRecords(a) == Plain::FromRecords(b);
  }
};

struct NlohmannCodec {
  using Native = Plain::Result;
  using Tree = nlohmann::json;
  static Tree NewTree() { return Tree(); }
  static Native Make(Shape shape) { return Plain::FromRecords(*MakeResult(shape)); }
  static bool Encode(const Native& native, Tree& tree) {
    tree = native;
    return true;
  }
  static bool Decode(const Tree& tree, Native& native) {
    try {
      tree.get_to(native);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  static bool Same(const Native& a, const Native& b) { return a == b; }
};

struct BoostJsonCodec {
  using Native = Plain::Result;
  using Tree = boost::json::value;
  static Tree NewTree() { return Tree(); }
  static Native Make(Shape shape) { return Plain::FromRecords(*MakeResult(shape)); }
  // Builds in the storage of `tree`: assigning a tree of other storage would copy it.
  static bool Encode(const Native& native, Tree& tree) {
    tree = boost::json::value_from(native, tree.storage());
    return true;
  }
  static bool Decode(const Tree& tree, Native& native) {
    try {
      native = boost::json::value_to<Native>(tree);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  static bool Same(const Native& a, const Native& b) { return a == b; }
};

// Boost.JSON with each tree built into a monotonic arena of its own, released with the tree.
struct BoostJsonArenaCodec : BoostJsonCodec {
  static Tree NewTree() {
    return Tree(boost::json::make_shared_resource<boost::json::monotonic_resource>());
  }
};

// Converts the sample both ways once, outside any timing: false, with the reason in `error`,
// when a step fails or the round trip does not give back the input.
template <class Codec>
bool CheckRoundTrip(const typename Codec::Native& input, std::string& error) {
  typename Codec::Tree tree = Codec::NewTree();
  if (!Codec::Encode(input, tree)) {
    error = "encoding failed";
    return false;
  }
  typename Codec::Native back;
  if (!Codec::Decode(tree, back)) {
    error = "decoding failed";
    return false;
  }
  if (!Codec::Same(input, back)) {
    error = "the round trip changed the data";
    return false;
  }
  return true;
}

void SetPerValueCounters(benchmark::State& state, Shape shape, std::uint64_t allocations) {
  const double values = shape.ValueCount();
  state.counters["per_value"] = benchmark::Counter(
      values, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["allocs_per_value"] = benchmark::Counter(static_cast<double>(allocations) / values,
                                                          benchmark::Counter::kAvgIterations);
}

void SetPerNodeCounter(benchmark::State& state, std::size_t nodes, std::uint64_t allocations) {
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["allocs_per_node"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(nodes),
                         benchmark::Counter::kAvgIterations);
}

template <class Codec>
void NativeToTree(benchmark::State& state, Shape shape) {
  const typename Codec::Native input = Codec::Make(shape);
  std::string error;
  if (!CheckRoundTrip<Codec>(input, error)) return state.SkipWithError(error.c_str());
  typename Codec::Tree sample = Codec::NewTree();
  Codec::Encode(input, sample);
  const std::size_t nodes = CountNodes(sample);

  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    typename Codec::Tree tree = Codec::NewTree();
    bool ok = Codec::Encode(input, tree);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(tree);
  }
  const std::uint64_t allocations = AllocationCount() - before;
  SetPerValueCounters(state, shape, allocations);
  SetPerNodeCounter(state, nodes, allocations);
}

template <class Codec>
void TreeToNative(benchmark::State& state, Shape shape) {
  const typename Codec::Native input = Codec::Make(shape);
  std::string error;
  if (!CheckRoundTrip<Codec>(input, error)) return state.SkipWithError(error.c_str());
  typename Codec::Tree tree = Codec::NewTree();
  Codec::Encode(input, tree);
  const std::size_t nodes = CountNodes(tree);

  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    typename Codec::Native native;
    bool ok = Codec::Decode(tree, native);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(native);
  }
  const std::uint64_t allocations = AllocationCount() - before;
  SetPerValueCounters(state, shape, allocations);
  SetPerNodeCounter(state, nodes, allocations);
}

template <class Codec>
void RoundTrip(benchmark::State& state, Shape shape) {
  const typename Codec::Native input = Codec::Make(shape);
  std::string error;
  if (!CheckRoundTrip<Codec>(input, error)) return state.SkipWithError(error.c_str());

  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    typename Codec::Tree tree = Codec::NewTree();
    typename Codec::Native native;
    bool ok = Codec::Encode(input, tree) && Codec::Decode(tree, native);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(native);
  }
  SetPerValueCounters(state, shape, AllocationCount() - before);
}

template <class Codec>
void RegisterCodec(const std::string& library) {
  for (const Shape shape : kShapes) {
    const std::string suffix = "/" + library + "/" + ShapeName(shape);
    benchmark::RegisterBenchmark(("convert/native_to_value" + suffix).c_str(),
                                 [shape](benchmark::State& s) { NativeToTree<Codec>(s, shape); });
    benchmark::RegisterBenchmark(("convert/value_to_native" + suffix).c_str(),
                                 [shape](benchmark::State& s) { TreeToNative<Codec>(s, shape); });
    benchmark::RegisterBenchmark(("convert/round_trip" + suffix).c_str(),
                                 [shape](benchmark::State& s) { RoundTrip<Codec>(s, shape); });
  }
}

}  // namespace

void RegisterConversionBenchmarks() {
  RegisterCodec<OursCodec>("ours");
  RegisterCodec<NlohmannCodec>("nlohmann");
  RegisterCodec<BoostJsonCodec>("boost_json");
  RegisterCodec<BoostJsonArenaCodec>("boost_json_arena");
}

}  // namespace StatsBench
