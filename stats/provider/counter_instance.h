#pragma once
// CounterInstance: one instance of a counter, qualified by resource identifiers and named by an
// integer handle that the values sampled for it carry.

#include <map>
#include <string>

#include <boost/optional.hpp>

#include "framework/data/native.h"
#include "framework/data/struct_metadata.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {

struct CounterInstance : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counter_instance";
  static constexpr const char* kStructInfoName = "com.zentak.stats.provider.CounterInstance";

  std::string counter;  // identifies a "StatsCounter"
  boost::optional<long long> edition;
  long long chandle = 0;
  std::map<std::string, std::string> resource_ids;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("counter", &CounterInstance::counter, ::Jorv::Metadata::Identifier{"StatsCounter"});
      f.Field("edition", &CounterInstance::edition);
      f.Field("chandle", &CounterInstance::chandle);
      f.Field("resource_ids", &CounterInstance::resource_ids);
    }
  };
};

}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
