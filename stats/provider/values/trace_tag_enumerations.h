#pragma once
// Values::TraceTagEnumerations::Type: the kind of value a TraceTag carries. It travels as its
// literal; a text that matches no literal is kept and written back unchanged.

#include <cstdint>

#include "framework/data/enumeration.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace Values {
namespace TraceTagEnumerations {

struct TypeLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.values.trace_tag.type";
  enum Enumerator : std::uint32_t { BINARY, BOOLEAN, DOUBLE, LONG, STRING, _UNKNOWN };
  struct Strings {
    static constexpr const char* values[] = {"BINARY", "BOOLEAN",  "DOUBLE", "LONG",
                                             "STRING", "_UNKNOWN", nullptr};
  };
};
using Type = ::Jorv::Data::Enumeration<TypeLiterals>;

}  // namespace TraceTagEnumerations
}  // namespace Values
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
