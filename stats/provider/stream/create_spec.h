#pragma once
// StreamSvc::CreateSpec: the `spec` argument of Stream create, the settings of a new result
// stream. The interval is required; timeout and buffer may be left to the provider.

#include <boost/optional.hpp>

#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

struct CreateSpec : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.stream.create_spec";

  long long interval = 0;
  boost::optional<long long> timeout;
  boost::optional<long long> buffer;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("interval", &CreateSpec::interval);
      f.Field("timeout", &CreateSpec::timeout);
      f.Field("buffer", &CreateSpec::buffer);
    }
  };
};

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
