#pragma once
// Snapshot: the values sampled for one set of resources.

#include <list>
#include <memory>

#include <boost/optional.hpp>

#include "framework/data/native.h"
#include "stats/provider/resource_id.h"
#include "stats/provider/value.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {

struct Snapshot : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.snapshot";

  boost::optional<std::list<std::shared_ptr<const ResourceId>>> resource_ids;
  std::list<std::shared_ptr<const Value>> values;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("resource_ids", &Snapshot::resource_ids);
      f.Field("values", &Snapshot::values);
    }
  };
};

}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
