#pragma once
// StatsCounter: one counter a provider offers: its identifier, the metric it measures, the
// resource-identifier schema of its instances and its editions.

#include <list>
#include <memory>
#include <string>

#include "framework/data/native.h"
#include "framework/data/struct_metadata.h"
#include "stats/provider/counters/metadata.h"
#include "stats/provider/counters/resource_id_def.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

struct StatsCounter : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.stats_counter";
  static constexpr const char* kStructInfoName = "com.zentak.stats.provider.Counters.StatsCounter";

  std::string id;  // identifies a "StatsCounter"
  std::string metric;
  std::list<std::shared_ptr<const ResourceIdDef>> rsrc_id_schema;
  std::list<std::shared_ptr<const Metadata>> editions;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("id", &StatsCounter::id, ::Jorv::Metadata::Identifier{"StatsCounter"});
      f.Field("metric", &StatsCounter::metric);
      f.Field("rsrc_id_schema", &StatsCounter::rsrc_id_schema);
      f.Field("editions", &StatsCounter::editions);
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
