#pragma once
// ListResult: what the Counters method `list` returns: the counters registered with the
// provider in full, and the identifiers of those no longer registered.

#include <list>
#include <memory>
#include <string>

#include "framework/data/native.h"
#include "framework/data/struct_metadata.h"
#include "stats/provider/counters/stats_counter.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

struct ListResult : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.list_result";
  static constexpr const char* kStructInfoName = "com.zentak.stats.provider.Counters.ListResult";

  long long last_updated = 0;
  std::list<std::shared_ptr<const StatsCounter>> registered;
  std::list<std::string> unregistered;  // each identifies a "StatsCounter"

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("last_updated", &ListResult::last_updated);
      f.Field("registered", &ListResult::registered);
      f.Field("unregistered", &ListResult::unregistered,
              ::Jorv::Metadata::Identifier{"StatsCounter"});
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
