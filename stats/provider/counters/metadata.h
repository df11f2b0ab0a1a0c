#pragma once
// Metadata: one edition of a counter: its status, what its samples mean (type, unit and scale,
// optionally a second unit and scale), the rollups it allows, and its label and description.

#include <list>
#include <memory>

#include "framework/core/optional_ptr.h"
#include "framework/data/native.h"
#include "framework/data/std_records.h"
#include "stats/provider/counters/enumerations.h"
#include "stats/provider/counters/info_records.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

struct Metadata : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.metadata";

  long long id = 0;  // the edition number
  Status status;
  std::shared_ptr<const TypeInfo> type_info;
  std::shared_ptr<const UnitInfo> unit_info;
  std::shared_ptr<const UnitFactorInfo> unit_factor_info;
  ::Jorv::OptionalPtr<const UnitInfo> unit_info_secondary;
  ::Jorv::OptionalPtr<const UnitFactorInfo> unit_factor_info_secondary;
  std::list<std::shared_ptr<const RollupInfo>> rollups;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("id", &Metadata::id);
      f.Field("status", &Metadata::status);
      f.Field("type_info", &Metadata::type_info);
      f.Field("unit_info", &Metadata::unit_info);
      f.Field("unit_factor_info", &Metadata::unit_factor_info);
      f.Field("unit_info_secondary", &Metadata::unit_info_secondary);
      f.Field("unit_factor_info_secondary", &Metadata::unit_factor_info_secondary);
      f.Field("rollups", &Metadata::rollups);
      f.Field("label", &Metadata::label);
      f.Field("description", &Metadata::description);
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
