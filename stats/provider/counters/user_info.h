#pragma once
// UserInfo: a label and a description for display, as a record of its own. Nothing in the
// Counters service refers to it; it is offered for users of the model.

#include <memory>

#include "framework/data/native.h"
#include "framework/data/std_records.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

struct UserInfo : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.user_info";

  std::shared_ptr<const Jorv::Std::LocalizableMessage> label;
  std::shared_ptr<const Jorv::Std::LocalizableMessage> description;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("label", &UserInfo::label);
      f.Field("description", &UserInfo::description);
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
