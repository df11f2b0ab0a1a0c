// Fuzz harness: the values that travel for the methods of the three services, each input as a
// provider receives it and each output as a client receives it, checked against the
// definitions the method descriptors derive. The first byte picks the method and the direction.

#include <cstddef>
#include <cstdint>

#include "fuzz/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Jorv::Fuzz;
  ByteSource source(data, size);
  const std::uint8_t selector = source.Byte();
  VisitType(Targets::Methods(), (selector >> 1) % Targets::Methods::size, [&](auto tag) {
    using Method = typename decltype(tag)::Type;
    if (selector & 1) {
      static const auto definition = Method::outputDef();
      CheckRoundTrip<typename Method::Output>(source, definition);
    } else {
      static const auto definition = Method::inputDef();
      CheckRoundTrip<typename Method::Input>(source, definition);
    }
  });
  return 0;
}
