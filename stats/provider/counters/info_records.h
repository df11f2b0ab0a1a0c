#pragma once
// TypeInfo, UnitInfo, UnitFactorInfo and RollupInfo: each pairs one enumerator of a counter's
// description with the text that explains it to a reader. All three fields are required.

#include <memory>

#include "framework/data/native.h"
#include "framework/data/std_records.h"
#include "stats/provider/counters/enumerations.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

struct TypeInfo : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.type_info";

  Type type;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("type", &TypeInfo::type);
      f.Field("label", &TypeInfo::label);
      f.Field("description", &TypeInfo::description);
    }
  };
};

struct UnitInfo : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.unit_info";

  Unit unit;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("unit", &UnitInfo::unit);
      f.Field("label", &UnitInfo::label);
      f.Field("description", &UnitInfo::description);
    }
  };
};

struct UnitFactorInfo : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.unit_factor_info";

  UnitFactor unit_factor;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("unit_factor", &UnitFactorInfo::unit_factor);
      f.Field("label", &UnitFactorInfo::label);
      f.Field("description", &UnitFactorInfo::description);
    }
  };
};

struct RollupInfo : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.rollup_info";

  Rollup rollup;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("rollup", &RollupInfo::rollup);
      f.Field("label", &RollupInfo::label);
      f.Field("description", &RollupInfo::description);
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
