#pragma once
// QueriesSvc::UpdateSpec: the `spec` argument of Queries update. Every change is optional; an
// unset member leaves that aspect of the query unchanged.

#include <list>
#include <memory>

#include <boost/optional.hpp>

#include "framework/data/native.h"
#include "stats/provider/counter_instance.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace QueriesSvc {

struct UpdateSpec : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.queries.update_spec";

  boost::optional<long long> time_to_live;
  // A set but empty list travels as such and differs from an unset one.
  boost::optional<std::list<std::shared_ptr<const CounterInstance>>> instances_to_add;
  boost::optional<std::list<std::shared_ptr<const CounterInstance>>> instances_to_remove;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("time_to_live", &UpdateSpec::time_to_live);
      f.Field("instances_to_add", &UpdateSpec::instances_to_add);
      f.Field("instances_to_remove", &UpdateSpec::instances_to_remove);
    }
  };
};

}  // namespace QueriesSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
