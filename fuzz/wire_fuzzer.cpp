// Fuzz harness: arbitrary bytes read as the remote transport's wire form of a data value.
// Reading either yields a value or fails with exactly one message, within the limits; a value
// read is written back in canonical form, which reads back and writes to the same bytes again.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>

#include "framework/remote/value_codec.h"
#include "fuzz/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Jorv;
  using Fuzz::Violation;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Remote::DecodeLimits limits{std::size_t{1} << 16, std::size_t{1} << 14};
  Data::DataValuePtr value;
  std::list<BaseMessage> messages;
  if (!Remote::DecodeValue(bytes, limits, value, messages)) {
    if (messages.size() != 1) Violation("a refused frame gives one message", nullptr, messages);
    return 0;
  }
  if (!messages.empty()) Violation("a frame read gives no message", value, messages);
  const std::string canonical = Remote::EncodeValue(value);
  Data::DataValuePtr again;
  if (!Remote::DecodeValue(canonical, {}, again, messages)) {
    Violation("a canonical frame reads back", value, messages);
  }
  if (Remote::EncodeValue(again) != canonical) {
    Violation("a canonical frame writes back to itself", value, messages);
  }
  return 0;
}
