#pragma once
// ResourceIdDef: one key of a counter's resource-identifier schema, with the type of resource
// its values name (ResourceIdTypeInfo), its parent key and how instances may be selected by it.

#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/data/native.h"
#include "framework/data/std_records.h"
#include "stats/provider/counters/enumerations.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

// The type of resource that the values of a resource-identifier key name.
struct ResourceIdTypeInfo : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName =
      "com.zentak.stats.provider.counters.resource_id_type_info";

  std::string type;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("type", &ResourceIdTypeInfo::type);
      f.Field("label", &ResourceIdTypeInfo::label);
      f.Field("description", &ResourceIdTypeInfo::description);
    }
  };
};

struct ResourceIdDef : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.resource_id_def";

  std::string key;
  std::shared_ptr<const ResourceIdTypeInfo> type_info;
  boost::optional<std::string> parent;  // the key this one is nested under
  QueryCapabilities query_options;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("key", &ResourceIdDef::key);
      f.Field("type_info", &ResourceIdDef::type_info);
      f.Field("parent", &ResourceIdDef::parent);
      f.Field("query_options", &ResourceIdDef::query_options);
      f.Field("label", &ResourceIdDef::label);
      f.Field("description", &ResourceIdDef::description);
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
