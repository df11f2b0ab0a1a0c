#pragma once
// QueriesSvc::CreateSpec: the `spec` argument of Queries create, naming the counter instances a
// new query samples and how long the query lives.

#include <list>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/data/native.h"
#include "stats/provider/counter_instance.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace QueriesSvc {

struct CreateSpec : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.queries.create_spec";

  long long time_to_live = 0;
  boost::optional<std::string> view;
  std::list<std::shared_ptr<const CounterInstance>> instances;  // no element may be null

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("time_to_live", &CreateSpec::time_to_live);
      f.Field("view", &CreateSpec::view);
      f.Field("instances", &CreateSpec::instances);
    }
  };
};

}  // namespace QueriesSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
