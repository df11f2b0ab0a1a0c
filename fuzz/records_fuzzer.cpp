// Fuzz harness: values received for any record or enumeration of the bindings. The first byte
// picks the type; the rest builds the value, mostly in the shape of the type's definition.

#include <cstddef>
#include <cstdint>

#include "fuzz/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Jorv::Fuzz;
  ByteSource source(data, size);
  VisitType(Targets::Records(), source.Byte() % Targets::Records::size, [&](auto tag) {
    using T = typename decltype(tag)::Type;
    CheckRoundTrip<T>(source, DefinitionOf<T>());
  });
  return 0;
}
