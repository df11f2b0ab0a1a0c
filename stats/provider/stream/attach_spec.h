#pragma once
// StreamSvc::AttachSpec: the `spec` argument of Stream attach, naming the attaching client and,
// optionally, the time from which it asks to read.

#include <string>

#include <boost/optional.hpp>

#include "framework/core/date_time.h"
#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

struct AttachSpec : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.stream.attach_spec";

  std::string client_id;
  boost::optional<::Jorv::DateTime> from_timestamp;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("client_id", &AttachSpec::client_id);
      f.Field("from_timestamp", &AttachSpec::from_timestamp);
    }
  };
};

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
