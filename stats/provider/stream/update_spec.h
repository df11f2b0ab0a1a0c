#pragma once
// StreamSvc::UpdateSpec: the `spec` argument of Stream update. Each setting is optional; an
// unset one is left as it is.

#include <boost/optional.hpp>

#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

struct UpdateSpec : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.stream.update_spec";

  boost::optional<long long> interval;
  boost::optional<long long> timeout;
  boost::optional<long long> buffer;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("interval", &UpdateSpec::interval);
      f.Field("timeout", &UpdateSpec::timeout);
      f.Field("buffer", &UpdateSpec::buffer);
    }
  };
};

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
