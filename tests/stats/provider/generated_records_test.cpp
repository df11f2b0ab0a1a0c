// The properties the fuzz harnesses state (fuzz/round_trip.h), over values generated from a
// seeded stream of bytes for every record and method of the bindings and the test records:
// reading never throws and fails with exactly one message; what validates reads; what reads
// writes a value that validates, reads again and writes back the same; a value in the writer's
// own encoding, unknown fields included, comes back unchanged. A broken property prints the
// value concerned and aborts the test.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "fuzz/round_trip.h"
#include "support/test_records.h"

namespace {

using namespace Jorv::Fuzz;

constexpr int kValuesPerType = 1000;

// Checks the properties on kValuesPerType values built for T from `definition`, each from its
// own seeded bytes, short and long inputs alike.
template <class T>
void CheckGenerated(const Jorv::Data::DataDefinitionPtr& definition) {
  std::mt19937 random(20261207);
  for (int i = 0; i < kValuesPerType; ++i) {
    std::vector<std::uint8_t> bytes(1 + random() % (i % 3 == 0 ? 64 : 1024));
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
    ByteSource source(bytes.data(), bytes.size());
    CheckRoundTrip<T>(source, definition);
  }
}

TEST(GeneratedValues, RecordsRoundTripAndValidate) {
  const auto check = [](auto tag) {
    using T = typename decltype(tag)::Type;
    CheckGenerated<T>(DefinitionOf<T>());
  };
  ForEachType(Targets::Records(), check);
  ForEachType(
      TypeList<TestRecords::AllKinds, TestRecords::Chain, TestRecords::Forest, TestRecords::Ping>(),
      check);
}

TEST(GeneratedValues, MethodInputsAndOutputsRoundTripAndValidate) {
  ForEachType(Targets::Methods(), [](auto tag) {
    using Method = typename decltype(tag)::Type;
    CheckGenerated<typename Method::Input>(Method::inputDef());
    CheckGenerated<typename Method::Output>(Method::outputDef());
  });
}

}  // namespace
