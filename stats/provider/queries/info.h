#pragma once
// QueriesSvc::Info: the output of Queries get, a stored query as the provider describes it:
// its identifier, view, owner, time to live and the counter instances it samples.

#include <list>
#include <memory>
#include <string>

#include "framework/data/native.h"
#include "framework/data/struct_metadata.h"
#include "stats/provider/counter_instance.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace QueriesSvc {

struct Info : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.queries.info";
  static constexpr const char* kStructInfoName = "com.zentak.stats.provider.Queries.Info";

  std::string query;  // identifies a "StatsQuery"
  std::string view;   // always reported, unlike the optional view of CreateSpec
  std::string owner;
  long long time_to_live = 0;
  std::list<std::shared_ptr<const CounterInstance>> instances;  // no element may be null

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("query", &Info::query, ::Jorv::Metadata::Identifier{"StatsQuery"});
      f.Field("view", &Info::view);
      f.Field("owner", &Info::owner);
      f.Field("time_to_live", &Info::time_to_live);
      f.Field("instances", &Info::instances);
    }
  };
};

}  // namespace QueriesSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
