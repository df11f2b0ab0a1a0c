#pragma once
// Value: one sample of a counter instance, as an integer, a double or any data value.

#include <boost/optional.hpp>

#include "framework/core/opaque.h"
#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {

// The three sample fields are independent: none is required, several may be set.
struct Value : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.value";

  long long chandle = 0;  // the handle of the counter instance sampled
  boost::optional<long long> raw;
  boost::optional<double> value;
  boost::optional<::Jorv::Data::Opaque> opaque;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("chandle", &Value::chandle);
      f.Field("raw", &Value::raw);
      f.Field("value", &Value::value);
      f.Field("opaque", &Value::opaque);
    }
  };
};

}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
