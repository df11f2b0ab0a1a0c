#pragma once
// StreamSvc::Info: the output of Stream get, the settings of a result stream as the provider
// applies them; all three are always reported.

#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

struct Info : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.stream.info";

  long long interval = 0;
  long long timeout = 0;
  long long buffer = 0;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("interval", &Info::interval);
      f.Field("timeout", &Info::timeout);
      f.Field("buffer", &Info::buffer);
    }
  };
};

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
