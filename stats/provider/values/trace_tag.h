#pragma once
// Values::TraceTag: one named value of a trace span or log entry. `value` may hold any data
// value; it is not checked against `value_type`.

#include <string>

#include "framework/core/opaque.h"
#include "framework/data/native.h"
#include "stats/provider/values/trace_tag_enumerations.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace Values {

struct TraceTag : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.values.trace_tag";

  std::string key;
  TraceTagEnumerations::Type value_type;
  ::Jorv::Data::Opaque value;  // the void value until set

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("key", &TraceTag::key);
      f.Field("value_type", &TraceTag::value_type);
      f.Field("value", &TraceTag::value);
    }
  };
};

}  // namespace Values
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
