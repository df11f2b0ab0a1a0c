#pragma once
// The wire form of data values: a flat byte string, the nodes of the tree in pre-order, so that
// neither encoding nor decoding nests calls per level and a value a million deep costs heap,
// not stack. Every kind of the runtime round-trips exactly, null slots included.
//
//   std::string bytes = Jorv::Remote::EncodeValue(value);
//   Jorv::Data::DataValuePtr back;
//   std::list<Jorv::BaseMessage> messages;
//   if (!Jorv::Remote::DecodeValue(bytes, {}, back, messages)) { ... messages say why ... }
//
// Layout: one format byte (1), then the root node. A node is its type code (0 for a null slot)
// followed by what the kind holds: integers as zigzag varints, doubles as their 8 bytes (little
// endian, so NaN payloads and -0.0 survive), booleans as one byte 0 or 1, strings, secrets and
// blobs as a varint length and the bytes, lists as the zigzag list kind, a varint count and the
// elements, structures and errors as their name, a varint count and per field its name and
// value (names in strictly ascending order), optionals as one byte 0 (unset) or 1 (set, then
// the held node).

#include <cstddef>
#include <list>
#include <string>
#include <string_view>

#include "framework/core/compound_value.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Remote {

// What a decoder accepts at most. Work and memory of a decoding are bounded by these.
struct DecodeLimits {
  // Bytes of one encoded value.
  std::size_t maxBytes = std::size_t{64} << 20;
  // Nodes of one value (a null slot counts as one).
  std::size_t maxNodes = std::size_t{1} << 22;
};

// Appends the encoding of `value` (null allowed) to `out`. Never fails.
void EncodeValue(const Data::DataValuePtr& value, std::string& out);
std::string EncodeValue(const Data::DataValuePtr& value);

// Reads one value from `bytes` into `out`. A frame that is larger than the limits, truncated,
// of an unknown format or kind, whose counts do not match what follows, whose field names are
// out of order or repeated, or that has bytes left over appends one message
// ("jorv.remote.value.*", naming the byte offset where it applies), leaves `out` alone and
// returns false. Never throws on account of the bytes.
bool DecodeValue(std::string_view bytes, const DecodeLimits& limits, Data::DataValuePtr& out,
                 std::list<BaseMessage>& messages);

}  // namespace Remote
}  // namespace Jorv
