#pragma once
// ResourceId: names one resource that a snapshot's values were sampled for.

#include <string>

#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {

struct ResourceId : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.resource_id";

  std::string key;
  std::string type;
  std::string scheme;
  std::string id_value;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("key", &ResourceId::key);
      f.Field("type", &ResourceId::type);
      f.Field("scheme", &ResourceId::scheme);
      f.Field("id_value", &ResourceId::id_value);
    }
  };
};

}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
